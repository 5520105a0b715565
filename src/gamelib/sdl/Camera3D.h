// The 3D camera: where it stands and looks, its field of view, and the
// screen point its line of sight lands on.
//
// The game lays its floor out like a page seen from above: x (column a) to
// the right, y (row b) downwards, z up out of the page. With z up that frame
// is left-handed, and the picture keeps it: a camera standing on the +y side
// sees +x to its right and +y towards itself, so the grid's Right (a + 1)
// and Up (b - 1) point right and up the screen when the camera looks along
// -y. On screen, the up vector points up and up x forward points right; a
// face wound counter-clockwise in a right-handed reading of the coordinates
// shows clockwise.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "gamelib/sdl/Math3D.h"

struct SCamera3D {
  float fieldOfView = static_cast<float>(std::numbers::pi / 3.0);  // vertical, radians
  float nearZ = 10.0f;
  float farZ = 5000.0f;
  SVector3 eye{0.0f, -500.0f, 500.0f};
  SVector3 target{0.0f, 0.0f, 0.0f};
  SVector3 up{0.0f, 0.0f, 1.0f};
  // The screen point (in screen pixels) the line of sight projects to.
  float centreX = 320.0f;
  float centreY = 240.0f;
};

// World to camera space: the camera at the origin looking down -z, up +y,
// with up x forward along +x (see the note on handedness above).
inline SMatrix4 fViewMatrix(SVector3 eye, SVector3 target, SVector3 up) {
  const SVector3 forward = fNormalised3(target - eye, SVector3{0.0f, 1.0f, 0.0f});
  // An up vector along the line of sight says nothing about roll: borrow
  // another one rather than divide by zero.
  SVector3 right = fCross3(up, forward);
  if (fLength3(right) < 1e-6f * std::max(1.0f, fLength3(up))) {
    right = fCross3(std::fabs(forward.z) < 0.9f ? SVector3{0, 0, 1} : SVector3{0, 1, 0}, forward);
  }
  right = fNormalised3(right, SVector3{1.0f, 0.0f, 0.0f});
  const SVector3 trueUp = fCross3(forward, right);
  SMatrix4 out;
  const SVector3 rows[3] = {right, trueUp, forward * -1.0f};
  for (int row = 0; row < 3; ++row) {
    out(row, 0) = rows[row].x;
    out(row, 1) = rows[row].y;
    out(row, 2) = rows[row].z;
    out(row, 3) = -fDot3(rows[row], eye);
  }
  return out;
}

// Camera space to clip space, depth -1 at nearZ and +1 at farZ.
inline SMatrix4 fPerspectiveMatrix(float fieldOfView, float aspect, float nearZ, float farZ) {
  const float focal = 1.0f / std::tan(fieldOfView / 2.0f);
  SMatrix4 out;
  out(0, 0) = focal / aspect;
  out(1, 1) = focal;
  out(2, 2) = (farZ + nearZ) / (nearZ - farZ);
  out(2, 3) = 2.0f * farZ * nearZ / (nearZ - farZ);
  out(3, 2) = -1.0f;
  out(3, 3) = 0.0f;
  return out;
}

// Moves the whole projected picture so that the centre of view lands on
// (centreX, centreY) of a width x height screen instead of its middle.
inline SMatrix4 fScreenShiftMatrix(float centreX, float centreY, float width, float height) {
  // A shift in normalised device coordinates, made in clip space: x + shift
  // times w, so it survives the division by w.
  SMatrix4 shift;
  shift(0, 3) = centreX / width * 2.0f - 1.0f;
  shift(1, 3) = 1.0f - centreY / height * 2.0f;
  return shift;
}

inline SMatrix4 fViewProjectionMatrix(const SCamera3D& camera, float width, float height) {
  const SMatrix4 projection = fPerspectiveMatrix(camera.fieldOfView, width / height, camera.nearZ, camera.farZ);
  return fScreenShiftMatrix(camera.centreX, camera.centreY, width, height) * projection *
         fViewMatrix(camera.eye, camera.target, camera.up);
}

struct SScreenPosition {
  float x = 0.0f;  // screen pixels, y downwards
  float y = 0.0f;
  float depth = 0.0f;  // -1 at the near plane, +1 at the far plane
};

// Where a world point shows on a width x height screen; nothing for a point
// level with or behind the camera.
inline std::optional<SScreenPosition> fProjectToScreen(const SMatrix4& viewProjection, SVector3 point, float width,
                                                       float height) {
  const SVector4 clip = viewProjection * SVector4{point.x, point.y, point.z, 1.0f};
  if (clip.w <= 1e-6f) return std::nullopt;
  const float ndcX = clip.x / clip.w;
  const float ndcY = clip.y / clip.w;
  return SScreenPosition{(ndcX + 1.0f) * 0.5f * width, (1.0f - ndcY) * 0.5f * height, clip.z / clip.w};
}

// The game library's answer for a world point: screen pixels, and depth from
// 0 (near) to 1 (far); a depth of -1 for a point not in front of the camera.
template <class TVector>
TVector fWorldToScreen(const SCamera3D& camera, TVector point, float width, float height) {
  const auto shown = fProjectToScreen(fViewProjectionMatrix(camera, width, height), SVector3{point.x, point.y, point.z},
                                      width, height);
  if (!shown) return TVector{0.0f, 0.0f, -1.0f};
  return TVector{shown->x, shown->y, (shown->depth + 1.0f) * 0.5f};
}
