// Pause in a normal game: paused frames are no frames of the game, so a game
// paused now and then leaves the very replay an unpaused one leaves.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "input/PauseKeys.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "support/BotPlayer.h"
#include "support/GameTest.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

class StagePauseTest : public GameTest {
 protected:
  CPlimoStage& fStartNormalGame(int mode) {
    gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode));
    gCurrentScene->fAnimate();
    return *static_cast<CPlimoStage*>(gCurrentScene.fGet());
  }
  void fFrames(int count) {
    for (int i = 0; i < count; ++i) fRunFrameLogic();
  }
  void fTapLive(int keyCode) {
    backend().fSetKey(keyCode, true);
    fRunFrameLogic();
    backend().fSetKey(keyCode, false);
    fRunFrameLogic();
  }
};

// The recorded plimo game, played again with forty-frame pauses every 997
// frames (X and Space pressed while paused), verifies to exactly the result
// of the unpaused recording, with a byte-identical key log.
TEST_F(StagePauseTest, APausedGameReplaysExactlyAsTheUnpausedOne) {
  SBotStyle style{2, 7, 5};
  style.pauseEvery = 997;
  style.pauseFrames = 40;
  const SBotGame game = fPlayBotGame(backend(), 0, 1'700'000'000'000 + 123, style);
  ASSERT_NE(game.state, "Unfinished");
  const std::string archive = "dat/replay_plimo/replay";
  ASSERT_TRUE(fFileExists(archive));

  std::string expected = fReadWholeFile(kFixtures + "/plimo_seed123.json");
  while (!expected.empty() && expected.back() == '\n') expected.pop_back();
  EXPECT_EQ(fReplayCheckJson(fCheckReplay(archive)), expected);

  const auto paused = CArchiver::fReadMembers(archive);
  const auto unpaused = CArchiver::fReadMembers(kFixtures + "/plimo_seed123.zip");
  ASSERT_EQ(paused.size(), unpaused.size());
  for (std::size_t i = 0; i < paused.size(); ++i) {
    EXPECT_EQ(paused[i].mName, unpaused[i].mName);
    EXPECT_TRUE(paused[i].mBytes == unpaused[i].mBytes) << paused[i].mName << " differs";
  }
}

TEST_F(StagePauseTest, PausingFreezesTheGameAndHidesTheField) {
  CPlimoStage& stage = fStartNormalGame(0);
  fFrames(150);
  ASSERT_EQ(stage.rules.state, CPlimoStage::EState::Playing);
  const int frameCount = stage.rules.frameCount;
  const auto recorded = static_cast<CKeyManager&>(*gKeyManager).fRecorder().fBufferedFrameCount();

  fTapLive(KEY_INPUT_PAUSE);
  EXPECT_TRUE(stage.paused);
  fFrames(100);
  EXPECT_EQ(stage.rules.frameCount, frameCount);
  EXPECT_EQ(static_cast<CKeyManager&>(*gKeyManager).fRecorder().fBufferedFrameCount(), recorded);

  backend().fSetLogging(true);
  stage.fDraw();
  const auto drawn = backend().fLogOf({"MV1DrawModel", "DrawStringToHandle"});
  EXPECT_EQ(std::count_if(drawn.begin(), drawn.end(), [](const std::string& call) {
              return call.rfind("MV1DrawModel", 0) == 0;
            }),
            0)
      << "no ball or box is drawn while paused";
  EXPECT_NE(std::find_if(drawn.begin(), drawn.end(),
                         [](const std::string& call) { return call.find("\"PAUSE\"") != std::string::npos; }),
            drawn.end());
  backend().fSetLogging(false);

  fTapLive(KEY_INPUT_P);  // the press resumes; the release frame is a game frame again
  EXPECT_FALSE(stage.paused);
  EXPECT_EQ(stage.rules.frameCount, frameCount + 1);
  EXPECT_EQ(static_cast<CKeyManager&>(*gKeyManager).fRecorder().fBufferedFrameCount(), recorded + 1);
}

TEST_F(StagePauseTest, LosingTheFocusPausesUntilThePlayerResumes) {
  CPlimoStage& stage = fStartNormalGame(1);
  fFrames(10);
  backend().fSetWindowActive(false);
  fFrames(1);
  EXPECT_TRUE(stage.paused);
  backend().fSetWindowActive(true);
  fFrames(5);
  EXPECT_TRUE(stage.paused) << "the player resumes, not the window manager";
  fTapLive(KEY_INPUT_P);
  EXPECT_FALSE(stage.paused);
}

TEST_F(StagePauseTest, EscapeWhilePausedLeavesTheGameOnceThePlayerSaysYes) {
  CPlimoStage& stage = fStartNormalGame(0);
  fFrames(10);
  fTapLive(KEY_INPUT_P);
  ASSERT_TRUE(stage.paused);
  fTapLive(KEY_INPUT_ESCAPE);
  ASSERT_EQ(gCurrentScene.fGet(), &stage) << "asked first";
  ASSERT_NE(stage.fLeaveQuestion(), nullptr);
  fTapLive(KEY_INPUT_LEFT);  // from "no" to "yes"
  backend().fSetKey(KEY_INPUT_Z, true);
  fRunFrameLogic();
  EXPECT_NE(gCurrentScene.fGet(), &stage);
  gCurrentScene.fReleaseRetired();
}

