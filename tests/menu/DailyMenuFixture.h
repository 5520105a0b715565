// The title menu with every picture it shows, a game's services and the
// ranking server of the test's choosing: for the daily challenge's menu
// tests, with a fake server and with the real one.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/GameMain.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CTitleMenu.h"
#include "persist/Settings.h"
#include "stage/DailyGame.h"
#include "util/CFpsTimer.h"

class DailyMenuFixture : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fReplaceTitleMenuScene({});  // the real menu, when a game leaves for it
    fMakeDataFolders();
    fRegisterHighScoreInfo();
    for (const char* name : {"menu_bg", "title_play", "title_showreplay", "title_registranking", "title_showranking",
                             "title_daily", "title_option", "title_howtoplay", "title_quit", "title_plimomode",
                             "title_yoikomode", "title_wanpakumode", "title_showreplay_ng", "title_registranking_ng",
                             "title_showreplay_f_ng", "title_registranking_f_ng"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/") + name + ".png", fPngHeader(200, 40));
      fWriteWholeFile(std::string("dat/image/ui_parts/") + name + "_f.png", fPngHeader(200, 40));
    }
    gImageManager = std::make_unique<CImageManager>();
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    gHighScores.clear();
    for (int i = 0; i < kHighScoreEntryCount; ++i) gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    gSettings = SSettings{};
    mSavedServer = fCurrentConfig().serverAddress;
    fReturnToDailyAfterGame(std::nullopt);
  }
  void TearDown() override {
    fSetConfigServerAddress(mSavedServer);
    fReturnToDailyAfterGame(std::nullopt);
    gCurrentScene.fClear();
    gFpsTimer.reset();
    gSoundManager.reset();
    gSettings = SSettings{};
    GuiFixture::TearDown();
  }

  CTitleMenu& fOpenMenu() {
    gCurrentScene = std::make_unique<CTitleMenu>();
    fFrame();  // every key is seen released once
    return fMenu();
  }
  CTitleMenu* fMenuOrNull() { return dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()); }
  CTitleMenu& fMenu() {
    CTitleMenu* menu = fMenuOrNull();
    if (menu == nullptr) throw std::runtime_error("the scene is no title menu");
    return *menu;
  }
  void fFrame() {
    fRunFrameLogic();
    gCurrentScene->fDraw();
    gCurrentScene.fReleaseRetired();
  }
  void fTap(int keyCode) {
    fHold(keyCode);
    fFrame();
    fRelease(keyCode);
    fFrame();
  }
  CTitleMenu::EButtonType fFocused() {
    const auto& pane = fMenu().fPanes().back();
    return pane.buttons[static_cast<std::size_t>(pane.cursor)].type;
  }
  // From the title menu's top pane: the daily item chosen, and the frames
  // the request takes.
  void fChooseDaily() {
    while (fFocused() != CTitleMenu::EButtonType::Daily) fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    fFrame();
    fFrame();
  }
  // The message on screen, if any.
  std::string fMessage() { return fMenu().fMessageWindow() == nullptr ? std::string() : fMenu().fLastMessage(); }

  std::string mSavedServer;
};
