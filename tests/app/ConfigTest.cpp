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

TEST(ConfigTest, TheFourthLineNamesTheRankingServer) {
  EXPECT_EQ(fParseConfig("a=1\nb=1\nc=1\n").serverAddress, "127.0.0.1:8080");
  EXPECT_EQ(fParseConfig("a=1\nb=1\nc=1\nserver=ranking.example.org\n").serverAddress, "ranking.example.org");
  EXPECT_EQ(fParseConfig("a=1\nb=1\nc=1\nserver=10.0.0.7:9000\r\n").serverAddress, "10.0.0.7:9000");
  EXPECT_EQ(fParseConfig("a=1\nb=1\nc=1\nserver=[::1]:8081").serverAddress, "[::1]:8081");
  // The flags keep their meaning when a server line follows.
  const SConfig config = fParseConfig("a=0\nb=0\nc=0\nserver=host:1\n");
  EXPECT_FALSE(config.bWindowMode || config.bSound || config.bNoReserve);
}

TEST(ConfigTest, AServerValueThatWouldReshapeTheUrlKeepsTheDefault) {
  for (const char* line : {"server=", "server", "server=evil.example/path?", "server=host:0", "server=host:65536",
                           "server=host:80x", "server=user@host", "server=a b", "server=[::1", "server=[]:80",
                           "server=[::1]x", "server=-host", "server=host#frag"}) {
    EXPECT_EQ(fParseConfig(std::string("a=1\nb=1\nc=1\n") + line + "\n").serverAddress, "127.0.0.1:8080") << line;
  }
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

TEST(ConfigTest, TheWindowModeIsWrittenIntoTheFirstLineOnly) {
  EXPECT_EQ(fWithWindowMode("WindowMode=1\nSound=0\nNoReserve=1\nserver=example.org:9\n", false),
            "WindowMode=0\nSound=0\nNoReserve=1\nserver=example.org:9\n");
  EXPECT_EQ(fWithWindowMode("W=0\r\nSound=1\r\nx=1\r\n", true), "WindowMode=1\r\nSound=1\r\nx=1\r\n");
  EXPECT_EQ(fWithWindowMode("", false), "WindowMode=0\nSound=1\nNoReserve=1\n");
  EXPECT_EQ(fWithWindowMode("WindowMode=1", false), "WindowMode=0");
  // What was written reads back as written, the other flags unchanged.
  const SConfig config = fParseConfig(fWithWindowMode("WindowMode=1\nSound=0\nNoReserve=0\n", false));
  EXPECT_FALSE(config.bWindowMode);
  EXPECT_FALSE(config.bSound);
  EXPECT_FALSE(config.bNoReserve);
}

}  // namespace
