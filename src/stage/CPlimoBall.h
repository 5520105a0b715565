// How one ball of the rules looks: its two models (plain and highlighted),
// placed where the ball is and drawn as its state shows it.
#pragma once

#include "gamelib/GameLib.h"
#include "rules/RuleBall.h"
#include "stage/CModel.h"
#include "stage/ModelTable.h"

class CPlimoBall {
 public:
  CPlimoBall(const CModelTable& table, const SRuleBall& ball, double originA, double originB);
  CPlimoBall(CPlimoBall&&) noexcept = default;
  CPlimoBall& operator=(CPlimoBall&&) noexcept = default;
  CPlimoBall(const CPlimoBall&) = delete;
  CPlimoBall& operator=(const CPlimoBall&) = delete;
  virtual ~CPlimoBall() = default;

  // Places both models where the ball is now (skipped when it has not moved).
  void fPlace(const SRuleBall& ball);
  // inPlay: a piece can be in play, so what it would clear glows.
  virtual void fDraw(const SRuleBall& ball, bool inPlay, int frameCount);
  void fReleaseModels();
  // How opaque both models are drawn from now on (1: solid). Set back to 1
  // after a see-through draw, so that no draw depends on an earlier one.
  void fSetOpacity(float rate);
  int fColour() const { return mColour; }

  CModel model;
  CModel highlightModel;
  unsigned mSyncStamp = 0;  // the stage's last model sync that found the ball listed

 private:
  double mOriginA = 0.0;
  double mOriginB = 0.0;
  int mColour = 0;
  // Where the models were last placed.
  int mPlacedA = 0;
  int mPlacedB = 0;
  int mPlacedH = 0;
  int mPlacedProgress = -1;
};

// Where a ball stands in the world: 32 units a cell, z up, falling counted
// in 512ths of a cell.
VECTOR fBallWorldPosition(const SRuleBall& ball, double originA, double originB);
