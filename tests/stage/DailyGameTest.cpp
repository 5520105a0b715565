// A daily game: dealt from the day's seed, recorded as any game, kept as
// the day's game (the best of the day only) and never as the mode's record
// or best replay, and left for the daily screen.
#include "app/GameMain.h"
#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "replay/ReplayCheck.h"
#include "stage/DailyGame.h"
#include "stage/StageTestKit.h"
#include "support/ReplayArchives.h"

namespace {

constexpr const char* kDay = "2026-12-08";

class DailyGameTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    fRegisterHighScoreInfo();
    fLoadHighScore();
    fUseLiveKeys();
    fReturnToDailyAfterGame(std::nullopt);
  }
  void TearDown() override {
    fReturnToDailyAfterGame(std::nullopt);
    StageTest::TearDown();
  }

  // The fixture game's two files where a finished game leaves them.
  static void fLayOutFixtureGame(const char* fixture, int mode) {
    const auto members = CArchiver::fReadMembersFromBytes(replay_archives::fFixture(fixture), fixture);
    for (const auto& member : members) fWriteWholeFile(member.mName, member.mBytes);
    (void)mode;
  }
  static std::string fSeedFile(int mode) { return fReplayFilePath(mode, "replay.dat"); }
  static std::string fKeyLogFile(int mode) { return fReplayFilePath(mode, "replay_key.dat"); }
};

TEST_F(DailyGameTest, ADailyGameDealsTheDaysSeedAndIsKeptApartFromTheRecords) {
  gCurrentScene = std::make_unique<CPlimoStage>(0, SReplayInfo::fDaily(0, 1234567, kDay));
  const CPlimoStage* played = &stage();
  EXPECT_EQ(played->rules.fRandom().fGetSeed(), 1234567);
  EXPECT_TRUE(played->replayInfo.fIsDaily());
  fPlayToEnd();
  const int score = stage().rules.score;
  const int maxRensa = stage().rules.maxRensa;
  ASSERT_GT(score, 0);
  EXPECT_FALSE(stage().fBeatsHighScore()) << "a daily game is no record of the mode";
  fTap(EGameKey::KeyZ);
  ASSERT_TRUE(fStepUntil([&] { return gCurrentScene.fGet() != played; }, kEndHoldFrames + 5));

  // Not a record, not the best replay: nothing the normal ranking could take.
  EXPECT_EQ(gHighScores[0]->score, 0);
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay"));
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay.dat"));
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay_key.dat"));
  // The day's game: an archive like any other, that plays to the same end.
  const auto kept = fKeptDailyGame(0, kDay);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->path, "dat/replay_plimo/daily_2026-12-08");
  EXPECT_FALSE(kept->sent);
  EXPECT_EQ(kept->score, score);
  EXPECT_EQ(kept->maxRensa, maxRensa);
  const SReplayCheckResult checked = fCheckReplayBytes(fReadWholeFile(kept->path));
  EXPECT_EQ(checked.seed, 1234567);
  EXPECT_TRUE(checked.confirmed);
  EXPECT_TRUE(fIsReplayArchiveOfMode(fReadWholeFile(kept->path), 0)) << "the archive the server takes";

  // Back to the daily screen, offering to send it.
  const auto back = fTakeDailyReturn();
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->mode, 0);
  EXPECT_TRUE(back->offerSend);
  EXPECT_FALSE(fTakeDailyReturn().has_value()) << "taken once";
}

TEST_F(DailyGameTest, EscapeFromARunningDailyGameKeepsNothingAndGoesBackToTheDailyScreen) {
  gCurrentScene = std::make_unique<CPlimoStage>(2, SReplayInfo::fDaily(2, 99, kDay));
  const CPlimoStage* played = &stage();
  auto tap = [&](int key) {
    backend().fSetKey(key, true);
    fRunFrameLogic();
    backend().fSetKey(key, false);
    fRunFrameLogic();
  };
  for (int i = 0; i < 150; ++i) fRunFrameLogic();
  tap(KEY_INPUT_ESCAPE);
  ASSERT_NE(played->fLeaveQuestion(), nullptr);
  tap(KEY_INPUT_LEFT);  // "yes"
  backend().fSetKey(KEY_INPUT_Z, true);
  fRunFrameLogic();
  ASSERT_NE(gCurrentScene.fGet(), played);
  gCurrentScene.fReleaseRetired();
  EXPECT_FALSE(fKeptDailyGame(2, kDay).has_value());
  const auto back = fTakeDailyReturn();
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->mode, 2);
  EXPECT_FALSE(back->offerSend);
}

