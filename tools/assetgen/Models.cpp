#include "Models.h"

#include <cmath>
#include <cstdint>

#include "MeshBuilder.h"
#include "Palette.h"

namespace {

constexpr double kBallRadius = 15.0;
constexpr int kBallSlices = 24;  // 15 degrees a slice, so crosses and bands
constexpr int kBallStacks = 16;  // fall on whole faces

SMqoMaterial fMaterial(const char* name, SColour c, double dif, double amb, double emi, double spc,
                       double power) {
  return {name, c.r, c.g, c.b, c.a, dif, amb, emi, spc, power};
}

// A stable per-brick variation (no random state, so files never change).
uint32_t fHash(uint32_t a, uint32_t b) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
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
  fAddSphere(object, {}, kBallRadius, kBallSlices, kBallStacks, [&](SVec3 d) {
    // The glowing band: the two rows of faces either side of the equator.
    if (highlighted && std::fabs(d.z) < 0.15) return kGlow;
    if (garbage) {
      // A cross on each of the four sides, so one shows from every camera
      // angle: an upright arm (two slices wide) and a level arm (two rows).
      for (const SVec3 axis : {SVec3{1, 0, 0}, SVec3{-1, 0, 0}, SVec3{0, 1, 0}, SVec3{0, -1, 0}}) {
        const double along = fDot(d, axis);
        const double side = std::fabs(axis.x != 0.0 ? d.y : d.x);
        if (along > 0.5 && (side < 0.14 || std::fabs(d.z) < 0.15)) return kMark;
      }
    }
    return kBody;
  });
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
  document.materials.push_back(fMaterial("mortar", fHex(0xE6DCC8), 0.85, 0.6, 0.0, 0.0, 5));
  document.materials.push_back(fMaterial("brick_a", fHex(0xC8553D), 0.85, 0.55, 0.0, 0.1, 8));
  document.materials.push_back(fMaterial("brick_b", fHex(0xB54A36), 0.85, 0.55, 0.0, 0.1, 8));
  document.materials.push_back(fMaterial("brick_c", fHex(0xD66A48), 0.85, 0.55, 0.0, 0.1, 8));
  constexpr int kMortar = 0;
  constexpr double kBorder = 3.5;  // half of the beam between two cells
  constexpr double kGap = 0.4;     // mortar joint, on each side of a brick

  SMqoObject object;
  object.name = "renga";
  // The segment is a brick frame round an open window: the walls stand on
  // every side of the box, including the side facing the camera, and a solid
  // slab there hides every ball inside. Side by side the frames make brick
  // beams between the cells, and each cell shows through its own window.
  auto mortar = [&](double x0, double z0, double x1, double z1) {
    fAddBox(object, {x0, -1.6, z0}, {x1, 1.6, z1}, [](SVec3) { return kMortar; });
  };
  auto brick = [&](double x0, double z0, double x1, double z1, uint32_t seed) {
    const int material = 1 + static_cast<int>(fHash(seed, static_cast<uint32_t>(x0 + 100)) % 3);
    fAddBox(object, {x0 + kGap, -2.0, z0 + kGap}, {x1 - kGap, 2.0, z1 - kGap}, [&](SVec3) { return material; });
  };
  const double inner = 16.0 - kBorder;
  mortar(-16, -16, 16, -inner);
  mortar(-16, inner, 16, 16);
  mortar(-16, -inner, -inner, inner);
  mortar(inner, -inner, 16, inner);
  // Bottom and top beams: whole bricks below, offset by half above.
  brick(-16, -16, 0, -inner, 1);
  brick(0, -16, 16, -inner, 1);
  brick(-16, inner, -8, 16, 2);
  brick(-8, inner, 8, 16, 2);
  brick(8, inner, 16, 16, 2);
  // Side pillars: three bricks each, on end.
  for (int i = 0; i < 3; ++i) {
    const double z0 = -inner + i * (2.0 * inner / 3.0), z1 = z0 + 2.0 * inner / 3.0;
    brick(-16, z0, -inner, z1, 3 + i);
    brick(inner, z0, 16, z1, 6 + i);
  }
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
  }
  out.fWrite("shibafu.mqo", fWriteMqo(fTurfModel()));
  out.fWrite("renga.mqo", fWriteMqo(fBrickModel()));
  out.fWrite("waku.mqo", fWriteMqo(fFrameModel()));
}
