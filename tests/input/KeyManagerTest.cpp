#include <gtest/gtest.h>

#include <vector>

#include "gamelib/GameLib.h"
#include "input/CKeyManager.h"
#include "support/HeadlessTest.h"

namespace {

class KeyManagerTest : public HeadlessTest {
 protected:
  // Sets the keys down (and every other key up), then takes a snapshot.
  void fFrame(CKeyManager& keys, const std::vector<int>& codes, int pad = 0) {
    backend().fReleaseAllKeys();
    for (int code : codes) backend().fSetKey(code, true);
    backend().fSetPad(pad);
    keys.fUpdateKeyState();
  }

  static std::vector<EGameKey> fPressedKeys(CKeyManager& keys) {
    std::vector<EGameKey> pressed;
    for (int k = 0; k < kGameKeyCount; ++k) {
      if (keys.fIsPressed(static_cast<EGameKey>(k))) pressed.push_back(static_cast<EGameKey>(k));
    }
    return pressed;
  }
};

using Keys = std::vector<EGameKey>;

TEST_F(KeyManagerTest, EveryKeyboardKeyReachesItsLogicalKey) {
  CKeyManager keys;
  const std::vector<std::pair<int, Keys>> table = {
      {KEY_INPUT_J, {EGameKey::Left}},
      {KEY_INPUT_I, {EGameKey::Up}},
      {KEY_INPUT_L, {EGameKey::Right}},
      {KEY_INPUT_K, {EGameKey::Down}},
      {KEY_INPUT_LEFT, {EGameKey::Left, EGameKey::CursorLeft}},
      {KEY_INPUT_UP, {EGameKey::Up, EGameKey::CursorUp}},
      {KEY_INPUT_RIGHT, {EGameKey::Right, EGameKey::CursorRight}},
      {KEY_INPUT_DOWN, {EGameKey::Down, EGameKey::CursorDown}},
      {KEY_INPUT_Z, {EGameKey::KeyZ}},
      {KEY_INPUT_X, {EGameKey::KeyX}},
      {KEY_INPUT_C, {EGameKey::KeyC}},
      {KEY_INPUT_A, {EGameKey::KeyA}},
      {KEY_INPUT_S, {EGameKey::KeyS}},
      {KEY_INPUT_D, {EGameKey::KeyD}},
      {KEY_INPUT_SPACE, {EGameKey::KeySpace}},
      {KEY_INPUT_F1, {EGameKey::KeyF1}},
      {KEY_INPUT_F2, {EGameKey::KeyF2}},
      {KEY_INPUT_F3, {EGameKey::KeyF3}},
      {KEY_INPUT_F4, {EGameKey::KeyF4}},
      {KEY_INPUT_F5, {EGameKey::KeyF5}},
      {KEY_INPUT_F6, {EGameKey::KeyF6}},
      {KEY_INPUT_F7, {EGameKey::KeyF7}},
      {KEY_INPUT_F8, {EGameKey::KeyF8}},
      {KEY_INPUT_F9, {EGameKey::KeyF9}},
      {KEY_INPUT_F10, {EGameKey::KeyF10}},
      {KEY_INPUT_F11, {EGameKey::KeyF11}},
      {KEY_INPUT_F12, {EGameKey::KeyF12}},
      {KEY_INPUT_ESCAPE, {EGameKey::KeyEsc}},
  };
  for (const auto& [code, expected] : table) {
    fFrame(keys, {code});
    EXPECT_EQ(fPressedKeys(keys), expected) << "key code " << code;
  }
  fFrame(keys, {KEY_INPUT_Q, KEY_INPUT_RETURN});
  EXPECT_TRUE(fPressedKeys(keys).empty());
  EXPECT_EQ(keys.fGetKeyboardCode(EGameKey::Left), KEY_INPUT_J);
  EXPECT_EQ(keys.fGetKeyboardCode(EGameKey::KeyEsc), 0x01);
  EXPECT_EQ(keys.fGetKeyboardCode(EGameKey::KeyF11), 0x57);
}

TEST_F(KeyManagerTest, PadDirectionsAndDefaultButtons) {
  CKeyManager keys;
  const std::vector<std::pair<int, Keys>> table = {
      {PAD_INPUT_LEFT, {EGameKey::Left, EGameKey::CursorLeft}},
      {PAD_INPUT_UP, {EGameKey::Up, EGameKey::CursorUp}},
      {PAD_INPUT_RIGHT, {EGameKey::Right, EGameKey::CursorRight}},
      {PAD_INPUT_DOWN, {EGameKey::Down, EGameKey::CursorDown}},
      {PAD_INPUT_1, {EGameKey::KeyZ}},
      {PAD_INPUT_2, {EGameKey::KeyX}},
      {PAD_INPUT_3, {EGameKey::KeyC}},
      {PAD_INPUT_4, {EGameKey::KeyA}},
      {PAD_INPUT_5, {EGameKey::KeyS}},
      {PAD_INPUT_6, {EGameKey::KeyD}},
      {PAD_INPUT_7, {}},  // button 7 has no default use; Space is button 8
      {PAD_INPUT_8, {EGameKey::KeySpace}},
      {PAD_INPUT_9, {}},
  };
  for (const auto& [pad, expected] : table) {
    fFrame(keys, {}, pad);
    EXPECT_EQ(fPressedKeys(keys), expected) << "pad word " << pad;
  }
  // Bit 31 means "no pad button" for the function keys and Escape.
  fFrame(keys, {}, static_cast<int>(0x80000000u));
  EXPECT_TRUE(fPressedKeys(keys).empty());
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeySpace), 0x800);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::Down), 0x1);
}

