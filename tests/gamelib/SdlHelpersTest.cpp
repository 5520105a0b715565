// The SDL backend's pure helpers: letterboxing and mouse mapping, the pad
// word, quad geometry, pixel preparation and the frame cache.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/sdl/CFrameCache.h"
#include "gamelib/sdl/Letterbox.h"
#include "gamelib/sdl/PadWord.h"
#include "gamelib/sdl/PixelOps.h"
#include "gamelib/sdl/QuadGeometry.h"
#include "gamelib/sdl/Utf8.h"

namespace {

// ---- letterbox ----

TEST(SdlLetterbox, FitsTheScreenWithBarsOnTheLongSide) {
  const SViewportRect same = fLetterbox(640, 480, 640, 480);
  EXPECT_EQ(same.x, 0);
  EXPECT_EQ(same.y, 0);
  EXPECT_EQ(same.width, 640);
  EXPECT_EQ(same.height, 480);

  const SViewportRect wide = fLetterbox(1920, 1080, 640, 480);  // bars left and right
  EXPECT_EQ(wide.width, 1440);
  EXPECT_EQ(wide.height, 1080);
  EXPECT_EQ(wide.x, 240);
  EXPECT_EQ(wide.y, 0);

  const SViewportRect tall = fLetterbox(640, 900, 640, 480);  // bars above and below
  EXPECT_EQ(tall.width, 640);
  EXPECT_EQ(tall.height, 480);
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 210);

  const SViewportRect odd = fLetterbox(1001, 480, 640, 480);  // odd bar split
  EXPECT_EQ(odd.width, 640);
  EXPECT_EQ(odd.x, 180);
}

TEST(SdlLetterbox, AMinimisedWindowHasNoViewport) {
  const SViewportRect none = fLetterbox(0, 0, 640, 480);
  EXPECT_EQ(none.width, 0);
  EXPECT_EQ(none.height, 0);
  EXPECT_EQ(fLetterbox(-5, 480, 640, 480).width, 0);
}

TEST(SdlLetterbox, MousePointsMapBackToScreenPixels) {
  const SViewportRect wide = fLetterbox(1920, 1080, 640, 480);  // scale 2.25, bars of 240
  SScreenPoint p = fWindowToScreen(wide, 640, 480, 240, 0);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  p = fWindowToScreen(wide, 640, 480, 240 + 1439, 1079);
  EXPECT_EQ(p.x, 639);
  EXPECT_EQ(p.y, 479);
  p = fWindowToScreen(wide, 640, 480, 960, 540);
  EXPECT_EQ(p.x, 320);
  EXPECT_EQ(p.y, 240);
  // On the left bar: off the screen, not its first column.
  p = fWindowToScreen(wide, 640, 480, 239, 10);
  EXPECT_LT(p.x, 0);
  p = fWindowToScreen(wide, 640, 480, 1919, 10);
  EXPECT_GE(p.x, 640);

  const SViewportRect same = fLetterbox(640, 480, 640, 480);
  for (int x : {0, 1, 319, 639}) EXPECT_EQ(fWindowToScreen(same, 640, 480, x, x / 2).x, x);
}

// ---- pad word ----

TEST(SdlPadWord, DirectionsComeFromTheDpadAndFromTheStickPastTheDeadZone) {
  SPadState pad;
  EXPECT_EQ(fPadWord(pad), 0);
  pad.down = true;
  EXPECT_EQ(fPadWord(pad), 0x1);
  pad = SPadState{};
  pad.left = pad.up = true;
  EXPECT_EQ(fPadWord(pad), 0x2 | 0x8);

  pad = SPadState{};
  pad.stickX = kStickDeadZone;  // on the edge: still resting
  pad.stickY = -kStickDeadZone;
  EXPECT_EQ(fPadWord(pad), 0);
  pad.stickX = 32767;
  EXPECT_EQ(fPadWord(pad), 0x4);
  pad.stickX = -32768;
  pad.stickY = 32767;
  EXPECT_EQ(fPadWord(pad), 0x2 | 0x1);
  pad.stickX = 0;
  pad.stickY = -32768;
  EXPECT_EQ(fPadWord(pad), 0x8);
}

TEST(SdlPadWord, ButtonsFollowTheDirectionsOneBitEach) {
  SPadState pad;
  pad.buttons = 1u;  // button 1
  EXPECT_EQ(fPadWord(pad), 0x10);
  pad.buttons = (1u << 1) | (1u << 4);  // buttons 2 and 5
  EXPECT_EQ(fPadWord(pad), 0x20 | 0x100);
  pad.buttons = 1u << 7;  // button 8, the space key's default
  pad.right = true;
  EXPECT_EQ(fPadWord(pad), 0x800 | 0x4);
}

TEST(SdlPadWord, NeverSetsTheNoButtonBit) {
  SPadState pad;
  pad.buttons = 0xFFFFFFFFu;
  const int word = fPadWord(pad);
  EXPECT_EQ(static_cast<unsigned int>(word) & 0x80000000u, 0u);
  EXPECT_EQ(word, 0x7FFFFFF0);  // buttons 1 to 27
}

// ---- quads ----

