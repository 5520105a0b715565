// What a game was, as opposed to how its key log was written: the balls the
// player placed (colour and resting cell, in order) and the holds between
// them. Frames where nothing was placed, keys the rules ignored and
// anything after the end leave it unchanged, so two logs of one play name
// one game; a game's opening (its first placements) names the family of
// copies that differ only near their end.
#pragma once

#include <cstdint>
#include <string>

#include "rules/RuleEvents.h"

class CPlayRecord {
 public:
  // Placements that make a game's opening: two honest games of one seed
  // part long before this (bench/opening_divergence measures it).
  static constexpr int kOpeningPlacements = 100;

  // Takes a step's placements and holds, in order.
  void fFeed(const CRuleEvents& events);
  int fPlacements() const { return mPlacements; }
  // The whole play's record, and its opening's: up to the opening's last
  // placement, or the whole play when it is shorter.
  const std::string& fPlay() const { return mPlay; }
  const std::string& fOpening() const { return mOpening; }

 private:
  std::string mPlay;
  std::string mOpening;
  int mPlacements = 0;
};

// SHA-256 hex names: the game is the mode, the seed and the play.
std::string fGameId(const std::string& mode, std::int32_t seed, const std::string& play);
std::string fOpeningId(const std::string& mode, std::int32_t seed, const std::string& opening);

// The number of placements two records share from their start.
int fSharedPlacements(const std::string& play, const std::string& other);
