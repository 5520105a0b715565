// Base fixture for tests that use the game library: installs a fresh
// headless backend and runs the test inside its own empty working directory,
// so tests never see each other's files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/SceneFactory.h"
#include "gamelib/FileSystem.h"
#include "gamelib/headless/HeadlessBackend.h"

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mOwnedBackend = std::make_unique<CHeadlessBackend>();
    mBackend = mOwnedBackend.get();
    mPreviousBackend = fInstallBackend(mBackend);
    mOldDirectory = fCurrentDirectory();
    mDirectory = fMakeTemporaryDirectory("plimo-test-");
    fChangeDirectory(mDirectory);
    // Scenes that leave for the title menu get an idle stand-in; menu tests
    // put the real one back with fReplaceTitleMenuScene({}).
    mTitleMenu = fReplaceTitleMenuScene([] { return std::make_unique<CIdleScene>(); });
  }

  void TearDown() override {
    fReplaceTitleMenuScene(std::move(mTitleMenu));
    fChangeDirectory(mOldDirectory);
    fRemoveTree(mDirectory);
    fInstallBackend(mPreviousBackend);
    mOwnedBackend.reset();
  }

  // Creates the game's data folders under the test's working directory.
  static void fMakeDataFolders() {
    for (const char* mode : {"plimo", "yoiko", "wanpaku"}) {
      fCreateDirectories(std::string("dat/replay_") + mode);
      fCreateDirectories(std::string("dat/downloaded_replay_") + mode);
    }
  }

  CHeadlessBackend& backend() { return *mBackend; }

 private:
  CHeadlessBackend* mBackend = nullptr;
  std::unique_ptr<CHeadlessBackend> mOwnedBackend;
  CGameLibBackend* mPreviousBackend = nullptr;
  std::string mOldDirectory;
  std::string mDirectory;
  SceneMaker mTitleMenu;
};
