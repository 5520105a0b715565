#include <gtest/gtest.h>

#include <cstdint>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "support/GameTest.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"
#include "util/CRandom.h"

namespace {

struct SPlayedGame {
  long long frames = 0;
  int seed = 0;
  int score = 0;
  int maxRensa = 0;
  int cleared = 0;
  int dealt = 0;
  int level = 0;
  CPlimoStage::EState state = CPlimoStage::EState::Ready;
};

class ReplayCheckTest : public GameTest {
 protected:
  // Plays a normal game with keys chosen by a fixed pseudo-random script until
  // it ends and is confirmed with Z; the stage then stores its replay.
  SPlayedGame fPlayScriptedGame(int mode, std::uint32_t script) {
    backend().fSetUtcBase(1'700'000'000'000 + 321);  // the game's seed: 321 + clock
    gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode));
    auto* stage = static_cast<CPlimoStage*>(gCurrentScene.fGet());
    SPlayedGame game;
    game.seed = stage->rules.fRandom().fGetSeed();
    gCurrentScene->fAnimate();
    const int keys[] = {KEY_INPUT_J, KEY_INPUT_L, KEY_INPUT_I, KEY_INPUT_K, KEY_INPUT_X, KEY_INPUT_Z, KEY_INPUT_C,
                        KEY_INPUT_SPACE};
    for (long long frame = 0; frame < 200000; ++frame) {
      backend().fReleaseAllKeys();
      script = script * 1664525u + 1013904223u;
      if ((script >> 28) < 6) backend().fSetKey(keys[(script >> 16) % 8], true);
      if (stage->rules.state == CPlimoStage::EState::GameOver || stage->rules.state == CPlimoStage::EState::StageClear) {
        if (frame % 2 == 0) backend().fSetKey(KEY_INPUT_Z, true);
      }
      fRunFrameLogic();
      ++game.frames;
      // Confirmed: the end only stays on screen from here.
      if (gCurrentScene.fGet() != stage || stage->endHoldLeft > 0) {
        game.score = stage->rules.score;
        game.maxRensa = stage->rules.maxRensa;
        game.cleared = stage->rules.cleared;
        game.dealt = stage->rules.dealt;
        game.level = stage->rules.level;
        game.state = stage->rules.state;
        gCurrentScene.fReleaseRetired();
        return game;
      }
      gCurrentScene.fReleaseRetired();
    }
    ADD_FAILURE() << "the scripted game never ended";
    return game;
  }
};

TEST_F(ReplayCheckTest, ARecordedGameReplaysToTheSameResult) {
  for (int mode = 0; mode < 3; ++mode) {
    const SPlayedGame game = fPlayScriptedGame(mode, 7u + static_cast<std::uint32_t>(mode));
    const std::string archive = std::string("dat/replay_") + (mode == 0 ? "plimo" : mode == 1 ? "yoiko" : "wanpaku") +
                                "/replay";
    ASSERT_TRUE(fFileExists(archive));
    const std::string before = fReadWholeFile(archive);

    SCOPED_TRACE("mode " + std::to_string(mode));
    const SReplayCheckResult result = fCheckReplay(archive);
    for (const auto& member : CArchiver::fReadMembers(archive)) {
      if (member.mName.find("replay_key.dat") != std::string::npos) {
        EXPECT_EQ(static_cast<long long>(member.mBytes.size()), 112 * game.frames);
      }
    }
    EXPECT_EQ(result.frames, game.frames);
    EXPECT_EQ(result.seed, game.seed);
    EXPECT_EQ(result.score, game.score);
    EXPECT_EQ(result.maxRensa, game.maxRensa);
    EXPECT_EQ(result.cleared, game.cleared);
    EXPECT_EQ(result.dealt, game.dealt);
    EXPECT_EQ(result.level, game.level);
    EXPECT_TRUE(result.confirmed);
    EXPECT_TRUE(result.state == "GameOver" || result.state == "StageClear") << result.state;
    EXPECT_GT(game.dealt, 4);
    // The check works in a directory of its own.
    EXPECT_EQ(fReadWholeFile(archive), before);
    EXPECT_FALSE(fFileExists(std::string("dat/replay_plimo/replay_key.dat")));
  }
}

