// Dialogs on a real screen (the SDL backend, offscreen, with window pictures
// shaped as the game's: an opaque fill with see-through corners, and a
// frame): whatever lies behind a question or the name box never shows
// through it, and the question and the heading sit on the dialog's own fill,
// with no white bar behind them that would look like a chosen row.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/SdlBackend.h"
#include "gfx/CImageManager.h"
#include "gui/CTextLabel.h"
#include "menu/CNameEntryWindowEx.h"
#include "menu/CYesNoWindow.h"
#include "text/Texts.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// The frame picture's corners are rounded; inside this margin the window is
// all fill and frame.
constexpr int kCornerMargin = 14;

using CRgb = std::array<int, 3>;

struct SRect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class DialogPixelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    mFolder = std::filesystem::temp_directory_path() / ("plimo-dialogs-" + std::to_string(getpid()));
    std::filesystem::create_directories(mFolder);
    mOldDirectory = fCurrentDirectory();
    fChangeDirectory(mFolder.string());
    std::filesystem::create_directories(mFolder / "dat/image/ui_parts");
    // The fill: dark blue, its corners see-through; the frame: a light ring
    // 3 pixels in, see-through inside and out.
    fWritePicture("window1_bg.png", [](int x, int y) {
      const bool corner = (x < 4 || x > 59) && (y < 4 || y > 59);
      return std::array<std::uint8_t, 4>{0x1C, 0x26, 0x56, static_cast<std::uint8_t>(corner ? 0 : 255)};
    });
    fWritePicture("window1_waku.png", [](int x, int y) {
      const bool ring = (x >= 3 && x < 6) || (x > 57 && x <= 60) || (y >= 3 && y < 6) || (y > 57 && y <= 60);
      return std::array<std::uint8_t, 4>{0xF4, 0xEE, 0xD8, static_cast<std::uint8_t>(ring ? 255 : 0)};
    });
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetGraphMode(kScreenWidth, kScreenHeight, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
    gImageManager = std::make_unique<CImageManager>();
    // The menu's font, as the game makes it.
    mFont = CreateFontToHandle(nullptr, 24, 0, DX_FONTTYPE_ANTIALIASING, -1, -1, 0, -1);
    ASSERT_NE(mFont, -1);
  }
  void TearDown() override {
    if (!mSdl) return;
    gImageManager.reset();
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
    fChangeDirectory(mOldDirectory);
    std::filesystem::remove_all(mFolder);
  }

  // A 64 x 64 picture under dat/image/ui_parts/.
  void fWritePicture(const std::string& name, std::array<std::uint8_t, 4> (*texel)(int, int)) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 64, 64, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(surface, nullptr);
    for (int y = 0; y < 64; ++y) {
      auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
      for (int x = 0; x < 64; ++x) {
        const auto value = texel(x, y);
        std::copy(value.begin(), value.end(), row + x * 4);
      }
    }
    ASSERT_EQ(IMG_SavePNG(surface, (mFolder / "dat/image/ui_parts" / name).c_str()), 0);
    SDL_FreeSurface(surface);
  }

  // The screen after `draw` over a backdrop of one colour, top row first.
  std::vector<CRgb> fOver(unsigned int backdrop, const std::function<void()>& draw) {
    ClearDrawScreen();
    DrawBox(0, 0, kScreenWidth, kScreenHeight, backdrop, 1);
    draw();
    const std::string path = (mFolder / "screen.png").string();
    EXPECT_EQ(SaveDrawScreenToPNG(0, 0, kScreenWidth, kScreenHeight, path.c_str()), 0);
    std::vector<CRgb> pixels;
    SDL_Surface* loaded = IMG_Load(path.c_str());
    EXPECT_NE(loaded, nullptr);
    if (loaded == nullptr) return pixels;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    for (int y = 0; y < rgba->h; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch;
      for (int x = 0; x < rgba->w; ++x) pixels.push_back({row[x * 4], row[x * 4 + 1], row[x * 4 + 2]});
    }
    SDL_FreeSurface(rgba);
    return pixels;
  }
  static CRgb fAt(const std::vector<CRgb>& screen, int x, int y) {
    return screen[static_cast<std::size_t>(y * kScreenWidth + x)];
  }
  static bool fIsWhite(const CRgb& pixel) { return pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200; }

  // The window drawn over red and over green: no pixel inside it may differ
  // (but in `skip`, relative to the window: a text field's blinking caret).
  void fExpectOpaque(const CMainWindow& window, const std::function<void()>& draw, SRect skip = {}) {
    const auto red = fOver(GetColor(255, 0, 0), draw);
    const auto green = fOver(GetColor(0, 255, 0), draw);
    ASSERT_EQ(red.size(), green.size());
    ASSERT_FALSE(red.empty());
    const int left = static_cast<int>(window.fGetPosition().x) + kCornerMargin;
    const int top = static_cast<int>(window.fGetPosition().y) + kCornerMargin;
    const int right = static_cast<int>(window.fGetPosition().x + window.fGetWidth()) - kCornerMargin;
    const int bottom = static_cast<int>(window.fGetPosition().y + window.fGetHeight()) - kCornerMargin;
    const int ox = static_cast<int>(window.fGetPosition().x);
    const int oy = static_cast<int>(window.fGetPosition().y);
    int showing = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (x >= ox + skip.x1 && x < ox + skip.x2 && y >= oy + skip.y1 && y < oy + skip.y2) continue;
        showing += fAt(red, x, y) != fAt(green, x, y) ? 1 : 0;
      }
    }
    EXPECT_EQ(showing, 0) << "pixels of the backdrop show through the window";
  }

  // Along the line of text at `label`, from past its text to the window's
  // right edge: the dialog's fill, no white.
  void fExpectNoBarRightOf(const CMainWindow& window, const std::string& label, const std::function<void()>& draw) {
    const auto screen = fOver(GetColor(0, 0, 0), draw);
    ASSERT_FALSE(screen.empty());
    const CWidget& widget = *window.fGetWidget(label);
    const std::string text = static_cast<const CTextLabel&>(widget).fGetText();
    const int textWidth = GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), mFont, 0);
    const SPointD at = window.fGetPosition() + widget.fGetPosition();
    int white = 0, looked = 0;
    for (int y = static_cast<int>(at.y) + 2; y < static_cast<int>(at.y) + 20; ++y) {
      for (int x = static_cast<int>(at.x) + textWidth + 8;
           x < static_cast<int>(window.fGetPosition().x + window.fGetWidth()) - kCornerMargin; ++x) {
        white += fIsWhite(fAt(screen, x, y)) ? 1 : 0;
        ++looked;
      }
    }
    EXPECT_GT(looked, 0);
    EXPECT_EQ(white, 0) << "a white bar behind \"" << text << "\"";
  }

  std::filesystem::path mFolder;
  std::string mOldDirectory;
  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
  int mFont = -1;
};

TEST_F(DialogPixelsTest, AQuestionHidesWhatIsBehindAndHasNoBarBehindTheQuestion) {
  for (const ELanguage language : {ELanguage::Japanese, ELanguage::English}) {
    SCOPED_TRACE(static_cast<int>(language));
    fSetLanguage(language);
    CYesNoWindow question(mFont, SPointD(120, 200), fText(ETextId::OptionConfirmAllDefaults), true);
    const auto draw = [&] { question.fDraw(); };
    fExpectOpaque(question.fGetWindow(), draw);
    fExpectNoBarRightOf(question.fGetWindow(), "title", draw);
  }
  fSetLanguage(ELanguage::Japanese);
}

TEST_F(DialogPixelsTest, TheNameBoxHidesWhatIsBehindAndItsHeadingHasNoBar) {
  CNameEntryWindowEx entry(8, mFont, 0);
  const auto draw = [&] { entry.fDraw(); };
  // The text field: 10 in and 50 down, 28 high, as wide as the window.
  fExpectOpaque(entry.fGetWindow(), draw, SRect{0, 50, static_cast<int>(entry.fGetWindow().fGetWidth()), 78});
  fExpectNoBarRightOf(entry.fGetWindow(), "title", draw);
}

}  // namespace
