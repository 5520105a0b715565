// The short-lived pictures that answer what the rules just did: a burst of
// colour where a ball clears, the points rising from its group, the chain
// pop-up and the level-up banner. Fed with the events of each step and aged
// once a frame; the stage draws what is live. Knows nothing of drawing, so
// that what shows when can be checked headless.
#pragma once

#include <vector>

#include "rules/RuleEvents.h"

enum class EStageEffect : int {
  Burst,    // a cleared ball's colour flying apart; colour, cell
  Points,   // the points of the balls cleared in one step, rising; value, cell (their middle)
  Chain,    // "n CHAIN!"; value: the chain count (2 and up)
  LevelUp,  // the level-up banner; value: the new level as the rules count it
};

struct SStageEffect {
  EStageEffect kind = EStageEffect::Burst;
  int value = 0;
  int colour = -1;
  // Where it started, in cells (h up); a group's middle may fall between cells.
  double a = 0.0;
  double b = 0.0;
  double h = 0.0;
  int age = 0;  // frames shown so far
  int life = 0;  // frames it shows in all

  // 0 when new, 1 at its last frame.
  double fProgress() const { return life <= 1 ? 1.0 : static_cast<double>(age) / (life - 1); }
};

class CStageEffects {
 public:
  static constexpr int kBurstFrames = 24;
  static constexpr int kPointsFrames = 50;
  static constexpr int kChainFrames = 70;
  static constexpr int kLevelUpFrames = 120;

  // The effects of one step's events, in the events' order. A newer chain
  // pop-up or banner replaces the one showing.
  void fFeed(const CRuleEvents& events);
  // One frame later: every effect ages, those past their life go.
  void fAge();
  // Nothing shows (a jump: what it skipped is not shown, nor what came before).
  void fClear() { mLive.clear(); }
  const std::vector<SStageEffect>& fLive() const { return mLive; }

  // How large the chain pop-up of `chain` is drawn (1 for a chain of 2),
  // growing with the chain and a little bounce as it appears.
  static double fChainScale(int chain, double progress);
  // How far the points have risen, in screen pixels.
  static double fPointsRise(double progress);
  // How opaque an effect is: full, then fading out over its last part.
  static double fOpacity(double progress);

 private:
  void fReplace(EStageEffect kind, SStageEffect effect);

  std::vector<SStageEffect> mLive;
};
