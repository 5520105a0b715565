// The camera maths: where a world point shows on the 640 x 480 screen, for
// the stage's own camera above all.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "gamelib/sdl/Camera3D.h"

namespace {

constexpr float kWidth = 640.0f;
constexpr float kHeight = 480.0f;

float fRadians(double degrees) { return static_cast<float>(degrees * std::numbers::pi / 180.0); }

// The stage's camera at a given angle: orbiting at 360, 560 up, looking at
// the origin, the view's centre at (200, 380).
SCamera3D fStageCamera(double degrees) {
  SCamera3D camera;
  camera.fieldOfView = fRadians(36.0);
  const float a = fRadians(degrees);
  camera.eye = {360.0f * std::sin(a), 360.0f * std::cos(a), 560.0f};
  camera.target = {0.0f, 0.0f, 0.0f};
  camera.up = {0.0f, 0.0f, 1.0f};
  camera.centreX = 200.0f;
  camera.centreY = 380.0f;
  return camera;
}

SScreenPosition fShow(const SCamera3D& camera, SVector3 point) {
  const auto shown = fProjectToScreen(fViewProjectionMatrix(camera, kWidth, kHeight), point, kWidth, kHeight);
  EXPECT_TRUE(shown.has_value());
  return shown.value_or(SScreenPosition{});
}

TEST(SdlCamera3D, TheLineOfSightLandsOnTheScreenCentreAsked) {
  SCamera3D camera = fStageCamera(74.0);
  for (const SVector3 ahead : {SVector3{0, 0, 0}, camera.eye + (camera.target - camera.eye) * 0.5f,
                               camera.eye + (camera.target - camera.eye) * 3.0f}) {
    const SScreenPosition shown = fShow(camera, ahead);
    EXPECT_NEAR(shown.x, 200.0f, 1e-3f);
    EXPECT_NEAR(shown.y, 380.0f, 1e-3f);
  }
  camera.centreX = 320.0f;
  camera.centreY = 240.0f;
  const SScreenPosition middle = fShow(camera, SVector3{});
  EXPECT_NEAR(middle.x, 320.0f, 1e-3f);
  EXPECT_NEAR(middle.y, 240.0f, 1e-3f);
}

TEST(SdlCamera3D, TheShiftMovesThePictureWithoutChangingIt) {
  SCamera3D centred = fStageCamera(30.0);
  centred.centreX = 320.0f;
  centred.centreY = 240.0f;
  const SCamera3D shifted = fStageCamera(30.0);
  for (const SVector3 point : {SVector3{50, -20, 10}, SVector3{-40, 80, 200}, SVector3{5, 5, -16}}) {
    const SScreenPosition a = fShow(centred, point);
    const SScreenPosition b = fShow(shifted, point);
    EXPECT_NEAR(b.x - a.x, 200.0f - 320.0f, 1e-2f);
    EXPECT_NEAR(b.y - a.y, 380.0f - 240.0f, 1e-2f);
    EXPECT_NEAR(b.depth, a.depth, 1e-6f);
  }
}

// The floor reads like a page from above: with the camera on the +y side,
// +x is to the right and +y comes towards the viewer (down the screen).
TEST(SdlCamera3D, TheFloorGridReadsLikeAPage) {
  const SCamera3D fromFront = fStageCamera(0.0);
  const SScreenPosition origin = fShow(fromFront, SVector3{});
  const SScreenPosition plusX = fShow(fromFront, SVector3{32, 0, 0});
  const SScreenPosition plusY = fShow(fromFront, SVector3{0, 32, 0});
  const SScreenPosition plusZ = fShow(fromFront, SVector3{0, 0, 32});
  EXPECT_GT(plusX.x, origin.x + 10.0f);
  EXPECT_NEAR(plusX.y, origin.y, 2.0f);
  EXPECT_GT(plusY.y, origin.y + 5.0f);
  EXPECT_NEAR(plusY.x, origin.x, 1e-3f);
  EXPECT_LT(plusZ.y, origin.y - 5.0f) << "up is up";

  // At the stage's starting angle, from the -y side and a little to +x,
  // the next column goes to the left and the next row away from the viewer.
  const SCamera3D start = fStageCamera(164.0);
  const SScreenPosition cell = fShow(start, SVector3{0, 0, 0});
  const SScreenPosition nextColumn = fShow(start, SVector3{32, 0, 0});
  const SScreenPosition nextRow = fShow(start, SVector3{0, 32, 0});
  EXPECT_LT(nextColumn.x, cell.x - 10.0f);
  EXPECT_LT(nextRow.y, cell.y - 5.0f);
  EXPECT_LT(std::fabs(nextRow.x - cell.x), std::fabs(nextRow.y - cell.y)) << "mostly up the screen";
}

TEST(SdlCamera3D, FieldOfViewIsVerticalAndDepthRunsNearToFar) {
  SCamera3D camera;
  camera.eye = {0, 0, 0};
  camera.target = {0, 100, 0};
  camera.up = {0, 0, 1};
  camera.fieldOfView = fRadians(36.0);
  const float half = fRadians(18.0);
  // A point on the top edge of the view is on the top edge of the screen.
  const SScreenPosition top = fShow(camera, SVector3{0, 100, 100 * std::tan(half)});
  EXPECT_NEAR(top.y, 0.0f, 1e-2f);
  EXPECT_NEAR(top.x, 320.0f, 1e-3f);
  // Across, the view is wider by the screen's shape. Looking along +y, the
  // page's +x is on the left.
  const SScreenPosition right = fShow(camera, SVector3{-100 * std::tan(half) * kWidth / kHeight, 100, 0});
  EXPECT_NEAR(right.x, kWidth, 1e-2f);

  EXPECT_NEAR(fShow(camera, SVector3{0, camera.nearZ, 0}).depth, -1.0f, 1e-4f);
  EXPECT_NEAR(fShow(camera, SVector3{0, camera.farZ, 0}).depth, 1.0f, 1e-4f);
  EXPECT_LT(fShow(camera, SVector3{0, 50, 0}).depth, fShow(camera, SVector3{0, 60, 0}).depth);
  EXPECT_FALSE(fProjectToScreen(fViewProjectionMatrix(camera, kWidth, kHeight), SVector3{0, -5, 0}, kWidth, kHeight)
                   .has_value())
      << "behind the camera";
}

TEST(SdlCamera3D, AnUpVectorAlongTheLineOfSightStillGivesAPicture) {
  SCamera3D camera;
  camera.eye = {0, 0, 500};
  camera.target = {0, 0, 0};
  camera.up = {0, 0, 1};  // straight down the up vector
  const SScreenPosition shown = fShow(camera, SVector3{10, 20, 0});
  EXPECT_TRUE(std::isfinite(shown.x) && std::isfinite(shown.y));
  EXPECT_NEAR(fShow(camera, SVector3{}).x, 320.0f, 1e-3f);
}

TEST(SdlCamera3D, ModelsTurnAboutXThenYThenZAndThenMove) {
  auto place = [](SVector3 position, SVector3 rotation, SVector3 point) {
    const SVector4 out = fModelMatrix(position, rotation) * SVector4{point.x, point.y, point.z, 1.0f};
    return SVector3{out.x, out.y, out.z};
  };
  const float quarter = fRadians(90.0);
  auto expectNear = [](SVector3 a, SVector3 b) {
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
  };
  // Each axis alone: y to z about x, z to x about y, x to y about z.
  expectNear(place({}, {quarter, 0, 0}, {0, 1, 0}), {0, 0, 1});
  expectNear(place({}, {0, quarter, 0}, {0, 0, 1}), {1, 0, 0});
  expectNear(place({}, {0, 0, quarter}, {1, 0, 0}), {0, 1, 0});
  // x first: (0, 1, 0) goes to +z, then y turns it to +x. The other order
  // would leave it at +z.
  expectNear(place({}, {quarter, quarter, 0}, {0, 1, 0}), {1, 0, 0});
  // y before z: (0, 0, 1) goes to +x, then z turns it to +y.
  expectNear(place({}, {0, quarter, quarter}, {0, 0, 1}), {0, 1, 0});
  // The move comes last, unturned.
  expectNear(place({10, 20, 30}, {0, 0, quarter}, {1, 0, 0}), {10, 21, 30});
}

}  // namespace

