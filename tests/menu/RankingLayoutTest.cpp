// The ranking window as the player sees it, in both languages at every
// window size: an opaque window inside the screen that covers the title
// menu's buttons, the mode as its title, the sort, the page, the column
// headings, whole dates, the player's own entries marked, the key line, and
// every string inside the window and clear of the others even with the
// widest names and scores.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/GameMain.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CShowRankingWindow.h"
#include "menu/CTitleMenu.h"
#include "persist/Settings.h"
#include "support/TextFit.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/CFpsTimer.h"

namespace {

class RankingLayoutTest : public GuiFixture, public ::testing::WithParamInterface<ELanguage> {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fReplaceTitleMenuScene({});
    fMakeDataFolders();
    for (const std::string suffix : {"", "_en"}) {
      for (const char* name : {"title_play", "title_showreplay", "title_registranking", "title_showranking", "title_daily",
                               "title_option", "title_howtoplay", "title_quit", "title_plimomode", "title_yoikomode",
                               "title_wanpakumode"}) {
        for (const char* focus : {"", "_f"}) {
          fWriteWholeFile(std::string("dat/image/ui_parts/") + name + focus + suffix + ".png", fPngHeader(260, 44));
        }
      }
    }
    fWriteWholeFile("dat/image/ui_parts/menu_bg.png", fPngHeader(128, 128));
    fWriteWholeFile("dat/image/ui_parts/cursor_right.png", fPngHeader(16, 16));
    fWriteWholeFile("dat/image/ui_parts/cursor_left.png", fPngHeader(16, 16));
    gImageManager = std::make_unique<CImageManager>();
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    mSavedFonts = {gFontMenu, gFontText};
    gFontMenu = CreateFontToHandle(nullptr, 24, 0, DX_FONTTYPE_ANTIALIASING);
    gFontText = CreateFontToHandle(nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING);
    gHighScores.clear();
    for (int i = 0; i < 3; ++i) gHighScores.push_back(std::make_shared<CHighScoreInfo>(100, 1, false));
    gSettings = SSettings{};
    gSettings.rankingName = "neko";
    fSetLanguage(GetParam());
  }
  void TearDown() override {
    gCurrentScene.fClear();
    gFpsTimer.reset();
    gSoundManager.reset();
    gFontMenu = mSavedFonts.first;
    gFontText = mSavedFonts.second;
    fSetLanguage(ELanguage::Japanese);
    gSettings = SSettings{};
    GuiFixture::TearDown();
  }

  // The widest a row can be: eight wide letters, an eight-digit score,
  // a two-digit chain; the player's own entry on the first page.
  static std::vector<SRankingData> fWidestEntries() {
    std::vector<SRankingData> entries;
    for (int i = 0; i < 25; ++i) {
      SRankingData entry;
      entry.name = i == 3 ? "neko" : i % 2 == 0 ? "WWWWWWWW" : "@@@@@@@@";
      entry.score = 99999999 - i;
      entry.maxRensa = 99;
      entry.replayName = "key" + std::to_string(i);
      entry.date = "2026/12/07 17:12:45";
      entries.push_back(entry);
    }
    return entries;
  }

  std::vector<SDrawnItem> fDrawnTexts() const {
    std::vector<SDrawnItem> texts;
    for (const auto& item : backend().fDrawn()) {
      if (item.kind == SDrawnItem::EKind::Text) texts.push_back(item);
    }
    return texts;
  }
  const CHeadlessBackend& backend() const { return const_cast<RankingLayoutTest*>(this)->GuiFixture::backend(); }
  using GuiFixture::backend;

  std::pair<int, int> mSavedFonts;
};

