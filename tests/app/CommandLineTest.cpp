#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using EAction = SCommandLine::EAction;

TEST(CommandLineTest, OptionsCombine) {
  const auto line =
      fParseCommandLine({"--frames", "30", "--screenshot", "shot.png", "--play", "yoiko", "--data-dir", "saves"});
  EXPECT_EQ(line.action, EAction::Play);
  EXPECT_EQ(line.dataDir, "saves");
  EXPECT_EQ(line.frames, 30);
  EXPECT_EQ(line.screenshotPath, "shot.png");
  EXPECT_EQ(line.playMode, 1);
  EXPECT_EQ(fParseCommandLine({}).playMode, -1);
  EXPECT_EQ(fParseCommandLine({}).frames, -1);

  const auto measuring = fParseCommandLine({"--watch-replay", "wanpaku", "--no-wait", "--frame-stats", "f.csv"});
  EXPECT_EQ(measuring.action, EAction::Play);
  EXPECT_EQ(measuring.watchMode, 2);
  EXPECT_EQ(measuring.playMode, -1);
  EXPECT_TRUE(measuring.noWait);
  EXPECT_EQ(measuring.frameStatsPath, "f.csv");
  EXPECT_FALSE(fParseCommandLine({}).noWait);
  EXPECT_EQ(fParseCommandLine({}).watchMode, -1);
}

TEST(CommandLineTest, BadInputIsAnErrorWithAReason) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"--frames"},
                                                                {"--frames", "-3"},
                                                                {"--frames", "12x"},
                                                                {"--play", "tetris"},
                                                                {"--screenshot"},
                                                                {"--data-dir"},
                                                                {"--data-dir", ""},
                                                                {"--frame-stats"},
                                                                {"--watch-replay", "tetris"},
                                                                {"--watch-replay", "plimo", "--play", "plimo"},
                                                                {"--fullscreen"},
                                                                {"--race"},
                                                                {"--race", ""},
                                                                {"--race", "a.zip", "--play", "plimo"},
                                                                {"--race", "a.zip", "--replay", "b.zip"},
                                                                {"--watch-replay", "yoiko", "--race", "a.zip"},
                                                                {"verify-replay"},
                                                                {"verify-replay", "a", "b"}}) {
    const auto line = fParseCommandLine(args);
    EXPECT_EQ(line.action, EAction::Error) << args[0];
    EXPECT_FALSE(line.error.empty());
  }
}

TEST(CommandLineTest, HelpAndReplayCheck) {
  EXPECT_EQ(fParseCommandLine({"--frames", "3", "--help"}).action, EAction::Help);
  const auto line = fParseCommandLine({"verify-replay", "dat/replay_plimo/replay"});
  EXPECT_EQ(line.action, EAction::VerifyReplay);
  EXPECT_EQ(line.replayArchive, "dat/replay_plimo/replay");
}

TEST(CommandLineTest, RaceTakesAnArchiveAndIsNamedInTheHelp) {
  const auto line = fParseCommandLine({"--race", "best.zip", "--frames", "600", "--screenshot", "race.png"});
  EXPECT_EQ(line.action, EAction::Play);
  EXPECT_EQ(line.raceReplay, "best.zip");
  EXPECT_EQ(line.playMode, -1);
  EXPECT_TRUE(line.playReplay.empty());
  EXPECT_TRUE(fParseCommandLine({}).raceReplay.empty());
  EXPECT_NE(fUsageText().find("--race ARCHIVE"), std::string::npos);
}

}  // namespace
