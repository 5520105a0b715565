// Screen corners of the quads the 2D calls draw. Corners run top left, top
// right, bottom right, bottom left of the source picture; screen y grows
// downwards, so a positive angle turns clockwise on screen.
#pragma once

#include <cmath>

struct SQuad {
  float x[4] = {};
  float y[4] = {};
};

constexpr SQuad fAxisQuad(float x1, float y1, float x2, float y2) {
  SQuad quad;
  quad.x[0] = x1, quad.y[0] = y1;
  quad.x[1] = x2, quad.y[1] = y1;
  quad.x[2] = x2, quad.y[2] = y2;
  quad.x[3] = x1, quad.y[3] = y2;
  return quad;
}

// A width x height picture scaled by rate and turned by angle (radians)
// about its centre, which lands on (centreX, centreY).
inline SQuad fRotatedQuad(double centreX, double centreY, double width, double height, double rate, double angle) {
  const double halfWidth = width * rate / 2.0;
  const double halfHeight = height * rate / 2.0;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double localX[4] = {-halfWidth, halfWidth, halfWidth, -halfWidth};
  const double localY[4] = {-halfHeight, -halfHeight, halfHeight, halfHeight};
  SQuad quad;
  for (int i = 0; i < 4; ++i) {
    quad.x[i] = static_cast<float>(centreX + localX[i] * c - localY[i] * s);
    quad.y[i] = static_cast<float>(centreY + localX[i] * s + localY[i] * c);
  }
  return quad;
}
