#include "menu/CTitle.h"

#include <climits>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "input/CKeyManagerBase.h"
#include "menu/CTitleMenu.h"
#include "text/KeyHints.h"
#include "text/Texts.h"

namespace {
constexpr int kBlinkPeriod = 80;
}

void CTitle::fAnimate() {
  frameCount = frameCount >= INT_MAX - 1 ? 0 : frameCount + 1;
}

void CTitle::fUpdate() {
  if (fIsConfirmPush(*gKeyManager)) {
    gCurrentScene = std::make_unique<CTitleMenu>();
  } else if (gKeyManager->fIsPush(EGameKey::KeyEsc, true)) {
    gQuitRequested = true;
  }
}

void CTitle::fDraw() {
  DrawGraph(0, 0, gImageManager->fGetImage("title.png"), 0);
  if (frameCount % kBlinkPeriod < kBlinkPeriod / 2) {
    const std::string prompt = fFormatText(ETextId::PressKeyFormat, fKeyboardKeyName(EGameKey::KeyZ).c_str());
    DrawStringToHandle(210, 360, prompt.c_str(), GetColor(180, 180, 255), gFontTitle, 0, 0);
  }
}
