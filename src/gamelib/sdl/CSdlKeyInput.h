// Text-input handles: one-line fields the player types into through SDL's
// text input (so keyboard layouts and composed characters work). One field
// at a time is active; Enter finishes it, Escape cancels it when allowed
// (CKeyInputFields has the rules). The keys typed still reach CheckHitKey
// like any others. There is no input-method mode read-out, so
// DrawKeyInputModeString draws nothing.
#pragma once

#include <SDL.h>

#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CKeyInputFields.h"
#include "gamelib/sdl/CSdlFonts.h"

class CSdlKeyInput {
 public:
  // nextHandle: the backend's handle counter, shared with the other handles.
  CSdlKeyInput(CGlRenderer& renderer, CSdlFonts& fonts, int& nextHandle)
      : mRenderer(renderer), mFonts(fonts), mNextHandle(nextHandle) {}
  CSdlKeyInput(const CSdlKeyInput&) = delete;
  CSdlKeyInput& operator=(const CSdlKeyInput&) = delete;

  // SDL turns text input on with the video; it stays off while no field is typed into.
  void fInit();
  void fClear();
  void fHandleEvent(const SDL_Event& event);

  int fMake(int maxLength, bool cancelAllowed, bool singleByteOnly, bool digitsOnly);
  int fActivate(int input);
  int fCheck(int input) const { return mFields.fState(input); }
  int fGetText(char* buffer, int input) const { return mFields.fCopyText(input, buffer) ? 0 : -1; }
  // The text in the default font, white, with a blinking caret while typing.
  int fDraw(int x, int y, int input);
  int fSetText(const char* text, int input) {
    return text != nullptr && mFields.fSetText(input, text) ? 0 : -1;
  }
  int fDelete(int input);
  int fCount() const { return mFields.fCount(); }

 private:
  // Starts or stops SDL's text input to match the fields.
  void fSyncTextInput();

  CGlRenderer& mRenderer;
  CSdlFonts& mFonts;
  int& mNextHandle;
  CKeyInputFields mFields;
  bool mTextInputOn = false;
};
