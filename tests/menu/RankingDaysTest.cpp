// The ranking window's daily lists: today (the server's day) and the seven
// days before, in turn, then the ranking again; a list that cannot be read
// leaves the one shown; a daily entry's replay is fetched from its day.
#include <gtest/gtest.h>

#include "app/GameMain.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CShowRankingWindow.h"
#include "online/DailyClient.h"
#include "online/FakeHttpServer.h"
#include "stage/CReplayTheatre.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"
#include "util/CFpsTimer.h"

namespace {

TEST(DayBeforeTest, MonthsYearsAndLeapDays) {
  EXPECT_EQ(fDayBefore("2026-12-08"), "2026-12-07");
  EXPECT_EQ(fDayBefore("2026-03-01"), "2026-02-28");
  EXPECT_EQ(fDayBefore("2024-03-01"), "2024-02-29");
  EXPECT_EQ(fDayBefore("2000-03-01"), "2000-02-29");
  EXPECT_EQ(fDayBefore("2100-03-01"), "2100-02-28");
  EXPECT_EQ(fDayBefore("2027-01-01"), "2026-12-31");
  EXPECT_EQ(fDayBefore("2026-05-01"), "2026-04-30");
  EXPECT_EQ(fDayBefore("2026-08-01"), "2026-07-31");
  EXPECT_EQ(fDayBefore("not a day"), "not a day");
}

class RankingDaysTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fMakeDataFolders();
    fWriteWholeFile("dat/image/ui_parts/cursor_right.png", fPngHeader(16, 16));
    fWriteWholeFile("dat/image/ui_parts/cursor_left.png", fPngHeader(16, 16));
    gImageManager = std::make_unique<CImageManager>();
    gSoundManager = std::make_unique<CSoundManager>(false);
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gCurrentScene = std::make_unique<CIdleScene>();
    mSavedServer = fCurrentConfig().serverAddress;
  }
  void TearDown() override {
    fSetConfigServerAddress(mSavedServer);
    window.reset();
    gCurrentScene.fClear();
    gSoundManager.reset();
    gFpsTimer.reset();
    GuiFixture::TearDown();
  }
  void fOpen() {
    SRankingData entry;
    entry.name = "alltime";
    entry.score = 5;
    entry.replayName = "k0";
    window = std::make_unique<CShowRankingWindow>(std::vector<SRankingData>{entry}, 1);
    window->onMessage = [this](const std::string& text) { messages.push_back(text); };
    window->onWatch = [this](std::optional<CShowRankingWindow::SPlace> place) { watched.push_back(place); };
    fFrame();
  }
  void fFrame() {
    gKeyManager->fUpdateKeyState();
    window->fInput();
    window->fAnimate();
    window->fDraw();
  }
  void fTap(int keyCode) {
    fHold(keyCode);
    fFrame();
    fRelease(keyCode);
    fFrame();
  }
  // Space, and the frames its request takes.
  void fNextList() {
    fTap(KEY_INPUT_SPACE);
    fFrame();
    fFrame();
  }

  std::unique_ptr<CShowRankingWindow> window;
  std::vector<std::string> messages;
  std::vector<std::optional<CShowRankingWindow::SPlace>> watched;
  std::string mSavedServer;
};

// One fake answers every request alike: its line is the day for GetDaily
// and one entry (named after the day) for every list.
TEST_F(RankingDaysTest, TodayAndTheSevenDaysBeforeInTurnThenTheRankingAgain) {
  CFakeHttpServer server(200, "2026-03-02?1?2?3?100\n");
  fSetConfigServerAddress(server.fAddress());
  fOpen();
  EXPECT_EQ(window->fDay(), "");
  const std::vector<std::string> days = {"2026-03-02", "2026-03-01", "2026-02-28", "2026-02-27",
                                         "2026-02-26", "2026-02-25", "2026-02-24", "2026-02-23"};
  for (const std::string& day : days) {
    fNextList();
    EXPECT_EQ(window->fDay(), day);
    ASSERT_EQ(window->fEntries().size(), 1u);
    EXPECT_EQ(window->fEntries()[0].rank, 1);
    EXPECT_EQ(window->fPage(), 0);
  }
  fNextList();
  EXPECT_EQ(window->fDay(), "");
  EXPECT_TRUE(messages.empty());
  const auto requests = server.fRequests();
  // The day once, eight daily lists of the window's mode, the ranking.
  ASSERT_EQ(requests.size(), 10u);
  EXPECT_NE(requests[0].requestLine.find("?GetDaily? "), std::string::npos);
  EXPECT_NE(requests[2].requestLine.find("ranking_yoiko.cgi?GetDailyList?2026-03-01 "), std::string::npos);
  EXPECT_NE(requests[9].requestLine.find("ranking_yoiko.cgi?GetRankingList? "), std::string::npos);
}

