// A headless game with what windows and dialogs need: the frame pictures
// under dat/image/ui_parts/, an image manager, a 16-pixel menu font, the
// default option record and the live key manager over the scripted keys.
#pragma once

#include <memory>
#include <string>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "support/HeadlessTest.h"
#include "support/PngHeader.h"

class GuiFixture : public HeadlessTest {
 protected:
  static constexpr int kFontSize = 16;
  static constexpr int kFrameSize = 60;  // both frame pictures, 20-pixel borders


  void SetUp() override {
    HeadlessTest::SetUp();
    fCreateDirectories("dat/image/ui_parts");
    fWriteWholeFile("dat/image/ui_parts/window1_bg.png", fPngHeader(kFrameSize, kFrameSize));
    fWriteWholeFile("dat/image/ui_parts/window1_waku.png", fPngHeader(kFrameSize, kFrameSize));
    fWriteWholeFile("dat/image/ui_parts/cursor_down.png", fPngHeader(16, 16));
    mSavedImages = std::move(gImageManager);
    mSavedKeys = std::move(gKeyManager);
    mSavedOption = gOptionInfo;
    mSavedFont = gFontMenu;
    gImageManager = std::make_unique<CImageManager>();
    gOptionInfo = std::make_shared<COptionInfo>();
    gKeyManager = std::make_unique<CKeyManager>();
    gFontMenu = CreateFontToHandle(nullptr, kFontSize, 0);
    font = gFontMenu;
  }

  void TearDown() override {
    gImageManager = std::move(mSavedImages);
    gKeyManager = std::move(mSavedKeys);
    gOptionInfo = mSavedOption;
    gFontMenu = mSavedFont;
    HeadlessTest::TearDown();
  }

  int fImage(const std::string& name) const { return gImageManager->fGetImage(name); }
  static unsigned int fWhite() { return GetColor(255, 255, 255); }
  static unsigned int fBlack() { return GetColor(0, 0, 0); }

  // Holds a keyboard key for the next snapshot.
  void fHold(int keyCode) { backend().fSetKey(keyCode, true); }
  void fRelease(int keyCode) { backend().fSetKey(keyCode, false); }

  int font = -1;

 private:
  std::unique_ptr<CImageManager> mSavedImages;
  std::unique_ptr<CKeyManagerBase> mSavedKeys;
  std::shared_ptr<COptionInfo> mSavedOption;
  int mSavedFont = -1;
};
