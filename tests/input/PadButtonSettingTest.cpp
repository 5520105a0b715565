#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gamelib/GameLib.h"
#include "input/CKeyManager.h"
#include "input/PadButtonSetting.h"
#include "persist/Records.h"
#include "support/HeadlessTest.h"

namespace {

// Each test sets its own option record and puts the old one back.
class PadButtonSettingTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mSaved = gOptionInfo;
    gOptionInfo = std::make_shared<COptionInfo>();
  }
  void TearDown() override {
    gOptionInfo = mSaved;
    HeadlessTest::TearDown();
  }

  bool fLeftDownWithPad(CKeyManager& keys, int pad) {
    backend().fSetPad(pad);
    keys.fUpdateKeyState();
    return keys.fIsPressed(EGameKey::Left);
  }

 private:
  std::shared_ptr<COptionInfo> mSaved;
};

TEST_F(PadButtonSettingTest, ConfiguredButtonJoinsThePadDirection) {
  gOptionInfo->padButtons[0] = PAD_INPUT_1;
  CKeyManager keys;
  EXPECT_EQ(keys.fGetPadButton(EGameKey::Left), PAD_INPUT_1);
  EXPECT_TRUE(fLeftDownWithPad(keys, PAD_INPUT_1));
  EXPECT_TRUE(fLeftDownWithPad(keys, PAD_INPUT_LEFT));
  EXPECT_FALSE(fLeftDownWithPad(keys, PAD_INPUT_RIGHT));
  // Button 1 is still Z as well: the option menu does not unassign it.
  backend().fSetPad(PAD_INPUT_1);
  keys.fUpdateKeyState();
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyZ));
  EXPECT_FALSE(keys.fIsPressed(EGameKey::CursorLeft));
}

TEST_F(PadButtonSettingTest, OnlyEntries0To3And8To14AreTaken) {
  for (int i = 0; i < 15; ++i) gOptionInfo->padButtons[i] = 0x1000 << (i % 4);
  gOptionInfo->padButtons[4] = PAD_INPUT_8;  // cursor keys keep the pad directions
  gOptionInfo->padButtons[14] = PAD_INPUT_3;
  CKeyManager keys;
  for (int k = 0; k < 28; ++k) {
    const auto key = static_cast<EGameKey>(k);
    if (k < 4 || (k >= 8 && k < 14)) {
      EXPECT_EQ(keys.fGetPadButton(key), 0x1000 << (k % 4)) << k;
    }
  }
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeySpace), PAD_INPUT_3);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::CursorLeft), PAD_INPUT_LEFT);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::CursorDown), PAD_INPUT_DOWN);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeyEsc), static_cast<int>(0x80000000u));
}

TEST_F(PadButtonSettingTest, ChangedRecordIsTakenOnRequest) {
  CKeyManager keys;
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeyX), PAD_INPUT_2);
  gOptionInfo->padButtons[9] = PAD_INPUT_6;
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeyX), PAD_INPUT_2);
  keys.fSetupPadButtonFromSetting();
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeyX), PAD_INPUT_6);
  backend().fSetPad(PAD_INPUT_6);
  keys.fUpdateKeyState();
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyX));
  EXPECT_TRUE(keys.fIsPressed(EGameKey::KeyD));
}

TEST_F(PadButtonSettingTest, ShortRecordFallsBackToDefaults) {
  gOptionInfo->padButtons = {PAD_INPUT_4, 0x8};
  CKeyManager keys;
  EXPECT_EQ(keys.fGetPadButton(EGameKey::Left), PAD_INPUT_4);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::Right), 0x4);
  EXPECT_EQ(keys.fGetPadButton(EGameKey::KeySpace), 0x800);
  gOptionInfo->padButtons.clear();
  keys.fSetupPadButtonFromSetting();
  EXPECT_EQ(keys.fGetPadButton(EGameKey::Left), 0x2);
  // A longer list is cut to its first 15 entries.
  std::vector<int> longer(20, PAD_INPUT_7);
  EXPECT_EQ(fPadButtonsFrom(longer)[14], PAD_INPUT_7);
}

TEST_F(PadButtonSettingTest, NoRecordMeansDefaults) {
  gOptionInfo.reset();
  CKeyManager keys;
  for (int k = 0; k < 15; ++k) {
    if (k >= 4 && k < 8) continue;
    EXPECT_EQ(keys.fGetPadButton(static_cast<EGameKey>(k)), kDefaultPadButtons[k]) << k;
  }
  // Both lists of defaults must agree.
  const COptionInfo fresh;
  EXPECT_EQ(fPadButtonsFrom(fresh.padButtons), kDefaultPadButtons);
}

}  // namespace