TEST(SdlQuadGeometry, RotationTurnsClockwiseOnScreenAboutTheCentre) {
  const SQuad still = fRotatedQuad(100, 50, 20, 10, 1.0, 0.0);
  EXPECT_FLOAT_EQ(still.x[0], 90.0f);
  EXPECT_FLOAT_EQ(still.y[0], 45.0f);
  EXPECT_FLOAT_EQ(still.x[2], 110.0f);
  EXPECT_FLOAT_EQ(still.y[2], 55.0f);

  // A quarter turn clockwise: the picture's top-left corner goes to the top right.
  const SQuad turned = fRotatedQuad(100, 50, 20, 10, 1.0, std::numbers::pi / 2);
  EXPECT_NEAR(turned.x[0], 105.0f, 1e-4);
  EXPECT_NEAR(turned.y[0], 40.0f, 1e-4);
  EXPECT_NEAR(turned.x[2], 95.0f, 1e-4);
  EXPECT_NEAR(turned.y[2], 60.0f, 1e-4);

  const SQuad scaled = fRotatedQuad(0, 0, 20, 10, 0.8, 0.0);
  EXPECT_FLOAT_EQ(scaled.x[1] - scaled.x[0], 16.0f);
  EXPECT_FLOAT_EQ(scaled.y[3] - scaled.y[0], 8.0f);
}

// ---- pixels ----

std::vector<std::uint8_t> fPixels(std::initializer_list<std::array<std::uint8_t, 4>> list) {
  std::vector<std::uint8_t> bytes;
  for (const auto& p : list) bytes.insert(bytes.end(), p.begin(), p.end());
  return bytes;
}

TEST(SdlPixels, KeyColourBecomesTransparentAndTheRestIsPremultiplied) {
  auto pixels = fPixels({{255, 0, 255, 255}, {255, 0, 254, 255}, {200, 100, 50, 128}, {10, 20, 30, 0}});
  fPrepareImagePixels(pixels.data(), 4, 1, 16, 0xFF00FF);
  EXPECT_EQ(pixels, fPixels({{0, 0, 0, 0}, {255, 0, 254, 255}, {100, 50, 25, 128}, {0, 0, 0, 0}}));

  auto unkeyed = fPixels({{255, 0, 255, 255}});
  fPrepareImagePixels(unkeyed.data(), 1, 1, 4, kNoKeyColour);
  EXPECT_EQ(unkeyed, fPixels({{255, 0, 255, 255}}));
}

TEST(SdlPixels, RowsFollowThePitchAndPaddingIsLeftAlone) {
  // Two rows of one pixel, eight bytes apart; the padding must not change.
  std::vector<std::uint8_t> pixels = {255, 0, 255, 255, 7, 7, 7, 7, 255, 255, 255, 255, 9, 9, 9, 9};
  fPrepareImagePixels(pixels.data(), 1, 2, 8, 0xFF00FF);
  EXPECT_EQ(pixels, (std::vector<std::uint8_t>{0, 0, 0, 0, 7, 7, 7, 7, 255, 255, 255, 255, 9, 9, 9, 9}));
}

TEST(SdlPixels, EdgedTextSurroundsEachTextPixelWithTheEdgeColour) {
  // One opaque white pixel of text in a 3 x 1 surface, at x = 1.
  const auto text = fPixels({{255, 255, 255, 0}, {255, 255, 255, 255}, {255, 255, 255, 0}});
  std::vector<std::uint8_t> out(5 * 3 * 4, 0xEE);
  fComposeEdgedText(text.data(), 3, 1, 12, 0x0000FF, out.data());
  auto at = [&](int x, int y) {
    const std::uint8_t* p = &out[static_cast<std::size_t>((y * 5 + x) * 4)];
    return std::array<std::uint8_t, 4>{p[0], p[1], p[2], p[3]};
  };
  using P = std::array<std::uint8_t, 4>;
  EXPECT_EQ(at(2, 1), (P{255, 255, 255, 255}));  // the text pixel, moved by the margin
  for (int y = 0; y < 3; ++y) {
    for (int x = 1; x <= 3; ++x) {
      if (x == 2 && y == 1) continue;
      EXPECT_EQ(at(x, y), (P{0, 0, 255, 255})) << x << "," << y;  // the blue edge around it
    }
    EXPECT_EQ(at(0, y), (P{0, 0, 0, 0}));  // out of reach
    EXPECT_EQ(at(4, y), (P{0, 0, 0, 0}));
  }
}

TEST(SdlPixels, HalfCoveredTextLetsTheEdgeShowThrough) {
  const auto text = fPixels({{255, 255, 255, 128}});
  std::vector<std::uint8_t> out(3 * 3 * 4);
  fComposeEdgedText(text.data(), 1, 1, 4, 0x000000, out.data());
  const std::uint8_t* centre = &out[(1 * 3 + 1) * 4];
  // Half white over a black edge of the same coverage: opaque-ish mid grey.
  EXPECT_EQ(centre[0], 128);
  EXPECT_EQ(centre[3], 128 + (128 * 127 + 127) / 255);
  const std::uint8_t* corner = &out[0];
  EXPECT_EQ(corner[3], 128);
  EXPECT_EQ(corner[0], 0);
}

