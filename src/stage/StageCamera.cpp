// The camera where the rules turn it, and the landing ghost.
#include <cmath>

#include "stage/CPlimoStage.h"
#include "stage/ModelTable.h"

namespace {

constexpr double kCameraDistance = 360.0;
constexpr double kCameraHeight = 560.0;
constexpr double kLightHeight = -280.0;
constexpr int kCellUnits = 32;

}  // namespace

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

void CPlimoStage::fFollowCamera() {
  // Only a camera step moves the camera; the light and the screen centre
  // follow it.
  if (rules.fCameraAngle() == mShownAngle) return;
  mShownAngle = rules.fCameraAngle();
  fSetCamera(mShownAngle);
}

void CPlimoStage::fPlaceGhost() {
  const SRuleBall* piece = rules.fPiece();
  if (piece == nullptr) return;
  if (!ghost || ghostColour != piece->colour) {
    if (ghost) ghost->fDelete();
    const int handle = mModelTable.fDuplicate(fBallModelName(piece->colour, false));
    ghostColour = piece->colour;
    ghost = std::make_unique<CModel>(handle, VECTOR{}, VECTOR{});
    mGhostCell = -1;
  }
  const int layer = rules.fLandingLayer(piece->a, piece->b, piece->h);
  const int cell = static_cast<int>(rules.grid.fIndex(piece->a, piece->b, layer));
  if (cell == mGhostCell) return;
  mGhostCell = cell;
  ghost->fSetPosition(VGet(static_cast<float>(originA + kCellUnits * piece->a),
                           static_cast<float>(originB + kCellUnits * piece->b),
                           static_cast<float>(kCellUnits * layer)));
}
