// The camera orbiting the box in quarter-turns, and the landing ghost.
#include <cmath>

#include "stage/CPlimoStage.h"
#include "stage/ModelTable.h"

namespace {

constexpr double kCameraDistance = 360.0;
constexpr double kCameraHeight = 560.0;
constexpr double kLightHeight = -280.0;
constexpr double kRestOffset = 16.0;  // the rest angle sits 16 degrees short of the quarter
// The camera stands a quarter further round than the direction it is named
// after: the keys turn with cameraDir the way replays expect, and from there
// each of them moves the ball the same way on screen.
constexpr double kViewQuarter = 90.0;
constexpr float kGhostOpacity = 0.4f;
constexpr int kCellUnits = 32;

}  // namespace

double CPlimoStage::fViewAngle(double directionDegree) { return directionDegree + kViewQuarter - kRestOffset; }

void CPlimoStage::fSetCamera(double angle) {
  const double radian = fDegreeToRadian(angle);
  const double s = std::sin(radian);
  const double c = std::cos(radian);
  cameraPos = VGet(static_cast<float>(kCameraDistance * s), static_cast<float>(kCameraDistance * c),
                   static_cast<float>(kCameraHeight));
  ChangeLightTypeDir(VGet(static_cast<float>(-kCameraDistance * s), static_cast<float>(-kCameraDistance * c),
                          static_cast<float>(kLightHeight)));
  // The box is shown left of and below the screen centre, beside the panel.
  SetCameraScreenCenter(200.0f, 380.0f);
}

void CPlimoStage::fApplyView() {
  ChangeLightTypeDir(VGet(-cameraPos.x, -cameraPos.y, static_cast<float>(kLightHeight)));
  SetCameraScreenCenter(200.0f, 380.0f);
  SetCameraPositionAndTargetAndUpVec(cameraPos, VGet(0.0f, 0.0f, 0.0f), VGet(0.0f, 0.0f, 1.0f));
}

void CPlimoStage::fStartCameraTurn(EDirection4 way) {
  if (turning) return;
  fPlaySound(ESoundEffect::Pi14);
  turning = true;
  turnTarget = fRotateDirection(cameraDir, way, 1);
  turnWay = way;
}

void CPlimoStage::fAnimateCamera() {
  if (!turning) return;
  const double sweep = (90.0 / turnFrames) * turnStep;
  const double base = fDirectionToDegree(cameraDir);
  const double angle = turnWay == EDirection4::Right ? base + sweep : base - sweep;
  fSetCamera(fViewAngle(angle));
  if (++turnStep > turnFrames) {
    turnStep = 0;
    cameraDir = turnTarget;
    turning = false;
  }
}

void CPlimoStage::fCreateGhost() { fMakeGhost(piece->colour, piece->fWorldPosition()); }

void CPlimoStage::fMakeGhost(int colour, VECTOR at) {
  if (ghost) ghost->fDelete();
  const int handle = mModelTable.fDuplicate(fBallModelName(colour, false));
  ghostColour = colour;
  ghost = std::make_unique<CModel>(handle, at, VECTOR{});
  if (handle != -1) MV1SetOpacityRate(handle, kGhostOpacity);
}

void CPlimoStage::fUpdateGhost() {
  if (piece == nullptr || !ghost) return;
  const int layer = fLandingLayer(piece->a, piece->b, piece->h);
  ghost->fSetPosition(VGet(static_cast<float>(originA + kCellUnits * piece->a),
                           static_cast<float>(originB + kCellUnits * piece->b),
                           static_cast<float>(kCellUnits * layer)));
}
