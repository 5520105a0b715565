// Alt+Enter on any screen: one switch per press, written into config.dat's
// first line with the other lines kept.
#include <gtest/gtest.h>

#include "app/Display.h"
#include "app/GameMain.h"
#include "gamelib/FileSystem.h"
#include "support/HeadlessTest.h"

namespace {

class DisplayTest : public HeadlessTest {
 protected:
  void TearDown() override {
    fSetConfigWindowMode(true);
    HeadlessTest::TearDown();
  }
};

TEST_F(DisplayTest, AltEnterSwitchesOncePerPressAndIsRemembered) {
  fWriteWholeFile("config.dat", "WindowMode=1\nSound=0\nNoReserve=1\nserver=example.org\n");
  fSetConfigWindowMode(true);
  fCheckDisplayKeys();  // nothing held: the next press counts
  backend().fSetLogging(true);

  backend().fSetKey(KEY_INPUT_RETURN, true);
  fCheckDisplayKeys();
  EXPECT_TRUE(fIsWindowed()) << "Enter alone is no switch";
  backend().fSetKey(KEY_INPUT_LALT, true);
  fCheckDisplayKeys();
  fCheckDisplayKeys();  // still held
  EXPECT_FALSE(fIsWindowed());
  EXPECT_EQ(fReadWholeFile("config.dat"), "WindowMode=0\nSound=0\nNoReserve=1\nserver=example.org\n");

  backend().fReleaseAllKeys();
  fCheckDisplayKeys();
  backend().fSetKey(KEY_INPUT_RALT, true);
  backend().fSetKey(KEY_INPUT_RETURN, true);
  fCheckDisplayKeys();
  EXPECT_TRUE(fIsWindowed());
  EXPECT_EQ(backend().fLogOf({"ChangeWindowMode"}),
            (std::vector<std::string>{"ChangeWindowMode(0)", "ChangeWindowMode(1)"}));
  EXPECT_EQ(fParseConfig(fReadWholeFile("config.dat")).serverAddress, "example.org");
}

TEST_F(DisplayTest, WithoutAConfigFileTheSwitchWritesOne) {
  fSetConfigWindowMode(true);
  fSetWindowed(false);
  EXPECT_EQ(fReadWholeFile("config.dat"), "WindowMode=0\nSound=1\nNoReserve=1\n");
}

}  // namespace
