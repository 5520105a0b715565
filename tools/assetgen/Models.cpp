#include "Models.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "BallSymbols.h"
#include "MeshBuilder.h"
#include "Palette.h"

namespace {

constexpr double kBallRadius = 15.0;
// A ball is 25 to 40 pixels across on the screen: 12 slices of 30 degrees
// and 9 rows of 20 (192 triangles) keep its outline round to under a
// pixel, and smooth normals keep its light round. The crosses and bands
// fall on whole faces: an odd count of rows puts one row on the equator,
// and the slices start half a slice round, so one is centred on each side.
constexpr int kBallSlices = 12;
constexpr int kBallStacks = 9;

SMqoMaterial fMaterial(const char* name, SColour c, double dif, double amb, double emi, double spc,
                       double power) {
  return {name, c.r, c.g, c.b, c.a, dif, amb, emi, spc, power, {}};
}

}  // namespace

SMqoDocument fBallModel(const SColour& colour, bool garbage, bool highlighted) {
  SMqoDocument document;
  const SColour body = highlighted ? fMix(colour, palette::kWhite, 0.2) : colour;
  document.materials.push_back(
      fMaterial("body", body, 0.8, 0.55, highlighted ? 0.35 : 0.05, highlighted ? 0.8 : 0.6, highlighted ? 20 : 40));
  document.materials.push_back(fMaterial("mark", fShade(colour, 0.5), 0.8, 0.5, 0.0, 0.2, 10));
  document.materials.push_back(fMaterial("glow", fHex(0xFFFFF0), 0.8, 0.8, 0.9, 0.9, 10));
  constexpr int kBody = 0, kMark = 1, kGlow = 2;

  SMqoObject object;
  object.name = "ball";
  object.smooth = true;
  object.facetAngle = 59.5;
  const double halfSlice = std::numbers::pi / kBallSlices;
  fAddSphere(object, {}, kBallRadius, kBallSlices, kBallStacks, [&](SVec3 d) {
    // The glowing band: the row of faces on the equator (the next rows'
    // centres lie at |z| 0.35).
    if (highlighted && std::fabs(d.z) < 0.3) return kGlow;
    if (garbage) {
      // A cross on each of the four sides, so one shows from every camera
      // angle: an upright arm (the slice centred on the axis; the next ones'
      // centres are 30 degrees off it) and a level arm (the equator's row).
      for (const SVec3 axis : {SVec3{1, 0, 0}, SVec3{-1, 0, 0}, SVec3{0, 1, 0}, SVec3{0, -1, 0}}) {
        const double along = fDot(d, axis);
        const double side = std::fabs(axis.x != 0.0 ? d.y : d.x);
        if (along > 0.5 && (side < 0.3 || std::fabs(d.z) < 0.3)) return kMark;
      }
    }
    return kBody;
  }, halfSlice);
  document.objects.push_back(std::move(object));
  return document;
}

SMqoDocument fTurfModel() {
  SMqoDocument document;
  document.materials.push_back(fMaterial("grass", palette::kGrass, 0.85, 0.6, 0.0, 0.05, 5));
  document.materials.push_back(fMaterial("grass_mown", fMix(palette::kGrass, palette::kGrassDark, 0.35), 0.85, 0.6,
                                         0.0, 0.05, 5));
  document.materials.push_back(fMaterial("earth", palette::kEarth, 0.8, 0.55, 0.0, 0.0, 5));
  document.materials.push_back(fMaterial("turf_edge", palette::kGrassDark, 0.8, 0.55, 0.0, 0.0, 5));
  constexpr int kGrass = 0, kMown = 1, kEarth = 2, kEdge = 3;

  SMqoObject object;
  object.name = "shibafu";
  // The top in four quarters of two greens: a mown-lawn checker.
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      const double x0 = -16.0 + 16.0 * i, y0 = -16.0 + 16.0 * j;
      fAddQuad(object, {x0, y0, 0}, {x0 + 16, y0, 0}, {x0 + 16, y0 + 16, 0}, {x0, y0 + 16, 0},
               (i + j) % 2 == 0 ? kGrass : kMown);
    }
  }
  // Sides: a band of turf over the earth; bottom face earth. The caps where
  // the two parts meet would be hidden inside, so they are left out.
  fAddBox(object, {-16, -16, -5}, {16, 16, 0}, [&](SVec3 n) { return n.z != 0.0 ? -1 : kEdge; });
  fAddBox(object, {-16, -16, -32}, {16, 16, -5}, [&](SVec3 n) { return n.z > 0.0 ? -1 : kEarth; });
  document.objects.push_back(std::move(object));
  return document;
}