TEST_F(KeyManagerTest, LiveQueriesDoNotWaitForTheSnapshot) {
  CKeyManager keys;
  fFrame(keys, {});
  backend().fSetKey(KEY_INPUT_X, true);
  backend().fSetPad(PAD_INPUT_1);
  EXPECT_EQ(keys.fIsDownNow(EGameKey::KeyX), 1);
  EXPECT_EQ(keys.fIsKeyboardDown(EGameKey::KeyX), 1);
  EXPECT_EQ(keys.fIsPadDown(EGameKey::KeyZ), 1);
  EXPECT_EQ(keys.fIsKeyboardDown(EGameKey::KeyZ), 0);
  EXPECT_EQ(keys.fIsDownNow(EGameKey::KeyZ), 1);
  // The snapshot still holds the frame before the keys went down.
  EXPECT_FALSE(keys.fIsPressed(EGameKey::KeyX));
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, false));
  keys.fUpdateKeyState();
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyX));
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyZ, false));
}

TEST_F(KeyManagerTest, PushOnceAnswersOncePerPress) {
  CKeyManager keys;
  fFrame(keys, {});
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
  int answers = 0;
  for (int frame = 0; frame < 10; ++frame) {
    fFrame(keys, {KEY_INPUT_Z});
    answers += keys.fIsPush(EGameKey::KeyZ, true) ? 1 : 0;
  }
  EXPECT_EQ(answers, 1);
  fFrame(keys, {});
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
  for (int frame = 0; frame < 5; ++frame) {
    fFrame(keys, {KEY_INPUT_Z});
    answers += keys.fIsPush(EGameKey::KeyZ, true) ? 1 : 0;
  }
  EXPECT_EQ(answers, 2);
  // Unlike once = true, once = false answers every held frame.
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyZ, false));
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyZ, false));
}

TEST_F(KeyManagerTest, ReleaseCountsOnlyWhenAskedWhileUp) {
  CKeyManager keys;
  fFrame(keys, {});
  keys.fIsPush(EGameKey::KeyX, true);
  fFrame(keys, {KEY_INPUT_X});
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyX, true));
  // Released and pressed again without being asked in between: still one press.
  fFrame(keys, {});
  fFrame(keys, {KEY_INPUT_X});
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyX, true));
}

TEST_F(KeyManagerTest, KeyHeldWhileManagerIsMadeDoesNotFire) {
  backend().fSetKey(KEY_INPUT_Z, true);
  backend().fSetKey(KEY_INPUT_ESCAPE, true);
  CKeyManager keys;
  for (int frame = 0; frame < 5; ++frame) {
    fFrame(keys, {KEY_INPUT_Z, KEY_INPUT_ESCAPE});
    EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
    EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 0);
  }
  fFrame(keys, {});
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 0);
  fFrame(keys, {KEY_INPUT_Z, KEY_INPUT_ESCAPE});
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyZ, true));
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 1);
}

TEST_F(KeyManagerTest, TriggeredReadsTheLiveKeyboardAndSharesTheLatch) {
  CKeyManager keys;
  fFrame(keys, {});
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 0);
  // Live: pressed after the snapshot, still seen.
  backend().fSetKey(KEY_INPUT_ESCAPE, true);
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 1);
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyEsc), 0);

  // One latch for both questions: at most one true answer per press.
  fFrame(keys, {});
  keys.fIsPush(EGameKey::KeyZ, true);
  fFrame(keys, {KEY_INPUT_Z});
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyZ), 1);
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
  fFrame(keys, {});
  EXPECT_FALSE(keys.fIsPush(EGameKey::KeyZ, true));
  fFrame(keys, {KEY_INPUT_Z});
  EXPECT_TRUE(keys.fIsPush(EGameKey::KeyZ, true));
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyZ), 0);

  // The pad is not the keyboard.
  fFrame(keys, {});
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyX), 0);
  fFrame(keys, {}, PAD_INPUT_2);
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyX));
  EXPECT_EQ(keys.fIsTriggered(EGameKey::KeyX), 0);
}

