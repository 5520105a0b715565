#include "gamelib/sdl/CSdlKeyInput.h"

#include <cstring>

namespace {

constexpr unsigned int kTextColour = 0xFFFFFF;
constexpr Uint32 kCaretHalfPeriod = 500;  // milliseconds shown, then hidden
constexpr int kCaretWidth = 2;

}  // namespace

void CSdlKeyInput::fInit() { SDL_StopTextInput(); }

void CSdlKeyInput::fClear() {
  if (mActive >= 0) SDL_StopTextInput();
  mInputs.clear();
  mActive = -1;
}

CSdlKeyInput::SInput* CSdlKeyInput::fActive() {
  auto it = mInputs.find(mActive);
  if (it == mInputs.end() || it->second.state != EState::Typing) return nullptr;
  return &it->second;
}

void CSdlKeyInput::fFinish(EState state) {
  auto it = mInputs.find(mActive);
  if (it != mInputs.end()) it->second.state = state;
  mActive = -1;
  SDL_StopTextInput();
}

void CSdlKeyInput::fHandleEvent(const SDL_Event& event) {
  SInput* input = fActive();
  if (input == nullptr) return;
  if (event.type == SDL_TEXTINPUT) {
    fAppendTyped(input->text, event.text.text, input->rules);
  } else if (event.type == SDL_KEYDOWN) {
    switch (event.key.keysym.sym) {
      case SDLK_RETURN:
      case SDLK_KP_ENTER:
        if (event.key.repeat == 0) fFinish(EState::Finished);
        break;
      case SDLK_ESCAPE:
        if (event.key.repeat == 0 && input->cancelAllowed) fFinish(EState::Cancelled);
        break;
      case SDLK_BACKSPACE:
        fEraseLastCharacter(input->text);  // held down, it repeats
        break;
      default:
        break;
    }
  }
}

int CSdlKeyInput::fMake(int maxLength, bool cancelAllowed, bool singleByteOnly, bool digitsOnly) {
  if (maxLength <= 0) return -1;
  SInput input;
  input.rules.maxBytes = static_cast<std::size_t>(maxLength);
  input.rules.singleByteOnly = singleByteOnly;
  input.rules.digitsOnly = digitsOnly;
  input.cancelAllowed = cancelAllowed;
  const int handle = mNextHandle++;
  mInputs.emplace(handle, std::move(input));
  return handle;
}

int CSdlKeyInput::fActivate(int input) {
  if (input == -1) {
    if (mActive >= 0) SDL_StopTextInput();
    mActive = -1;
    return 0;
  }
  auto it = mInputs.find(input);
  if (it == mInputs.end()) return -1;
  it->second.state = EState::Typing;
  mActive = input;
  SDL_StartTextInput();
  return 0;
}

int CSdlKeyInput::fCheck(int input) const {
  auto it = mInputs.find(input);
  return it == mInputs.end() ? -1 : static_cast<int>(it->second.state);
}

int CSdlKeyInput::fGetText(char* buffer, int input) const {
  auto it = mInputs.find(input);
  if (it == mInputs.end() || buffer == nullptr) return -1;
  // The rules keep the text within maxLength bytes, the size callers give.
  std::memcpy(buffer, it->second.text.c_str(), it->second.text.size() + 1);
  return 0;
}

int CSdlKeyInput::fDraw(int x, int y, int input) {
  auto it = mInputs.find(input);
  if (it == mInputs.end()) return -1;
  const std::string& text = it->second.text;
  if (!text.empty() && mFonts.fDrawDefault(x, y, text.c_str(), kTextColour, 0) != 0) return -1;
  const bool typing = input == mActive && it->second.state == EState::Typing;
  if (typing && (SDL_GetTicks() / kCaretHalfPeriod) % 2 == 0) {
    const int width = text.empty() ? 0 : mFonts.fDefaultTextWidth(text.c_str());
    const int left = x + (width < 0 ? 0 : width) + 1;
    mRenderer.fFillRect(left, y, left + kCaretWidth, y + mFonts.fDefaultSize(), kTextColour);
  }
  return 0;
}

int CSdlKeyInput::fDelete(int input) {
  auto it = mInputs.find(input);
  if (it == mInputs.end()) return -1;
  if (input == mActive) fActivate(-1);
  mInputs.erase(it);
  return 0;
}
