#include <gtest/gtest.h>

#include <cstdlib>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "rules/StageModes.h"
#include "support/BotPlayer.h"
#include "support/GameTest.h"
#include "util/CFpsTimer.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

class ReplayFixtureTest : public GameTest {
 protected:
  static std::string fJson(const std::string& mode, const SBotGame& game) {
    SReplayCheckResult result;
    result.mode = mode;
    result.seed = game.seed;
    result.frames = game.frames;
    result.state = game.state;
    result.score = game.score;
    result.maxRensa = game.maxRensa;
    result.cleared = game.cleared;
    result.dealt = game.dealt;
    result.level = game.level;
    return fReplayCheckJson(result);
  }

  struct SFixtureGame {
    int mode;
    int seed;
    SBotStyle style;
  };
  static std::vector<SFixtureGame> fFixtureGames() {
    return {{0, 123, SBotStyle{2, 7, 5}}, {1, 456, SBotStyle{3, 11, 4}}, {2, 789, SBotStyle{2, 9, 6}}};
  }
  static std::string fFixtureName(const SFixtureGame& game) {
    return std::string(fModeName(game.mode)) + "_seed" + std::to_string(game.seed);
  }
};

// A game played live gives the same result when its stored replay is checked.
TEST_F(ReplayFixtureTest, BotGamesReplayExactly) {
  for (const auto& fixture : fFixtureGames()) {
    const SBotGame game = fPlayBotGame(backend(), fixture.mode, 1'700'000'000'000 + fixture.seed, fixture.style);
    ASSERT_NE(game.state, "Unfinished");
    const std::string archive = std::string("dat/replay_") + fModeName(fixture.mode) + "/replay";
    ASSERT_TRUE(fFileExists(archive)) << "a first game is always a new best";
    EXPECT_EQ(fReplayCheckJson(fCheckReplay(archive)), fJson(fModeName(fixture.mode), game));
  }
}

// Recorded games kept in the repository play the same on every build.
TEST_F(ReplayFixtureTest, StoredGamesGiveTheirRecordedResults) {
  int checked = 0;
  for (const auto& fixture : fFixtureGames()) {
    const std::string base = kFixtures + "/" + fFixtureName(fixture);
    if (!fFileExists(base + ".zip")) continue;
    std::string expected = fReadWholeFile(base + ".json");
    while (!expected.empty() && expected.back() == '\n') expected.pop_back();
    EXPECT_EQ(fReplayCheckJson(fCheckReplay(base + ".zip")), expected) << base;
    ++checked;
  }
  EXPECT_EQ(checked, 3) << "fixtures are missing; make them with PLIMO_WRITE_FIXTURES=1";
}

// PLIMO_WRITE_FIXTURES=1 plimo_tests --gtest_filter='*WriteFixtures' records
// the fixture games afresh (only when the rules change on purpose).
TEST_F(ReplayFixtureTest, WriteFixtures) {
  if (std::getenv("PLIMO_WRITE_FIXTURES") == nullptr) GTEST_SKIP() << "set PLIMO_WRITE_FIXTURES=1 to rewrite";
  for (const auto& fixture : fFixtureGames()) {
    const SBotGame game = fPlayBotGame(backend(), fixture.mode, 1'700'000'000'000 + fixture.seed, fixture.style);
    const std::string archive = std::string("dat/replay_") + fModeName(fixture.mode) + "/replay";
    const std::string base = kFixtures + "/" + fFixtureName(fixture);
    fWriteWholeFile(base + ".zip", fReadWholeFile(archive));
    fWriteWholeFile(base + ".json", fJson(fModeName(fixture.mode), game) + "\n");
  }
}

}  // namespace
