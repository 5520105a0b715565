// The headless backend's text measure against the real fonts: for each font
// the game makes (face, size, weight and type as it makes them), every line
// of both text tables, every printable ASCII character alone and together,
// and the head-up display's figures are drawn no wider than the measure
// says. A layout the headless screen walk passes then fits on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gamelib/GameLibBackend.h"
#include "gamelib/TextMeasure.h"
#include "gamelib/sdl/SdlBackend.h"
#include "text/Texts.h"

namespace {

struct SGameFont {
  const char* face;
  int size;
  int thick;
  int type;
};
// As the game makes them at start-up.
const SGameFont kGameFonts[] = {{"Arial Black", 12, 0, DX_FONTTYPE_NORMAL},
                                {"Arial Black", 36, 0, DX_FONTTYPE_ANTIALIASING},
                                {nullptr, 24, 0, DX_FONTTYPE_ANTIALIASING},
                                {nullptr, 28, 9, DX_FONTTYPE_ANTIALIASING_EDGE},
                                {nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING}};

std::vector<std::string> fSampleLines() {
  std::vector<std::string> lines;
  for (const ELanguage language : {ELanguage::Japanese, ELanguage::English}) {
    for (const STextEntry& entry : fTextTable(language)) {
      const std::string text = entry.text;
      std::size_t start = 0;
      for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
  }
  std::string ascii;
  for (char c = ' '; c <= '~'; ++c) {
    lines.emplace_back(1, c);
    ascii += c;
  }
  lines.push_back(ascii);
  for (const char* hud : {"LV:10", "SCORE:", "HIGH SCORE:", "MAX RENSA:", "MAX CHAIN:", "CREATED:", "(300/300)",
                          "99,999,999", "WWWWWWWW", "@@@@@@@@", "2026/12/07 17:12"}) {
    lines.emplace_back(hud);
  }
  return lines;
}

class TextMeasureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetMainWindowText("PlimoBall text measure test");
    SetGraphMode(640, 480, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
  }
  void TearDown() override {
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
  }

  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
};

TEST_F(TextMeasureTest, NoStringOfTheGameIsWiderThanTheHeadlessMeasure) {
  const auto lines = fSampleLines();
  int checked = 0;
  for (const SGameFont& game : kGameFonts) {
    const int font = CreateFontToHandle(game.face, game.size, game.thick, game.type);
    if (font < 0) GTEST_SKIP() << "no font for " << (game.face == nullptr ? "(default)" : game.face);
    const STextFace face{game.face != nullptr, game.size, game.thick, game.type};
    for (const std::string& line : lines) {
      const int real = GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), font);
      ASSERT_GE(real, 0) << line;
      EXPECT_LE(real, fConservativeTextWidth(line, face))
          << "\"" << line << "\" in " << (game.face == nullptr ? "the default face" : game.face) << " at "
          << game.size;
      ++checked;
    }
    DeleteFontToHandle(font);
  }
  EXPECT_GT(checked, 1000);
}

}  // namespace
