// Vectors and 4 x 4 matrices for the model renderer. Matrices are stored
// column by column, as OpenGL takes them, and act on column vectors: the
// product a * b applies b first.
#pragma once

#include <array>
#include <cmath>

struct SVector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct SVector4 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;
};

constexpr SVector3 operator+(SVector3 a, SVector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr SVector3 operator-(SVector3 a, SVector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
constexpr SVector3 operator*(SVector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
constexpr float fDot3(SVector3 a, SVector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr SVector3 fCross3(SVector3 a, SVector3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float fLength3(SVector3 a) { return std::sqrt(fDot3(a, a)); }
// The unit vector along a, or fallback when a has no length to speak of.
inline SVector3 fNormalised3(SVector3 a, SVector3 fallback) {
  const float length = fLength3(a);
  if (std::isfinite(length)) return length > 1e-12f ? a * (1.0f / length) : fallback;
  // Near the top of the float range the squares overflow: measure in double.
  if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.z)) return fallback;
  const double x = a.x, y = a.y, z = a.z;
  const double wide = std::sqrt(x * x + y * y + z * z);
  return {static_cast<float>(x / wide), static_cast<float>(y / wide), static_cast<float>(z / wide)};
}

struct SMatrix4 {
  // m[column * 4 + row]; the identity unless set.
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  float& operator()(int row, int column) { return m[static_cast<std::size_t>(column * 4 + row)]; }
  float operator()(int row, int column) const { return m[static_cast<std::size_t>(column * 4 + row)]; }
};

inline SMatrix4 operator*(const SMatrix4& a, const SMatrix4& b) {
  SMatrix4 out;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a(row, k) * b(k, column);
      out(row, column) = sum;
    }
  }
  return out;
}

inline SVector4 operator*(const SMatrix4& a, SVector4 v) {
  const float in[4] = {v.x, v.y, v.z, v.w};
  float out[4] = {};
  for (int row = 0; row < 4; ++row) {
    for (int k = 0; k < 4; ++k) out[row] += a(row, k) * in[k];
  }
  return {out[0], out[1], out[2], out[3]};
}

inline SMatrix4 fTranslationMatrix(SVector3 offset) {
  SMatrix4 out;
  out(0, 3) = offset.x;
  out(1, 3) = offset.y;
  out(2, 3) = offset.z;
  return out;
}

// Turns by angle radians about one axis, counter-clockwise seen from the
// axis' positive end (y towards z about x, z towards x about y, x towards y
// about z).
inline SMatrix4 fRotationMatrix(int axis, float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const int u = (axis + 1) % 3;
  const int v = (axis + 2) % 3;
  SMatrix4 out;
  out(u, u) = c;
  out(u, v) = -s;
  out(v, u) = s;
  out(v, v) = c;
  return out;
}

// A placed model: turned about x, then y, then z, then moved to position.
inline SMatrix4 fModelMatrix(SVector3 position, SVector3 rotation) {
  return fTranslationMatrix(position) * fRotationMatrix(2, rotation.z) * fRotationMatrix(1, rotation.y) *
         fRotationMatrix(0, rotation.x);
}
