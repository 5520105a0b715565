#include "stage/CPlimoBall.h"

#include <cmath>
#include <numbers>

#include "stage/CPlimoStage.h"
#include "stage/ModelTable.h"
#include "util/Assert.h"

namespace {

constexpr int kCell = 512;          // fall progress of one cell
constexpr int kCellUnits = 32;      // world units of one cell
constexpr int kLooseBallSpeed = 128;  // a resting ball whose support went
// A ball that the piece would clear glows brighter and back, once every
// kPulseFrames frames.
constexpr int kPulseFrames = 40;
constexpr float kPulseLow = 1.15f;
constexpr float kPulseHigh = 1.75f;

}  // namespace

CPlimoBall::CPlimoBall(CPlimoStage& stage, int serial_, int a_, int b_, int h_, int colour_, bool fromHold_)
    : serial(serial_), mStage(stage), a(a_), b(b_), h(h_), colour(colour_), fromHold(fromHold_),
      speed(stage.fallSpeed) {
  const CModelTable& table = stage.mModelTable;
  const VECTOR at = fWorldPosition();
  model = CModel(table.fDuplicate(fBallModelName(colour, false)), at, VECTOR{});
  highlightModel = CModel(table.fDuplicate(fBallModelName(colour, true)), at, VECTOR{});
}

