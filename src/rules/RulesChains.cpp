// Groups, vanishing, chains, score, level, garbage meter and the landing
// preview.
#include <algorithm>

#include "rules/CStageRules.h"
#include "rules/StageModes.h"

namespace {

struct SOffset {
  int da, db, dh;
};
// The six face neighbours, in the order every search visits them.
constexpr SOffset kNeighbours[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

constexpr int kFastSpeedLimit = 16;  // below it the fall speed doubles per level
constexpr int kSpeedStep = 8;
constexpr int kVanishStep = 5;
constexpr int kNoMark = -1;

}  // namespace

// The work grid starts as a copy of the grid with no marks and no counters.
void CStageRules::fResetWork() {
  mWorkBall = grid.fCells();
  mWorkMark.assign(mWorkBall.size(), kNoMark);
  mCounters.clear();
}

void CStageRules::fCheckChains() {
  fResetWork();
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) {
      for (int h = 0; h < H; ++h) {
        const std::size_t cell = grid.fIndex(a, b, h);
        const int slot = mWorkBall[cell];
        if (slot == kNoBall || mWorkMark[cell] != kNoMark) continue;
        const SRuleBall& ball = fBall(slot);
        if (ball.state == EBallState::Vanishing) continue;
        mCounters.push_back(0);
        // Garbage never starts a group.
        if (ball.colour != kColourOzyama) {
          fFloodGroup(ball.colour, ball.state, a, b, h, static_cast<int>(mCounters.size()) - 1);
        }
      }
    }
  }
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) {
      for (int h = 0; h < H; ++h) {
        const std::size_t cell = grid.fIndex(a, b, h);
        const int mark = mWorkMark[cell];
        if (mWorkBall[cell] == kNoBall || mark == kNoMark || mCounters[static_cast<std::size_t>(mark)] < groupSize) {
          continue;
        }
        fStartVanish(mWorkBall[cell]);
        for (const SOffset& n : kNeighbours) fClearAdjacentOzyama(a + n.da, b + n.db, h + n.dh);
      }
    }
  }
}

void CStageRules::fFloodGroup(int colour, EBallState startState, int a, int b, int h, int counter) {
  if (!grid.fIsInside(a, b, h)) return;
  const std::size_t cell = grid.fIndex(a, b, h);
  const int slot = mWorkBall[cell];
  if (slot == kNoBall || mWorkMark[cell] != kNoMark) return;
  const SRuleBall& ball = fBall(slot);
  // A vanishing ball may still join a group whose search began at a settled ball.
  if (ball.state == EBallState::Vanishing && startState == EBallState::Locked) return;
  if (ball.state == EBallState::Falling || slot == piece || ball.colour != colour) return;
  ++mCounters[static_cast<std::size_t>(counter)];
  mWorkMark[cell] = counter;
  // At most W x D x H cells deep: the recursion stays shallow.
  for (const SOffset& n : kNeighbours) fFloodGroup(colour, startState, a + n.da, b + n.db, h + n.dh, counter);
}

void CStageRules::fClearAdjacentOzyama(int a, int b, int h) {
  if (!fIsInside(a, b, h)) return;
  const int slot = grid.fAt(a, b, h);
  if (slot != kNoBall && fBall(slot).colour == kColourOzyama) fStartVanish(slot);
}

void CStageRules::fUpdateChainPhase() {
  const EStateForRensa old = chainPhase;
  chainPhase = EStateForRensa::Still;
  // Balls removed in this frame are still listed, and still count.
  for (const int slot : balls) {
    const SRuleBall& ball = fBall(slot);
    if (ball.state == EBallState::Vanishing) {
      chainPhase = EStateForRensa::Clearing;
      break;
    }
    if (ball.state == EBallState::Falling && slot != piece) {
      chainPhase = EStateForRensa::Moving;
      break;
    }
  }
  if (old != EStateForRensa::Clearing && chainPhase == EStateForRensa::Clearing) {
    ++rensa;
    maxRensa = std::max(maxRensa, rensa);
    fEmit(ERuleEvent::ChainStep, rensa);
  }
  if (chainPhase == EStateForRensa::Still && rensa > 0) {
    if (rensa == 1) {
      ++garbageMeter;
    } else if (rensa >= 3) {
      garbageMeter = std::max(0, garbageMeter - (rensa - 2));
    }
    rensa = 0;
  }
}

void CStageRules::fOnBallCleared() {
  ++cleared;
  const int newLevel = cleared / fModeInfo(mode).clearedPerLevel + 1;
  if (newLevel == level) return;
  level = newLevel;
  if (level % 3 == 0) garbageLimit = std::max(1, garbageLimit - 1);
  fallSpeed = fallSpeed < kFastSpeedLimit ? fallSpeed * 2 : fallSpeed + kSpeedStep;
  vanishFrames -= kVanishStep;
  fEmit(ERuleEvent::LevelUp, level);
}

bool CStageRules::fGarbageDue() {
  if (garbageMeter < garbageLimit) return false;
  garbageMeter = 0;
  return true;
}

void CStageRules::fUpdatePreview() {
  for (const int slot : balls) fBall(slot).highlighted = false;
  if (piece == kNoBall) return;
  const SRuleBall& moving = fBall(piece);
  const int layer = fLandingLayer(moving.a, moving.b, moving.h);
  fResetWork();
  // The piece is pictured in its landing cell, not where it is now: it must
  // not count a second time from its present cell.
  if (fIsInGrid(piece)) mWorkBall[grid.fIndex(moving.a, moving.b, moving.h)] = kNoBall;
  mCounters.push_back(1);
  const std::size_t landing = grid.fIndex(moving.a, moving.b, layer);
  mWorkBall[landing] = piece;
  mWorkMark[landing] = 0;
  for (const SOffset& n : kNeighbours) fFloodPreview(moving.colour, moving.a + n.da, moving.b + n.db, layer + n.dh, 0);
  if (mCounters[0] < groupSize) return;
  bool any = false;
  for (std::size_t cell = 0; cell < mWorkBall.size(); ++cell) {
    const int slot = mWorkBall[cell];
    if (slot == kNoBall || mWorkMark[cell] == kNoMark || slot == piece) continue;
    fBall(slot).highlighted = true;
    any = true;
  }
  if (any) fBall(piece).highlighted = true;
}

void CStageRules::fFloodPreview(int colour, int a, int b, int h, int counter) {
  if (!grid.fIsInside(a, b, h)) return;
  const std::size_t cell = grid.fIndex(a, b, h);
  const int slot = mWorkBall[cell];
  if (slot == kNoBall || mWorkMark[cell] != kNoMark) return;
  const SRuleBall& ball = fBall(slot);
  if (ball.state == EBallState::Vanishing || ball.colour != colour) return;
  ++mCounters[static_cast<std::size_t>(counter)];
  mWorkMark[cell] = counter;
  for (const SOffset& n : kNeighbours) fFloodPreview(colour, a + n.da, b + n.db, h + n.dh, counter);
}
