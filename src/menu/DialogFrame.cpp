#include "menu/DialogFrame.h"

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"

namespace {
constexpr int kBorder = 20;
// Opaque: nothing of the menu behind a dialog shows through it.
constexpr int kBgAlpha = 255;
constexpr int kFrameAlpha = 255;
}  // namespace

void fAddDialogBackgrounds(CSetupWindowInfo& info, int width, int height) {
  // Frames need the image manager; a dialog without one (a stage's question
  // in a test) is drawn without them.
  if (!gImageManager) return;
  info.fAddBackground(gImageManager->fGetImage(kDialogBgImage), kBorder, kBorder, kBorder, kBorder, kBgAlpha, true,
                      width, height);
  info.fAddBackground(gImageManager->fGetImage(kDialogFrameImage), kBorder, kBorder, kBorder, kBorder, kFrameAlpha,
                      true, width, height);
}

std::vector<CWindowBgInfo> fDialogLayers(int width, int height) {
  CSetupWindowInfo info;
  fAddDialogBackgrounds(info, width, height);
  return info.backgrounds;
}

std::shared_ptr<CFocusBgInfo> fMakeSolidFocusBg(int width) {
  const unsigned int white = GetColor(255, 255, 255);
  auto highlight = std::make_shared<CFocusBgInfo>(true, false, white, white, 255, 255, 4);
  highlight->fSetWidthRef(std::make_shared<int>(width));
  return highlight;
}

std::shared_ptr<CFocusBgInfo> fMakeWhiteFocusBg() {
  const unsigned int white = GetColor(255, 255, 255);
  return std::make_shared<CFocusBgInfo>(true, true, white, white, 255, 255, 2);
}