TEST_F(DailyGameTest, OnlyTheDaysBestIsKeptAndAGameTheRankingTookIsNotReplacedByATie) {
  fLayOutFixtureGame("plimo_seed123.zip", 0);
  ASSERT_TRUE(fKeepDailyGame(0, kDay, 20600, fSeedFile(0), fKeyLogFile(0)));
  EXPECT_FALSE(fFileExists(fSeedFile(0)));
  EXPECT_FALSE(fFileExists(fKeyLogFile(0)));
  ASSERT_EQ(fKeptDailyGame(0, kDay)->score, 20600);
  const std::string first = fReadWholeFile("dat/replay_plimo/daily_2026-12-08");

  // A lower game leaves the kept one; the files are the caller's to drop.
  fLayOutFixtureGame("plimo_seed123.zip", 0);
  EXPECT_FALSE(fKeepDailyGame(0, kDay, 20599, fSeedFile(0), fKeyLogFile(0)));
  EXPECT_EQ(fReadWholeFile("dat/replay_plimo/daily_2026-12-08"), first);

  fMarkDailySent(0, kDay);
  EXPECT_FALSE(fFileExists("dat/replay_plimo/daily_2026-12-08"));
  ASSERT_TRUE(fKeptDailyGame(0, kDay)->sent);
  EXPECT_FALSE(fKeepDailyGame(0, kDay, 20600, fSeedFile(0), fKeyLogFile(0))) << "a tie would only be refused";
  EXPECT_TRUE(fKeptDailyGame(0, kDay)->sent);
}

TEST_F(DailyGameTest, ANewDaysGameDropsTheOldDaysAndADamagedKeptGameIsForgotten) {
  fLayOutFixtureGame("plimo_seed123.zip", 0);
  ASSERT_TRUE(fKeepDailyGame(0, "2026-12-07", 20600, fSeedFile(0), fKeyLogFile(0)));
  fMarkDailySent(0, "2026-12-07");
  fWriteWholeFile("dat/replay_plimo/daily_2026-12-06", "old");
  fWriteWholeFile("dat/replay_plimo/replay", "the mode's best stays");
  fLayOutFixtureGame("plimo_seed123.zip", 0);
  ASSERT_TRUE(fKeepDailyGame(0, kDay, 1, fSeedFile(0), fKeyLogFile(0)));
  EXPECT_EQ(fListDirectory("dat/replay_plimo"), (std::vector<std::string>{"daily_2026-12-08", "replay"}));
  // A game of the day before, ended after midnight, leaves the new day's.
  fLayOutFixtureGame("plimo_seed123.zip", 0);
  ASSERT_TRUE(fKeepDailyGame(0, "2026-12-07", 1, fSeedFile(0), fKeyLogFile(0)));
  EXPECT_TRUE(fKeptDailyGame(0, kDay).has_value());

  fWriteWholeFile("dat/replay_yoiko/daily_2026-12-08", replay_archives::fWithBadCrc(replay_archives::fFixture("yoiko_seed456.zip")));
  EXPECT_FALSE(fKeptDailyGame(1, kDay).has_value());
  EXPECT_FALSE(fFileExists("dat/replay_yoiko/daily_2026-12-08"));
  // Another mode's game under this mode's name is no game of the day either.
  fWriteWholeFile("dat/replay_yoiko/daily_2026-12-08", replay_archives::fFixture("plimo_seed123.zip"));
  EXPECT_FALSE(fKeptDailyGame(1, kDay).has_value());
}

}  // namespace
