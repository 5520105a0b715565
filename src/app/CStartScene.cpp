#include "app/CStartScene.h"

#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/GameLib.h"
#include "input/CKeyManagerBase.h"
#include "util/CFpsTimer.h"

namespace {
constexpr int kBlinkPeriod = 60;
}

void CStartScene::fUpdate() {
  if (gKeyManager->fIsTriggered(EGameKey::KeyEsc) != 0) gQuitRequested = true;
}

void CStartScene::fDraw() {
  DrawBox(0, 0, 640, 480, GetColor(16, 24, 48), 1);
  DrawStringToHandle(200, 180, "PlimoBall", GetColor(255, 255, 120), gFontLarge, 0, 0);
  if (mFrameCount % kBlinkPeriod < kBlinkPeriod / 2) {
    DrawStringToHandle(190, 300, "Escape: quit", GetColor(220, 220, 255), gFontMenu, 0, 0);
  }
  gFpsTimer->fDrawFps();
}

std::unique_ptr<CScene> fMakeTitleMenuScene() { return std::make_unique<CStartScene>(); }
