// A headless game's services for tests that play whole games: the data
// folders, empty high scores, a frame timer, silent sound and the live key
// manager over the scripted keys. Everything is released afterwards.
#pragma once

#include <memory>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "support/HeadlessTest.h"
#include "util/CFpsTimer.h"

class GameTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
    gHighScores.clear();
    for (int i = 0; i < kHighScoreEntryCount; ++i) gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    gKeyManager = std::make_unique<CKeyManager>();
  }
  void TearDown() override {
    fReleaseGlobals();
    HeadlessTest::TearDown();
  }
};
