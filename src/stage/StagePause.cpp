// Pause in a normal game. Paused frames are no frames of the game: the frame
// loop takes no snapshot and runs neither update nor animate, so the key log,
// the replay and the frame count go on as if the pause never happened. The
// field is hidden, so a pause gives no time to think.
#include <cstring>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManagerBase.h"
#include "input/PauseKeys.h"
#include "stage/CPlimoStage.h"
#include "stage/StageReplay.h"
#include "text/KeyHints.h"
#include "text/Texts.h"

namespace {

// The field's part of the screen; the HUD on the right stays visible.
constexpr int kFieldRight = 374;

}  // namespace

bool CPlimoStage::fIsPausedFrame() {
  if (replayInfo.mode != SReplayInfo::EMode::Normal) return false;
  const bool down = fIsPauseKeyDown();
  const bool pressed = down && !pauseKeyDown;
  pauseKeyDown = down;
  if (!paused) {
    const EState state = rules.state;
    const bool running = state == EState::Ready || state == EState::Playing || state == EState::ToppingOut ||
                         state == EState::Finishing;
    if (!running || (!pressed && GetWindowActiveFlag() != 0)) return false;
    fSetPaused(true);
    return true;
  }
  if (gKeyManager->fIsTriggered(EGameKey::KeyEsc)) {
    fSetPaused(false);
    fLeaveReplay(*this);
    return true;
  }
  if (pressed) fSetPaused(false);
  return true;
}

void CPlimoStage::fSetPaused(bool on) {
  paused = on;
  if (!gSoundManager) return;
  gSoundManager->fSetMusicLowered(on);
  if (on) gSoundManager->fStopAllEffects();
}

void CPlimoStage::fDrawPaused() {
  DrawBox(0, 0, kFieldRight, 480, GetColor(20, 24, 40), 1);
  const unsigned int white = GetColor(255, 255, 255);
  const char* pause = fText(ETextId::Pause);
  const int width = GetDrawStringWidthToHandle(pause, static_cast<int>(std::strlen(pause)), gFontLarge, 0);
  DrawStringToHandle((kFieldRight - width) / 2, 200, pause, white, gFontLarge, 0, 0);
  const std::string hint = fFormatText(ETextId::PauseHintFormat, fPauseKeyNames().c_str());
  DrawStringToHandle(24, 280, hint.c_str(), white, gFontText, 0, 0);
  DrawStringToHandle(24, 310, fText(ETextId::PauseLeaveLine), white, gFontText, 0, 0);
}
