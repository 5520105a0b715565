// The SDL backend's window while the game runs: losing and regaining the
// keyboard focus, the window size as a multiple of the screen, and the
// switch to full screen and back.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/SdlBackend.h"

namespace {

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetMainWindowText("PlimoBall window test");
    SetGraphMode(640, 480, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
    mWindow = SDL_GL_GetCurrentWindow();
    ASSERT_NE(mWindow, nullptr);
  }
  void TearDown() override {
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
  }
  void fSendWindowEvent(Uint8 kind) {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.windowID = SDL_GetWindowID(mWindow);
    SDL_PushEvent(&event);
    ProcessMessage();
  }

  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
  SDL_Window* mWindow = nullptr;
};

TEST_F(SdlWindowTest, TheFocusFollowsTheWindowEvents) {
  ProcessMessage();
  EXPECT_EQ(GetWindowActiveFlag(), 1) << "active until told otherwise";
  fSendWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  EXPECT_EQ(GetWindowActiveFlag(), 0);
  fSendWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  EXPECT_EQ(GetWindowActiveFlag(), 1);
}

TEST_F(SdlWindowTest, TheSizeAndTheModeChangeAtOnce) {
  EXPECT_EQ(SetWindowSizeExtendRate(2.0), 0);
  int width = 0, height = 0;
  SDL_GetWindowSize(mWindow, &width, &height);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 960);

  ChangeWindowMode(0);
  EXPECT_NE(SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
  ChangeWindowMode(1);
  EXPECT_EQ(SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
  SDL_GetWindowSize(mWindow, &width, &height);
  EXPECT_EQ(width, 1280) << "back in a window, at the chosen size";
  EXPECT_EQ(SetWindowSizeExtendRate(0.0), -1);
}

}  // namespace
