#include <gtest/gtest.h>

#include <vector>

#include "gamelib/GameLib.h"
#include "input/CKeyManager.h"
#include "input/CKeyRepeatManager.h"
#include "input/CMouseManager.h"
#include "support/HeadlessTest.h"

namespace {

class KeyRepeatTest : public HeadlessTest {
 protected:
  // Runs frames with the key held or not; returns the held-frame numbers
  // (counting from 1) on which the repeat answered.
  std::vector<int> fHold(CKeyRepeatManager& repeat, int keyCode, EGameKey key, int frames) {
    std::vector<int> repeats;
    backend().fSetKey(keyCode, true);
    for (int frame = 1; frame <= frames; ++frame) {
      mKeys.fUpdateKeyState();
      repeat.fUpdate(mKeys);
      if (repeat.fIsRepeat(mKeys, key)) repeats.push_back(frame);
    }
    backend().fSetKey(keyCode, false);
    return repeats;
  }

  void fIdleFrame(CKeyRepeatManager& repeat) {
    mKeys.fUpdateKeyState();
    repeat.fUpdate(mKeys);
  }

  CKeyManager mKeys;
};

TEST_F(KeyRepeatTest, HeldKeyRepeatsOnFrames22_31_40) {
  CKeyRepeatManager repeat;
  repeat.fAddKey(EGameKey::Down);
  EXPECT_EQ(fHold(repeat, KEY_INPUT_K, EGameKey::Down, 40), (std::vector<int>{22, 31, 40}));
  // Releasing rearms the first delay.
  fIdleFrame(repeat);
  EXPECT_EQ(fHold(repeat, KEY_INPUT_DOWN, EGameKey::Down, 30), (std::vector<int>{22}));
}

TEST_F(KeyRepeatTest, KeysRepeatIndependently) {
  CKeyRepeatManager repeat;
  repeat.fAddKey(EGameKey::Left);
  repeat.fAddKey(EGameKey::Right);
  backend().fSetKey(KEY_INPUT_J, true);
  std::vector<int> left, right;
  for (int frame = 1; frame <= 40; ++frame) {
    if (frame == 10) backend().fSetKey(KEY_INPUT_L, true);
    mKeys.fUpdateKeyState();
    repeat.fUpdate(mKeys);
    if (repeat.fIsRepeat(mKeys, EGameKey::Left)) left.push_back(frame);
    if (repeat.fIsRepeat(mKeys, EGameKey::Right)) right.push_back(frame);
  }
  EXPECT_EQ(left, (std::vector<int>{22, 31, 40}));
  EXPECT_EQ(right, (std::vector<int>{31, 40}));           // held from frame 10
  EXPECT_FALSE(repeat.fIsRepeat(mKeys, EGameKey::KeyZ));  // never added
}

TEST_F(KeyRepeatTest, UnaskedRepeatIsKeptUntilAsked) {
  CKeyRepeatManager repeat;
  repeat.fAddKey(EGameKey::KeyZ);
  backend().fSetKey(KEY_INPUT_Z, true);
  for (int frame = 1; frame <= 25; ++frame) fIdleFrame(repeat);
  EXPECT_TRUE(repeat.fIsRepeat(mKeys, EGameKey::KeyZ));
  EXPECT_FALSE(repeat.fIsRepeat(mKeys, EGameKey::KeyZ));
}

TEST_F(KeyRepeatTest, AddingAKeyOutsideTheTableIsAProgrammingError) {
  CKeyRepeatManager repeat;
  EXPECT_DEATH(repeat.fAddKey(static_cast<EGameKey>(40)), "EGameKey out of range");
}

class MouseTest : public HeadlessTest {};

TEST_F(MouseTest, ReadsButtonsWheelAndPosition) {
  CMouseManager mouse;
  EXPECT_FALSE(mouse.fIsPushLeft(false));
  backend().fSetMouse(120, 340, MOUSE_INPUT_LEFT | MOUSE_INPUT_MIDDLE);
  backend().fAddWheel(2);
  mouse.fUpdate();
  EXPECT_EQ(mouse.fGetX(), 120);
  EXPECT_EQ(mouse.fGetY(), 340);
  EXPECT_TRUE(mouse.fIsPushLeft(false));
  EXPECT_TRUE(mouse.fIsPushMiddle(false));
  EXPECT_FALSE(mouse.fIsPushRight(false));
  EXPECT_EQ(mouse.fGetWheel(), 2);
  EXPECT_TRUE(mouse.fIsPush(CMouseManager::Wheel, false));
  // The wheel counter is reset by each read.
  backend().fSetMouse(5, 6, MOUSE_INPUT_RIGHT);
  mouse.fUpdate();
  EXPECT_EQ(mouse.fGetWheel(), 0);
  EXPECT_TRUE(mouse.fIsPushRight(false));
  EXPECT_FALSE(mouse.fIsPushLeft(false));
  backend().fAddWheel(-1);
  mouse.fUpdate();
  EXPECT_EQ(mouse.fGetWheel(), -1);
  EXPECT_FALSE(mouse.fIsPush(CMouseManager::Wheel, false));  // backwards is not a push
}

TEST_F(MouseTest, PushOnceFiresAtOnceAndThenPerPress) {
  backend().fSetMouse(0, 0, MOUSE_INPUT_LEFT);
  CMouseManager mouse;
  std::vector<bool> answers;
  for (int buttons : {MOUSE_INPUT_LEFT, MOUSE_INPUT_LEFT, 0, MOUSE_INPUT_LEFT, MOUSE_INPUT_LEFT}) {
    backend().fSetMouse(0, 0, buttons);
    mouse.fUpdate();
    answers.push_back(mouse.fIsPushLeft(true));
  }
  // Unlike the keys, a button held at creation counts straight away.
  EXPECT_EQ(answers, (std::vector<bool>{true, false, false, true, false}));
}

TEST_F(MouseTest, ButtonIndexOutsideTheTableIsAProgrammingError) {
  CMouseManager mouse;
  EXPECT_DEATH(mouse.fIsPush(4, false), "mouse button out of range");
  EXPECT_DEATH(mouse.fIsPush(-1, true), "mouse button out of range");
}

}  // namespace
