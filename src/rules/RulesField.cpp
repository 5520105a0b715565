// Building a game's rules, and the field queries and bookkeeping they share.
#include <utility>

#include "rules/CStageRules.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

constexpr double kViewQuarter = 90.0;  // the camera stands a quarter further round than its direction
constexpr double kRestOffset = 16.0;   // and 16 degrees short of that quarter

}  // namespace

CStageRules::CStageRules(int mode_, CRandom random) : mRandom(std::move(random)) {
  const SModeInfo& info = fModeInfo(mode_);
  PLIMO_ASSERT(info.maxColour <= kColourOzyama, "a mode deals a colour that does not exist");
  mode = mode_;
  groupSize = info.groupSize;
  maxColour = info.maxColour;
  W = info.width;
  D = info.depth;
  H = info.height;
  ballLimit = info.ballLimit;
  grid = CRuleGrid(W, D, H);
  // Every cell, a garbage layer not yet stepped down and the piece: the
  // pool never grows past this, so it never moves while a game runs.
  mPool.reserve(static_cast<std::size_t>(W * D * H + W * D + 2));
  cameraAngle = fViewAngle(fDirectionToDegree(cameraDir));
  for (SAppairInfo& entry : queue) entry = fDeal();
}

double CStageRules::fViewAngle(double directionDegree) { return directionDegree + kViewQuarter - kRestOffset; }

std::size_t CStageRules::fMemoryBytes() const {
  auto held = [](const auto& list) { return list.capacity() * sizeof(list[0]); };
  return sizeof *this + held(balls) + held(grid.fCells()) + held(hold) + held(mPool) + held(mFree) + held(mEvents) +
         held(mWorkBall) + held(mWorkMark) + held(mCounters);
}

int CStageRules::fLandingLayer(int a, int b, int h) const {
  int layer = h;
  while (!fIsBlocked(a, b, layer - 1)) --layer;
  return layer;
}

const SRuleBall* CStageRules::fBallAt(int a, int b, int h) const {
  const int slot = grid.fAt(a, b, h);
  return slot == kNoBall ? nullptr : &fBall(slot);
}

int CStageRules::fAddBall(SRuleBall ball) {
  ball.id = mNextId++;
  int slot;
  if (!mFree.empty()) {
    slot = mFree.back();
    mFree.pop_back();
    fBall(slot) = ball;
  } else {
    slot = static_cast<int>(mPool.size());
    mPool.push_back(ball);
  }
  balls.push_back(slot);
  return slot;
}

bool CStageRules::fIsInGrid(int slot) const {
  const SRuleBall& ball = fBall(slot);
  return grid.fIsInside(ball.a, ball.b, ball.h) && grid.fAt(ball.a, ball.b, ball.h) == slot;
}

void CStageRules::fEnterGrid(int slot) {
  const SRuleBall& ball = fBall(slot);
  const int holder = grid.fAt(ball.a, ball.b, ball.h);
  PLIMO_ASSERT(holder == kNoBall || holder == slot, "a ball entered a cell that holds another ball");
  grid.fSet(ball.a, ball.b, ball.h, slot);
}

void CStageRules::fLeaveGrid(int slot) {
  // A piece or garbage ball that never stepped down is not in the grid yet.
  if (fIsInGrid(slot)) {
    const SRuleBall& ball = fBall(slot);
    grid.fSet(ball.a, ball.b, ball.h, kNoBall);
  }
}

void CStageRules::fEnterState(EState next, int timer) {
  state = next;
  stateTimer = timer;
}

void CStageRules::fEmitBall(ERuleEvent kind, const SRuleBall& ball, int value) {
  mEvents.push_back(SRuleEvent{kind, value, ball.id, ball.colour, ball.a, ball.b, ball.h});
}

const char* fRuleStateName(CStageRules::EState state) {
  switch (state) {
    case CStageRules::EState::Ready: return "Ready";
    case CStageRules::EState::Playing: return "Playing";
    case CStageRules::EState::ToppingOut: return "ToppingOut";
    case CStageRules::EState::Finishing: return "Finishing";
    case CStageRules::EState::GameOver: return "GameOver";
    case CStageRules::EState::StageClear: return "StageClear";
  }
  return "Unknown";
}