TEST_F(RankingDaysTest, AListThatCannotBeReadLeavesTheOneShownAndSaysWhy) {
  fSetConfigServerAddress(CFakeHttpServer::fDeadAddress());
  fOpen();
  fNextList();
  EXPECT_EQ(window->fDay(), "");
  ASSERT_EQ(window->fEntries().size(), 1u);
  EXPECT_EQ(window->fEntries()[0].name, "alltime");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], fText(ETextId::DailyNoServer));
  EXPECT_EQ(window->fConnectTask(), CShowRankingWindow::EConnectTask::None);
  EXPECT_EQ(window->fSubWindow(), nullptr);

  // Today read once; then the next day's list fails.
  CFakeHttpServer day(200, "2026-03-02?1?2?3?100\n");
  fSetConfigServerAddress(day.fAddress());
  fNextList();
  EXPECT_EQ(window->fDay(), "2026-03-02");
  CFakeHttpServer broken(500, "");
  fSetConfigServerAddress(broken.fAddress());
  fNextList();
  EXPECT_EQ(window->fDay(), "2026-03-02");
  ASSERT_EQ(window->fEntries().size(), 1u);
  EXPECT_EQ(window->fEntries()[0].name, "2026-03-02");
  EXPECT_EQ(messages.back(), fText(ETextId::DailyListFailed));
}

TEST_F(RankingDaysTest, ADailyEntrysReplayIsFetchedFromItsDayAndTheListComesBackAsItWas) {
  CFakeHttpServer lists(200, "2026-03-02?1?2?3?100\n");
  fSetConfigServerAddress(lists.fAddress());
  fOpen();
  fNextList();
  ASSERT_EQ(window->fDay(), "2026-03-02");
  const std::string archive = replay_archives::fFixture("yoiko_seed456.zip");
  CFakeHttpServer replays(200, archive);
  fSetConfigServerAddress(replays.fAddress());
  fTap(KEY_INPUT_Z);
  fFrame();
  fFrame();
  ASSERT_EQ(replays.fRequests().size(), 1u);
  EXPECT_NE(replays.fRequests()[0].requestLine.find("ranking_yoiko.cgi?DownloadDaily?2026-03-02?3 "),
            std::string::npos);
  EXPECT_EQ(fReadWholeFile("dat/downloaded_replay_yoiko/daily_2026-03-02_3"), archive);
  EXPECT_NE(dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet()), nullptr) << (messages.empty() ? "" : messages[0]);
  ASSERT_EQ(watched.size(), 1u);
  ASSERT_TRUE(watched[0].has_value());
  EXPECT_EQ(watched[0]->day, "2026-03-02");
  EXPECT_EQ(watched[0]->days.size(), 8u);

  // Back from the replay: the same day's list, without asking again.
  gCurrentScene.fClear();
  gKeyManager = std::make_unique<CKeyManager>();
  window = std::make_unique<CShowRankingWindow>(*watched[0]);
  EXPECT_EQ(window->fDay(), "2026-03-02");
  EXPECT_EQ(window->fEntries().size(), 1u);
  // Stored now: watched again from disk.
  EXPECT_TRUE(fStoredDownloadedDaily(1, "2026-03-02", "3").has_value());
}

}  // namespace
