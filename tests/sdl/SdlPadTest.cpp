// The SDL backend with a real SDL: a game controller plugged in while the
// game runs is read as the pad word, and unplugging it clears the word.
// SDL's virtual joysticks stand in for hardware.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/SdlBackend.h"

namespace {

class SdlPadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // An offscreen window never has the focus, and SDL drops pad input of
    // unfocused programs unless told otherwise.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    mSdl = fMakeSdlBackend();
    mPrevious = fInstallBackend(mSdl.get());
    SetMainWindowText("PlimoBall pad test");
    SetGraphMode(640, 480, 32, 60);
    ChangeWindowMode(1);
    ASSERT_EQ(DxLib_Init(), 0);
  }
  void TearDown() override {
    DxLib_End();
    fInstallBackend(mPrevious);
    mSdl.reset();
  }

  std::unique_ptr<CGameLibBackend> mSdl;
  CGameLibBackend* mPrevious = nullptr;
};

TEST_F(SdlPadTest, AControllerPluggedInWhileRunningGivesThePadWord) {
  ProcessMessage();
  EXPECT_EQ(GetJoypadInputState(DX_INPUT_PAD1), 0);

  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
  desc.name = "PlimoBall test pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(index, 0) << SDL_GetError();
  ProcessMessage();  // the game sees the new device
  SDL_Joystick* pad = SDL_JoystickOpen(index);
  ASSERT_NE(pad, nullptr) << SDL_GetError();

  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 1);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
  ProcessMessage();
  EXPECT_EQ(GetJoypadInputState(DX_INPUT_PAD1), PAD_INPUT_2 | PAD_INPUT_LEFT);

  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_B, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0);
  SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
  ProcessMessage();
  EXPECT_EQ(GetJoypadInputState(DX_INPUT_PAD1), PAD_INPUT_1);

  SDL_JoystickClose(pad);
  SDL_JoystickDetachVirtual(index);
  ProcessMessage();  // unplugged
  EXPECT_EQ(GetJoypadInputState(DX_INPUT_PAD1), 0);
}

}  // namespace
