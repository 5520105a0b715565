// The stage's states from the opening to the end screens, the camera, and a
// whole game played twice.
#include <cmath>

#include "app/Globals.h"
#include "rules/StageModes.h"
#include "stage/StageTestKit.h"
#include "util/CFpsTimer.h"

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;

class StageFlowTest : public StageTest {
 protected:
  // Column (1, 1) filled from the floor up to layer `top`, alternating so
  // that nothing clears.
  void fFillSpawnColumn(int top) {
    for (int h = 0; h <= top; ++h) fPlaceBall(1, 1, h, h % 2 == 0 ? kRed : kGreen);
  }
};

TEST_F(StageFlowTest, OpeningLasts120FramesThenPlayStarts) {
  CPlimoStage& s = fStartStage(0);
  EXPECT_EQ(s.rules.stateTimer, 1);
  EXPECT_EQ(s.rules.frameCount, 1);
  fStep(119);
  EXPECT_EQ(s.rules.state, EStage::Ready);
  fStep();
  EXPECT_EQ(s.rules.state, EStage::Playing);
  EXPECT_EQ(s.rules.frameCount, 120);  // the change of state skips the camera step
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  fStep();
  EXPECT_NE(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.stateTimer, 1);
}

TEST_F(StageFlowTest, AFullSpawnColumnTopsOutAndDarkensFor135FramesInModeZero) {
  CPlimoStage& s = fStartPlaying(0);
  fFillSpawnColumn(s.rules.H - 2);
  backend().fSetLogging(true);
  fStep();
  EXPECT_EQ(s.rules.state, EStage::ToppingOut);
  EXPECT_EQ(s.rules.stateTimer, 0);
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  fStep(135);
  EXPECT_EQ(s.rules.state, EStage::ToppingOut);
  // Each of the eight balls darkened, and drawn dark.
  int darkened = 0;
  for (const SRuleBall* ball : fListedBalls(s.rules)) darkened += ball->darkened ? 1 : 0;
  EXPECT_EQ(darkened, 8);
  backend().fClearLog();
  s.fDraw();
  const auto looks = backend().fLogOf({"MV1SetDifColorScale"});
  ASSERT_EQ(looks.size(), 8u);
  for (const std::string& look : looks) EXPECT_NE(look.find("(0.05, 0.05, 0.05, 0.95)"), std::string::npos) << look;
  fStep();
  EXPECT_EQ(s.rules.state, EStage::GameOver);
  EXPECT_EQ(s.rules.stateTimer, 0);
  // Play keys do nothing on the end screen.
  fTap(EGameKey::KeySpace);
  EXPECT_EQ(&stage(), &s);
  EXPECT_EQ(s.rules.stateTimer, 2);
}

TEST_F(StageFlowTest, APieceLockingInTheTopOutCellEndsTheGameBeforeAnyClear) {
  CPlimoStage& s = fStartPlaying(0);
  fFillSpawnColumn(s.rules.H - 3);
  fSetNextColour(s.rules.fBallAt(1, 1, s.rules.H - 3)->colour);  // would clear with the ball below
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  SRuleBall& piece = *s.rules.fPiece();
  EXPECT_EQ(piece.state, EBall::Landed);
  fStep(31);
  EXPECT_EQ(piece.state, EBall::Locked);
  EXPECT_EQ(s.rules.state, EStage::ToppingOut);
  EXPECT_EQ(s.rules.stateTimer, 0);
  for (const SRuleBall* ball : fListedBalls(s.rules)) EXPECT_NE(ball->state, EBall::Vanishing);
}

TEST_F(StageFlowTest, StageClearWaitsForTheHeldBallAndTheLastChain) {
  CPlimoStage& s = fStartPlaying(0);
  for (auto& entry : s.rules.queue) entry.isEnd = true;
  s.rules.dealt = s.rules.ballLimit;
  s.rules.hold.assign(1, CPlimoStage::SAppairInfo(kRed, 99, true));
  fSetField({"..|R."});
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.fPiece()->serial, 99);
  EXPECT_TRUE(s.rules.hold.empty());
  fStep();
  fTap(EGameKey::KeyX);  // onto the floor beside the red
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state != EStage::Playing; }, 100));
  EXPECT_EQ(s.rules.state, EStage::Finishing);
  EXPECT_EQ(s.rules.chainPhase, EStateForRensa::Clearing);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state != EStage::Finishing; }, 200));
  EXPECT_EQ(s.rules.state, EStage::StageClear);
  EXPECT_EQ(s.rules.cleared, 2);
  EXPECT_EQ(s.rules.score, 200);
  EXPECT_EQ(fField(), std::vector<std::string>{});
}

