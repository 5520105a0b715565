// The ball symbols: outlines a fan from the centre covers, and symbol faces
// that lie outside the ball, face outwards and show on the top and every side.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "BallSymbols.h"
#include "MeshBuilder.h"
#include "Models.h"

namespace {

constexpr double kRadius = 15.0;
// Far enough in front of the ball, at the camera's distance, for the depth
// buffer to keep the symbol on top.
constexpr double kDepthMargin = 0.1;

// How far the point lies in front of the convex mesh's faces (negative
// inside it).
double fOutside(const SMqoObject& mesh, SVec3 point) {
  double outside = -1e9;
  for (const SMqoFace& face : mesh.faces) {
    const SVec3 normal = fNormalise(fFaceNormal(mesh, face));
    const SVec3 corner = mesh.vertices[static_cast<std::size_t>(face.vertices[0])];
    outside = std::max(outside, fDot(normal, point - corner));
  }
  return outside;
}

const EBallSymbol kSymbols[] = {EBallSymbol::Heart,   EBallSymbol::Triangle, EBallSymbol::Disc,
                                EBallSymbol::Star,    EBallSymbol::Diamond,  EBallSymbol::Square};

TEST(BallSymbols, OutlinesTurnOnceRoundTheCentreInsideTheUnitCircle) {
  EXPECT_TRUE(fSymbolOutline(EBallSymbol::None).empty());
  for (const EBallSymbol symbol : kSymbols) {
    const auto outline = fSymbolOutline(symbol);
    ASSERT_GE(outline.size(), 8u) << static_cast<int>(symbol);
    // Seen from the centre every point comes after the one before,
    // counter-clockwise, once round: a fan from the centre covers the shape
    // without folding over itself.
    double turned = 0.0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
      const SPoint2 a = outline[i], b = outline[(i + 1) % outline.size()];
      const double step = std::atan2(a.x * b.y - a.y * b.x, a.x * b.x + a.y * b.y);
      EXPECT_GT(step, 0.0) << "symbol " << static_cast<int>(symbol) << " point " << i;
      turned += step;
      EXPECT_LE(std::hypot(a.x, a.y), 1.0 + 1e-9);
    }
    EXPECT_NEAR(turned, 2.0 * std::numbers::pi, 1e-9) << static_cast<int>(symbol);
  }
}

TEST(BallSymbols, TheSixShapesDiffer) {
  // No two outlines cover the same area and span: a player tells them apart
  // by their shape, not by a detail.
  std::set<std::pair<long, long>> seen;
  for (const EBallSymbol symbol : kSymbols) {
    const auto outline = fSymbolOutline(symbol);
    double area = 0.0, top = -1.0, bottom = 1.0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
      const SPoint2 a = outline[i], b = outline[(i + 1) % outline.size()];
      area += (a.x * b.y - a.y * b.x) / 2.0;
      top = std::max(top, a.y);
      bottom = std::min(bottom, a.y);
    }
    EXPECT_GT(area, 0.5) << "big enough to read on a ball";
    EXPECT_TRUE(seen.insert({std::lround(area * 20), std::lround((top - bottom) * 20)}).second)
        << static_cast<int>(symbol);
  }
}

TEST(BallSymbols, TheSymbolLiesOnTheBallFacingOutOnTheTopAndEverySide) {
  for (const EBallSymbol symbol : kSymbols) {
    SMqoDocument ball = fBallModel(fHex(0x336699), false, false);
    const std::size_t materials = ball.materials.size();
    const std::size_t objects = ball.objects.size();
    fAddBallSymbol(ball, symbol, kRadius);
    ASSERT_EQ(ball.materials.size(), materials + 2);
    ASSERT_EQ(ball.objects.size(), objects + 1);
    const SMqoObject& mark = ball.objects.back();
    const SMqoObject& body = ball.objects.front();
    std::set<int> sides;
    for (const SMqoFace& face : mark.faces) {
      ASSERT_EQ(face.vertices.size(), 3u);
      const SVec3 centre = fFaceCentre(mark, face);
      // Wholly outside the ball's own faces (a convex mesh: a point is
      // outside when it is in front of one face's plane), by a margin the
      // depth test tells apart, so nothing of the ball shows through it:
      // every point of a fine grid over the face.
      const SVec3 a = mark.vertices[static_cast<std::size_t>(face.vertices[0])];
      const SVec3 b = mark.vertices[static_cast<std::size_t>(face.vertices[1])];
      const SVec3 c = mark.vertices[static_cast<std::size_t>(face.vertices[2])];
      double nearest = 1e9;
      constexpr int kGrid = 8;
      for (int i = 0; i <= kGrid; ++i) {
        for (int j = 0; i + j <= kGrid; ++j) {
          const double u = static_cast<double>(i) / kGrid, v = static_cast<double>(j) / kGrid;
          nearest = std::min(nearest, fOutside(body, a + (b - a) * u + (c - a) * v));
        }
      }
      EXPECT_GT(nearest, kDepthMargin) << static_cast<int>(symbol);
      // Counter-clockwise seen from outside: the normal points away from
      // the ball's centre (a face wound the other way would be culled).
      EXPECT_GT(fDot(fFaceNormal(mark, face), centre), 0.0) << static_cast<int>(symbol);
      const SVec3 d = fNormalise(centre);
      if (d.z > 0.9) sides.insert(0);
      if (d.x > 0.9) sides.insert(1);
      if (d.x < -0.9) sides.insert(2);
      if (d.y > 0.9) sides.insert(3);
      if (d.y < -0.9) sides.insert(4);
      EXPECT_GT(d.z, -0.9) << "none underneath, where no camera looks";
      const int material = face.material;
      EXPECT_TRUE(material == static_cast<int>(materials) || material == static_cast<int>(materials) + 1);
    }
    EXPECT_EQ(sides.size(), 5u) << "top and four sides, for every camera position";
    // It writes as a model the game reads.
    EXPECT_NO_THROW(fWriteMqo(ball));
  }
  SMqoDocument plain = fBallModel(fHex(0x8C939C), true, false);
  const std::size_t before = plain.objects.size();
  fAddBallSymbol(plain, EBallSymbol::None, kRadius);
  EXPECT_EQ(plain.objects.size(), before) << "the garbage ball keeps only its crosses";
}

}  // namespace
