// The game's one palette: ball colours shared by the 2D pictures and the 3D
// models, and the interface colours of panels, frames and buttons.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct SColour {
  double r = 0.0, g = 0.0, b = 0.0, a = 1.0;
};

constexpr SColour fHex(uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

constexpr SColour fMix(SColour a, SColour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

constexpr SColour fShade(SColour c, double factor) { return {c.r * factor, c.g * factor, c.b * factor, c.a}; }

constexpr SColour fWithAlpha(SColour c, double alpha) { return {c.r, c.g, c.b, alpha}; }

// The symbol a ball may carry (the "Ball symbols" option), so that a colour
// is told by its shape too.
enum class EBallSymbol { None, Heart, Triangle, Disc, Star, Diamond, Square };

struct SBallColour {
  const char* name;  // as in the file names: "plimo_" + name
  SColour colour;
  bool garbage;
  EBallSymbol symbol;
};

// In the order of the game's colour table. The six colours differ in
// lightness as well as hue, so that they stay apart for players who do not
// see red and green, or blue and yellow, apart (the palette test simulates
// those visions and measures the distances).
inline constexpr std::array<SBallColour, 7> kBallColours = {{
    {"red", fHex(0xEB3C1F), false, EBallSymbol::Heart},
    {"green", fHex(0x129E75), false, EBallSymbol::Triangle},
    {"blue", fHex(0x1C53C1), false, EBallSymbol::Disc},
    {"yellow", fHex(0xFFE03A), false, EBallSymbol::Star},
    {"purple", fHex(0xBC7CFF), false, EBallSymbol::Diamond},
    {"lightblue", fHex(0x8AEEFF), false, EBallSymbol::Square},
    {"ozyama", fHex(0x8C939C), true, EBallSymbol::None},
}};

namespace palette {
inline constexpr SColour kWhite = fHex(0xFFFFFF);
inline constexpr SColour kBlack = fHex(0x000000);
inline constexpr SColour kInk = fHex(0x1A2350);       // dark text and outlines
inline constexpr SColour kNavy = fHex(0x1F2A5C);      // panels and windows
inline constexpr SColour kNavyLight = fHex(0x34468F);
inline constexpr SColour kSkyTop = fHex(0x6CC2F2);
inline constexpr SColour kSkyBottom = fHex(0xE2F5FF);
inline constexpr SColour kCream = fHex(0xFFF8E4);
inline constexpr SColour kSun = fHex(0xFFD84A);
inline constexpr SColour kOrange = fHex(0xFF9A3C);
inline constexpr SColour kPink = fHex(0xFF6FA3);
inline constexpr SColour kMint = fHex(0x7BE3B8);
inline constexpr SColour kGrass = fHex(0x6CC24A);
inline constexpr SColour kGrassDark = fHex(0x3E8F2E);
inline constexpr SColour kEarth = fHex(0x9A6B43);
inline constexpr SColour kGrey = fHex(0xA7ADB8);
}  // namespace palette
