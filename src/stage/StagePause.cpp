// Pause in a normal or practice game, and the question before Escape
// leaves one. Paused frames are no frames of the game: the frame
// loop takes no snapshot and runs neither update nor animate, so the key log,
// the replay and the frame count go on as if the pause never happened. The
// field is hidden, so a pause gives no time to think.
#include <cstring>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "input/CKeyManagerBase.h"
#include "input/PauseKeys.h"
#include "stage/CPlimoStage.h"
#include "stage/StageReplay.h"
#include "text/KeyHints.h"
#include "text/Texts.h"

namespace {

// The field's part of the screen; the HUD on the right stays visible.
constexpr int kFieldRight = 374;
// Where the question before leaving a game stands, over the hidden field.
constexpr int kQuestionX = 30;
constexpr int kQuestionY = 360;

}  // namespace

bool CPlimoStage::fIsPausedFrame() {
  // A practice game (a replay taken over) pauses as a normal game does.
  if (replayInfo.mode != SReplayInfo::EMode::Normal && replayInfo.mode != SReplayInfo::EMode::Practice) return false;
  if (mLeaveQuestion || mWaitAnswerRelease) return fAskLeave();
  const bool down = fIsPauseKeyDown();
  const bool pressed = down && !pauseKeyDown;
  pauseKeyDown = down;
  if (!paused) {
    const EState state = rules.state;
    const bool running = state == EState::Ready || state == EState::Playing || state == EState::ToppingOut ||
                         state == EState::Finishing;
    if (!running) return false;
    // Escape would throw the game away: asked first, outside the game's
    // frames, so the key log never sees the question.
    if (gKeyManager->fIsTriggered(EGameKey::KeyEsc)) {
      fOpenLeaveQuestion();
      return true;
    }
    if (!pressed && GetWindowActiveFlag() != 0) return false;
    fSetPaused(true);
    return true;
  }
  if (gKeyManager->fIsTriggered(EGameKey::KeyEsc)) {
    fOpenLeaveQuestion();
    return true;
  }
  if (pressed) fSetPaused(false);
  return true;
}

void CPlimoStage::fOpenLeaveQuestion() {
  mPausedBeforeQuestion = paused;
  fSetPaused(true);  // the field hidden, the music lowered, while it asks
  mLeaveAnswer = ELeaveAnswer::None;
  mLeaveQuestion = std::make_unique<CYesNoWindow>(gFontMenu, SPointD(kQuestionX, kQuestionY),
                                                  fText(ETextId::ConfirmLeaveGame), true);
  mLeaveQuestion->onYes = [this] { mLeaveAnswer = ELeaveAnswer::Yes; };
  mLeaveQuestion->onNo = [this] { mLeaveAnswer = ELeaveAnswer::No; };
}

bool CPlimoStage::fAskLeave() {
  constexpr EGameKey kAnswerKeys[] = {EGameKey::Left, EGameKey::Right, EGameKey::KeyZ, EGameKey::KeyX,
                                      EGameKey::KeyEsc};
  if (mLeaveQuestion) {
    // The window reads the keys' snapshot, which a paused frame does not
    // take for the game: these few are read for it, never recorded.
    if (auto* keys = dynamic_cast<CKeyManager*>(gKeyManager.get())) {
      keys->fUpdateKeysOnly({EGameKey::Left, EGameKey::Right, EGameKey::KeyZ, EGameKey::KeyX, EGameKey::KeyEsc});
    }
    mLeaveQuestion->fInput(*gKeyManager);
    if (mLeaveAnswer == ELeaveAnswer::None) return true;
    const bool leave = mLeaveAnswer == ELeaveAnswer::Yes;
    mLeaveQuestion.reset();
    mLeaveAnswer = ELeaveAnswer::None;
    if (leave) {
      fSetPaused(false);
      fLeaveReplay(*this);
      return true;
    }
    fSetPaused(mPausedBeforeQuestion);
    mWaitAnswerRelease = true;
    return true;
  }
  // "No": the game goes on once the keys that answered are up, so that none
  // of them acts in it.
  for (const EGameKey key : kAnswerKeys) {
    if (gKeyManager->fIsDownNow(key) != 0) return true;
  }
  mWaitAnswerRelease = false;
  pauseKeyDown = fIsPauseKeyDown();
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
  if (mLeaveQuestion) mLeaveQuestion->fDraw();
}