TEST_P(RankingLayoutTest, TheListFitsCoversTheMenuAndSaysWhatItShows) {
  for (int scale = 0; scale < static_cast<int>(kWindowScales.size()); ++scale) {
    SCOPED_TRACE("window size x" + std::to_string(kWindowScales[static_cast<std::size_t>(scale)]));
    gSettings.windowScale = scale;
    SetWindowSizeExtendRate(kWindowScales[static_cast<std::size_t>(scale)]);

    // The title menu with its ranking pane open, as it stands under the list.
    gCurrentScene = std::make_unique<CTitleMenu>();
    for (const int key : {KEY_INPUT_DOWN, KEY_INPUT_DOWN, KEY_INPUT_DOWN, KEY_INPUT_Z}) {
      fHold(key);
      fRunFrameLogic();
      fRelease(key);
      fRunFrameLogic();
    }
    ASSERT_EQ(static_cast<CTitleMenu*>(gCurrentScene.fGet())->fPanes().size(), 2u);
    backend().fSetLogging(true);
    backend().fClearLog();
    gCurrentScene->fDraw();
    std::vector<SDrawnItem> buttons;
    for (const auto& item : backend().fDrawn()) {
      if (item.kind == SDrawnItem::EKind::Picture && item.x2 - item.x1 == 260) buttons.push_back(item);
    }
    ASSERT_GE(buttons.size(), 8u) << "both panes' buttons";

    CShowRankingWindow window(fWidestEntries(), 0);
    window.onClose = [] {};
    for (int sort = 0; sort < 3; ++sort) {
      for (int page = 0; page < 3; ++page) {
        backend().fClearLog();
        window.fDraw();
        const auto& drawn = backend().fDrawn();
        // The window's own background, drawn opaque, over every button.
        const auto layer = std::find_if(drawn.begin(), drawn.end(),
                                        [&](const SDrawnItem& item) { return backend().fIsMadeGraph(item.graph); });
        ASSERT_NE(layer, drawn.end());
        EXPECT_TRUE(layer->blendMode == DX_BLENDMODE_NOBLEND || layer->blendParam >= 255) << "see-through";
        EXPECT_TRUE(fRectInside(*layer, 0, 0, 640, 480)) << fDescribeDrawn(*layer);
        for (const auto& button : buttons) EXPECT_TRUE(fRectInside(button, *layer)) << fDescribeDrawn(button);

        const auto faults = fTextFitFaults(drawn, [this](const SDrawnItem& item) {
          return backend().fIsMadeGraph(item.graph) ||
                 (item.kind == SDrawnItem::EKind::Box && item.x2 - item.x1 >= 10 && item.y2 - item.y1 >= 10);
        });
        for (const auto& fault : faults) ADD_FAILURE() << fault;

        std::vector<std::string> texts;
        for (const auto& item : fDrawnTexts()) texts.push_back(item.text);
        auto shown = [&](const std::string& text) { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
        EXPECT_TRUE(shown(fFormatText(ETextId::RankingTitleFormat, fText(ETextId::RankingModePlimo))));
        for (const ETextId heading : {ETextId::RankingColumnRank, ETextId::RankingColumnName,
                                      ETextId::RankingColumnScore, ETextId::RankingColumnChain,
                                      ETextId::RankingColumnDate}) {
          EXPECT_TRUE(shown(fText(heading))) << fText(heading);
        }
        EXPECT_TRUE(shown(fFormatText(ETextId::RankingPageFormat, window.fPage() + 1, 3)));
        EXPECT_TRUE(shown("2026/12/07 17:12")) << "the date whole, to the minute";
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [](const std::string& text) { return text.rfind("99,999,9", 0) == 0; }))
            << "scores with their separators";
        EXPECT_TRUE(shown(fFormatText(ETextId::RankingHintFormat, "Z", "C")));
        const ETextId sortText = sort == 0 ? ETextId::SortByScoreFormat
                                 : sort == 1 ? ETextId::SortByChainFormat
                                             : ETextId::SortByDateFormat;
        EXPECT_TRUE(shown(fFormatText(sortText, fKeyAndButtonName(EGameKey::KeyC).c_str()))) << sort;
        // The mark stands on the player's own row, and on no other.
        const auto all = fDrawnTexts();
        const auto own = std::find_if(all.begin(), all.end(), [](const SDrawnItem& item) { return item.text == "neko"; });
        const long marks = std::count_if(all.begin(), all.end(), [](const SDrawnItem& item) { return item.text == "*"; });
        if (own != all.end()) {
          EXPECT_EQ(marks, 1);
          const auto mark = std::find_if(all.begin(), all.end(), [](const SDrawnItem& item) { return item.text == "*"; });
          ASSERT_NE(mark, all.end());
          EXPECT_EQ(mark->y1, own->y1);
          EXPECT_LT(mark->x2, own->x1 + 1);
        } else {
          EXPECT_EQ(marks, 0);
        }
        fHold(KEY_INPUT_RIGHT);
        gKeyManager->fUpdateKeyState();
        window.fInput();
        fRelease(KEY_INPUT_RIGHT);
        gKeyManager->fUpdateKeyState();
        window.fInput();
      }
      fHold(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
      fRelease(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
    }
    backend().fSetLogging(false);
    gCurrentScene.fClear();
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, RankingLayoutTest, ::testing::Values(ELanguage::Japanese, ELanguage::English),
                         [](const auto& info) { return info.param == ELanguage::English ? "English" : "Japanese"; });

}  // namespace
