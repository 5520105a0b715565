// An option menu opened on a page and driven one frame at a time, as the
// frame loop drives it; closing it counts in `closed`.
#pragma once

#include <memory>

#include "gui/GuiFixture.h"
#include "menu/COptionMenu.h"

class OptionMenuFixture : public GuiFixture {
 protected:
  void fOpen(COptionMenu::EPage page) {
    menu = std::make_unique<COptionMenu>(page);
    menu->onClose = [this] { ++closed; };
    fFrame();  // every key is seen released once
  }
  void TearDown() override {
    menu.reset();
    GuiFixture::TearDown();
  }

  // One frame as the frame loop runs it.
  void fFrame() {
    gKeyManager->fUpdateKeyState();
    menu->fUpdate();
    menu->fAnimate();
    menu->fDraw();
  }
  void fTap(int keyCode) {
    fHold(keyCode);
    fFrame();
    fRelease(keyCode);
    fFrame();
  }

  std::unique_ptr<COptionMenu> menu;
  int closed = 0;
};
