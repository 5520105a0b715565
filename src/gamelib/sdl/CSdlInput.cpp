#include "gamelib/sdl/CSdlInput.h"

#include <algorithm>

#include "gamelib/GameLib.h"
#include "gamelib/sdl/KeyCodeMap.h"

namespace {

// Pad buttons 1, 2, 3, ... in the order the game numbers them.
constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,         SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,     SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_BUTTON_GUIDE,
};

}  // namespace

void CSdlInput::fHandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      if (event.key.keysym.scancode >= 0 && event.key.keysym.scancode < SDL_NUM_SCANCODES) {
        mPressedThisPump[static_cast<std::size_t>(event.key.keysym.scancode)] = true;
      }
      break;
    case SDL_CONTROLLERDEVICEADDED:
      fAddController(event.cdevice.which);
      break;
    case SDL_JOYDEVICEADDED:
      // Game controllers arrive once more as SDL_CONTROLLERDEVICEADDED.
      if (SDL_IsGameController(event.jdevice.which) == SDL_FALSE) fAddJoystick(event.jdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      fRemove(event.cdevice.which);
      break;
    case SDL_JOYDEVICEREMOVED:
      fRemove(event.jdevice.which);
      break;
    case SDL_MOUSEWHEEL:
      mWheel += event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      break;
    default:
      break;
  }
}

bool CSdlInput::fHas(SDL_JoystickID id) const {
  return std::any_of(mPads.begin(), mPads.end(), [id](const SPad& pad) { return pad.id == id; });
}

void CSdlInput::fAddController(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  SDL_Joystick* joystick = SDL_GameControllerGetJoystick(controller);
  const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
  if (fHas(id)) {
    SDL_GameControllerClose(controller);  // opened twice: drop the extra reference
    return;
  }
  mPads.push_back(SPad{controller, joystick, id});
}

void CSdlInput::fAddJoystick(int deviceIndex) {
  SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
  if (joystick == nullptr) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
  if (fHas(id)) {
    SDL_JoystickClose(joystick);
    return;
  }
  mPads.push_back(SPad{nullptr, joystick, id});
}

void CSdlInput::fRemove(SDL_JoystickID id) {
  auto it = std::find_if(mPads.begin(), mPads.end(), [id](const SPad& pad) { return pad.id == id; });
  if (it == mPads.end()) return;
  if (it->controller != nullptr) {
    SDL_GameControllerClose(it->controller);
  } else {
    SDL_JoystickClose(it->joystick);
  }
  mPads.erase(it);
}

void CSdlInput::fCloseAll() {
  while (!mPads.empty()) fRemove(mPads.front().id);
  mWheel = 0;
  mPressedThisPump.fill(false);
}

int CSdlInput::fCheckHitKey(int keyCode) const {
  const SDL_Scancode scancode = fScancodeOfKeyCode(keyCode);
  if (scancode == SDL_SCANCODE_UNKNOWN) return 0;
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  if (keys == nullptr || scancode >= count) return 0;
  return keys[scancode] != 0 || mPressedThisPump[static_cast<std::size_t>(scancode)] ? 1 : 0;
}

SPadState CSdlInput::fReadController(SDL_GameController* controller) {
  SPadState state;
  state.up = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0;
  state.down = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0;
  state.left = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0;
  state.right = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0;
  state.stickX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
  state.stickY = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
  std::uint32_t bit = 1;
  for (SDL_GameControllerButton button : kControllerButtons) {
    if (SDL_GameControllerGetButton(controller, button) != 0) state.buttons |= bit;
    bit <<= 1;
  }
  return state;
}

SPadState CSdlInput::fReadJoystick(SDL_Joystick* joystick) {
  SPadState state;
  if (SDL_JoystickNumHats(joystick) > 0) {
    const Uint8 hat = SDL_JoystickGetHat(joystick, 0);
    state.up = (hat & SDL_HAT_UP) != 0;
    state.down = (hat & SDL_HAT_DOWN) != 0;
    state.left = (hat & SDL_HAT_LEFT) != 0;
    state.right = (hat & SDL_HAT_RIGHT) != 0;
  }
  if (SDL_JoystickNumAxes(joystick) >= 2) {
    state.stickX = SDL_JoystickGetAxis(joystick, 0);
    state.stickY = SDL_JoystickGetAxis(joystick, 1);
  }
  const int buttons = std::min(SDL_JoystickNumButtons(joystick), kMaxPadButtons);
  for (int i = 0; i < buttons; ++i) {
    if (SDL_JoystickGetButton(joystick, i) != 0) state.buttons |= 1u << i;
  }
  return state;
}

int CSdlInput::fPadWord() const {
  if (mPads.empty()) return 0;
  const SPad& pad = mPads.front();
  return ::fPadWord(pad.controller != nullptr ? fReadController(pad.controller) : fReadJoystick(pad.joystick));
}

int CSdlInput::fMouseButtons() const {
  const Uint32 state = SDL_GetMouseState(nullptr, nullptr);
  int buttons = 0;
  if ((state & SDL_BUTTON_LMASK) != 0) buttons |= MOUSE_INPUT_LEFT;
  if ((state & SDL_BUTTON_RMASK) != 0) buttons |= MOUSE_INPUT_RIGHT;
  if ((state & SDL_BUTTON_MMASK) != 0) buttons |= MOUSE_INPUT_MIDDLE;
  return buttons;
}

void CSdlInput::fMousePoint(SDL_Window* window, int screenWidth, int screenHeight, int* x, int* y) const {
  int windowX = 0, windowY = 0, windowWidth = screenWidth, windowHeight = screenHeight;
  SDL_GetMouseState(&windowX, &windowY);
  if (window != nullptr) SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  const SViewportRect view = fLetterbox(windowWidth, windowHeight, screenWidth, screenHeight);
  const SScreenPoint point = fWindowToScreen(view, screenWidth, screenHeight, windowX, windowY);
  if (x != nullptr) *x = point.x;
  if (y != nullptr) *y = point.y;
}

int CSdlInput::fWheel(bool clear) {
  const int wheel = mWheel;
  if (clear) mWheel = 0;
  return wheel;
}
