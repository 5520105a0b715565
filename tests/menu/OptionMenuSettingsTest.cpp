// The option menu's settings and keyboard pages: keyboard keys assigned and
// refused, back to the defaults, the language switched at once, the volumes,
// and everything saved on leaving.
#include <gtest/gtest.h>

#include "app/GameMain.h"
#include "gui/CTextLabel.h"
#include "input/KeyboardSetting.h"
#include "menu/OptionMenuFixture.h"
#include "persist/Settings.h"
#include "text/Texts.h"

namespace {

class OptionMenuSettingsTest : public OptionMenuFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    gSettings = SSettings{};
    fSetLanguage(ELanguage::Japanese);
    fOpen(COptionMenu::EPage::Settings);
  }
  void TearDown() override {
    menu.reset();
    gSettings = SSettings{};
    fSetLanguage(ELanguage::Japanese);
    OptionMenuFixture::TearDown();
  }
  std::string fRow(const std::string& row) const {
    return static_cast<const CTextLabel*>(menu->fGetWindow().fGetWidget(row))->fGetText();
  }
  std::string fFocus() const { return menu->fGetWindow().fGetFocus(); }
  // From the settings page to the keyboard page.
  void fOpenKeyboardPage() {
    while (fFocus() != "KEYBOARD") fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    ASSERT_EQ(menu->fPage(), COptionMenu::EPage::Keyboard);
  }
  // Chooses the keyboard row and presses the key for it.
  void fAssign(const std::string& row, int keyCode) {
    while (fFocus() != row) fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    ASSERT_TRUE(menu->fIsLearningKey());
    fTap(keyCode);
    fFrame();
  }
};

TEST_F(OptionMenuSettingsTest, TheSettingsPageOpensFirstOnTheLanguage) {
  EXPECT_EQ(menu->fPage(), COptionMenu::EPage::Settings);
  EXPECT_EQ(fFocus(), "LANGUAGE");
  EXPECT_EQ(fRow("LANGUAGE"), "言語　　　　　:日本語");
  EXPECT_EQ(fRow("MUSIC"), "音楽の音量　　:10");
  fTap(KEY_INPUT_UP);
  EXPECT_EQ(fFocus(), "DEFAULTS") << "the cycle skips the heading";
}

TEST_F(OptionMenuSettingsTest, AKeyIsAssignedAndPlaysAtOnce) {
  fOpenKeyboardPage();
  EXPECT_EQ(fRow("K_DROP"), "落下　　　　　:X");
  EXPECT_EQ(fRow("K_LEFT"), "左移動　　　　:J (Left)");
  fAssign("K_DROP", KEY_INPUT_V);
  EXPECT_FALSE(menu->fIsLearningKey());
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::KeyX), KEY_INPUT_V);
  EXPECT_EQ(fRow("K_DROP"), "落下　　　　　:V");
  EXPECT_EQ(menu->fMessage(), "");
  // The live key manager took it: V drops, X does nothing now.
  fHold(KEY_INPUT_V);
  EXPECT_EQ(gKeyManager->fIsDownNow(EGameKey::KeyX), 1);
  fRelease(KEY_INPUT_V);
  fHold(KEY_INPUT_X);
  EXPECT_EQ(gKeyManager->fIsDownNow(EGameKey::KeyX), 0);
  fRelease(KEY_INPUT_X);
  // The assigned key now also leaves the page, as X did.
  fTap(KEY_INPUT_V);
  EXPECT_EQ(menu->fPage(), COptionMenu::EPage::Settings);
}

TEST_F(OptionMenuSettingsTest, AKeyInUseOrKeptByTheGameIsRefusedWithAMessage) {
  fOpenKeyboardPage();
  fAssign("K_DROP", KEY_INPUT_C);
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::KeyX), KEY_INPUT_X);
  EXPECT_EQ(menu->fMessage(), "Cはすでに「右回転」に使われています");
  fAssign("K_HOLD", KEY_INPUT_P);
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::KeySpace), KEY_INPUT_SPACE);
  EXPECT_EQ(menu->fMessage(), "Pは割り当てられません");
  // The cursor keys stay the fixed second keys of the directions.
  EXPECT_NE(fKeyAssignmentProblem(0, KEY_INPUT_LEFT), "");
  // Its own key again is no conflict.
  EXPECT_EQ(fKeyAssignmentProblem(4, KEY_INPUT_X), "");
  fSetLanguage(ELanguage::English);
  EXPECT_EQ(fKeyAssignmentProblem(4, KEY_INPUT_Z), "Z is already used for \"Turn camera left\".");
}

TEST_F(OptionMenuSettingsTest, EscapeCancelsLearningAndDefaultsComeBack) {
  fOpenKeyboardPage();
  fAssign("K_LEFT", KEY_INPUT_A);
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::Left), KEY_INPUT_A);
  fAssign("K_UP", KEY_INPUT_ESCAPE);
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::Up), KEY_INPUT_I);
  EXPECT_EQ(menu->fPage(), COptionMenu::EPage::Keyboard) << "the Escape that cancels does not leave";
  while (fFocus() != "KEY_DEFAULTS") fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(gSettings.keys, kDefaultKeyboardKeys);
  EXPECT_EQ(menu->fMessage(), fText(ETextId::OptionKeysRestored));
  fHold(KEY_INPUT_J);
  EXPECT_EQ(gKeyManager->fIsDownNow(EGameKey::Left), 1);
  fRelease(KEY_INPUT_J);
}

