// The camera where the rules turn it, and the landing ghost.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "stage/CPlimoStage.h"
#include "stage/FieldView.h"
#include "stage/ModelTable.h"

namespace {

constexpr double kCameraDistance = 360.0;
constexpr double kCameraHeight = 560.0;
constexpr double kLightHeight = -280.0;
constexpr int kCellUnits = 32;
constexpr double kFieldOfViewDegrees = 36.0;
constexpr float kScreenCentreX = 200.0f;

// How much larger than at the designed field of view each mode's box is
// drawn, and the screen row the floor's centre lands on: the box fills the
// height left of the panel between the queue and the window's bottom, the
// taller and wider boxes a little less enlarged.
struct SModeView {
  double zoom;
  float centreY;
};
constexpr SModeView kModeViews[] = {{1.3, 386.0f}, {1.12, 388.0f}, {1.04, 388.0f}};

const SModeView& fModeView(int mode) {
  return kModeViews[static_cast<std::size_t>(std::clamp(mode, 0, static_cast<int>(std::size(kModeViews)) - 1))];
}

}  // namespace

double CPlimoStage::fFieldOfView(int mode) {
  const double half = fDegreeToRadian(kFieldOfViewDegrees / 2.0);
  return 2.0 * std::atan(std::tan(half) / fModeView(mode).zoom);
}

float CPlimoStage::fScreenCentreY(int mode) { return fModeView(mode).centreY; }

void CPlimoStage::fSetCamera(double angle) {
  const double radian = fDegreeToRadian(angle);
  const double s = std::sin(radian);
  const double c = std::cos(radian);
  cameraPos = VGet(static_cast<float>(kCameraDistance * s), static_cast<float>(kCameraDistance * c),
                   static_cast<float>(kCameraHeight));
  ChangeLightTypeDir(VGet(static_cast<float>(-kCameraDistance * s), static_cast<float>(-kCameraDistance * c),
                          static_cast<float>(kLightHeight)));
  // The box is shown left of and below the screen centre, beside the panel.
  SetCameraScreenCenter(kScreenCentreX, fScreenCentreY(rules.mode));
}

void CPlimoStage::fApplyView() {
  ChangeLightTypeDir(VGet(-cameraPos.x, -cameraPos.y, static_cast<float>(kLightHeight)));
  SetupCamera_Perspective(static_cast<float>(fFieldOfView(rules.mode)));
  SetCameraScreenCenter(kScreenCentreX, fScreenCentreY(rules.mode));
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
    mGhostLayer = -1.0;
  }
  // On what stands under the piece as it is drawn: after a clear the ghost
  // comes down with the falling column, not a cell above it.
  const double layer = fGhostLayer(rules);
  const VECTOR at = VGet(static_cast<float>(originA + kCellUnits * piece->a),
                         static_cast<float>(originB + kCellUnits * piece->b), static_cast<float>(kCellUnits * layer));
  const VECTOR placed = ghost->fPosition();
  if (layer == mGhostLayer && placed.x == at.x && placed.y == at.y) return;
  mGhostLayer = layer;
  ghost->fSetPosition(at);
}
