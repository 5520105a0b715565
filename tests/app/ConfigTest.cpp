#include <gtest/gtest.h>

#include "app/Config.h"
#include "gamelib/FileSystem.h"
#include "support/HeadlessTest.h"

namespace {

TEST(ConfigTest, OnlyTheTextBetweenTheFirstTwoEqualsSignsCounts) {
  const SConfig config = fParseConfig("window=0\nsound=1=and more\nreserve= 1\n");
  EXPECT_FALSE(config.bWindowMode);
  EXPECT_TRUE(config.bSound);
  EXPECT_FALSE(config.bNoReserve);  // a blank before the 1 is not "1"
}

TEST(ConfigTest, TheLinePositionDecidesNotTheWord) {
  const SConfig config = fParseConfig("sound=1\nwindow=0\nanything=1\n");
  EXPECT_TRUE(config.bWindowMode);
  EXPECT_FALSE(config.bSound);
  EXPECT_TRUE(config.bNoReserve);
}

TEST(ConfigTest, CarriageReturnsAreNotPartOfTheLine) {
  const SConfig config = fParseConfig("a=1\r\nb=1\r\nc=0\r\n");
  EXPECT_TRUE(config.bWindowMode);
  EXPECT_TRUE(config.bSound);
  EXPECT_FALSE(config.bNoReserve);
  EXPECT_TRUE(fParseConfig("a=0\r\nb=1\r").bSound);  // no final line feed
}

TEST(ConfigTest, MissingLinesAndLinesWithoutEqualsKeepTheirDefaults) {
  SConfig config = fParseConfig("a=0\n");
  EXPECT_FALSE(config.bWindowMode);
  EXPECT_TRUE(config.bSound);
  EXPECT_TRUE(config.bNoReserve);
  config = fParseConfig("a=0\nno equals here\nc=0\nextra=0\n");
  EXPECT_FALSE(config.bWindowMode);
  EXPECT_TRUE(config.bSound);
  EXPECT_FALSE(config.bNoReserve);
  config = fParseConfig("");
  EXPECT_TRUE(config.bWindowMode && config.bSound && config.bNoReserve);
}

class ConfigFileTest : public HeadlessTest {};

TEST_F(ConfigFileTest, WithoutAFileTheGameIsWindowedWithSound) {
  const SConfig config = fReadConfig();
  EXPECT_TRUE(config.bWindowMode);
  EXPECT_TRUE(config.bSound);
}

TEST_F(ConfigFileTest, TheFileIsReadFromTheWorkingDirectory) {
  fWriteWholeFile("config.dat", "WindowMode=0\nSound=0\nNoReserve=1\n");
  const SConfig config = fReadConfig();
  EXPECT_FALSE(config.bWindowMode);
  EXPECT_FALSE(config.bSound);
  EXPECT_TRUE(config.bNoReserve);
}

}  // namespace