TEST_F(OptionMenuSettingsTest, TheLanguageChangesAtOnceAndEverythingIsSavedOnLeaving) {
  fTap(KEY_INPUT_RIGHT);
  EXPECT_EQ(fCurrentLanguage(), ELanguage::English);
  EXPECT_EQ(fRow("LANGUAGE"), "Language: English");
  EXPECT_EQ(fRow("TEXT_SETTINGS"), "[Settings]");
  EXPECT_EQ(fFocus(), "LANGUAGE");
  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_LEFT);
  fTap(KEY_INPUT_LEFT);
  EXPECT_EQ(gSettings.musicVolume, 8);
  EXPECT_EQ(fRow("MUSIC"), "Music volume: 8");
  for (int i = 0; i < 12; ++i) fTap(KEY_INPUT_RIGHT);
  EXPECT_EQ(gSettings.musicVolume, 10) << "volumes stop at 10";
  fTap(KEY_INPUT_X);
  EXPECT_EQ(closed, 1);
  std::vector<std::string> damaged;
  const SSettings saved = fParseSettings(fReadWholeFile(kSettingsTextFile), damaged);
  EXPECT_EQ(saved.language, ELanguage::English);
  EXPECT_TRUE(fFileExists("dat/setting.dat"));
  EXPECT_EQ(fFileSize("dat/setting.dat"), 92u) << "the designed file keeps its size";
}

TEST_F(OptionMenuSettingsTest, TheDisplayIsSwitchedAtOnceAndWrittenToConfig) {
  fWriteWholeFile("config.dat", "WindowMode=1\nSound=1\nNoReserve=1\nserver=localhost:1\n");
  fSetConfigWindowMode(true);
  while (fFocus() != "DISPLAY") fTap(KEY_INPUT_DOWN);
  backend().fSetLogging(true);
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(backend().fLogOf({"ChangeWindowMode"}), std::vector<std::string>{"ChangeWindowMode(0)"});
  EXPECT_EQ(fReadWholeFile("config.dat"), "WindowMode=0\nSound=1\nNoReserve=1\nserver=localhost:1\n");
  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_RIGHT);
  EXPECT_EQ(gSettings.windowScale, 1);
  EXPECT_EQ(backend().fLogOf({"SetWindowSizeExtendRate"}), std::vector<std::string>{"SetWindowSizeExtendRate(1.5)"});
  fSetConfigWindowMode(true);
}

TEST_F(OptionMenuSettingsTest, BallSymbolsAreSwitchedAndKeptInTheSettingsFileOnly) {
  fWriteWholeFile("config.dat", "WindowMode=1\nSound=1\nNoReserve=1\n");
  EXPECT_EQ(fRow("SYMBOLS"), "ボールの記号　:なし");
  while (fFocus() != "SYMBOLS") fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_RIGHT);
  EXPECT_TRUE(gSettings.ballSymbols);
  EXPECT_EQ(fRow("SYMBOLS"), "ボールの記号　:あり");
  fTap(KEY_INPUT_Z);
  EXPECT_FALSE(gSettings.ballSymbols) << "Z switches it too";
  fTap(KEY_INPUT_LEFT);
  EXPECT_TRUE(gSettings.ballSymbols);
  fTap(KEY_INPUT_X);
  EXPECT_EQ(closed, 1);
  std::vector<std::string> damaged;
  EXPECT_TRUE(fParseSettings(fReadWholeFile(kSettingsTextFile), damaged).ballSymbols);
  EXPECT_EQ(fReadWholeFile("config.dat"), "WindowMode=1\nSound=1\nNoReserve=1\n") << "config.dat keeps its bytes";
  EXPECT_EQ(fFileSize("dat/setting.dat"), 92u) << "the designed file keeps its size";
}

TEST_F(OptionMenuSettingsTest, BackToAllDefaultsAsksFirstAndNoKeepsEverything) {
  fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_LEFT);
  fTap(KEY_INPUT_LEFT);
  ASSERT_EQ(gSettings.musicVolume, 8);
  gSettings.ballSymbols = true;
  while (fFocus() != "DEFAULTS") fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_Z);
  ASSERT_NE(menu->fConfirmWindow(), nullptr);
  EXPECT_EQ(menu->fConfirmWindow()->fGetWindow().fGetFocus(), "no") << "the safe answer comes first";
  EXPECT_EQ(gSettings.musicVolume, 8) << "nothing changes before the answer";
  // While it asks, the menu under it does not move.
  fTap(KEY_INPUT_DOWN);
  EXPECT_EQ(fFocus(), "DEFAULTS");
  fTap(KEY_INPUT_Z);  // "no"
  EXPECT_EQ(menu->fConfirmWindow(), nullptr);
  EXPECT_EQ(gSettings.musicVolume, 8);
  EXPECT_TRUE(gSettings.ballSymbols);
  EXPECT_EQ(closed, 0);
  fTap(KEY_INPUT_Z);
  ASSERT_NE(menu->fConfirmWindow(), nullptr);
  fTap(KEY_INPUT_ESCAPE);  // also "no", and the menu stays open
  EXPECT_EQ(menu->fConfirmWindow(), nullptr);
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(gSettings.musicVolume, 8);
  fTap(KEY_INPUT_Z);
  fTap(KEY_INPUT_LEFT);
  fTap(KEY_INPUT_Z);  // "yes"
  EXPECT_EQ(menu->fConfirmWindow(), nullptr);
  EXPECT_EQ(gSettings.musicVolume, 10);
  EXPECT_FALSE(gSettings.ballSymbols);
  EXPECT_EQ(menu->fMessage(), fText(ETextId::OptionAllRestored));
}

}  // namespace
