// The daily challenge from the title menu without the real server: no
// server at all, one that fails or answers nonsense, and the screen's own
// keys and clock.
#include "menu/DailyMenuFixture.h"
#include "online/FakeHttpServer.h"
#include "stage/CPlimoStage.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"

namespace {

class DailyMenuTest : public DailyMenuFixture {};

TEST_F(DailyMenuTest, WithoutAServerTheDailyItemSaysSoInOneLineAndNothingElseChanges) {
  CFakeHttpServer failing(503, "");
  CFakeHttpServer old(200, "");  // a ranking server from before the daily challenge
  for (const std::string& server : {std::string(), CFakeHttpServer::fDeadAddress(), failing.fAddress(), old.fAddress()}) {
    SCOPED_TRACE("server \"" + server + "\"");
    fSetConfigServerAddress(server);
    fOpenMenu();
    fChooseDaily();
    EXPECT_EQ(fMenu().fDailyWindow(), nullptr);
    const std::string message = fMessage();
    EXPECT_TRUE(message == fText(ETextId::DailyNoServer) || message == fText(ETextId::DailyBadAnswer)) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
    fTap(KEY_INPUT_Z);
    EXPECT_EQ(fMenu().fMessageWindow(), nullptr);
    ASSERT_EQ(fMenu().fPanes().size(), 1u);
    EXPECT_EQ(fFocused(), CTitleMenu::EButtonType::Daily);
    EXPECT_EQ(fListDirectory("dat/replay_plimo"), std::vector<std::string>{});
  }
  EXPECT_TRUE(failing.fRequests().size() == 1u && old.fRequests().size() == 1u);
}

// A fake that answers every request with one line: the day for GetDaily,
// and (read as a list) one entry under the name "2026-12-08".
TEST_F(DailyMenuTest, TheScreenShowsTheDayCountsDownAndPlaysTheChosenModesSeed) {
  CFakeHttpServer server(200, "2026-12-08?11?22?33?3\n");
  fSetConfigServerAddress(server.fAddress());
  gSettings.rankingName = "2026-12-08";
  fOpenMenu();
  fChooseDaily();
  ASSERT_NE(fMenu().fDailyWindow(), nullptr) << fMenu().fLastMessage();
  const CDailyWindow& window = *fMenu().fDailyWindow();
  EXPECT_EQ(window.fView().info.date, "2026-12-08");
  EXPECT_EQ(window.fSecondsLeft(), 3);
  for (int mode = 0; mode < kModeCount; ++mode) {
    ASSERT_TRUE(window.fView().modes[static_cast<std::size_t>(mode)].list.ok);
    ASSERT_NE(window.fOwnBest(mode), nullptr) << "the player's entry, by the name last sent";
    EXPECT_EQ(window.fOwnBest(mode)->score, 11);
  }
  // GetDaily, then the three modes' lists of that day.
  const auto requests = server.fRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[3].requestLine.find("ranking_wanpaku.cgi?GetDailyList?2026-12-08 "), std::string::npos);

  // C with nothing kept says so; the clock runs on frames.
  fTap(KEY_INPUT_C);
  EXPECT_EQ(fMessage(), fText(ETextId::DailyNothingToSend));
  fTap(KEY_INPUT_Z);
  ASSERT_NE(fMenu().fDailyWindow(), nullptr);
  const int before = fMenu().fDailyWindow()->fSecondsLeft();
  for (int i = 0; i < CDailyWindow::kFramesASecond; ++i) fFrame();
  EXPECT_EQ(fMenu().fDailyWindow()->fSecondsLeft(), before - 1);

  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_DOWN);  // no further than the last mode
  EXPECT_EQ(fMenu().fDailyWindow()->fFocusedMode(), 2);
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();  // the stage is not drawn: its pictures are not laid out here
  auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(stage, nullptr);
  EXPECT_EQ(stage->rules.mode, 2);
  EXPECT_EQ(stage->rules.fRandom().fGetSeed(), 33);
  EXPECT_EQ(stage->replayInfo.dailyDate, "2026-12-08");
  gCurrentScene.fClear();
}