TEST_F(StagePauseTest, EscapeInAGameAsksAndNoPlaysOnTheSameGameUnrecorded) {
  CPlimoStage& stage = fStartNormalGame(1);
  fFrames(150);
  ASSERT_EQ(stage.rules.state, CPlimoStage::EState::Playing);
  const int frameCount = stage.rules.frameCount;
  const int score = stage.rules.score;
  auto& recorder = static_cast<CKeyManager&>(*gKeyManager).fRecorder();
  const auto recorded = recorder.fBufferedFrameCount();

  fTapLive(KEY_INPUT_ESCAPE);
  ASSERT_EQ(gCurrentScene.fGet(), &stage);
  ASSERT_NE(stage.fLeaveQuestion(), nullptr);
  EXPECT_EQ(stage.fLeaveQuestion()->fGetWindow().fGetFocus(), "no");
  EXPECT_TRUE(stage.paused) << "the field is hidden while it asks";
  fFrames(60);
  // The player moves to "yes" and back, then answers "no" with Z held for a while.
  fTapLive(KEY_INPUT_LEFT);
  fTapLive(KEY_INPUT_RIGHT);
  EXPECT_EQ(stage.rules.frameCount, frameCount) << "no game frame while it asks";
  EXPECT_EQ(recorder.fBufferedFrameCount(), recorded) << "nor a recorded one";
  backend().fSetKey(KEY_INPUT_Z, true);
  fFrames(5);
  EXPECT_EQ(stage.fLeaveQuestion(), nullptr);
  EXPECT_FALSE(stage.paused);
  EXPECT_EQ(stage.rules.frameCount, frameCount) << "Z still held: it must not turn the camera in the game";
  EXPECT_EQ(recorder.fBufferedFrameCount(), recorded);
  backend().fSetKey(KEY_INPUT_Z, false);
  fFrames(1);  // the release is seen
  fFrames(10);
  EXPECT_EQ(gCurrentScene.fGet(), &stage);
  EXPECT_EQ(stage.rules.frameCount, frameCount + 10) << "the same game goes on";
  EXPECT_EQ(recorder.fBufferedFrameCount(), recorded + 10);
  EXPECT_GE(stage.rules.score, score);
  // Escape (also "no") from the question keeps the game too.
  fTapLive(KEY_INPUT_ESCAPE);
  ASSERT_NE(stage.fLeaveQuestion(), nullptr);
  fTapLive(KEY_INPUT_ESCAPE);
  fFrames(2);
  EXPECT_EQ(stage.fLeaveQuestion(), nullptr);
  EXPECT_EQ(gCurrentScene.fGet(), &stage);
}

TEST_F(StagePauseTest, AFinishedGameLeavesOnEscapeWithoutAsking) {
  CPlimoStage& stage = fStartNormalGame(0);
  fFrames(10);
  stage.rules.state = CPlimoStage::EState::GameOver;
  backend().fSetKey(KEY_INPUT_ESCAPE, true);
  fRunFrameLogic();
  EXPECT_NE(gCurrentScene.fGet(), &stage) << "nothing is thrown away";
  gCurrentScene.fReleaseRetired();
}

TEST_F(StagePauseTest, APracticeGamePausesAndAsksLikeANormalOne) {
  CPlimoStage& stage = fStartNormalGame(0);
  stage.replayInfo.mode = SReplayInfo::EMode::Practice;
  fFrames(150);
  const int frameCount = stage.rules.frameCount;
  fTapLive(KEY_INPUT_P);
  EXPECT_TRUE(stage.paused);
  fFrames(20);
  EXPECT_EQ(stage.rules.frameCount, frameCount);
  fTapLive(KEY_INPUT_P);
  EXPECT_FALSE(stage.paused);
  fTapLive(KEY_INPUT_ESCAPE);
  EXPECT_NE(stage.fLeaveQuestion(), nullptr);
}

TEST_F(StagePauseTest, ThePadPausesWithAButtonNoGameKeyUses) {
  const auto saved = gOptionInfo;
  gOptionInfo = std::make_shared<COptionInfo>();
  // Start (button 8) is the designed hold button, so Back (button 7) pauses.
  EXPECT_EQ(fPausePadMask(), PAD_INPUT_7);
  CPlimoStage& stage = fStartNormalGame(0);
  fFrames(5);
  backend().fSetPad(PAD_INPUT_7);
  fRunFrameLogic();
  EXPECT_TRUE(stage.paused);
  backend().fSetPad(0);
  gOptionInfo->padButtons[14] = PAD_INPUT_10;  // hold moves off Start
  EXPECT_EQ(fPausePadMask(), PAD_INPUT_8);
  gOptionInfo = saved;
}

TEST_F(StagePauseTest, AReplayCannotBePaused) {
  CPlimoStage& stage = fStartNormalGame(0);
  stage.replayInfo.mode = SReplayInfo::EMode::Replay;
  fTapLive(KEY_INPUT_P);
  backend().fSetWindowActive(false);
  fFrames(1);
  EXPECT_FALSE(stage.paused);
}

}  // namespace
