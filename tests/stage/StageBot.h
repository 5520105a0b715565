// A simple player for whole-game tests.
#pragma once

#include <optional>

#include "input/GameKey.h"
#include "rules/CStageRules.h"

// A simple player: for each piece it picks a column where the piece touches
// its colour (else the lowest one), steers there relative to the camera and
// drops; now and then it turns the camera or holds. It reads only the stage
// and answers only with keys, so it plays the same game from the same seed.
class CBot {
 public:
  // The key to hold in this frame, or none. Keys are released every other
  // frame so that each press counts.
  std::optional<EGameKey> fDecide(const CStageRules& s, long long frame);

 private:
  void fChooseTarget(const CStageRules& s, const SRuleBall& piece);

  int mSerial = -2;
  bool mFromHold = false;
  long long mSince = 0;
  int mPieces = 0;
  int mTargetA = 1;
  int mTargetB = 1;
};

// The eight keys the bot presses.
inline constexpr EGameKey kBotKeys[] = {EGameKey::Left, EGameKey::Up,   EGameKey::Right, EGameKey::Down,
                                        EGameKey::KeyX, EGameKey::KeyZ, EGameKey::KeyC,  EGameKey::KeySpace};