// ---- UTF-8 prefixes ----

TEST(SdlUtf8, APrefixNeverEndsInsideACharacter) {
  const char* text = "A\xE3\x83\xA9Z";  // "A", one three-byte kana, "Z"
  EXPECT_EQ(fWholeCharacters(text, 0), 0u);
  EXPECT_EQ(fWholeCharacters(text, 1), 1u);
  EXPECT_EQ(fWholeCharacters(text, 2), 1u);  // lead byte only
  EXPECT_EQ(fWholeCharacters(text, 3), 1u);  // lead and one continuation
  EXPECT_EQ(fWholeCharacters(text, 4), 4u);  // the whole kana
  EXPECT_EQ(fWholeCharacters(text, 5), 5u);

  const char* emoji = "\xF0\x9F\x98\x80!";
  EXPECT_EQ(fWholeCharacters(emoji, 3), 0u);
  EXPECT_EQ(fWholeCharacters(emoji, 4), 4u);
  const char* accent = "\xC3\xA9";
  EXPECT_EQ(fWholeCharacters(accent, 1), 0u);
  EXPECT_EQ(fWholeCharacters(accent, 2), 2u);
}

TEST(SdlUtf8, BrokenTextIsLeftAsItIs) {
  // Stray continuation bytes have no lead to cut back to.
  EXPECT_EQ(fWholeCharacters("\x80\x80", 2), 2u);
  // A continuation after plain ASCII is not a character to complete.
  EXPECT_EQ(fWholeCharacters("a\x80", 2), 2u);
}

// ---- frame cache ----

TEST(SdlFrameCache, EntriesLiveWhileUsedAndGoAfterKeepFramesUnused) {
  CFrameCache<int> cache(2);
  cache.fInsert("score", 1);
  cache.fInsert("fps", 2);
  for (int frame = 0; frame < 10; ++frame) {
    ASSERT_NE(cache.fFind("fps"), nullptr) << frame;  // drawn every frame
    cache.fEndFrame();
  }
  EXPECT_EQ(cache.fSize(), 1u);
  EXPECT_EQ(cache.fFind("score"), nullptr);

  cache.fInsert("blink", 3);
  cache.fEndFrame();
  cache.fEndFrame();
  EXPECT_NE(cache.fFind("blink"), nullptr);  // two frames unused: still kept
  cache.fEndFrame();
  cache.fEndFrame();
  cache.fEndFrame();
  EXPECT_EQ(cache.fFind("blink"), nullptr);
}

TEST(SdlFrameCache, ValuesAreReleasedWhenDroppedOrReplaced) {
  int released = 0;
  struct SCounted {
    int* counter;
    explicit SCounted(int* c) : counter(c) {}
    SCounted(SCounted&& other) noexcept : counter(other.counter) { other.counter = nullptr; }
    SCounted& operator=(SCounted&& other) noexcept {
      if (counter != nullptr) ++*counter;
      counter = other.counter;
      other.counter = nullptr;
      return *this;
    }
    ~SCounted() {
      if (counter != nullptr) ++*counter;
    }
  };
  {
    CFrameCache<SCounted> cache(0);
    cache.fInsert("a", SCounted(&released));
    cache.fInsert("a", SCounted(&released));  // the first one goes
    EXPECT_EQ(released, 1);
    cache.fInsert("b", SCounted(&released));
    cache.fEndFrame();
    EXPECT_EQ(released, 3);
    EXPECT_EQ(cache.fSize(), 0u);
    cache.fInsert("c", SCounted(&released));
  }
  EXPECT_EQ(released, 4);
}

TEST(SdlPixelOps, HalvingAveragesEachTwoByTwoBlockDownToOnePixel) {
  // 4 x 2: two blocks, one of four different reds, one of one grey pixel
  // among three black.
  const std::vector<std::uint8_t> pixels = {
      10, 0, 0, 255, 20, 0, 0, 255, 200, 200, 200, 255, 0, 0, 0, 255,  //
      30, 0, 0, 255, 41, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255,
  };
  int width = 0, height = 0;
  const std::vector<std::uint8_t> half = fHalvePixels(pixels.data(), 4, 2, width, height);
  ASSERT_EQ(width, 2);
  ASSERT_EQ(height, 1);
  EXPECT_EQ(half, (std::vector<std::uint8_t>{25, 0, 0, 255, 50, 50, 50, 255}));  // 101 / 4 rounds to 25
  // A one-pixel-high picture halves along its width only, and the chain
  // of levels ends at 1 x 1 with the mean of everything.
  const std::vector<std::uint8_t> row = fHalvePixels(half.data(), 2, 1, width, height);
  ASSERT_EQ(width, 1);
  ASSERT_EQ(height, 1);
  EXPECT_EQ(row, (std::vector<std::uint8_t>{38, 25, 25, 255}));
  // An odd side drops its last column, as GL's own level sizes do.
  const std::vector<std::uint8_t> odd = fHalvePixels(pixels.data(), 3, 2, width, height);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(odd.size(), 4u);
}

}  // namespace
