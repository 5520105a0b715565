// Every screen in both languages on the headless backend: each string drawn
// must come from the language's table (a line of a text, a format filled in,
// or an option label followed by its value), and English screens show no
// Japanese at all but the name of the language itself.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CShowRankingWindow.h"
#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"
#include "persist/Settings.h"
#include "stage/CPlimoStage.h"
#include "text/Texts.h"
#include "util/CFpsTimer.h"

namespace {

// printf conversions stand for any text; everything else is literal.
std::string fPatternOf(const std::string& line) {
  std::string pattern;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '%') {
      std::size_t j = i + 1;
      while (j < line.size() && std::string(" -+#0123456789.").find(line[j]) != std::string::npos) ++j;
      pattern += ".*";
      i = j;
    } else if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
      pattern += '\\';
      pattern += c;
    } else {
      pattern += c;
    }
  }
  return pattern;
}

std::vector<std::regex> fTablePatterns(ELanguage language) {
  std::vector<std::regex> patterns;
  for (const STextEntry& entry : fTextTable(language)) {
    const std::string text = entry.text;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      const std::string pattern = fPatternOf(line);
      // Labels are followed by their value (a key name, a number, a choice).
      const bool label = line.back() == ':' || line.back() == ' ';
      patterns.emplace_back(label ? pattern + ".*" : pattern);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return patterns;
}

// What the stage's head-up display draws: English pictures and numbers in
// every language.
const std::regex kHud("LV:\\d+|SCORE:|HIGH SCORE:|RENSA:|MAX RENSA:|CREATED:|\\(\\d+/\\d+\\)|[\\d,]+");

std::string fDrawnText(const std::string& call) {
  const std::size_t first = call.find('"');
  const std::size_t last = call.rfind('"');
  return first == std::string::npos || last <= first ? "" : call.substr(first + 1, last - first - 1);
}

class ScreenWalkTest : public GuiFixture, public ::testing::WithParamInterface<ELanguage> {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fReplaceTitleMenuScene({});
    fMakeDataFolders();
    for (const std::string suffix : {"", "_en"}) {
      for (const char* name : {"menu_bg", "title_play", "title_showreplay", "title_registranking",
                               "title_showranking", "title_option", "title_howtoplay", "title_quit", "title_plimomode",
                               "title_yoikomode", "title_wanpakumode", "cursor_right", "cursor_left"}) {
        fWriteWholeFile(std::string("dat/image/ui_parts/") + name + suffix + ".png", fPngHeader(200, 40));
        fWriteWholeFile(std::string("dat/image/ui_parts/") + name + "_f" + suffix + ".png", fPngHeader(200, 40));
      }
    }
    fWriteWholeFile("dat/image/title.png", fPngHeader(640, 480));
    // The help's row of balls with their symbols.
    for (const char* colour : {"red", "green", "blue", "yellow", "purple", "lightblue"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + colour + "_s.png", fPngHeader(44, 44));
    }
    gImageManager = std::make_unique<CImageManager>();
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    gFontTitle = CreateFontToHandle(nullptr, 28, 9, DX_FONTTYPE_ANTIALIASING_EDGE);
    gFontText = CreateFontToHandle(nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING);
    gHighScores.clear();
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(1234567, 4, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(500, 1, true));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(0, 0, false));
    gSettings = SSettings{};
    fSetLanguage(GetParam());
    backend().fSetLogging(true);
  }
  void TearDown() override {
    gCurrentScene.fClear();
    gFpsTimer.reset();
    gSoundManager.reset();
    fSetLanguage(ELanguage::Japanese);
    gSettings = SSettings{};
    GuiFixture::TearDown();
  }

  void fFrame() {
    fRunFrameLogic();
    gCurrentScene->fDraw();
    gCurrentScene.fReleaseRetired();
  }
  void fTap(int keyCode, int times = 1) {
    for (int i = 0; i < times; ++i) {
      fHold(keyCode);
      fFrame();
      fRelease(keyCode);
      fFrame();
    }
  }
  CTitleMenu& fMenu() { return *dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()); }

  void fWalkTitleMenu() {
    gCurrentScene = std::make_unique<CTitle>();
    fFrame();
    fTap(KEY_INPUT_Z);
    ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);
    fTap(KEY_INPUT_Z);         // play: the three mode descriptions
    fTap(KEY_INPUT_DOWN, 2);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);      // replays: the high-score summaries
    fTap(KEY_INPUT_Z);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);      // registration: name entry and its question
    fTap(KEY_INPUT_Z);
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fNameEntryWindow(), nullptr);
    backend().fTypeText("abc");
    backend().fFinishTyping();
    fFrame();
    fFrame();
    fTap(KEY_INPUT_X);         // "no": typing again
    backend().fCancelTyping();
    fFrame();
    // The X that answered "no" is seen released only now; the second closes.
    fTap(KEY_INPUT_X, 2);
    ASSERT_EQ(fMenu().fPanes().size(), 1u);
    fTap(KEY_INPUT_DOWN, 2);   // how to play: every page
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fHelpWindow(), nullptr);
    fTap(KEY_INPUT_RIGHT, CHelpWindow::fPageCount());
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_UP);        // options: the three pages
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fOptionMenu(), nullptr);
    fTap(KEY_INPUT_DOWN, 5);
    fTap(KEY_INPUT_Z);
    ASSERT_EQ(fMenu().fOptionMenu()->fPage(), COptionMenu::EPage::Keyboard);
    fTap(KEY_INPUT_Z);         // learning, then a refused key
    fTap(KEY_INPUT_C);
    fFrame();
    fTap(KEY_INPUT_UP);
    fTap(KEY_INPUT_Z);         // back to defaults
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    ASSERT_EQ(fMenu().fOptionMenu()->fPage(), COptionMenu::EPage::Pad);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);         // all defaults
    fTap(KEY_INPUT_X);
    ASSERT_EQ(fMenu().fOptionMenu(), nullptr);
    // The server's notices, as the menu shows them.
    for (const ETextId text : {ETextId::Connecting, ETextId::RankingConnectionFailed, ETextId::RankingNoData,
                               ETextId::NoReplay, ETextId::BadReplay}) {
      fMenu().fShowMessage(fText(text));
      fFrame();
      fTap(KEY_INPUT_Z);
    }
    fMenu().fShowMessage(fFormatText(ETextId::RankingUploadSuccessFormat, 3));
    fFrame();
  }

  void fWalkRanking() {
    std::vector<SRankingData> entries(12);
    for (int i = 0; i < 12; ++i) {
      entries[static_cast<std::size_t>(i)].name = "p" + std::to_string(i);
      entries[static_cast<std::size_t>(i)].score = 1000 - i;
      entries[static_cast<std::size_t>(i)].date = "2026-12-07 10:00:00";
    }
    CShowRankingWindow window(entries, 0);
    window.onClose = [] {};
    for (int sort = 0; sort < 3; ++sort) {
      window.fDraw();
      fHold(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
      fRelease(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
    }
  }

  void fWalkStage() {
    // The stage's pictures are not part of this walk.
    auto images = std::move(gImageManager);
    gCurrentScene = std::make_unique<CPlimoStage>(0, SReplayInfo::fNormal(0));
    auto& stage = *static_cast<CPlimoStage*>(gCurrentScene.fGet());
    for (int i = 0; i < 130; ++i) fFrame();
    fTap(KEY_INPUT_P);
    ASSERT_TRUE(stage.paused);
    fTap(KEY_INPUT_P);
    stage.rules.fEnterState(CPlimoStage::EState::GameOver, 0);
    stage.fDraw();
    gCurrentScene.fClear();
    gImageManager = std::move(images);
  }
};

TEST_P(ScreenWalkTest, EveryDrawnStringComesFromTheTable) {
  fWalkTitleMenu();
  fWalkRanking();
  fWalkStage();

  const auto patterns = fTablePatterns(GetParam());
  std::set<std::string> drawn;
  for (const std::string& call : backend().fLogOf({"DrawStringToHandle", "DrawString"})) {
    drawn.insert(fDrawnText(call));
  }
  EXPECT_GT(drawn.size(), 60u) << "the walk reached too few screens";
  for (const std::string& text : drawn) {
    if (text.empty() || text == "abc" || std::regex_match(text, kHud)) continue;
    const bool fromTable = std::any_of(patterns.begin(), patterns.end(),
                                       [&](const std::regex& pattern) { return std::regex_match(text, pattern); });
    EXPECT_TRUE(fromTable) << "not from the table: \"" << text << "\"";
    if (GetParam() == ELanguage::English) {
      std::string rest = text;
      for (std::size_t at; (at = rest.find("日本語")) != std::string::npos;) rest.erase(at, std::string("日本語").size());
      for (const unsigned char c : rest) EXPECT_LT(c, 0x80) << "Japanese on an English screen: \"" << text << "\"";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScreenWalkTest, ::testing::Values(ELanguage::Japanese, ELanguage::English),
                         [](const auto& info) { return info.param == ELanguage::English ? "English" : "Japanese"; });

}  // namespace
