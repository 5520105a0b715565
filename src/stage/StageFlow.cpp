// The stage's frame: the state machine from the opening to the end screens,
// and the keys that leave, retry or save a game.
#include <algorithm>

#include "app/Globals.h"
#include "input/CKeyManagerBase.h"
#include "stage/CPlimoStage.h"
#include "stage/StageReplay.h"
#include "util/CFpsTimer.h"

namespace {

constexpr int kReadyFrames = 120;
constexpr int kTopOutLayerFrames = 15;

}  // namespace

void CPlimoStage::fAnimate() {
  switch (state) {
    case EState::Ready:
      if (stateTimer > kReadyFrames - 1) {
        fEnterState(EState::Playing, 0);
        return;
      }
      ++stateTimer;
      fCameraStep();
      return;
    case EState::Playing:
      fSpawn();
      if (state == EState::ToppingOut || state == EState::Finishing) return;
      fRunField();
      ++stateTimer;
      fCameraStep();
      return;
    case EState::ToppingOut:
      fAnimateToppingOut();
      return;
    case EState::Finishing:
      fRunField();
      ++stateTimer;
      if (state == EState::Finishing && chainPhase == EStateForRensa::Still) {
        fEnterState(EState::StageClear, 0);
        if (fBeatsHighScore()) fPlaySound(ESoundEffect::Quiz004);
        return;
      }
      fCameraStep();
      return;
    case EState::GameOver:
    case EState::StageClear:
      ++stateTimer;
      fCameraStep();
      return;
  }
}

void CPlimoStage::fRunField() {
  // A ball's update can neither add nor drop list entries, so indexes hold.
  for (std::size_t i = 0; i < balls.size(); ++i) balls[i]->fUpdate();
  fUpdateGhost();
  fUpdateChainPhase();
  // Stable, so that balls of one layer keep their order on every build.
  // The list is nearly sorted every frame: an insertion sort is stable, in
  // place and does next to nothing.
  for (std::size_t i = 1; i < balls.size(); ++i) {
    for (std::size_t j = i; j > 0 && balls[j]->h < balls[j - 1]->h; --j) std::swap(balls[j], balls[j - 1]);
  }
  std::erase_if(balls, [](const auto& ball) { return !ball->alive; });
}

void CPlimoStage::fAnimateToppingOut() {
  if (stateTimer % kTopOutLayerFrames == 0) {
    const int row = stateTimer / kTopOutLayerFrames;
    if (row >= H) {
      fEnterState(EState::GameOver, 0);
      if (fBeatsHighScore()) fPlaySound(ESoundEffect::Quiz004);
      return;
    }
    for (auto& ball : balls) {
      if (ball->h == row) ball->fDarken();
    }
  }
  ++stateTimer;
  fCameraStep();
}

void CPlimoStage::fCameraStep() {
  fAnimateCamera();
  SetCameraPositionAndTargetAndUpVec(cameraPos, VGet(0.0f, 0.0f, 0.0f), VGet(0.0f, 0.0f, 1.0f));
  ++frameCount;
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
  switch (state) {
    case EState::Ready:
    case EState::ToppingOut:
      return;
    case EState::GameOver:
    case EState::StageClear:
      // X is asked only when Z did not fire.
      if (gKeyManager->fIsPush(EGameKey::KeyZ, true) || gKeyManager->fIsPush(EGameKey::KeyX, true)) {
        fFinishReplay(*this);
      }
      return;
    case EState::Playing:
    case EState::Finishing:
      fPlayerInput();
      return;
  }
}