VECTOR CPlimoBall::fWorldPosition() const {
  const double x = mStage.originA + kCellUnits * a;
  const double y = mStage.originB + kCellUnits * b;
  const double z = kCellUnits * h - kCellUnits * progress / static_cast<double>(kCell);
  return VGet(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void CPlimoBall::fRestorePlacement(const SPlacement& placement) {
  mPlacedA = placement.a;
  mPlacedB = placement.b;
  mPlacedH = placement.h;
  mPlacedProgress = placement.progress;
}

void CPlimoBall::fUpdateModelPosition() {
  // Resting balls are placed again every frame: skip the unchanged ones.
  if (a == mPlacedA && b == mPlacedB && h == mPlacedH && progress == mPlacedProgress) return;
  mPlacedA = a;
  mPlacedB = b;
  mPlacedH = h;
  mPlacedProgress = progress;
  const VECTOR at = fWorldPosition();
  model.fSetPosition(at);
  highlightModel.fSetPosition(at);
}

void CPlimoBall::fSetHighlight(bool on) {
  if (highlighted && !on) fPlainLook();
  highlighted = on;
}

// The glow is set as a highlighted ball is drawn in play; the plain look comes
// back from the game's state alone, never from what an earlier frame drew, so
// a stage rebuilt to the same frame draws exactly the same calls.
void CPlimoBall::fPlainLook() {
  if (!mDarkened && model.fHandle() != -1) MV1SetDifColorScale(model.fHandle(), GetColorF(1.0f, 1.0f, 1.0f, 1.0f));
}

void CPlimoBall::fDraw() {
  if (!alive) return;
  if (state == EState::Vanishing) {
    if (highlighted) fPlainLook();
    // Blinks with a period of ten frames.
    if (vanishCount % 10 < 5) model.fDraw();
    return;
  }
  const bool inPlay = mStage.state == CPlimoStage::EState::Playing || mStage.state == CPlimoStage::EState::Finishing;
  if (highlighted && inPlay && model.fHandle() != -1) {
    const double phase = 2.0 * std::numbers::pi * (mStage.frameCount % kPulseFrames) / kPulseFrames;
    const auto glow = static_cast<float>(kPulseLow + (kPulseHigh - kPulseLow) * (0.5 - 0.5 * std::cos(phase)));
    MV1SetDifColorScale(model.fHandle(), GetColorF(glow, glow, glow, 1.0f));
    model.fDraw();
    return;
  }
  if (highlighted) {
    fPlainLook();
    highlightModel.fDraw();
  } else {
    model.fDraw();
  }
}

void CPlimoBall::fDarken() {
  const COLOR_F dark = GetColorF(0.05f, 0.05f, 0.05f, 0.95f);
  mDarkened = true;
  if (model.fHandle() != -1) MV1SetDifColorScale(model.fHandle(), dark);
  if (highlightModel.fHandle() != -1) MV1SetDifColorScale(highlightModel.fHandle(), dark);
}

void CPlimoBall::fReleaseModels() {
  model.fDelete();
  highlightModel.fDelete();
}

bool CPlimoBall::fIsInGrid() const {
  return mStage.grid.fIsInside(a, b, h) && mStage.grid.fAt(a, b, h) == this;
}

void CPlimoBall::fEnterGrid() {
  CPlimoBall* holder = mStage.grid.fAt(a, b, h);
  PLIMO_ASSERT(holder == nullptr || holder == this, "a ball entered a cell that holds another ball");
  mStage.grid.fSet(a, b, h, this);
}

void CPlimoBall::fLeaveGrid() {
  // A piece or garbage ball that never stepped down is not in the grid yet.
  if (fIsInGrid()) mStage.grid.fSet(a, b, h, nullptr);
}

// ---- movement ----

bool CPlimoBall::fCanMoveTo(int toA, int toB) const {
  if (state == EState::Landed) return !mStage.fIsBlocked(toA, toB, h);
  // A falling ball is between two layers: both must be free.
  return !mStage.fIsBlocked(toA, toB, h) && !mStage.fIsBlocked(toA, toB, h - 1);
}

void CPlimoBall::fMove(EDirection4 dir) {
  int toA = a;
  int toB = b;
  switch (dir) {
    case EDirection4::Left: --toA; break;
    case EDirection4::Up: --toB; break;
    case EDirection4::Right: ++toA; break;
    case EDirection4::Down: ++toB; break;
  }
  if (fCanMoveTo(toA, toB)) {
    fLeaveGrid();
    a = toA;
    b = toB;
    fEnterGrid();
    mStage.fUpdatePreview();
  }
  fUpdateModelPosition();
}

void CPlimoBall::fDrop() { state = EState::Dropping; }

// ---- per frame ----

void CPlimoBall::fUpdate() {
  if (!alive) return;
  switch (state) {
    case EState::Falling: fUpdateFalling(); break;
    case EState::Dropping: fUpdateDropping(); break;
    case EState::Landed: fUpdateLanded(); break;
    case EState::Locked:
    case EState::Settled: fUpdateResting(); break;
    case EState::Vanishing: fUpdateVanishing(); break;
  }
}

void CPlimoBall::fUpdateFalling() {
  progress += speed;
  if (progress >= kCell) {
    progress = 0;
    if (mStage.fIsBlocked(a, b, h - 1)) {
      // Something moved in below while the ball was on its way (the piece,
      // or a ball falling slower): never step onto it, rest where we are.
      fEnterGrid();
      fLand();
    } else {
      fLeaveGrid();
      --h;
      fEnterGrid();
      if (mStage.fIsBlocked(a, b, h - 1)) fLand();
    }
  }
  fUpdateModelPosition();
}

void CPlimoBall::fLand() {
  CPlimoStage::fPlaySound(ESoundEffect::PutA22);
  if (mStage.piece == this) {
    state = EState::Landed;
    return;
  }
  state = EState::Settled;
  mStage.fCheckChains();
  mStage.fUpdatePreview();
}

void CPlimoBall::fUpdateDropping() {
  progress = 0;
  fLeaveGrid();
  while (!mStage.fIsBlocked(a, b, h - 1)) --h;
  CPlimoStage::fPlaySound(ESoundEffect::PutA22);
  fEnterGrid();
  if (mStage.piece == this) {
    mStage.piece = nullptr;
    state = EState::Locked;
  } else {
    state = EState::Settled;
  }
  if (fTopOutTest()) return;
  mStage.fCheckChains();
  fUpdateModelPosition();
}

void CPlimoBall::fUpdateLanded() {
  if (!mStage.fIsBlocked(a, b, h - 1)) {
    // Moved out over a gap: fall on at the current speed.
    state = EState::Falling;
    speed = mStage.fallSpeed;
  } else if (++lockCount > mStage.lockFrames) {
    // lockCount is never reset: one piece gets one lock delay in all.
    if (mStage.piece == this) mStage.piece = nullptr;
    state = EState::Locked;
    if (fTopOutTest()) return;
    mStage.fCheckChains();
  }
  fUpdateModelPosition();
}

void CPlimoBall::fUpdateResting() {
  if (h > 0) {
    const CPlimoBall* below = mStage.grid.fAt(a, b, h - 1);
    if (below == nullptr || below->state == EState::Falling) {
      state = EState::Falling;
      speed = kLooseBallSpeed;
    }
  }
  fUpdateModelPosition();
}

void CPlimoBall::fUpdateVanishing() {
  if (--vanishCount < 1) {
    fFinishVanish();
    fLeaveGrid();
    mStage.fUpdatePreview();
    return;  // the models are gone
  }
  fUpdateModelPosition();
}

bool CPlimoBall::fTopOutTest() {
  if (!mStage.fIsTopOutCell(a, b, h)) return false;
  // -1 so that the first ToppingOut frame counts as 0.
  mStage.fEnterState(CPlimoStage::EState::ToppingOut, -1);
  return true;
}

// ---- clearing ----

void CPlimoBall::fStartVanish() {
  state = EState::Vanishing;
  vanishCount = mStage.vanishFrames;
  CPlimoStage::fPlaySound(ESoundEffect::Power04);
}

void CPlimoBall::fFinishVanish() {
  mStage.score += 100 * mStage.rensa * mStage.rensa;
  mStage.fOnBallCleared();
  alive = false;
  fReleaseModels();
}
