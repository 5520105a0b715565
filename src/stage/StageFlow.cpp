// The stage's frame: the keys that leave, retry or save a game, the rules'
// step, and what the scene makes of it (sounds, camera, models).
#include "app/Globals.h"
#include "input/CKeyManagerBase.h"
#include "stage/CPlimoStage.h"
#include "stage/StageReplay.h"
#include "util/CFpsTimer.h"

void CPlimoStage::fAnimate() {
  rules.fAnimate();
  fSoundEvents();
  fFollowCamera();
  SetCameraPositionAndTargetAndUpVec(cameraPos, VGet(0.0f, 0.0f, 0.0f), VGet(0.0f, 0.0f, 1.0f));
  if (!mModelsDeferred) fSyncBallModels();
}

void CPlimoStage::fSetModelsDeferred(bool deferred) {
  mModelsDeferred = deferred;
  if (!deferred) fSyncBallModels();
}

void CPlimoStage::fUpdate() {
  if (gKeyManager->fIsTriggered(EGameKey::KeyEsc)) {
    fLeaveReplay(*this);
    return;
  }
  if (replayInfo.mode == SReplayInfo::EMode::Replay) {
    if (gKeyManager->fIsTriggered(EGameKey::KeyF1) && gFpsTimer) gFpsTimer->fToggleNoWait();
    if (gKeyManager->fIsTriggered(EGameKey::KeyF2) && gFpsTimer) gFpsTimer->fToggleSlowMotion();
  } else if (replayInfo.mode == SReplayInfo::EMode::Normal && gKeyManager->fIsTriggered(EGameKey::KeyF12)) {
    fSaveDebugReplay(*this);
    return;
  }
  const bool confirmed = rules.fInput(*gKeyManager);
  fSoundEvents();
  if (confirmed) fFinishReplay(*this);
}

void CPlimoStage::fSoundEvents() {
  for (const SRuleEvent& event : rules.fEvents()) {
    switch (event.kind) {
      case ERuleEvent::BallLanded: fPlaySound(ESoundEffect::PutA22); break;
      case ERuleEvent::Held: fPlaySound(ESoundEffect::Pochi01); break;
      case ERuleEvent::VanishStarted: fPlaySound(ESoundEffect::Power04); break;
      case ERuleEvent::CameraTurn: fPlaySound(ESoundEffect::Pi14); break;
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
  fFollowCamera();
  fApplyView();
  if (!mModelsDeferred) fSyncBallModels();
}
