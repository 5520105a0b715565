// Test support for the stage: a scripted key source that answers like the
// live key manager, a fixture that builds a stage of a mode with a chosen
// seed, fields written as text, and frames stepped as the frame loop does.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "input/CKeyManagerBase.h"
#include "stage/CPlimoStage.h"
#include "support/HeadlessTest.h"

// Keys held by the test; once-per-press questions follow the live manager's
// latch (a key must be asked about while up before a press counts).
class CScriptedKeys : public CKeyManagerBase {
 public:
  CScriptedKeys() { mLatch.fill(true); }

  void fSetDown(EGameKey key, bool down) { mDown[fIndex(key)] = down; }
  void fReleaseAll() { mDown.fill(false); }

  void fUpdateKeyState() override { mSnapshot = mDown; }
  EDirectionTenkey fGetDirection() override { return EDirectionTenkey::Neutral; }
  int fIsDownNow(EGameKey key) override { return mDown[fIndex(key)] ? 1 : 0; }
  int fIsTriggered(EGameKey key) override { return fLatch(key, mDown[fIndex(key)]) ? 1 : 0; }
  bool fIsPressed(EGameKey key) override { return mSnapshot[fIndex(key)]; }
  bool fIsPush(EGameKey key, bool once) override {
    return once ? fLatch(key, mSnapshot[fIndex(key)]) : fIsPressed(key);
  }
  int fGetPressedJoypadButton() override { return -1; }
  void fSetupPadButtonFromSetting() override {}

 private:
  static std::size_t fIndex(EGameKey key) { return static_cast<std::size_t>(key); }
  bool fLatch(EGameKey key, bool down) {
    bool& latch = mLatch[fIndex(key)];
    if (!down) {
      latch = false;
      return false;
    }
    if (latch) return false;
    latch = true;
    return true;
  }

  std::array<bool, kGameKeyCount> mDown{};
  std::array<bool, kGameKeyCount> mSnapshot{};
  std::array<bool, kGameKeyCount> mLatch{};
};

// The game's listed balls, in list order.
std::vector<SRuleBall*> fListedBalls(CStageRules& rules);
std::vector<const SRuleBall*> fListedBalls(const CStageRules& rules);

class StageTest : public HeadlessTest {
 protected:
  using EBall = EBallState;
  using EStage = CPlimoStage::EState;

  void SetUp() override;
  void TearDown() override;

  // A normal game of the mode whose generator is seeded with `seed`, made
  // the current scene, still in its opening.
  CPlimoStage& fStartStage(int mode, int seed = 7);
  // Through the opening: the stage is Playing and has not spawned yet.
  CPlimoStage& fStartPlaying(int mode, int seed = 7);
  // The current scene as a stage (fails the test when it is not one).
  CPlimoStage& stage();
  // The current stage's game.
  CStageRules& rules() { return stage().rules; }
  CScriptedKeys& keys();
  // Puts the live key manager in place of the scripted keys; keys are then
  // pressed on the headless keyboard.
  void fUseLiveKeys();
  // Holds or releases a key on whichever source is in place.
  void fSetKey(EGameKey key, bool down);

  // Frames as the frame loop runs them: snapshot, update, animate, draw.
  void fStep(int frames = 1);
  // A key down for one frame and up for the next.
  void fTap(EGameKey key);
  // Steps until the predicate holds; false when it did not within the limit.
  template <class TPredicate>
  bool fStepUntil(TPredicate done, int limit = 5000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      fStep();
    }
    return done();
  }

  // Plays the current stage with the test bot until its game is over (or
  // the limit); calls `eachFrame` after every frame. Returns the frames played.
  long long fPlayToEnd(long long limit = 200000, const std::function<void()>& eachFrame = {});

  // Lays balls from text: one string per layer from the floor up, rows of
  // b joined with '|', one letter per a: R G B Y P L O for the colours,
  // '.' for empty. The balls rest (Settled) and enter the grid.
  void fSetField(const std::vector<std::string>& layers);
  SRuleBall& fPlaceBall(int a, int b, int h, int colour, EBall state = EBall::Settled);
  // The grid as text in the same form, up to its highest filled layer.
  std::vector<std::string> fField();
  // Every grid cell names a live ball that names that cell, and no two
  // cells name the same ball.
  void fExpectGridConsistent();
  // Gives the next spawned piece this colour.
  void fSetNextColour(int colour);
  // Keeps pieces from spawning, for tests of the field alone.
  void fHoldSpawns() { rules().spawnWait = 1 << 28; }

  static int fColourOf(char letter);
  static char fLetterOf(int colour);
};
