// The one-line text input's editing rules and the mask pictures' coverage.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/sdl/KeyInputText.h"
#include "gamelib/sdl/MaskPixels.h"

namespace {

const std::string kA = "\xE3\x81\x82";  // a three-byte hiragana character

TEST(SdlKeyInputText, KeepsWithinTheLengthInBytesAndNeverSplitsACharacter) {
  const SKeyInputRules rules{8, false, false};
  std::string text;
  EXPECT_EQ(fAppendTyped(text, "abcdef", rules), 6u);
  // Two bytes left: the three-byte character does not fit, and typing
  // stops there rather than skipping ahead to what would.
  EXPECT_EQ(fAppendTyped(text, kA + "g", rules), 0u);
  EXPECT_EQ(text, "abcdef");
  EXPECT_EQ(fAppendTyped(text, "ghij", rules), 2u);
  EXPECT_EQ(text, "abcdefgh");

  std::string wide;
  EXPECT_EQ(fAppendTyped(wide, kA + kA + kA, rules), 6u);
  EXPECT_EQ(wide, kA + kA);
}

TEST(SdlKeyInputText, FiltersWhatTheFieldRefuses) {
  std::string ascii;
  fAppendTyped(ascii, "a" + kA + "b c?\t\x7F" + "d", SKeyInputRules{8, true, false});
  EXPECT_EQ(ascii, "ab c?d") << "single-byte fields drop other characters, every field drops control characters";

  std::string digits;
  fAppendTyped(digits, "1a2-3.4 5", SKeyInputRules{8, false, true});
  EXPECT_EQ(digits, "12345");

  std::string broken;
  // A lone continuation byte, a lead byte with nothing after it, an
  // overlong lead: each dropped, the good characters around them kept.
  fAppendTyped(broken, std::string("x\x80y") + "\xC0\xAF" + "z" + kA + "\xE3", SKeyInputRules{16, false, false});
  EXPECT_EQ(broken, "xyz" + kA);
}

TEST(SdlKeyInputText, BackspaceRemovesWholeCharacters) {
  std::string text = "ab" + kA;
  fEraseLastCharacter(text);
  EXPECT_EQ(text, "ab");
  fEraseLastCharacter(text);
  EXPECT_EQ(text, "a");
  fEraseLastCharacter(text);
  fEraseLastCharacter(text);
  EXPECT_EQ(text, "");
}

TEST(SdlMaskPixels, CoverageIsBrightnessTimesOpacity) {
  // Two rows of three pixels, with four bytes of padding after each row.
  const std::uint8_t rows[2][16] = {
      {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 0, 9, 9, 9, 9},
      {128, 128, 128, 255, 255, 255, 255, 128, 255, 0, 0, 255, 9, 9, 9, 9},
  };
  const std::vector<std::uint8_t> coverage = fMaskCoverage(&rows[0][0], 3, 2, 16);
  ASSERT_EQ(coverage.size(), 6u);
  EXPECT_EQ(coverage[0], 255);  // white
  EXPECT_EQ(coverage[1], 0);    // black
  EXPECT_EQ(coverage[2], 0);    // white but fully transparent
  EXPECT_EQ(coverage[3], 128);  // mid grey
  EXPECT_EQ(coverage[4], 128);  // white, half transparent
  EXPECT_NEAR(coverage[5], 76, 1);  // pure red is a darkish grey
  EXPECT_TRUE(fMaskCoverage(nullptr, 3, 2, 16).empty());
  EXPECT_TRUE(fMaskCoverage(&rows[0][0], 0, 2, 16).empty());
}

}  // namespace
