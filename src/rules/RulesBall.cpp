// One frame of a ball: falling, dropping, the piece's lock delay, resting
// balls that lose their support, and vanishing.
#include "rules/CStageRules.h"

namespace {

constexpr int kCell = 512;            // fall progress of one cell
constexpr int kLooseBallSpeed = 128;  // a resting ball whose support went

}  // namespace

void CStageRules::fUpdateBall(int slot) {
  const SRuleBall& ball = fBall(slot);
  if (!ball.alive) return;
  switch (ball.state) {
    case EBallState::Falling: fUpdateFalling(slot); break;
    case EBallState::Dropping: fUpdateDropping(slot); break;
    case EBallState::Landed: fUpdateLanded(slot); break;
    case EBallState::Locked:
    case EBallState::Settled: fUpdateResting(slot); break;
    case EBallState::Vanishing: fUpdateVanishing(slot); break;
  }
}

void CStageRules::fUpdateFalling(int slot) {
  SRuleBall& ball = fBall(slot);
  ball.progress += ball.speed;
  if (ball.progress < kCell) return;
  ball.progress = 0;
  if (fIsBlocked(ball.a, ball.b, ball.h - 1)) {
    // Something moved in below while the ball was on its way (the piece,
    // or a ball falling slower): never step onto it, rest where we are.
    fEnterGrid(slot);
    fLand(slot);
  } else {
    fLeaveGrid(slot);
    --ball.h;
    fEnterGrid(slot);
    if (fIsBlocked(ball.a, ball.b, ball.h - 1)) fLand(slot);
  }
}

void CStageRules::fLand(int slot) {
  SRuleBall& ball = fBall(slot);
  fEmitBall(ERuleEvent::BallLanded, ball);
  if (piece == slot) {
    ball.state = EBallState::Landed;
    return;
  }
  ball.state = EBallState::Settled;
  fCheckChains();
  fUpdatePreview();
}

void CStageRules::fUpdateDropping(int slot) {
  SRuleBall& ball = fBall(slot);
  ball.progress = 0;
  fLeaveGrid(slot);
  while (!fIsBlocked(ball.a, ball.b, ball.h - 1)) --ball.h;
  fEmitBall(ERuleEvent::BallLanded, ball);
  fEnterGrid(slot);
  if (piece == slot) {
    piece = kNoBall;
    ball.state = EBallState::Locked;
    fEmitBall(ERuleEvent::PieceLocked, ball);
  } else {
    ball.state = EBallState::Settled;
  }
  if (fTopOutTest(slot)) return;
  fCheckChains();
}

void CStageRules::fUpdateLanded(int slot) {
  SRuleBall& ball = fBall(slot);
  if (!fIsBlocked(ball.a, ball.b, ball.h - 1)) {
    // Moved out over a gap: fall on at the current speed.
    ball.state = EBallState::Falling;
    ball.speed = fallSpeed;
  } else if (++ball.lockCount > lockFrames) {
    // lockCount is never reset: one piece gets one lock delay in all.
    if (piece == slot) {
      piece = kNoBall;
      fEmitBall(ERuleEvent::PieceLocked, ball);
    }
    ball.state = EBallState::Locked;
    if (fTopOutTest(slot)) return;
    fCheckChains();
  }
}

void CStageRules::fUpdateResting(int slot) {
  SRuleBall& ball = fBall(slot);
  if (ball.h == 0) return;
  const int below = grid.fAt(ball.a, ball.b, ball.h - 1);
  if (below == kNoBall || fBall(below).state == EBallState::Falling) {
    ball.state = EBallState::Falling;
    ball.speed = kLooseBallSpeed;
  }
}

void CStageRules::fUpdateVanishing(int slot) {
  SRuleBall& ball = fBall(slot);
  if (--ball.vanishCount < 1) {
    fFinishVanish(slot);
    fLeaveGrid(slot);
    fUpdatePreview();
  }
}

bool CStageRules::fTopOutTest(int slot) {
  const SRuleBall& ball = fBall(slot);
  if (!fIsTopOutCell(ball.a, ball.b, ball.h)) return false;
  // -1 so that the first ToppingOut frame counts as 0.
  fEnterState(EState::ToppingOut, -1);
  fEmit(ERuleEvent::ToppingOut);
  return true;
}

void CStageRules::fStartVanish(int slot) {
  SRuleBall& ball = fBall(slot);
  ball.state = EBallState::Vanishing;
  ball.vanishCount = vanishFrames;
  fEmitBall(ERuleEvent::VanishStarted, ball, rensa);
}

void CStageRules::fFinishVanish(int slot) {
  const int points = 100 * rensa * rensa;
  score += points;
  SRuleBall& ball = fBall(slot);
  fEmitBall(ERuleEvent::BallRemoved, ball, points);
  fOnBallCleared();
  fBall(slot).alive = false;
  ++mRemovedInList;
}
