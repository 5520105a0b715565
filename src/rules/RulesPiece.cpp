// Dealing, spawning, holding and steering the piece.
#include "rules/CStageRules.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

constexpr int kCell = 512;
constexpr int kGarbageSpeed = 256;

}  // namespace

CStageRules::SAppairInfo CStageRules::fDeal() {
  const int colour = mRandom.fGetRand(0, maxColour);
  ++dealt;
  return SAppairInfo(colour, dealt, false);
}

void CStageRules::fShiftQueue() {
  for (int i = 0; i + 1 < kQueueLength; ++i) queue[i] = queue[i + 1];
  if (dealt < ballLimit) {
    queue[kQueueLength - 1] = fDeal();
  } else {
    queue[kQueueLength - 1].isEnd = true;
  }
}

void CStageRules::fSpawn() {
  if (piece != kNoBall) return;
  if (spawnWait > 0) {
    --spawnWait;
    return;
  }
  if (grid.fAt(1, 1, H - 2) != kNoBall) {
    fEnterState(EState::ToppingOut, 0);
    fEmit(ERuleEvent::ToppingOut);
    return;
  }
  spawnWait = spawnDelay;
  if (fGarbageDue()) {
    int dropped = 0;
    for (int a = 0; a < W; ++a) {
      for (int b = 0; b < D; ++b) {
        // A column already filled to the hidden top layer takes no garbage.
        if (grid.fAt(a, b, H - 1) != kNoBall) continue;
        SRuleBall garbage;
        garbage.serial = -1;
        garbage.a = a;
        garbage.b = b;
        garbage.h = H - 1;
        garbage.colour = kColourOzyama;
        garbage.speed = kGarbageSpeed;
        fAddBall(garbage);
        ++dropped;
      }
    }
    fEmit(ERuleEvent::GarbageDropped, dropped);
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
  SRuleBall ball;
  ball.serial = entry.serial;
  ball.a = 1;
  ball.b = 1;
  ball.h = H - 1;
  ball.colour = entry.colour;
  ball.fromHold = entry.fromHold;
  ball.speed = fallSpeed;
  // Its first update takes it into the layer below the spawn cell.
  ball.progress = kCell - fallSpeed;
  piece = fAddBall(ball);
  fEmit(ERuleEvent::PieceSpawned, entry.serial);
  fUpdatePreview();
}

void CStageRules::fHold() {
  PLIMO_ASSERT(hold.size() <= 1, "the hold slot holds more than one ball");
  if (piece == kNoBall) {
    // The end of the deal is not a ball and cannot be held.
    if (queue[0].fromHold || queue[0].isEnd) return;
    fEmit(ERuleEvent::Held);
    const SAppairInfo held = queue[0];
    if (!hold.empty()) {
      queue[0] = hold[0];
    } else {
      fShiftQueue();
    }
    hold.assign(1, SAppairInfo(held.colour, held.serial, true));
    return;
  }
  const int slot = piece;
  if (fBall(slot).fromHold) return;
  fEmit(ERuleEvent::Held);
  fLeaveGrid(slot);
  fFinishVanish(slot);  // counts as a removed ball
  piece = kNoBall;
  if (!hold.empty()) {
    for (int i = kQueueLength - 1; i > 0; --i) queue[i] = queue[i - 1];
    queue[0] = hold[0];
  }
  const SRuleBall& held = fBall(slot);
  hold.assign(1, SAppairInfo(held.colour, held.serial, true));
  fUpdatePreview();
}

void CStageRules::fPlayerInput(IRuleKeys& keys) {
  if (piece != kNoBall) {
    constexpr EGameKey kMoveKeys[] = {EGameKey::Left, EGameKey::Right, EGameKey::Up, EGameKey::Down};
    constexpr EDirection4 kMoveDirections[] = {EDirection4::Left, EDirection4::Right, EDirection4::Up,
                                               EDirection4::Down};
    for (int i = 0; i < 4; ++i) {
      if (!keys.fIsPush(kMoveKeys[i], true)) continue;
      // Each quarter-turn of the camera turns the keys a quarter to the left.
      fMove(piece, fRotateDirection(kMoveDirections[i], EDirection4::Left, static_cast<int>(cameraDir)));
    }
    if (keys.fIsPush(EGameKey::KeyX, true)) fDrop(piece);
    if (keys.fIsPush(EGameKey::KeyZ, true)) fStartCameraTurn(EDirection4::Left);
    if (keys.fIsPush(EGameKey::KeyC, true)) fStartCameraTurn(EDirection4::Right);
  }
  if (keys.fIsPush(EGameKey::KeySpace, true)) fHold();
}

bool CStageRules::fCanMoveTo(int slot, int toA, int toB) const {
  const SRuleBall& ball = fBall(slot);
  if (ball.state == EBallState::Landed) return !fIsBlocked(toA, toB, ball.h);
  // A falling ball is between two layers: both must be free.
  return !fIsBlocked(toA, toB, ball.h) && !fIsBlocked(toA, toB, ball.h - 1);
}

void CStageRules::fMove(int slot, EDirection4 dir) {
  SRuleBall& ball = fBall(slot);
  int toA = ball.a;
  int toB = ball.b;
  switch (dir) {
    case EDirection4::Left: --toA; break;
    case EDirection4::Up: --toB; break;
    case EDirection4::Right: ++toA; break;
    case EDirection4::Down: ++toB; break;
  }
  if (!fCanMoveTo(slot, toA, toB)) return;
  fLeaveGrid(slot);
  ball.a = toA;
  ball.b = toB;
  fEnterGrid(slot);
  fUpdatePreview();
}

void CStageRules::fStartCameraTurn(EDirection4 way) {
  if (turning) return;
  fEmit(ERuleEvent::CameraTurn);
  turning = true;
  turnTarget = fRotateDirection(cameraDir, way, 1);
  turnWay = way;
}

void CStageRules::fAnimateCamera() {
  if (!turning) return;
  const double sweep = (90.0 / turnFrames) * turnStep;
  const double base = fDirectionToDegree(cameraDir);
  cameraAngle = fViewAngle(turnWay == EDirection4::Right ? base + sweep : base - sweep);
  if (++turnStep > turnFrames) {
    turnStep = 0;
    cameraDir = turnTarget;
    turning = false;
  }
}
