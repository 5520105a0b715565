// The daily challenge as a player meets it, against the real server
// program: the screen from the menu, a daily game played to its end and
// sent with the name entry, the day's list showing it, refusals, and the
// entry's replay fetched back.
#include "gamelib/FileSystem.h"
#include "menu/DailyMenuFixture.h"
#include "online/DailyClient.h"
#include "online/RankingUrl.h"
#include "server/ServerProgram.h"
#include "stage/CPlimoStage.h"
#include "support/BotPlayer.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"

namespace {

class DailyMenuServerTest : public DailyMenuFixture {
 protected:
  void SetUp() override {
    DailyMenuFixture::SetUp();
    mServer = std::make_unique<CServerProgram>(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"),
                                               std::vector<std::string>{"--workers", "1", "--upload-rate", "0"});
    ASSERT_NE(mServer->fPort(), 0) << mServer->fOutput();
    mAddress = "127.0.0.1:" + std::to_string(mServer->fPort());
    fSetConfigServerAddress(mAddress);
  }
  void TearDown() override {
    mServer.reset();
    DailyMenuFixture::TearDown();
  }
  // The day as the server says it, asked directly.
  std::optional<SDailyInfo> fAskDay() const {
    return fParseDailyAnswer(CCurlWrapper::fPostBytes(fGetDailyUrl(mAddress, 0), "").body);
  }
  // Frames until the condition holds, at most `limit`.
  template <class TDone>
  bool fFramesUntil(TDone done, int limit) {
    for (int i = 0; i < limit && !done(); ++i) fFrame();
    return done();
  }

  std::unique_ptr<CServerProgram> mServer;
  std::string mAddress;
};

TEST_F(DailyMenuServerTest, ADailyGameIsPlayedOnTheDaysSeedSentWithTheNameEntryAndListed) {
  const auto day = fAskDay();
  if (!day) GTEST_SKIP() << "this server build does not answer GetDaily yet";

  // The screen: the server's day, its seeds, nobody on the lists yet.
  fOpenMenu();
  fChooseDaily();
  ASSERT_NE(fMenu().fDailyWindow(), nullptr) << fMenu().fLastMessage();
  const SDailyView& view = fMenu().fDailyWindow()->fView();
  EXPECT_EQ(view.info.date, day->date);
  EXPECT_EQ(view.info.seeds, day->seeds);
  EXPECT_LE(view.info.secondsLeft, day->secondsLeft);
  for (const auto& mode : view.modes) {
    EXPECT_TRUE(mode.list.ok);
    EXPECT_TRUE(mode.list.entries.empty());
  }

  // Plimo on the day's seed, played to its end by the test's bot.
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();
  fRelease(KEY_INPUT_Z);
  auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(stage, nullptr);
  ASSERT_EQ(stage->rules.fRandom().fGetSeed(), day->seeds[0]);
  // The stage's pictures are not laid out here: it is played, not drawn.
  const SBotGame game = fPlayBotStage(backend(), SBotStyle{});
  backend().fReleaseAllKeys();  // the bot's confirming Z
  ASSERT_NE(game.state, "Unfinished");
  for (int i = 0; i < kEndHoldFrames + 2 && fMenuOrNull() == nullptr; ++i) {
    fRunFrameLogic();
    gCurrentScene.fReleaseRetired();
  }
  ASSERT_NE(fMenuOrNull(), nullptr) << "a daily game leads back to the menu";
  EXPECT_EQ(gHighScores[0]->score, 0) << "no record of the mode";
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay"));

  // Back on the daily screen, the name entry asks for the name to send with.
  ASSERT_TRUE(fFramesUntil([&] { return fMenu().fNameEntryWindow() != nullptr; }, 10)) << fMenu().fLastMessage();
  EXPECT_NE(fMenu().fDailyWindow(), nullptr);
  backend().fTypeText("dayone");
  backend().fFinishTyping();
  fFrame();
  fFrame();
  ASSERT_TRUE(fMenu().fNameEntryWindow()->fIsAsking());
  fTap(KEY_INPUT_Z);
  ASSERT_TRUE(fFramesUntil([&] { return fMenu().fConnectTask().type == CTitleMenu::SConnectTask::EType::None &&
                                        fMenu().fNameEntryWindow() == nullptr; },
                           10));
  EXPECT_EQ(fMessage(), fFormatText(ETextId::DailyUploadSuccessFormat, 1)) << mServer->fOutput();
  EXPECT_EQ(gSettings.rankingName, "dayone");
  const auto kept = fKeptDailyGame(0, day->date);
  ASSERT_TRUE(kept.has_value());
  EXPECT_TRUE(kept->sent);
  EXPECT_EQ(kept->score, game.score);

  // The screen read again: the player's best of the day, first.
  fTap(KEY_INPUT_Z);
  ASSERT_TRUE(fFramesUntil([&] { return fMenu().fDailyWindow() != nullptr && fMenu().fMessageWindow() == nullptr; }, 10));
  const SRankingData* best = fMenu().fDailyWindow()->fOwnBest(0);
  ASSERT_NE(best, nullptr);
  EXPECT_EQ(best->score, game.score);
  EXPECT_EQ(best->maxRensa, game.maxRensa);
  EXPECT_EQ(best->rank, 1);
  EXPECT_TRUE(fMenu().fDailyWindow()->fView().modes[1].list.entries.empty()) << "another mode's day";
  // Sent already: nothing more to send.
  fTap(KEY_INPUT_C);
  EXPECT_EQ(fMessage(), fText(ETextId::DailyNothingToSend));
  fTap(KEY_INPUT_Z);

  // The entry's replay comes back as it was sent.
  const SDownloadResult download = fDownloadDaily(mAddress, 0, day->date, best->replayName);
  ASSERT_TRUE(download.success);
  EXPECT_EQ(fReadWholeFile(download.replay.path), fReadWholeFile(kept->path));

  // The same game again is refused, whatever the name; a game of another
  // seed too. Each says why.
  const std::string refused = fFormatText(ETextId::DailyUploadRefusedFormat, "");
  const SUploadResult again =
      fUploadDaily(mAddress, 0, "dayone", kept->score, kept->maxRensa, day->date, kept->path);
  EXPECT_FALSE(again.success);
  EXPECT_EQ(again.message.rfind(refused, 0), 0u) << again.message;
  fWriteWholeFile("other", replay_archives::fFixture("plimo_seed123.zip"));
  const SUploadResult other = fUploadDaily(mAddress, 0, "daytwo", 20600, 3, day->date, "other");
  EXPECT_FALSE(other.success);
  if (day->seeds[0] != 123) {
    EXPECT_EQ(other.message, fDailyRefusalText("wrong seed"));
  }
  const SUploadResult badDay = fUploadDaily(mAddress, 0, "daytwo", 20600, 3, "2000-01-01", "other");
  EXPECT_FALSE(badDay.success);
  EXPECT_EQ(badDay.message.rfind(refused, 0), 0u) << badDay.message;
}

TEST_F(DailyMenuServerTest, ALaterDaysListIsEmptyAndADayWithoutASeedFetchesNothing) {
  const auto day = fAskDay();
  if (!day) GTEST_SKIP() << "this server build does not answer GetDaily yet";
  const SDailyListResult future = fRequestDailyList(mAddress, 2, "2999-12-31");
  EXPECT_TRUE(future.ok);
  EXPECT_TRUE(future.entries.empty());
  EXPECT_FALSE(fDownloadDaily(mAddress, 2, day->date, "0000000000000000").success);
  EXPECT_TRUE(fListDirectory("dat/downloaded_replay_wanpaku").empty());
}

}  // namespace
