// The ball colours as players with the three common colour-vision
// deficiencies see them: every two of the six must stay clearly apart, and
// apart from the grey of the garbage balls.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "Palette.h"
#include "stage/BallColours.h"

namespace {

using SMatrix = std::array<std::array<double, 3>, 3>;
struct SLab {
  double l = 0.0, a = 0.0, b = 0.0;
};

// Machado, Oliveira and Fernandes (2009), severity 1.0, on linear sRGB.
constexpr SMatrix kNormal = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr SMatrix kProtanopia = {{{0.152286, 1.052583, -0.204868},
                                  {0.114503, 0.786281, 0.099216},
                                  {-0.003882, -0.048116, 1.051998}}};
constexpr SMatrix kDeuteranopia = {{{0.367322, 0.860646, -0.227968},
                                    {0.280085, 0.672501, 0.047413},
                                    {-0.011820, 0.042940, 0.968881}}};
constexpr SMatrix kTritanopia = {{{1.255528, -0.076749, -0.178779},
                                  {-0.078411, 0.930809, 0.147602},
                                  {0.004733, 0.691367, 0.303900}}};

struct SVision {
  const char* name;
  SMatrix matrix;
};
constexpr SVision kVisions[] = {
    {"normal", kNormal}, {"protanopia", kProtanopia}, {"deuteranopia", kDeuteranopia}, {"tritanopia", kTritanopia}};

// CIEDE2000 between two ball colours at a glance: 15 is a difference no one
// has to look for; the garbage grey differs by its crosses too, so a little
// less will do there.
constexpr double kMinBallDistance = 15.0;
constexpr double kMinGarbageDistance = 12.0;

double fLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

SLab fSeenAs(const SColour& colour, const SMatrix& m) {
  const double in[3] = {fLinear(colour.r), fLinear(colour.g), fLinear(colour.b)};
  double rgb[3];
  for (int i = 0; i < 3; ++i) {
    const double v = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
    rgb[i] = std::clamp(v, 0.0, 1.0);
  }
  // Linear sRGB to XYZ (D65), then CIELAB.
  const double x = (0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2]) / 0.95047;
  const double y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
  const double z = (0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2]) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0; };
  return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

double fDegrees(double radians) { return radians * 180.0 / std::numbers::pi; }
double fRadians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// CIEDE2000 (Sharma, Wu and Dalal's formulation).
double fDeltaE2000(const SLab& p, const SLab& q) {
  const double c1 = std::hypot(p.a, p.b), c2 = std::hypot(q.a, q.b);
  const double cMean7 = std::pow((c1 + c2) / 2.0, 7.0);
  const double g = 0.5 * (1.0 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7.0))));
  const double a1 = (1.0 + g) * p.a, a2 = (1.0 + g) * q.a;
  const double c1p = std::hypot(a1, p.b), c2p = std::hypot(a2, q.b);
  auto hue = [](double b, double a) {
    if (a == 0.0 && b == 0.0) return 0.0;
    const double h = fDegrees(std::atan2(b, a));
    return h < 0.0 ? h + 360.0 : h;
  };
  const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);
  const double dL = q.l - p.l, dC = c2p - c1p;
  double dh = 0.0;
  if (c1p * c2p != 0.0) {
    dh = h2 - h1;
    if (dh > 180.0) dh -= 360.0;
    if (dh < -180.0) dh += 360.0;
  }
  const double dH = 2.0 * std::sqrt(c1p * c2p) * std::sin(fRadians(dh / 2.0));
  const double lMean = (p.l + q.l) / 2.0, cpMean = (c1p + c2p) / 2.0;
  double hMean = h1 + h2;
  if (c1p * c2p != 0.0) {
    hMean = (h1 + h2) / 2.0;
    if (std::fabs(h1 - h2) > 180.0) hMean += h1 + h2 < 360.0 ? 180.0 : -180.0;
  }
  const double t = 1.0 - 0.17 * std::cos(fRadians(hMean - 30.0)) + 0.24 * std::cos(fRadians(2.0 * hMean)) +
                   0.32 * std::cos(fRadians(3.0 * hMean + 6.0)) - 0.20 * std::cos(fRadians(4.0 * hMean - 63.0));
  const double dTheta = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2.0));
  const double cp7 = std::pow(cpMean, 7.0);
  const double rC = 2.0 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7.0)));
  const double sL = 1.0 + 0.015 * std::pow(lMean - 50.0, 2.0) / std::sqrt(20.0 + std::pow(lMean - 50.0, 2.0));
  const double sC = 1.0 + 0.045 * cpMean;
  const double sH = 1.0 + 0.015 * cpMean * t;
  const double rT = -std::sin(fRadians(2.0 * dTheta)) * rC;
  return std::sqrt(std::pow(dL / sL, 2.0) + std::pow(dC / sC, 2.0) + std::pow(dH / sH, 2.0) +
                   rT * (dC / sC) * (dH / sH));
}

