// The one-line text input (its editing rules and its fields) and the mask
// pictures' coverage.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gamelib/sdl/CKeyInputFields.h"
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

using EKey = CKeyInputFields::EKey;

// The name entry's use: an eight-byte ASCII field that may be cancelled.
TEST(SdlKeyInputFields, TypingGoesToTheActiveFieldUntilEnter) {
  CKeyInputFields fields;
  const int name = fields.fMake(7, 8, true, true, false);
  ASSERT_EQ(name, 7);
  fields.fType("ignored");  // not active yet
  EXPECT_TRUE(fields.fText(name)->empty());
  EXPECT_FALSE(fields.fIsTyping());

  ASSERT_TRUE(fields.fActivate(name));
  EXPECT_TRUE(fields.fIsTyping());
  fields.fType("a b?");
  fields.fType(kA);  // refused: single bytes only
  fields.fType("cdefgh");
  EXPECT_EQ(*fields.fText(name), "a b?cdef");
  fields.fPress(EKey::Backspace, false);
  fields.fPress(EKey::Backspace, true);  // held: repeats
  EXPECT_EQ(*fields.fText(name), "a b?cd");
  EXPECT_EQ(fields.fState(name), 0);

  fields.fPress(EKey::Enter, false);
  EXPECT_EQ(fields.fState(name), 1);
  EXPECT_FALSE(fields.fIsTyping());
  fields.fType("x");  // after Enter nothing more is typed in
  fields.fPress(EKey::Backspace, false);
  char buffer[9];
  ASSERT_TRUE(fields.fCopyText(name, buffer));
  EXPECT_STREQ(buffer, "a b?cd");

  // Made active again, it takes typing again, text kept.
  ASSERT_TRUE(fields.fActivate(name));
  EXPECT_EQ(fields.fState(name), 0);
  fields.fType("!");
  EXPECT_EQ(*fields.fText(name), "a b?cd!");
}

TEST(SdlKeyInputFields, EscapeCancelsOnlyWhereAllowed) {
  CKeyInputFields fields;
  const int strict = fields.fMake(1, 4, false, false, false);
  const int lenient = fields.fMake(2, 4, true, false, false);
  fields.fActivate(strict);
  fields.fPress(EKey::Escape, false);
  EXPECT_EQ(fields.fState(strict), 0) << "no cancel: Escape does nothing";
  EXPECT_TRUE(fields.fIsTyping());

  fields.fActivate(lenient);  // the other field stops taking typing
  fields.fType("ab");
  EXPECT_TRUE(fields.fText(strict)->empty());
  fields.fPress(EKey::Escape, true);
  EXPECT_EQ(fields.fState(lenient), 0) << "a repeat of a held Escape is not a press";
  fields.fPress(EKey::Escape, false);
  EXPECT_EQ(fields.fState(lenient), 2);
  EXPECT_EQ(fields.fState(strict), 0);
  EXPECT_FALSE(fields.fIsTyping());
}

TEST(SdlKeyInputFields, UnknownAndDeletedHandlesAreRefused) {
  CKeyInputFields fields;
  EXPECT_EQ(fields.fMake(1, 0, false, false, false), -1);
  EXPECT_EQ(fields.fState(5), -1);
  EXPECT_FALSE(fields.fActivate(5));
  char buffer[4] = "old";
  EXPECT_FALSE(fields.fCopyText(5, buffer));
  EXPECT_STREQ(buffer, "old");

  const int field = fields.fMake(5, 4, false, false, false);
  fields.fActivate(field);
  EXPECT_TRUE(fields.fDelete(field));
  EXPECT_FALSE(fields.fIsTyping()) << "deleting the active field leaves none active";
  EXPECT_EQ(fields.fActiveHandle(), -1);
  EXPECT_FALSE(fields.fDelete(field));
  EXPECT_EQ(fields.fCount(), 0);
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
