// Dealing, spawning, holding and steering the piece.
#include <memory>

#include "app/Globals.h"
#include "input/CKeyManagerBase.h"
#include "stage/CPlimoStage.h"
#include "stage/StageModes.h"
#include "util/Assert.h"
#include "util/CRandom.h"

namespace {

constexpr int kCell = 512;
constexpr int kGarbageSpeed = 256;

}  // namespace

CPlimoStage::SAppairInfo CPlimoStage::fDeal() {
  const int colour = gRandom->fGetRand(0, maxColour);
  ++dealt;
  return SAppairInfo(colour, dealt, false);
}

void CPlimoStage::fShiftQueue() {
  for (int i = 0; i + 1 < kQueueLength; ++i) queue[i] = queue[i + 1];
  if (dealt < ballLimit) {
    queue[kQueueLength - 1] = fDeal();
  } else {
    queue[kQueueLength - 1].isEnd = true;
  }
}

void CPlimoStage::fSpawn() {
  if (piece != nullptr) return;
  if (spawnWait > 0) {
    --spawnWait;
    return;
  }
  if (grid.fAt(1, 1, H - 2) != nullptr) {
    fEnterState(EState::ToppingOut, 0);
    return;
  }
  spawnWait = spawnDelay;
  if (fGarbageDue()) {
    for (int a = 0; a < W; ++a) {
      for (int b = 0; b < D; ++b) {
        // A column already filled to the hidden top layer takes no garbage.
        if (grid.fAt(a, b, H - 1) != nullptr) continue;
        CPlimoBall& garbage =
            fAddBall(std::make_unique<CPlimoBall>(*this, -1, a, b, H - 1, kColourOzyama, false));
        garbage.speed = kGarbageSpeed;
        garbage.progress = 0;
      }
    }
    return;
  }
  if (queue[0].isEnd && (hold.empty() || hold[0].isEnd)) {
    fEnterState(EState::Finishing, 0);
    return;
  }
  SAppairInfo entry = queue[0];
  if (entry.isEnd) {
    entry = hold[0];
    hold.clear();
  }
  fShiftQueue();
  auto ball = std::make_unique<CPlimoBall>(*this, entry.serial, 1, 1, H - 1, entry.colour, entry.fromHold);
  ball->speed = fallSpeed;
  // Its first update takes it into the layer below the spawn cell.
  ball->progress = kCell - fallSpeed;
  piece = &fAddBall(std::move(ball));
  fCreateGhost();
  fUpdatePreview();
}

void CPlimoStage::fHold() {
  PLIMO_ASSERT(hold.size() <= 1, "the hold slot holds more than one ball");
  if (piece == nullptr) {
    // The end of the deal is not a ball and cannot be held.
    if (queue[0].fromHold || queue[0].isEnd) return;
    fPlaySound(ESoundEffect::Pochi01);
    const SAppairInfo held = queue[0];
    if (!hold.empty()) {
      queue[0] = hold[0];
    } else {
      fShiftQueue();
    }
    hold.assign(1, SAppairInfo(held.colour, held.serial, true));
    return;
  }
  if (piece->fromHold) return;
  fPlaySound(ESoundEffect::Pochi01);
  CPlimoBall& held = *piece;
  held.fLeaveGrid();
  held.fFinishVanish();  // counts as a removed ball
  piece = nullptr;
  if (!hold.empty()) {
    for (int i = kQueueLength - 1; i > 0; --i) queue[i] = queue[i - 1];
    queue[0] = hold[0];
  }
  hold.assign(1, SAppairInfo(held.colour, held.serial, true));
  fUpdatePreview();
}

void CPlimoStage::fPlayerInput() {
  if (piece != nullptr) {
    constexpr EGameKey kMoveKeys[] = {EGameKey::Left, EGameKey::Right, EGameKey::Up, EGameKey::Down};
    constexpr EDirection4 kMoveDirections[] = {EDirection4::Left, EDirection4::Right, EDirection4::Up,
                                               EDirection4::Down};
    for (int i = 0; i < 4; ++i) {
      if (!gKeyManager->fIsPush(kMoveKeys[i], true)) continue;
      // Each quarter-turn of the camera turns the keys a quarter to the left.
      piece->fMove(fRotateDirection(kMoveDirections[i], EDirection4::Left, static_cast<int>(cameraDir)));
    }
    if (gKeyManager->fIsPush(EGameKey::KeyX, true)) piece->fDrop();
    if (gKeyManager->fIsPush(EGameKey::KeyZ, true)) fStartCameraTurn(EDirection4::Left);
    if (gKeyManager->fIsPush(EGameKey::KeyC, true)) fStartCameraTurn(EDirection4::Right);
  }
  if (gKeyManager->fIsPush(EGameKey::KeySpace, true)) fHold();
}
