// The option menu: rows from the option record, keyboard navigation round
// the eight key rows, learning pad buttons, saving on close.
#include <gtest/gtest.h>

#include "gui/CTextLabel.h"
#include "menu/OptionMenuFixture.h"

namespace {

class OptionMenuTest : public OptionMenuFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fOpen(COptionMenu::EPage::Pad);
  }

  void fPressPad(int padWord) {
    backend().fSetPad(padWord);
    fFrame();
    backend().fSetPad(0);
    fFrame();
  }

  std::string fText(const std::string& row) const {
    return static_cast<const CTextLabel*>(menu->fGetWindow().fGetWidget(row))->fGetText();
  }
  std::string fFocus() const { return menu->fGetWindow().fGetFocus(); }
};

TEST_F(OptionMenuTest, TheRowsShowTheDefaultButtons) {
  EXPECT_EQ(menu->fGetWindow().fGetOrder(),
            (std::vector<std::string>{"TEXT2", "LEFT", "UP", "RIGHT", "DOWN", "KEY_X", "KEY_SPACE", "KEY_Z", "KEY_C"}));
  EXPECT_EQ(fText("TEXT2"), "【ゲームパッド】");
  EXPECT_EQ(fText("LEFT"), "左移動　　　　:Button?(ボタンを押す)");
  EXPECT_EQ(fText("UP"), "上移動　　　　:Button?(ボタンを押す)");
  EXPECT_EQ(fText("RIGHT"), "右移動　　　　:Button?(ボタンを押す)");
  EXPECT_EQ(fText("DOWN"), "下移動　　　　:Button?(ボタンを押す)");
  EXPECT_EQ(fText("KEY_X"), "落下　　　　　:Button2");
  EXPECT_EQ(fText("KEY_SPACE"), "ホールド　　　:Button8");
  EXPECT_EQ(fText("KEY_Z"), "左回転　　　　:Button1");
  EXPECT_EQ(fText("KEY_C"), "右回転　　　　:Button3");
  for (const auto& row : kOptionRows) EXPECT_EQ(std::string(::fText(row.label)).size(), 22u) << row.name;

  EXPECT_EQ(fFocus(), "LEFT");
  EXPECT_FALSE(menu->fGetWindow().fGetWidget("TEXT2")->fIsFocused());
  EXPECT_EQ(menu->fGetWindow().fGetPosition().x, 140.0);
  EXPECT_EQ(menu->fGetWindow().fGetPosition().y, 70.0);
}

TEST_F(OptionMenuTest, TheWindowIsSizedToTheWidestRow) {
  backend().fSetLogging(true);
  COptionMenu another(COptionMenu::EPage::Pad);
  // "左移動　　　　:Button?(ボタンを押す)": thirteen full-width characters
  // and ten half-width ones, 288 pixels, plus margins 25 + 25; nine rows 24
  // apart plus margins 20 + 20.
  EXPECT_EQ(backend().fLogOf({"MakeGraph"}),
            (std::vector<std::string>{"MakeGraph(338, 248, 0)", "MakeGraph(338, 248, 0)"}));
}

TEST_F(OptionMenuTest, TheCursorCyclesThroughTheKeyRowsOnlyAndIgnoresThePad) {
  fTap(KEY_INPUT_UP);
  EXPECT_EQ(fFocus(), "KEY_C");
  fTap(KEY_INPUT_DOWN);
  EXPECT_EQ(fFocus(), "LEFT");
  fTap(KEY_INPUT_K);  // the play key for down works as well
  EXPECT_EQ(fFocus(), "UP");
  EXPECT_FALSE(menu->fGetWindow().fGetWidget("LEFT")->fIsFocused());
  for (int i = 0; i < 7; ++i) fTap(KEY_INPUT_DOWN);
  EXPECT_EQ(fFocus(), "LEFT");
  EXPECT_FALSE(menu->fGetWindow().fGetWidget("TEXT2")->fIsFocused());

  // Holding moves once.
  fHold(KEY_INPUT_DOWN);
  for (int i = 0; i < 40; ++i) fFrame();
  EXPECT_EQ(fFocus(), "UP");
  fRelease(KEY_INPUT_DOWN);
  fFrame();

  // Pad directions are not navigation, and they are no buttons to learn.
  fPressPad(PAD_INPUT_DOWN);
  fPressPad(PAD_INPUT_UP);
  EXPECT_EQ(fFocus(), "UP");
  EXPECT_EQ(gOptionInfo->padButtons, std::vector<int>(kOptionDefaultPadButtons.begin(), kOptionDefaultPadButtons.end()));
}

TEST_F(OptionMenuTest, APadButtonIsLearnedAtOnceForTheFocusedRow) {
  fTap(KEY_INPUT_UP);
  fTap(KEY_INPUT_UP);
  ASSERT_EQ(fFocus(), "KEY_Z");
  fPressPad(PAD_INPUT_2 | PAD_INPUT_5);  // the lowest button wins
  EXPECT_EQ(gOptionInfo->padButtons[fKeyIndex(EGameKey::KeyZ)], 0x20);
  EXPECT_EQ(fText("KEY_Z"), "左回転　　　　:Button2");
  EXPECT_EQ(fText("KEY_X"), "落下　　　　　:Button2");  // duplicates are allowed
  EXPECT_EQ(dynamic_cast<CKeyManager&>(*gKeyManager).fGetPadButton(EGameKey::KeyZ), 0x20);

  fTap(KEY_INPUT_UP);
  fTap(KEY_INPUT_UP);
  fTap(KEY_INPUT_UP);
  ASSERT_EQ(fFocus(), "DOWN");
  fPressPad(0x80000);  // button 16
  EXPECT_EQ(fText("DOWN"), "下移動　　　　:Button16");
  // The pad's own down direction still works besides the learned button.
  backend().fSetPad(PAD_INPUT_DOWN);
  gKeyManager->fUpdateKeyState();
  EXPECT_TRUE(gKeyManager->fIsPressed(EGameKey::Down));
  EXPECT_EQ(closed, 0);
}

TEST_F(OptionMenuTest, ThePadNeverClosesTheMenu) {
  fPressPad(PAD_INPUT_1);  // button 1 is Z's, yet only the keyboard closes
  fPressPad(PAD_INPUT_2);
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(fFileExists(kSettingFile));
  EXPECT_EQ(fText("LEFT"), "左移動　　　　:Button2");
}

TEST_F(OptionMenuTest, ZOrXSavesTheRecordAndCloses) {
  fPressPad(PAD_INPUT_4);  // LEFT learns button 4
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(closed, 1);
  ASSERT_TRUE(fFileExists(kSettingFile));

  std::vector<int> expected(kOptionDefaultPadButtons.begin(), kOptionDefaultPadButtons.end());
  expected[0] = 0x80;
  gOptionInfo.reset();
  fLoadOptionInfo();
  EXPECT_EQ(gOptionInfo->padButtons, expected);

  // X works too, and the menu may be dropped from inside the callback.
  menu->onClose = [this] {
    ++closed;
    menu.reset();
  };
  fHold(KEY_INPUT_X);
  gKeyManager->fUpdateKeyState();
  menu->fUpdate();
  EXPECT_EQ(menu, nullptr);
  EXPECT_EQ(closed, 2);
}

TEST_F(OptionMenuTest, LearningWhileTheHeadingIsFocusedIsAProgrammingError) {
  menu->fGetWindow().fSetFocus("TEXT2", true);
  backend().fSetPad(PAD_INPUT_3);
  gKeyManager->fUpdateKeyState();
  EXPECT_DEATH(menu->fUpdate(), "invalide widget name! ");
}

}  // namespace