TEST_F(DailyMenuTest, AtTheDaysEndTheNewDayIsAskedForAtOnce) {
  CFakeHttpServer server(200, "2026-12-08?11?22?33?1\n");
  fSetConfigServerAddress(server.fAddress());
  fOpenMenu();
  fChooseDaily();
  ASSERT_NE(fMenu().fDailyWindow(), nullptr);
  const std::size_t asked = server.fRequests().size();
  for (int i = 0; i < CDailyWindow::kFramesASecond + 4; ++i) fFrame();
  EXPECT_GT(server.fRequests().size(), asked) << "the day is read again";
  EXPECT_NE(fMenu().fDailyWindow(), nullptr);
}

TEST_F(DailyMenuTest, AListThatCannotBeReadLeavesTheOtherModesAndTheGame) {
  // The day reads, but as a list its line has the wrong number of fields.
  CFakeHttpServer server(200, "2026-12-08?11?22?33?4?5\n");
  fSetConfigServerAddress(server.fAddress());
  fOpenMenu();
  fChooseDaily();
  // Six fields are no day either: one line, no screen.
  EXPECT_EQ(fMenu().fDailyWindow(), nullptr);
  EXPECT_EQ(fMessage(), fText(ETextId::DailyBadAnswer));

  SDailyInfo day;
  day.date = "2026-12-08";
  day.secondsLeft = 100;
  const SDailyView view = fLoadDailyView(server.fAddress(), day);
  for (const auto& mode : view.modes) {
    EXPECT_FALSE(mode.list.ok);
    EXPECT_EQ(mode.list.message, fText(ETextId::DailyListFailed));
  }
}

TEST_F(DailyMenuTest, AKeptGameIsOfferedAndWhatTheServerAnswersIsShown) {
  fWriteWholeFile("dat/replay_yoiko/daily_2026-12-08", replay_archives::fFixture("yoiko_seed456.zip"));
  CFakeHttpServer server(200, "2026-12-08?11?22?33?500\n");
  fSetConfigServerAddress(server.fAddress());
  gSettings.rankingName = "neko";
  fOpenMenu();
  fChooseDaily();
  ASSERT_NE(fMenu().fDailyWindow(), nullptr);
  const auto& kept = fMenu().fDailyWindow()->fView().modes[1].kept;
  ASSERT_TRUE(kept.has_value());
  EXPECT_FALSE(kept->sent);
  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_C);
  ASSERT_NE(fMenu().fNameEntryWindow(), nullptr);
  backend().fFinishTyping();  // the name offered: the one last sent
  fFrame();
  fFrame();
  ASSERT_TRUE(fMenu().fNameEntryWindow()->fIsAsking());
  fTap(KEY_INPUT_Z);
  fFrame();
  fFrame();
  // The fake answers the day's line: neither a rank nor a refusal.
  EXPECT_EQ(fMessage(), fText(ETextId::RankingConnectionFailed));
  const auto requests = server.fRequests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests.back().requestLine.find("ranking_yoiko.cgi?UploadDaily?neko?"), std::string::npos);
  EXPECT_NE(requests.back().requestLine.find("?2026-12-08 "), std::string::npos);
  EXPECT_EQ(requests.back().body, replay_archives::fFixture("yoiko_seed456.zip"));
  // Nothing lost: the game is still there to send again.
  EXPECT_TRUE(fFileExists("dat/replay_yoiko/daily_2026-12-08"));
  fTap(KEY_INPUT_Z);
  fFrame();
  fFrame();
  ASSERT_NE(fMenu().fDailyWindow(), nullptr) << "the screen is read again";
  EXPECT_EQ(fMenu().fDailyWindow()->fFocusedMode(), 1);
}

}  // namespace
