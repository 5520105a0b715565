// The keyboard-code table of the SDL backend. Checked against GameLib.h
// itself, so a key code added there without a scancode fails here.
#if __has_include(<SDL2/SDL_scancode.h>)

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "gamelib/sdl/KeyCodeMap.h"

namespace {

std::map<std::string, int> fKeyConstantsOfGameLib() {
  std::ifstream file(std::string(PLIMO_FIXTURE_DIR) + "/../../src/gamelib/GameLib.h");
  std::stringstream text;
  text << file.rdbuf();
  const std::string source = text.str();
  const std::regex constant(R"(constexpr int KEY_INPUT_(\w+) = (0x[0-9A-Fa-f]+|\d+);)");
  std::map<std::string, int> constants;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), constant); it != std::sregex_iterator(); ++it) {
    constants[(*it)[1].str()] = std::stoi((*it)[2].str(), nullptr, 0);
  }
  return constants;
}

TEST(SdlKeyCodeMap, EveryKeyConstantOfTheLibraryHasAScancode) {
  const auto constants = fKeyConstantsOfGameLib();
  ASSERT_GT(constants.size(), 70u) << "GameLib.h was not read";
  for (const auto& [name, code] : constants) {
    EXPECT_NE(fScancodeOfKeyCode(code), SDL_SCANCODE_UNKNOWN) << "KEY_INPUT_" << name;
  }
}

TEST(SdlKeyCodeMap, NoTwoCodesShareAScancode) {
  std::set<int> scancodes;
  std::set<int> codes;
  for (const auto& mapping : kKeyCodeMappings) {
    EXPECT_TRUE(codes.insert(mapping.keyCode).second) << "code listed twice: " << mapping.keyCode;
    EXPECT_TRUE(scancodes.insert(mapping.scancode).second) << "scancode used twice: " << mapping.scancode;
  }
}

TEST(SdlKeyCodeMap, TheGameKeysLandOnTheirKeys) {
  // Play keys, cursor keys and the function keys the replay viewer uses.
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_J), SDL_SCANCODE_J);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_I), SDL_SCANCODE_I);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_K), SDL_SCANCODE_K);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_L), SDL_SCANCODE_L);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_Z), SDL_SCANCODE_Z);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_X), SDL_SCANCODE_X);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_C), SDL_SCANCODE_C);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_LEFT), SDL_SCANCODE_LEFT);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_UP), SDL_SCANCODE_UP);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_RIGHT), SDL_SCANCODE_RIGHT);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_DOWN), SDL_SCANCODE_DOWN);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_F1), SDL_SCANCODE_F1);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_F10), SDL_SCANCODE_F10);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_F11), SDL_SCANCODE_F11);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_F12), SDL_SCANCODE_F12);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_ESCAPE), SDL_SCANCODE_ESCAPE);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_SPACE), SDL_SCANCODE_SPACE);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_RETURN), SDL_SCANCODE_RETURN);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_0), SDL_SCANCODE_0);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_INPUT_1), SDL_SCANCODE_1);
}

TEST(SdlKeyCodeMap, CodesWithoutAKeyAndOutOfRangeCodesAreNoKey) {
  EXPECT_EQ(fScancodeOfKeyCode(0x00), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(fScancodeOfKeyCode(0x0D), SDL_SCANCODE_UNKNOWN);  // a gap in the numbering
  EXPECT_EQ(fScancodeOfKeyCode(-1), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(fScancodeOfKeyCode(KEY_CODE_COUNT), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(fScancodeOfKeyCode(100000), SDL_SCANCODE_UNKNOWN);
}

}  // namespace

#endif
