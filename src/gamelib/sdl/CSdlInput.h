// Keyboard, the first pad and the mouse, read from SDL's state as of the
// last event pump. Pads may come and go while the game runs; pad 1 is the
// earliest connected one still present.
#pragma once

#include <SDL.h>

#include <array>
#include <vector>

#include "gamelib/sdl/Letterbox.h"
#include "gamelib/sdl/PadWord.h"

class CSdlInput {
 public:
  CSdlInput() = default;
  ~CSdlInput() { fCloseAll(); }
  CSdlInput(const CSdlInput&) = delete;
  CSdlInput& operator=(const CSdlInput&) = delete;

  // Called before each event pump: presses seen by the previous pump have
  // had their frame.
  void fBeginPump() { mPressedThisPump.fill(false); }
  // Keys, pads, wheel: the events this class cares about; others are ignored.
  void fHandleEvent(const SDL_Event& event);
  void fCloseAll();

  int fCheckHitKey(int keyCode) const;
  int fPadWord() const;
  int fPadCount() const { return static_cast<int>(mPads.size()); }
  int fMouseButtons() const;
  // The pointer in screen pixels, through the window's letterbox.
  void fMousePoint(SDL_Window* window, int screenWidth, int screenHeight, int* x, int* y) const;
  int fWheel(bool clear);

 private:
  struct SPad {
    SDL_GameController* controller = nullptr;  // null for a plain joystick
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
  };

  void fAddController(int deviceIndex);
  void fAddJoystick(int deviceIndex);
  void fRemove(SDL_JoystickID id);
  bool fHas(SDL_JoystickID id) const;
  static SPadState fReadController(SDL_GameController* controller);
  static SPadState fReadJoystick(SDL_Joystick* joystick);

  std::vector<SPad> mPads;
  int mWheel = 0;
  // A key pressed and released between two pumps still counts as down for
  // one frame; polling alone would lose such a quick tap.
  std::array<bool, SDL_NUM_SCANCODES> mPressedThisPump{};
};
