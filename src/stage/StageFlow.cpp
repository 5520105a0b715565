// The stage's frame: the keys that leave, retry or save a game, the rules'
// step, and what the scene makes of it (sounds, camera, models).
#include <algorithm>
#include <cmath>

#include "app/Globals.h"
#include "input/CKeyManagerBase.h"
#include "stage/CPlimoStage.h"
#include "stage/StageReplay.h"
#include "util/CFpsTimer.h"

namespace {

// Each chain step sounds two semitones higher than the one before, up to
// the ninth.
constexpr int kChainSoundRate = 44100;
constexpr int kChainSemitonesPerStep = 2;
constexpr int kChainSoundHighestStep = 9;

int fChainSoundRate(int chain) {
  const int steps = std::min(chain, kChainSoundHighestStep) - 2;
  return static_cast<int>(std::lround(kChainSoundRate * std::pow(2.0, steps * kChainSemitonesPerStep / 12.0)));
}

}  // namespace

void CPlimoStage::fAnimate() {
  mEffects.fAge();
  rules.fAnimate();
  fSoundEvents();
  if (race) {
    race->fFrame();
    if (fIsFinished()) race->fNotePlayerEnd(rules.score);
  }
  fFollowCamera();
  SetCameraPositionAndTargetAndUpVec(cameraPos, VGet(0.0f, 0.0f, 0.0f), VGet(0.0f, 0.0f, 1.0f));
  if (!mModelsDeferred) fSyncBallModels();
}

void CPlimoStage::fSetModelsDeferred(bool deferred) {
  mModelsDeferred = deferred;
  // What was showing belongs to another moment, and what is skipped never shows.
  if (deferred) mEffects.fClear();
  if (!deferred) fSyncBallModels();
}

void CPlimoStage::fUpdate() {
  if (gKeyManager->fIsTriggered(EGameKey::KeyEsc)) {
    fLeaveReplay(*this);
    return;
  }
  // The confirmed end stays on screen; the game's keys are done with.
  if (endHoldLeft > 0) {
    fHoldEnd(*this);
    return;
  }
  if (replayInfo.mode == SReplayInfo::EMode::Replay) {
    if (gKeyManager->fIsTriggered(EGameKey::KeyF1) && gFpsTimer) gFpsTimer->fToggleNoWait();
    if (gKeyManager->fIsTriggered(EGameKey::KeyF2) && gFpsTimer) gFpsTimer->fToggleSlowMotion();
  } else if (replayInfo.mode == SReplayInfo::EMode::Normal && !fIsFinished() &&
             gKeyManager->fIsTriggered(EGameKey::KeyF12)) {
    // A finished game is kept as its replay already; F12 would only lose it.
    fSaveDebugReplay(*this);
    return;
  }
  const bool confirmed = rules.fInput(*gKeyManager);
  fSoundEvents();
  if (confirmed) fFinishReplay(*this);
}

void CPlimoStage::fSoundEvents() {
  if (!mModelsDeferred) mEffects.fFeed(rules.fEvents());
  for (const SRuleEvent& event : rules.fEvents()) {
    switch (event.kind) {
      case ERuleEvent::BallLanded: fPlaySound(ESoundEffect::PutA22); break;
      case ERuleEvent::Held: fPlaySound(ESoundEffect::Pochi01); break;
      case ERuleEvent::VanishStarted: fPlaySound(ESoundEffect::Power04); break;
      case ERuleEvent::CameraTurn: fPlaySound(ESoundEffect::Pi14); break;
      case ERuleEvent::ChainStep:
        if (event.value < 2) break;
        if (gSoundManager && gSoundManager->fIsEnabled()) {
          gSoundManager->fSetEffectFrequency(ESoundEffect::ChainStep, fChainSoundRate(event.value));
        }
        fPlaySound(ESoundEffect::ChainStep);
        break;
      case ERuleEvent::LevelUp: fPlaySound(ESoundEffect::LevelUp); break;
      case ERuleEvent::GameOver:
      case ERuleEvent::StageClear:
        if (fBeatsHighScore()) fPlaySound(ESoundEffect::Quiz004);
        break;
      default: break;
    }
  }
  rules.fClearEvents();
}

void CPlimoStage::fRestoreRules(const CStageRules& restored) {
  rules = restored;
  rules.fClearEvents();
  mEffects.fClear();
  fFollowCamera();
  fApplyView();
  if (!mModelsDeferred) fSyncBallModels();
}
