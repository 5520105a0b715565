// Groups, vanishing, chains, score, level, garbage meter and the landing
// preview.
#include <algorithm>

#include "stage/CPlimoStage.h"
#include "stage/StageModes.h"

namespace {

struct SOffset {
  int da, db, dh;
};
// The six face neighbours, in the order every search visits them.
constexpr SOffset kNeighbours[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

constexpr int kFastSpeedLimit = 16;  // below it the fall speed doubles per level
constexpr int kSpeedStep = 8;
constexpr int kVanishStep = 5;

}  // namespace

void CPlimoStage::fCheckChains() {
  CWorkGrid work = fMakeWorkGrid();
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) {
      for (int h = 0; h < H; ++h) {
        SInfoForChainCheck& cell = work.fAt(a, b, h);
        if (cell.ball == nullptr || cell.ball->state == CPlimoBall::EState::Vanishing || cell.mark != nullptr) {
          continue;
        }
        int* counter = work.fNewCounter();
        // Garbage never starts a group.
        if (cell.ball->colour != kColourOzyama) fFloodGroup(cell.ball->colour, cell.ball->state, a, b, h, counter, work);
      }
    }
  }
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) {
      for (int h = 0; h < H; ++h) {
        const SInfoForChainCheck& cell = work.fAt(a, b, h);
        if (cell.ball == nullptr || cell.mark == nullptr || *cell.mark < groupSize) continue;
        cell.ball->fStartVanish();
        for (const SOffset& n : kNeighbours) fClearAdjacentOzyama(a + n.da, b + n.db, h + n.dh);
      }
    }
  }
}

void CPlimoStage::fFloodGroup(int colour, CPlimoBall::EState startState, int a, int b, int h, int* counter,
                              CWorkGrid& work) {
  if (!work.fIsInside(a, b, h)) return;
  SInfoForChainCheck& cell = work.fAt(a, b, h);
  const CPlimoBall* ball = cell.ball;
  if (ball == nullptr || cell.mark != nullptr) return;
  // A vanishing ball may still join a group whose search began at a settled ball.
  if (ball->state == CPlimoBall::EState::Vanishing && startState == CPlimoBall::EState::Locked) return;
  if (ball->state == CPlimoBall::EState::Falling || ball == piece || ball->colour != colour) return;
  ++*counter;
  cell.mark = counter;
  // At most W x D x H cells deep: the recursion stays shallow.
  for (const SOffset& n : kNeighbours) fFloodGroup(colour, startState, a + n.da, b + n.db, h + n.dh, counter, work);
}

void CPlimoStage::fClearAdjacentOzyama(int a, int b, int h) {
  if (!fIsInside(a, b, h)) return;
  CPlimoBall* ball = grid.fAt(a, b, h);
  if (ball != nullptr && ball->colour == kColourOzyama) ball->fStartVanish();
}

void CPlimoStage::fUpdateChainPhase() {
  const EStateForRensa old = chainPhase;
  chainPhase = EStateForRensa::Still;
  // Balls removed in this frame are still listed, and still count.
  for (const auto& ball : balls) {
    if (ball->state == CPlimoBall::EState::Vanishing) {
      chainPhase = EStateForRensa::Clearing;
      break;
    }
    if (ball->state == CPlimoBall::EState::Falling && ball.get() != piece) {
      chainPhase = EStateForRensa::Moving;
      break;
    }
  }
  if (old != EStateForRensa::Clearing && chainPhase == EStateForRensa::Clearing) {
    ++rensa;
    maxRensa = std::max(maxRensa, rensa);
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

void CPlimoStage::fOnBallCleared() {
  ++cleared;
  const int newLevel = cleared / fModeInfo(mode).clearedPerLevel + 1;
  if (newLevel == level) return;
  level = newLevel;
  if (level % 3 == 0) garbageLimit = std::max(1, garbageLimit - 1);
  fallSpeed = fallSpeed < kFastSpeedLimit ? fallSpeed * 2 : fallSpeed + kSpeedStep;
  vanishFrames -= kVanishStep;
}

bool CPlimoStage::fGarbageDue() {
  if (garbageMeter < garbageLimit) return false;
  garbageMeter = 0;
  return true;
}

void CPlimoStage::fUpdatePreview() {
  for (auto& ball : balls) ball->fSetHighlight(false);
  if (piece == nullptr) return;
  const int layer = fLandingLayer(piece->a, piece->b, piece->h);
  CWorkGrid work = fMakeWorkGrid();
  // The piece is pictured in its landing cell, not where it is now: it must
  // not count a second time from its present cell.
  if (piece->fIsInGrid()) work.fAt(piece->a, piece->b, piece->h).ball = nullptr;
  int* counter = work.fNewCounter();
  SInfoForChainCheck& landing = work.fAt(piece->a, piece->b, layer);
  landing.ball = piece;
  *counter = 1;
  landing.mark = counter;
  for (const SOffset& n : kNeighbours) {
    fFloodPreview(piece->colour, piece->a + n.da, piece->b + n.db, layer + n.dh, counter, work);
  }
  if (*counter < groupSize) return;
  bool any = false;
  for (int a = 0; a < W; ++a) {
    for (int b = 0; b < D; ++b) {
      for (int h = 0; h < H; ++h) {
        const SInfoForChainCheck& cell = work.fAt(a, b, h);
        if (cell.ball == nullptr || cell.mark == nullptr || cell.ball == piece) continue;
        cell.ball->fSetHighlight(true);
        any = true;
      }
    }
  }
  if (any) piece->fSetHighlight(true);
}

void CPlimoStage::fFloodPreview(int colour, int a, int b, int h, int* counter, CWorkGrid& work) {
  if (!work.fIsInside(a, b, h)) return;
  SInfoForChainCheck& cell = work.fAt(a, b, h);
  if (cell.ball == nullptr || cell.mark != nullptr) return;
  if (cell.ball->state == CPlimoBall::EState::Vanishing || cell.ball->colour != colour) return;
  ++*counter;
  cell.mark = counter;
  for (const SOffset& n : kNeighbours) fFloodPreview(colour, a + n.da, b + n.db, h + n.dh, counter, work);
}
