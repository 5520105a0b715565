#include "gamelib/sdl/CSdlKeyInput.h"

namespace {

constexpr unsigned int kTextColour = 0xFFFFFF;
constexpr Uint32 kCaretHalfPeriod = 500;  // milliseconds shown, then hidden
constexpr int kCaretWidth = 2;

}  // namespace

void CSdlKeyInput::fInit() {
  SDL_StopTextInput();
  mTextInputOn = false;
}

void CSdlKeyInput::fClear() {
  mFields.fClear();
  fSyncTextInput();
}

void CSdlKeyInput::fSyncTextInput() {
  const bool wanted = mFields.fIsTyping();
  if (wanted == mTextInputOn) return;
  if (wanted) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
  mTextInputOn = wanted;
}

void CSdlKeyInput::fHandleEvent(const SDL_Event& event) {
  if (!mFields.fIsTyping()) return;
  if (event.type == SDL_TEXTINPUT) {
    mFields.fType(event.text.text);
  } else if (event.type == SDL_KEYDOWN) {
    const bool repeat = event.key.repeat != 0;
    switch (event.key.keysym.sym) {
      case SDLK_RETURN:
      case SDLK_KP_ENTER:
        mFields.fPress(CKeyInputFields::EKey::Enter, repeat);
        break;
      case SDLK_ESCAPE:
        mFields.fPress(CKeyInputFields::EKey::Escape, repeat);
        break;
      case SDLK_BACKSPACE:
        mFields.fPress(CKeyInputFields::EKey::Backspace, repeat);
        break;
      default:
        break;
    }
  }
  fSyncTextInput();
}

int CSdlKeyInput::fMake(int maxLength, bool cancelAllowed, bool singleByteOnly, bool digitsOnly) {
  if (maxLength <= 0) return -1;
  return mFields.fMake(mNextHandle++, maxLength, cancelAllowed, singleByteOnly, digitsOnly);
}

int CSdlKeyInput::fActivate(int input) {
  const bool ok = mFields.fActivate(input);
  fSyncTextInput();
  return ok ? 0 : -1;
}

int CSdlKeyInput::fDraw(int x, int y, int input) {
  const std::string* text = mFields.fText(input);
  if (text == nullptr) return -1;
  if (!text->empty() && mFonts.fDrawDefault(x, y, text->c_str(), kTextColour, 0) != 0) return -1;
  const bool typing = input == mFields.fActiveHandle() && mFields.fIsTyping();
  if (typing && (SDL_GetTicks() / kCaretHalfPeriod) % 2 == 0) {
    const int width = text->empty() ? 0 : mFonts.fDefaultTextWidth(text->c_str());
    const int left = x + (width < 0 ? 0 : width) + 1;
    mRenderer.fFillRect(left, y, left + kCaretWidth, y + mFonts.fDefaultSize(), kTextColour);
  }
  return 0;
}

int CSdlKeyInput::fDelete(int input) {
  const bool ok = mFields.fDelete(input);
  fSyncTextInput();
  return ok ? 0 : -1;
}
