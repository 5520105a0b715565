#include "stage/CPlimoBall.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int kCell = 512;      // fall progress of one cell
constexpr int kCellUnits = 32;  // world units of one cell
// A ball that the piece would clear glows brighter and back, once every
// kPulseFrames frames.
constexpr int kPulseFrames = 40;
constexpr float kPulseLow = 1.15f;
constexpr float kPulseHigh = 1.75f;

// The look is set from the ball's state each time it is drawn, never kept
// from what an earlier frame drew, so a game restored to a frame draws
// exactly what straight play draws there.
void fSetLook(CModel& model, float brightness, float alpha) {
  if (model.fHandle() != -1) MV1SetDifColorScale(model.fHandle(), GetColorF(brightness, brightness, brightness, alpha));
}

void fSetRestingLook(CModel& model, const SRuleBall& ball) {
  // The top-out look: nearly black, for good.
  if (ball.darkened) {
    fSetLook(model, 0.05f, 0.95f);
  } else {
    fSetLook(model, 1.0f, 1.0f);
  }
}

}  // namespace

VECTOR fBallWorldPosition(const SRuleBall& ball, double originA, double originB) {
  const double x = originA + kCellUnits * ball.a;
  const double y = originB + kCellUnits * ball.b;
  const double z = kCellUnits * ball.h - kCellUnits * ball.progress / static_cast<double>(kCell);
  return VGet(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

CPlimoBall::CPlimoBall(const CModelTable& table, const SRuleBall& ball, double originA, double originB)
    : mOriginA(originA), mOriginB(originB), mColour(ball.colour) {
  const VECTOR at = fBallWorldPosition(ball, originA, originB);
  model = CModel(table.fDuplicate(fBallModelName(ball.colour, false)), at, VECTOR{});
  highlightModel = CModel(table.fDuplicate(fBallModelName(ball.colour, true)), at, VECTOR{});
  mPlacedA = ball.a;
  mPlacedB = ball.b;
  mPlacedH = ball.h;
  mPlacedProgress = ball.progress;
}

void CPlimoBall::fPlace(const SRuleBall& ball) {
  // Resting balls are placed again every frame: skip the unchanged ones.
  if (ball.a == mPlacedA && ball.b == mPlacedB && ball.h == mPlacedH && ball.progress == mPlacedProgress) return;
  mPlacedA = ball.a;
  mPlacedB = ball.b;
  mPlacedH = ball.h;
  mPlacedProgress = ball.progress;
  const VECTOR at = fBallWorldPosition(ball, mOriginA, mOriginB);
  model.fSetPosition(at);
  highlightModel.fSetPosition(at);
}

void CPlimoBall::fDraw(const SRuleBall& ball, bool inPlay, int frameCount) {
  if (!ball.alive) return;
  if (ball.state == EBallState::Vanishing) {
    // Blinks with a period of ten frames.
    if (ball.vanishCount % 10 < 5) {
      fSetRestingLook(model, ball);
      model.fDraw();
    }
    return;
  }
  if (ball.highlighted && inPlay) {
    const double phase = 2.0 * std::numbers::pi * (frameCount % kPulseFrames) / kPulseFrames;
    fSetLook(model, static_cast<float>(kPulseLow + (kPulseHigh - kPulseLow) * (0.5 - 0.5 * std::cos(phase))), 1.0f);
    model.fDraw();
    return;
  }
  CModel& shown = ball.highlighted ? highlightModel : model;
  fSetRestingLook(shown, ball);
  shown.fDraw();
}

void CPlimoBall::fSetOpacity(float rate) {
  for (const CModel* shown : {&model, &highlightModel}) {
    if (shown->fHandle() != -1) MV1SetOpacityRate(shown->fHandle(), rate);
  }
}

void CPlimoBall::fReleaseModels() {
  model.fDelete();
  highlightModel.fDelete();
}