// The smallest distance between any two of the colours as seen in `vision`.
template <std::size_t N>
double fClosestPair(const std::array<SColour, N>& colours, const SMatrix& vision, std::string& pair,
                    const std::array<std::string, N>& names) {
  double closest = 1e9;
  for (std::size_t i = 0; i < N; ++i) {
    for (std::size_t j = i + 1; j < N; ++j) {
      const double d = fDeltaE2000(fSeenAs(colours[i], vision), fSeenAs(colours[j], vision));
      if (d < closest) {
        closest = d;
        pair = names[i] + "/" + names[j];
      }
    }
  }
  return closest;
}

}  // namespace

TEST(BallPalette, DeltaE2000MatchesPublishedPairs) {
  // Pairs from Sharma, Wu and Dalal's test data: the blue corner, where the
  // rotation term matters, a neutral pair and a hue wrap past 0/360.
  EXPECT_NEAR(fDeltaE2000({50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}), 2.0425, 1e-4);
  EXPECT_NEAR(fDeltaE2000({50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}), 2.3669, 1e-4);
  EXPECT_NEAR(fDeltaE2000({50.0, 2.49, -0.001}, {50.0, -2.49, 0.0011}), 7.2195, 1e-4);
  EXPECT_NEAR(fDeltaE2000({60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}), 1.2644, 1e-4);
}

TEST(BallPalette, SimulationsKeepGreysAndMergeTheConfusedColours) {
  // A grey is seen as the same grey by every vision; pure red and green,
  // far apart in normal vision, come close for a protanope and a
  // deuteranope, and blue and green for a tritanope, as they should.
  const SColour grey = fHex(0x808080);
  for (const SVision& vision : kVisions) {
    EXPECT_LT(fDeltaE2000(fSeenAs(grey, kNormal), fSeenAs(grey, vision.matrix)), 1.0) << vision.name;
  }
  const SColour red = fHex(0xCC3333), green = fHex(0x669933);
  const double normal = fDeltaE2000(fSeenAs(red, kNormal), fSeenAs(green, kNormal));
  EXPECT_GT(normal, 30.0);
  EXPECT_LT(fDeltaE2000(fSeenAs(red, kProtanopia), fSeenAs(green, kProtanopia)), normal / 2.0);
  EXPECT_LT(fDeltaE2000(fSeenAs(red, kDeuteranopia), fSeenAs(green, kDeuteranopia)), normal / 2.0);
  const SColour blue = fHex(0x3366CC), teal = fHex(0x33AA88);
  EXPECT_LT(fDeltaE2000(fSeenAs(blue, kTritanopia), fSeenAs(teal, kTritanopia)),
            fDeltaE2000(fSeenAs(blue, kNormal), fSeenAs(teal, kNormal)));
}

TEST(BallPalette, SixColoursStayApartInEveryVision) {
  std::array<SColour, 6> colours;
  std::array<std::string, 6> names;
  int garbageCount = 0;
  for (std::size_t i = 0, n = 0; i < kBallColours.size(); ++i) {
    if (kBallColours[i].garbage) {
      ++garbageCount;
      continue;
    }
    ASSERT_LT(n, colours.size());
    colours[n] = kBallColours[i].colour;
    names[n] = kBallColours[i].name;
    ++n;
  }
  ASSERT_EQ(garbageCount, 1);
  for (const SVision& vision : kVisions) {
    std::string pair;
    const double closest = fClosestPair(colours, vision.matrix, pair, names);
    EXPECT_GE(closest, kMinBallDistance) << vision.name << ": " << pair;
  }
}

TEST(BallPalette, GarbageGreyStandsApartFromEveryColour) {
  const SColour grey = kBallColours.back().colour;
  ASSERT_TRUE(kBallColours.back().garbage);
  for (const SVision& vision : kVisions) {
    for (const SBallColour& ball : kBallColours) {
      if (ball.garbage) continue;
      EXPECT_GE(fDeltaE2000(fSeenAs(grey, vision.matrix), fSeenAs(ball.colour, vision.matrix)), kMinGarbageDistance)
          << vision.name << ": " << ball.name;
    }
  }
}

TEST(BallPalette, EveryColourHasItsOwnSymbol) {
  for (std::size_t i = 0; i < kBallColours.size(); ++i) {
    if (kBallColours[i].garbage) {
      EXPECT_EQ(kBallColours[i].symbol, EBallSymbol::None) << "garbage carries its crosses";
      continue;
    }
    EXPECT_NE(kBallColours[i].symbol, EBallSymbol::None) << kBallColours[i].name;
    for (std::size_t j = i + 1; j < kBallColours.size(); ++j) {
      EXPECT_NE(kBallColours[i].symbol, kBallColours[j].symbol) << kBallColours[i].name << "/" << kBallColours[j].name;
    }
  }
}

// The bursts and the map are drawn in flat colours of the stage's own: they
// must be the colours the generator painted the balls with.
TEST(BallPalette, TheStagesFlatColoursAreThePalettes) {
  ASSERT_EQ(kBallColourRgb.size(), kBallColours.size());
  auto channel = [](double value) { return static_cast<std::uint32_t>(std::lround(value * 255.0)); };
  for (std::size_t i = 0; i < kBallColours.size(); ++i) {
    const SColour& c = kBallColours[i].colour;
    EXPECT_EQ(kBallColourRgb[i], (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b)) << kBallColours[i].name;
  }
}