TEST_F(KeyManagerTest, DirectionCombinations) {
  CKeyManager keys;
  struct SCase {
    std::vector<int> codes;
    EDirectionTenkey expected;
  };
  const std::vector<SCase> cases = {
      {{}, EDirectionTenkey::Neutral},
      {{KEY_INPUT_J}, EDirectionTenkey::Left},
      {{KEY_INPUT_I}, EDirectionTenkey::Up},
      {{KEY_INPUT_L}, EDirectionTenkey::Right},
      {{KEY_INPUT_K}, EDirectionTenkey::Down},
      {{KEY_INPUT_J, KEY_INPUT_L}, EDirectionTenkey::Left},
      {{KEY_INPUT_I, KEY_INPUT_K}, EDirectionTenkey::Up},
      {{KEY_INPUT_J, KEY_INPUT_I}, EDirectionTenkey::UpLeft},
      {{KEY_INPUT_J, KEY_INPUT_K}, EDirectionTenkey::DownLeft},
      {{KEY_INPUT_I, KEY_INPUT_L}, EDirectionTenkey::UpRight},
      {{KEY_INPUT_L, KEY_INPUT_K}, EDirectionTenkey::DownRight},
      {{KEY_INPUT_J, KEY_INPUT_I, KEY_INPUT_K}, EDirectionTenkey::UpLeft},
      {{KEY_INPUT_I, KEY_INPUT_L, KEY_INPUT_K}, EDirectionTenkey::UpRight},
      {{KEY_INPUT_J, KEY_INPUT_I, KEY_INPUT_L, KEY_INPUT_K}, EDirectionTenkey::UpLeft},
      {{KEY_INPUT_LEFT, KEY_INPUT_DOWN}, EDirectionTenkey::DownLeft},
  };
  for (const SCase& c : cases) {
    fFrame(keys, c.codes);
    EXPECT_EQ(keys.fGetDirection(), c.expected) << "case with " << c.codes.size() << " keys";
  }
  fFrame(keys, {}, PAD_INPUT_RIGHT | PAD_INPUT_UP);
  EXPECT_EQ(keys.fGetDirection(), EDirectionTenkey::UpRight);
}

TEST_F(KeyManagerTest, PressedJoypadButtonIsTheLowestButton) {
  CKeyManager keys;
  EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
  backend().fSetPad(PAD_INPUT_2 | PAD_INPUT_5);
  EXPECT_EQ(keys.fGetPressedJoypadButton(), 0x20);
  // Directions are not buttons.
  backend().fSetPad(PAD_INPUT_LEFT | PAD_INPUT_DOWN | PAD_INPUT_UP | PAD_INPUT_RIGHT);
  EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
  backend().fSetPad(PAD_INPUT_LEFT | 0x80000);
  EXPECT_EQ(keys.fGetPressedJoypadButton(), 0x80000);
  // Only buttons 1 to 16 are learnt.
  backend().fSetPad(0x100000);
  EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
}

TEST_F(KeyManagerTest, SnapshotIsUnchangedBetweenUpdates) {
  CKeyManager keys;
  fFrame(keys, {KEY_INPUT_S}, PAD_INPUT_LEFT);
  backend().fReleaseAllKeys();
  backend().fSetPad(0);
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyS));
  EXPECT_TRUE(keys.fIsPressed(EGameKey::Left));
  EXPECT_EQ(keys.fGetDirection(), EDirectionTenkey::Left);
  EXPECT_EQ(keys.fIsDownNow(EGameKey::KeyS), 0);
}

TEST_F(KeyManagerTest, KeyOutsideTheTableIsAProgrammingError) {
  CKeyManager keys;
  const auto bad = static_cast<EGameKey>(28);
  EXPECT_DEATH(keys.fIsPressed(bad), "EGameKey out of range");
  EXPECT_DEATH(keys.fIsPush(bad, true), "EGameKey out of range");
  EXPECT_DEATH(keys.fIsTriggered(bad), "EGameKey out of range");
  EXPECT_DEATH(keys.fIsDownNow(static_cast<EGameKey>(-1)), "EGameKey out of range");
  EXPECT_DEATH(keys.fGetPadButton(bad), "EGameKey out of range");
}

}  // namespace
