#include "BallSymbols.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

constexpr double kPi = std::numbers::pi;
// The symbol spans this much of the ball's radius on each side of its centre.
constexpr double kSymbolSize = 0.5;
// The dark rim: the outline grown by this factor, under the white.
constexpr double kRimGrowth = 1.3;
// Heights above the surface, in units of the radius: clear of the faceted
// ball (whose faces lie inside its sphere) and of each other.
constexpr double kRimLift = 0.04;
constexpr double kFillLift = 0.06;
// Points along each straight edge, so the edges bend with the ball.
constexpr int kEdgeSteps = 3;
// Rings of the fan from the centre: small enough faces that each lies
// wholly outside the ball, though flat.
constexpr int kRings = 2;

std::vector<SPoint2> fPolygon(const std::vector<SPoint2>& corners) {
  std::vector<SPoint2> points;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const SPoint2 a = corners[i], b = corners[(i + 1) % corners.size()];
    for (int s = 0; s < kEdgeSteps; ++s) {
      const double t = static_cast<double>(s) / kEdgeSteps;
      points.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
    }
  }
  return points;
}

std::vector<SPoint2> fRegular(int corners, double radius, double startDegrees) {
  std::vector<SPoint2> points;
  for (int i = 0; i < corners; ++i) {
    const double angle = (startDegrees + 360.0 * i / corners) * kPi / 180.0;
    points.push_back({radius * std::cos(angle), radius * std::sin(angle)});
  }
  return points;
}

}  // namespace

std::vector<SPoint2> fSymbolOutline(EBallSymbol symbol) {
  switch (symbol) {
    case EBallSymbol::None: return {};
    case EBallSymbol::Disc: return fRegular(24, 0.8, 0.0);
    case EBallSymbol::Triangle: {
      // Centred on its own middle, so it sits in the ball's middle.
      auto corners = fRegular(3, 0.94, 90.0);
      for (SPoint2& p : corners) p.y -= 0.1;
      return fPolygon(corners);
    }
    case EBallSymbol::Square: return fPolygon({{0.7, -0.7}, {0.7, 0.7}, {-0.7, 0.7}, {-0.7, -0.7}});
    case EBallSymbol::Diamond: return fPolygon({{0.0, -1.0}, {0.72, 0.0}, {0.0, 1.0}, {-0.72, 0.0}});
    case EBallSymbol::Star: {
      std::vector<SPoint2> points;
      for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? 1.0 : 0.42;
        const double angle = (90.0 + 36.0 * i) * kPi / 180.0;
        points.push_back({radius * std::cos(angle), radius * std::sin(angle)});
      }
      return fPolygon(points);
    }
    case EBallSymbol::Heart: {
      // The classic heart curve, scaled into the unit circle and centred on
      // a point from which every part of it is in view.
      std::vector<SPoint2> points;
      constexpr int kSteps = 24;
      for (int i = 0; i < kSteps; ++i) {
        const double t = kPi - 2.0 * kPi * i / kSteps;  // from the bottom tip, counter-clockwise
        const double x = 16.0 * std::pow(std::sin(t), 3.0);
        const double y = 13.0 * std::cos(t) - 5.0 * std::cos(2.0 * t) - 2.0 * std::cos(3.0 * t) - std::cos(4.0 * t);
        points.push_back({x / 19.0, (y + 2.0) / 19.0});
      }
      return points;
    }
  }
  throw std::invalid_argument("unknown ball symbol");
}

void fAddBallSymbol(SMqoDocument& document, EBallSymbol symbol, double radius) {
  const std::vector<SPoint2> outline = fSymbolOutline(symbol);
  if (outline.empty()) return;
  const int rim = static_cast<int>(document.materials.size());
  document.materials.push_back({"symbol_rim", palette::kInk.r, palette::kInk.g, palette::kInk.b, 1.0, 0.8, 0.6, 0.0,
                                0.2, 10.0, {}});
  const int fill = rim + 1;
  document.materials.push_back({"symbol", 1.0, 1.0, 0.97, 1.0, 0.75, 0.6, 0.25, 0.3, 20.0, {}});

  SMqoObject object;
  object.name = "symbol";
  object.smooth = true;
  object.facetAngle = 59.5;
  // Each face of the symbol: the outward axis, and the directions that are
  // right and up on it. The sides stand upright; the top's up is +y, the
  // far side for a camera standing on -y.
  struct SFace {
    SVec3 out, right, up;
  };
  const SFace faces[] = {{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                         {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},   {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
                         {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}};
  for (const SFace& face : faces) {
    for (const int layer : {rim, fill}) {
      const double scale = radius * kSymbolSize * (layer == rim ? kRimGrowth : 1.0);
      const double lifted = radius * (1.0 + (layer == rim ? kRimLift : kFillLift));
      auto onBall = [&](SPoint2 p) {
        const double x = p.x * scale, y = p.y * scale;
        const double depth = std::sqrt(lifted * lifted - x * x - y * y);
        return face.out * depth + face.right * x + face.up * y;
      };
      // The centre, then kRings rings of the outline scaled towards it.
      const int centre = static_cast<int>(object.vertices.size());
      const int count = static_cast<int>(outline.size());
      object.vertices.push_back(onBall({0.0, 0.0}));
      for (int ring = 1; ring <= kRings; ++ring) {
        const double t = static_cast<double>(ring) / kRings;
        for (const SPoint2& p : outline) object.vertices.push_back(onBall({p.x * t, p.y * t}));
      }
      auto at = [&](int ring, int i) { return centre + 1 + (ring - 1) * count + (i % count); };
      for (int i = 0; i < count; ++i) {
        // Counter-clockwise seen from outside: right, then up.
        object.faces.push_back({{centre, at(1, i), at(1, i + 1)}, layer, {}});
        for (int ring = 1; ring < kRings; ++ring) {
          object.faces.push_back({{at(ring, i), at(ring + 1, i), at(ring + 1, i + 1)}, layer, {}});
          object.faces.push_back({{at(ring, i), at(ring + 1, i + 1), at(ring, i + 1)}, layer, {}});
        }
      }
    }
  }
  document.objects.push_back(std::move(object));
}
