// Text-input handles: one-line fields the player types into through SDL's
// text input (so keyboard layouts and composed characters work). One field
// at a time is active; Enter finishes it, Escape cancels it when allowed.
// The keys typed still reach CheckHitKey like any others. There is no
// input-method mode read-out: DrawKeyInputModeString draws nothing.
#pragma once

#include <SDL.h>

#include <map>
#include <string>

#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CSdlFonts.h"
#include "gamelib/sdl/KeyInputText.h"

class CSdlKeyInput {
 public:
  enum class EState { Typing = 0, Finished = 1, Cancelled = 2 };

  // nextHandle: the backend's handle counter, shared with the other handles.
  CSdlKeyInput(CGlRenderer& renderer, CSdlFonts& fonts, int& nextHandle)
      : mRenderer(renderer), mFonts(fonts), mNextHandle(nextHandle) {}
  CSdlKeyInput(const CSdlKeyInput&) = delete;
  CSdlKeyInput& operator=(const CSdlKeyInput&) = delete;

  // SDL turns text input on with the video; it stays off until a field is active.
  void fInit();
  void fClear();
  void fHandleEvent(const SDL_Event& event);

  int fMake(int maxLength, bool cancelAllowed, bool singleByteOnly, bool digitsOnly);
  // Makes the field the one typed into and lets it be typed again; -1
  // leaves none active.
  int fActivate(int input);
  int fCheck(int input) const;
  // The text and its terminating NUL: at most maxLength + 1 bytes.
  int fGetText(char* buffer, int input) const;
  // The text in the default font, white, with a blinking caret while typing.
  int fDraw(int x, int y, int input);
  int fDelete(int input);
  int fCount() const { return static_cast<int>(mInputs.size()); }

 private:
  struct SInput {
    SKeyInputRules rules;
    bool cancelAllowed = false;
    EState state = EState::Typing;
    std::string text;
  };

  SInput* fActive();
  void fFinish(EState state);

  CGlRenderer& mRenderer;
  CSdlFonts& mFonts;
  int& mNextHandle;
  std::map<int, SInput> mInputs;
  int mActive = -1;
};