TEST_F(ReplayCheckTest, ADebugSaveIsCheckedAsF11PlaysIt) {
  gCurrentScene = std::make_unique<CPlimoStage>(1, SReplayInfo::fNormal(1));
  auto* stage = static_cast<CPlimoStage*>(gCurrentScene.fGet());
  gCurrentScene->fAnimate();
  long long frames = 0;
  for (; frames < 600; ++frames) {
    backend().fSetKey(KEY_INPUT_X, frames % 80 == 0);
    fRunFrameLogic();
  }
  const int dealt = stage->rules.dealt;
  backend().fSetKey(KEY_INPUT_F12, true);
  fRunFrameLogic();
  ++frames;
  ASSERT_NE(gCurrentScene.fGet(), stage) << "the debug save leaves the stage";
  gCurrentScene.fReleaseRetired();
  ASSERT_TRUE(fFileExists("dat/replay_yoiko/debug_replay"));

  const SReplayCheckResult result = fCheckReplay("dat/replay_yoiko/debug_replay");
  EXPECT_EQ(result.mode, "yoiko");
  EXPECT_EQ(result.frames, frames);
  EXPECT_EQ(result.state, "Playing");
  EXPECT_EQ(result.dealt, dealt);
  EXPECT_FALSE(result.confirmed);
}

TEST_F(ReplayCheckTest, TheResultIsOneLineOfJson) {
  SReplayCheckResult result;
  result.mode = "plimo";
  result.seed = 123;
  result.frames = 4567;
  result.state = "GameOver";
  result.score = 12300;
  result.maxRensa = 3;
  result.cleared = 87;
  result.dealt = 140;
  result.level = 3;
  EXPECT_EQ(fReplayCheckJson(result),
            "{\"mode\":\"plimo\",\"seed\":123,\"frames\":4567,\"state\":\"GameOver\",\"score\":12300,"
            "\"maxRensa\":3,\"cleared\":87,\"dealt\":140,\"level\":3}");
}

TEST_F(ReplayCheckTest, AKeyLogThatEndsEarlyStopsWithTheGameUnfinished) {
  const std::string keyLog(112 * 50 + 40, '\0');  // 50 frames and a scrap
  fWriteWholeFile("dat/replay_yoiko/replay_key.dat", keyLog);
  fWriteWholeFile("dat/replay_yoiko/replay.dat", std::string("\x7b\0\0\0", 4));
  CArchiver::fArchive({"dat/replay_yoiko/replay_key.dat", "dat/replay_yoiko/replay.dat"}, "short.zip", true);
  const SReplayCheckResult result = fCheckReplay("short.zip");
  EXPECT_EQ(result.mode, "yoiko");
  EXPECT_EQ(result.seed, 123);
  EXPECT_EQ(result.state, "Ready");
  EXPECT_FALSE(result.confirmed);
  EXPECT_EQ(result.frames, 50);  // the scrap is no whole frame
}

TEST_F(ReplayCheckTest, DamagedAndForeignArchivesAreRefused) {
  fWriteWholeFile("garbage.zip", "this is not a zip file");
  EXPECT_THROW(fCheckReplay("garbage.zip"), CGameError);
  EXPECT_THROW(fCheckReplay("missing.zip"), CGameError);
  fWriteWholeFile("dat/replay_plimo/replay.dat", std::string("\1\0\0\0", 4));
  CArchiver::fArchive({"dat/replay_plimo/replay.dat"}, "seed-only.zip", false);
  EXPECT_THROW(fCheckReplay("seed-only.zip"), CGameError);

  testing::internal::CaptureStderr();
  EXPECT_EQ(fVerifyReplayMain("garbage.zip"), 2);
  const std::string error = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
}

}  // namespace
