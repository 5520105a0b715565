// The program's command line.
#pragma once

#include <string>
#include <vector>

struct SCommandLine {
  enum class EAction { Play, Help, VerifyReplay, Error };
  EAction action = EAction::Play;
  long long frames = -1;
  std::string screenshotPath;
  std::string dataDir;  // empty: the environment or the usual place decides
  int playMode = -1;  // -1: start on the title
  std::string replayArchive;  // verify-replay's archive
  std::string playReplay;     // --replay: an archive to watch in the window
  std::string raceReplay;     // --race: an archive whose game is raced as a ghost
  int watchMode = -1;  // a mode whose stored best replay is watched; -1: none
  bool noWait = false;
  long long fastForward = 0;  // frames run at once, unmeasured, before the measured ones
  std::string frameStatsPath;
  std::string error;
};

SCommandLine fParseCommandLine(const std::vector<std::string>& args);
std::string fUsageText();
