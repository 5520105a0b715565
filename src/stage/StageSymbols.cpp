// The ball symbols face the camera: the balls turn about the vertical with
// it, so the symbol on a ball's top reads upright from every side.
#include <numbers>

#include "stage/CPlimoStage.h"

void CPlimoStage::fTurnSymbolsToCamera() {
  if (!mBallSymbols) return;
  // The camera stands at (sin, cos) of its angle; a turn of pi - angle
  // points the top symbol's up (+y on the model) away from it.
  const float turn = static_cast<float>(std::numbers::pi - fDegreeToRadian(mShownAngle));
  const VECTOR rotation = VGet(0.0f, 0.0f, turn);
  auto face = [&](CModel& model) {
    if (model.fHandle() != -1) MV1SetRotationXYZ(model.fHandle(), rotation);
  };
  for (auto& [id, ball] : mBallModels) {
    face(ball.model);
    face(ball.highlightModel);
  }
  if (ghost) face(*ghost);
}