namespace {

struct SPoint {
  float x, y, z;
};

TEST(SdlCamera3D, TheGameLibrarysWorldToScreenAnswerIsTheProjectionWithDepthFromZeroToOne) {
  const SCamera3D camera = fStageCamera(74.0);
  const SPoint centre = fWorldToScreen(camera, SPoint{0.0f, 0.0f, 0.0f}, kWidth, kHeight);
  EXPECT_NEAR(centre.x, 200.0f, 1e-3f);
  EXPECT_NEAR(centre.y, 380.0f, 1e-3f);
  EXPECT_GT(centre.z, 0.0f);
  EXPECT_LT(centre.z, 1.0f);
  // Higher in the world is higher on the screen, and farther is deeper.
  const SPoint above = fWorldToScreen(camera, SPoint{0.0f, 0.0f, 64.0f}, kWidth, kHeight);
  EXPECT_LT(above.y, centre.y - 10.0f);
  const SPoint nearer = fWorldToScreen(camera, SPoint{camera.eye.x / 2, camera.eye.y / 2, camera.eye.z / 2}, kWidth, kHeight);
  EXPECT_LT(nearer.z, centre.z);
  // Behind the camera: no place on the screen.
  const SPoint behind = fWorldToScreen(camera, SPoint{camera.eye.x * 2, camera.eye.y * 2, camera.eye.z * 2}, kWidth, kHeight);
  EXPECT_EQ(behind.z, -1.0f);
}

}  // namespace