SMqoDocument fBrickModel() {
  SMqoDocument document;
  // The bricks and mortar are in the picture; the colour stays white so the
  // picture shows as painted under the light.
  SMqoMaterial brick = fMaterial("renga", fHex(0xFFFFFF), 0.85, 0.6, 0.0, 0.1, 8);
  brick.texture = kBrickTexture;
  document.materials.push_back(brick);

  SMqoObject object;
  object.name = "renga";
  // One solid slab per cell: a handful of large faces instead of a frame of
  // small bricks, which is what a software renderer pays for per triangle.
  // The picture spans the 32 x 32 face and tiles across neighbouring cells.
  constexpr double h = 16.0, t = 2.0;
  auto onFace = [](double x, double z) { return SUv{(x + h) / (2 * h), (h - z) / (2 * h)}; };
  // The thin faces show a strip of the picture inside one brick course, so
  // a wall's top reads as brick tops and its ends as courses.
  constexpr double kStripU = 0.03, kStripWidth = 0.09;
  auto quad = [&](SVec3 a, SVec3 b, SVec3 c, SVec3 d, std::vector<SUv> uv) {
    fAddQuad(object, a, b, c, d, 0);
    object.faces.back().uv = std::move(uv);
  };
  // Front (-y) and back (+y), each counter-clockwise seen from outside.
  quad({-h, -t, -h}, {h, -t, -h}, {h, -t, h}, {-h, -t, h}, {onFace(-h, -h), onFace(h, -h), onFace(h, h), onFace(-h, h)});
  quad({h, t, -h}, {-h, t, -h}, {-h, t, h}, {h, t, h}, {onFace(h, -h), onFace(-h, -h), onFace(-h, h), onFace(h, h)});
  // Top and bottom.
  const double v0 = kStripU, v1 = kStripU + kStripWidth;
  quad({-h, -t, h}, {h, -t, h}, {h, t, h}, {-h, t, h}, {{0, v1}, {1, v1}, {1, v0}, {0, v0}});
  quad({-h, t, -h}, {h, t, -h}, {h, -t, -h}, {-h, -t, -h}, {{0, v1}, {1, v1}, {1, v0}, {0, v0}});
  // The two ends.
  const double u0 = kStripU, u1 = kStripU + kStripWidth;
  quad({-h, t, -h}, {-h, -t, -h}, {-h, -t, h}, {-h, t, h}, {{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}});
  quad({h, -t, -h}, {h, t, -h}, {h, t, h}, {h, -t, h}, {{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}});
  document.objects.push_back(std::move(object));
  return document;
}

SMqoDocument fFrameModel() {
  SMqoDocument document;
  document.materials.push_back(fMaterial("frame", fHex(0xFFF4D6), 0.8, 0.7, 0.4, 0.3, 20));
  SMqoObject object;
  object.name = "waku";
  constexpr double h = 16.0, t = 1.0;  // half size, half beam thickness
  for (int axis = 0; axis < 3; ++axis) {
    for (int a = -1; a <= 1; a += 2) {
      for (int b = -1; b <= 1; b += 2) {
        double low[3], high[3];
        low[axis] = -h - t;
        high[axis] = h + t;
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        low[u] = a * h - t;
        high[u] = a * h + t;
        low[v] = b * h - t;
        high[v] = b * h + t;
        fAddBox(object, {low[0], low[1], low[2]}, {high[0], high[1], high[2]}, [](SVec3) { return 0; });
      }
    }
  }
  document.objects.push_back(std::move(object));
  return document;
}

void fMakeModels(CAssetWriter& out) {
  for (const SBallColour& ball : kBallColours) {
    const std::string base = std::string("plimo_") + ball.name;
    out.fWrite(base + ".mqo", fWriteMqo(fBallModel(ball.colour, ball.garbage, false)));
    out.fWrite(base + "_h.mqo", fWriteMqo(fBallModel(ball.colour, ball.garbage, true)));
    // With the "Ball symbols" option the game loads these instead.
    for (const bool highlighted : {false, true}) {
      SMqoDocument marked = fBallModel(ball.colour, ball.garbage, highlighted);
      fAddBallSymbol(marked, ball.symbol, kBallRadius);
      out.fWrite(base + (highlighted ? "_h" : "") + kSymbolSuffix + ".mqo", fWriteMqo(marked));
    }
  }
  out.fWrite("shibafu.mqo", fWriteMqo(fTurfModel()));
  out.fWrite("renga.mqo", fWriteMqo(fBrickModel()));
  out.fWrite("waku.mqo", fWriteMqo(fFrameModel()));
}
