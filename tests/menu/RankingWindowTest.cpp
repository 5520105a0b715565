// The ranking window: ranks, pages and their arrows, sorting, and playing an
// entry's replay from disk or after a download.
#include <gtest/gtest.h>

#include <climits>

#include "app/GameMain.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CShowRankingWindow.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "util/CFpsTimer.h"
#include "input/CKeyManager.h"
#include "support/ReplayArchives.h"

namespace {

class RankingWindowTest : public GuiFixture {
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
  }
  void TearDown() override {
    window.reset();
    gCurrentScene.fClear();
    gSoundManager.reset();
    gFpsTimer.reset();
    GuiFixture::TearDown();
  }

  static std::vector<SRankingData> fEntries(const std::vector<int>& scores) {
    std::vector<SRankingData> entries;
    for (std::size_t i = 0; i < scores.size(); ++i) {
      SRankingData entry;
      entry.name = "p" + std::to_string(i);
      entry.score = scores[i];
      entry.maxRensa = static_cast<int>(i % 5);
      entry.replayName = "key" + std::to_string(i);
      entry.date = "2026/12/" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + " 10:20:30";
      entries.push_back(entry);
    }
    return entries;
  }

  void fOpen(std::vector<SRankingData> entries, int mode = 0) {
    window = std::make_unique<CShowRankingWindow>(std::move(entries), mode);
    window->onClose = [this] { ++closed; };
    window->onMessage = [this](const std::string& text) { messages.push_back(text); };
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
  int fRows() const { return static_cast<int>(window->fWindow().fGetOrder().size()); }
  // Which arrows the next drawn frame shows (frames 0-29 of every 60).
  std::pair<bool, bool> fArrows() {
    backend().fClearLog();
    backend().fSetLogging(true);
    window->fDrawPageArrows();
    backend().fSetLogging(false);
    bool left = false, right = false;
    for (const auto& call : backend().fLogOf({"DrawGraph"})) {
      left = left || call.find(", " + std::to_string(fImage("ui_parts/cursor_left.png")) + ", ") != std::string::npos;
      right = right || call.find(", " + std::to_string(fImage("ui_parts/cursor_right.png")) + ", ") != std::string::npos;
    }
    return {left, right};
  }

  std::unique_ptr<CShowRankingWindow> window;
  int closed = 0;
  std::vector<std::string> messages;
};

TEST_F(RankingWindowTest, EqualScoresShareARankAndTheNextSkips) {
  auto entries = fEntries({800, 900, 700, 800});
  fOpen(entries);
  std::vector<int> ranks, scores;
  for (const auto& entry : window->fEntries()) {
    ranks.push_back(entry.rank);
    scores.push_back(entry.score);
  }
  EXPECT_EQ(scores, (std::vector<int>{900, 800, 800, 700}));
  EXPECT_EQ(ranks, (std::vector<int>{1, 2, 2, 4}));
}

// The largest score a server can send still heads the list as rank 1.
TEST_F(RankingWindowTest, TheLargestScoresAreRankOneAndShareIt) {
  std::vector<SRankingData> entries(3);
  entries[0].score = INT_MAX;
  entries[1].score = INT_MAX;
  entries[2].score = -5;
  fAssignRanks(entries);
  EXPECT_EQ(entries[0].rank, 1);
  EXPECT_EQ(entries[1].rank, 1);
  EXPECT_EQ(entries[2].rank, 3);
}

TEST_F(RankingWindowTest, TwentyFiveEntriesMakeThreePagesWithArrowsWhereThereIsMore) {
  std::vector<int> scores;
  for (int i = 0; i < 25; ++i) scores.push_back(10000 - i * 10);
  fOpen(fEntries(scores));
  EXPECT_EQ(window->fLastPage(), 2);
  EXPECT_EQ(fRows(), 10);
  EXPECT_EQ(fArrows(), std::make_pair(false, true));
  fTap(KEY_INPUT_L);
  EXPECT_EQ(window->fPage(), 1);
  EXPECT_EQ(fArrows(), std::make_pair(true, true));
  fTap(KEY_INPUT_L);
  EXPECT_EQ(fRows(), 5);
  fTap(KEY_INPUT_L);  // no page after the last
  EXPECT_EQ(window->fPage(), 2);
  for (int i = 0; i < 60 && window->fPage() == 2; ++i) {
    auto arrows = fArrows();
    EXPECT_FALSE(arrows.second);
    fFrame();
  }
}

TEST_F(RankingWindowTest, RowsShowTheDateWithoutSeconds) {
  auto entries = fEntries({1200});
  entries[0].date = "2026/12/07 08:15:42";
  EXPECT_EQ(fRankingRow(entries[0]).substr(fRankingRow(entries[0]).size() - 17), " 2026/12/07 08:15");
  entries[0].date = "ab";
  entries[0].rank = 3;
  entries[0].name = "neko";
  EXPECT_EQ(fRankingRow(entries[0]), "  3位     neko    1200点(0連鎖) ");
}

TEST_F(RankingWindowTest, ResortingGoesBackToPageZeroAndKeepsRanks) {
  std::vector<int> scores;
  for (int i = 0; i < 15; ++i) scores.push_back(500 - i);
  fOpen(fEntries(scores));
  fTap(KEY_INPUT_L);
  fTap(KEY_INPUT_C);
  EXPECT_EQ(window->fSortBy(), CShowRankingWindow::ESortBy::MaxChain);
  EXPECT_EQ(window->fPage(), 0);
  for (std::size_t i = 1; i < window->fEntries().size(); ++i) {
    EXPECT_GE(window->fEntries()[i - 1].maxRensa, window->fEntries()[i].maxRensa);
  }
  for (const auto& entry : window->fEntries()) EXPECT_EQ(entry.rank, 500 - entry.score + 1);
  fTap(KEY_INPUT_C);
  EXPECT_EQ(window->fEntries().front().date, "2026/12/15 10:20:30");  // latest first
  fTap(KEY_INPUT_C);
  EXPECT_EQ(window->fSortBy(), CShowRankingWindow::ESortBy::Score);
  fTap(KEY_INPUT_X);
  EXPECT_EQ(closed, 1);
}

TEST_F(RankingWindowTest, ZPlaysTheFocusedEntrysStoredReplayWithoutARequest) {
  std::vector<int> scores;
  for (int i = 0; i < 20; ++i) scores.push_back(1000 - i);
  fOpen(fEntries(scores));
  fTap(KEY_INPUT_L);
  fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_K);  // third row of page 1: the 13th entry
  EXPECT_EQ(window->fFocusedEntry().name, "p12");
  fWriteWholeFile("dat/downloaded_replay_plimo/key12",
                  fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  fHold(KEY_INPUT_Z);
  fFrame();
  auto* theatre = dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet());
  ASSERT_NE(theatre, nullptr);
  CPlimoStage* stage = &theatre->fStage();
  EXPECT_EQ(stage->replayInfo.mode, SReplayInfo::EMode::Replay);
  EXPECT_EQ(stage->replayInfo.path, "dat/downloaded_replay_plimo/key12");
  EXPECT_EQ(stage->replayInfo.player, "p12") << "the banner names whose game it is";
  EXPECT_EQ(stage->replayInfo.date, "2026/12/13 10:20:30");
  stage->fReleaseModels();
  gKeyManager = std::make_unique<CKeyManager>();
}