TEST_F(StageFlowTest, EscapeLeavesForTheTitleAndFreesEveryModel) {
  fStartPlaying(0);
  fStep(5);
  EXPECT_GT(backend().fLiveModelCount(), 0);
  fTap(EGameKey::KeyEsc);
  EXPECT_EQ(dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()), nullptr);
  EXPECT_EQ(backend().fLiveModelCount(), 0);
}

TEST_F(StageFlowTest, CameraTurnsTenDegreesAFrameAndIgnoresKeysWhileTurning) {
  CPlimoStage& s = fStartPlaying(0);
  fStep(2);
  ASSERT_NE(s.rules.fPiece(), nullptr);
  s.rules.fPiece()->speed = 0;
  backend().fSetLogging(true);
  fSetKey(EGameKey::KeyZ, true);
  fStep();
  fSetKey(EGameKey::KeyZ, false);
  EXPECT_TRUE(s.rules.turning);
  EXPECT_EQ(s.rules.turnTarget, EDirection4::Up);
  std::vector<double> angles;
  auto angleNow = [&] { return std::atan2(s.cameraPos.x, s.cameraPos.y) * 180.0 / 3.14159265358979; };
  angles.push_back(angleNow());
  for (int frame = 0; frame < 9; ++frame) {
    if (frame == 3) fSetKey(EGameKey::KeyC, true);  // ignored: a turn is running
    if (frame == 4) fSetKey(EGameKey::KeyC, false);
    fStep();
    angles.push_back(angleNow());
  }
  EXPECT_FALSE(s.rules.turning);
  EXPECT_EQ(s.rules.cameraDir, EDirection4::Up);
  for (std::size_t i = 0; i < angles.size(); ++i) EXPECT_NEAR(angles[i], 164.0 - 10.0 * i, 1e-3) << i;
  EXPECT_NEAR(angles.back(), 74.0, 1e-3);  // the rest angle of Up
  fStep(3);
  EXPECT_NEAR(angleNow(), 74.0, 1e-3);
  EXPECT_EQ(backend().fLogOf({"SetCameraScreenCenter"}).front(), "SetCameraScreenCenter(200, 386)");
}

TEST_F(StageFlowTest, ReplayOnlyKeysAndDebugKeysFollowTheKindOfGame) {
  CPlimoStage& s = fStartPlaying(0);
  // In a normal game F1 and F2 leave the frame timer alone.
  fTap(EGameKey::KeyF1);
  fTap(EGameKey::KeyF2);
  EXPECT_FALSE(gFpsTimer->noWait);
  EXPECT_FALSE(gFpsTimer->slowMotion);
  // Marked as a replay, they toggle it, and F12 saves nothing.
  s.replayInfo.mode = SReplayInfo::EMode::Replay;
  fStep();  // first asked while up, as the latch wants
  fTap(EGameKey::KeyF1);
  fTap(EGameKey::KeyF2);
  EXPECT_TRUE(gFpsTimer->noWait);
  EXPECT_TRUE(gFpsTimer->slowMotion);
  fTap(EGameKey::KeyF12);
  EXPECT_EQ(&stage(), &s);
  EXPECT_FALSE(fFileExists("dat/replay_plimo/debug_replay"));
}

struct SOutcome {
  CPlimoStage::EState state;
  int score, maxRensa, cleared, dealt, level;
  long long frames;
  bool operator==(const SOutcome&) const = default;
};

class StageWholeGameTest : public StageTest {
 protected:
  SOutcome fPlay(int mode, int seed) {
    fStartStage(mode, seed);
    const long long frame = fPlayToEnd(200000, [&] { fExpectGridConsistentQuietly(); });
    const CPlimoStage& s = stage();
    SOutcome outcome{s.rules.state, s.rules.score, s.rules.maxRensa, s.rules.cleared, s.rules.dealt, s.rules.level, frame};
    gCurrentScene.fClear();
    return outcome;
  }
  // The grid check on every frame of a long game, stopping at the first fault.
  void fExpectGridConsistentQuietly() {
    if (mGridFault) return;
    const int failures = ::testing::UnitTest::GetInstance()->failed_test_count();
    fExpectGridConsistent();
    mGridFault = ::testing::Test::HasFailure() || failures != ::testing::UnitTest::GetInstance()->failed_test_count();
  }
  bool mGridFault = false;
};

TEST_F(StageWholeGameTest, TheSameSeedAndKeysPlayTheSameGame) {
  for (int mode = 0; mode < 3; ++mode) {
    const SOutcome first = fPlay(mode, 321);
    const SOutcome second = fPlay(mode, 321);
    EXPECT_TRUE(first == second) << "mode " << mode;
    EXPECT_TRUE(first.state == EStage::GameOver || first.state == EStage::StageClear);
    EXPECT_GT(first.cleared, 0);
    EXPECT_GT(first.score, 0);
  }
}

}  // namespace
