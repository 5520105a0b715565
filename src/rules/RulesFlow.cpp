// The frame: the keys by state, then the state machine from the opening to
// the end screens.
#include <algorithm>

#include "rules/CStageRules.h"

namespace {

constexpr int kReadyFrames = 120;
constexpr int kTopOutLayerFrames = 15;

}  // namespace

bool CStageRules::fInput(IRuleKeys& keys) {
  switch (state) {
    case EState::Ready:
    case EState::ToppingOut:
      return false;
    case EState::GameOver:
    case EState::StageClear:
      // X is asked only when Z did not fire.
      if (keys.fIsPush(EGameKey::KeyZ, true) || keys.fIsPush(EGameKey::KeyX, true)) {
        fEmit(ERuleEvent::EndConfirmed);
        return true;
      }
      return false;
    case EState::Playing:
    case EState::Finishing:
      fPlayerInput(keys);
      return false;
  }
  return false;
}

void CStageRules::fAnimate() {
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
        fEmit(ERuleEvent::StageClear);
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

void CStageRules::fRunField() {
  // A ball's update can neither add nor drop list entries, so indexes hold.
  for (std::size_t i = 0; i < balls.size(); ++i) fUpdateBall(balls[i]);
  fUpdateChainPhase();
  // Stable, so that balls of one layer keep their order on every build.
  // The list is nearly sorted every frame: an insertion sort is stable, in
  // place and does next to nothing.
  for (std::size_t i = 1; i < balls.size(); ++i) {
    for (std::size_t j = i; j > 0 && fBall(balls[j]).h < fBall(balls[j - 1]).h; --j) std::swap(balls[j], balls[j - 1]);
  }
  if (mRemovedInList == 0) return;
  std::erase_if(balls, [this](int slot) {
    if (fBall(slot).alive) return false;
    fFreeSlot(slot);
    return true;
  });
  mRemovedInList = 0;
}

void CStageRules::fAnimateToppingOut() {
  if (stateTimer % kTopOutLayerFrames == 0) {
    const int row = stateTimer / kTopOutLayerFrames;
    if (row >= H) {
      fEnterState(EState::GameOver, 0);
      fEmit(ERuleEvent::GameOver);
      return;
    }
    for (const int slot : balls) {
      SRuleBall& ball = fBall(slot);
      if (ball.h == row) ball.darkened = true;
    }
  }
  ++stateTimer;
  fCameraStep();
}

void CStageRules::fCameraStep() {
  fAnimateCamera();
  ++frameCount;
}