// A races the focused entry's replay: a normal game on its seed with the
// ghost beside it; a bad stored download is refused as Z refuses it.
TEST_F(RankingWindowTest, ARacesTheFocusedEntrysReplayAsAGhost) {
  fOpen(fEntries({900, 800}));
  fTap(KEY_INPUT_K);
  fWriteWholeFile("dat/downloaded_replay_plimo/key1",
                  fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  fHold(KEY_INPUT_A);
  fFrame();
  auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(stage, nullptr);
  ASSERT_NE(stage->race, nullptr);
  EXPECT_EQ(stage->replayInfo.mode, SReplayInfo::EMode::Normal) << "the player's game is recorded";
  EXPECT_EQ(stage->rules.fRandom().fGetSeed(), 123);
  stage->fReleaseModels();
  gCurrentScene = std::make_unique<CIdleScene>();
  fRelease(KEY_INPUT_A);
  fFrame();

  messages.clear();
  fWriteWholeFile("dat/downloaded_replay_plimo/key1", replay_archives::fBadArchives("plimo").front().second);
  fTap(KEY_INPUT_A);
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr) << "no stage";
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_FALSE(fFileExists("dat/downloaded_replay_plimo/key1"));
}

TEST_F(RankingWindowTest, AFailedDownloadIsReportedAndNothingIsStored) {
  fOpen(fEntries({700}));
  fHold(KEY_INPUT_Z);
  fFrame();
  EXPECT_EQ(window->fConnectTask(), CShowRankingWindow::EConnectTask::DownloadReplay);
  ASSERT_NE(window->fSubWindow(), nullptr);
  fRelease(KEY_INPUT_Z);
  fFrame();  // the download
  EXPECT_EQ(window->fConnectTask(), CShowRankingWindow::EConnectTask::None);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ランキングサーバとの接続に失敗しました");
  EXPECT_TRUE(fListDirectory("dat/downloaded_replay_plimo").empty());
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr);
}

// A stored download that cannot be played is deleted (the server still has
// it), reported, and the list goes on with the live keys.
TEST_F(RankingWindowTest, ABadStoredDownloadIsDeletedReportedAndTheListGoesOn) {
  fOpen(fEntries({900, 800}));
  for (const auto& [fault, bytes] : replay_archives::fBadArchives("plimo")) {
    SCOPED_TRACE(fault);
    messages.clear();
    fWriteWholeFile("dat/downloaded_replay_plimo/key0", bytes);
    const int models = backend().fLiveModelCount();
    fTap(KEY_INPUT_Z);
    EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr) << "no stage";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "リプレイファイルを読み込めませんでした");
    EXPECT_FALSE(fFileExists("dat/downloaded_replay_plimo/key0"));
    EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
    EXPECT_EQ(backend().fLiveModelCount(), models);
    EXPECT_EQ(window->fConnectTask(), CShowRankingWindow::EConnectTask::None);
    fTap(KEY_INPUT_K);
    EXPECT_EQ(window->fFocusedEntry().name, "p1") << "the list answers keys";
    fTap(KEY_INPUT_I);
  }
}

}  // namespace
