#include "app/CommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr const char* kModeNames[] = {"plimo", "yoiko", "wanpaku"};

int fModeOf(const std::string& name) {
  for (int m = 0; m < 3; ++m) {
    if (name == kModeNames[m]) return m;
  }
  return -1;
}

bool fParseCount(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < 0) return false;
  value = parsed;
  return true;
}

SCommandLine fError(const std::string& message) {
  SCommandLine line;
  line.action = SCommandLine::EAction::Error;
  line.error = message;
  return line;
}

}  // namespace

std::string fUsageText() {
  return "Usage: plimoball [options]\n"
         "       plimoball verify-replay ARCHIVE\n"
         "\n"
         "A game folder with a writable dat/ folder beside the program keeps\n"
         "everything in it (portable). An installed game keeps records, settings,\n"
         "replays and logs in $XDG_DATA_HOME/plimoball and config.dat in\n"
         "$XDG_CONFIG_HOME/plimoball.\n"
         "\n"
         "Options:\n"
         "  --play MODE        start a game of MODE (plimo, yoiko or wanpaku) at once\n"
         "  --replay ARCHIVE   watch a replay archive (a best game, a download or a\n"
         "                     debug save); the program ends with the replay or Escape\n"
         "  --race ARCHIVE     race a replay archive's game: a new game on its seed\n"
         "                     and mode, the replay played beside it as a ghost\n"
         "  --frames N         end after N frames\n"
         "  --screenshot FILE  write the last drawn frame to FILE (PNG) at the end\n"
         "  --data-dir DIR     keep records, settings, replays, logs and config.dat in\n"
         "                     DIR (also PLIMOBALL_DATA_DIR=DIR)\n"
         "  --watch-replay MODE  play MODE's stored best replay, then end\n"
         "  --no-wait          start with the frame timer's no-wait mode on\n"
         "  --fast-forward N   run the first N frames with no wait (and unmeasured)\n"
         "  --frame-stats FILE measure every frame: per pass of the loop its cost with\n"
         "                     the swap and the time from swap to swap go to FILE\n"
         "                     (CSV), a summary to standard output\n"
         "  --help             show this text\n"
         "\n"
         "verify-replay plays a replay archive without a window and prints its\n"
         "result as one line of JSON.\n";
}

SCommandLine fParseCommandLine(const std::vector<std::string>& args) {
  SCommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      line.action = SCommandLine::EAction::Help;
      return line;
    }
    if (arg == "verify-replay" && i == 0) {
      if (args.size() != 2) return fError("verify-replay takes exactly one archive");
      line.action = SCommandLine::EAction::VerifyReplay;
      line.replayArchive = args[1];
      return line;
    }
    if (arg == "--frames") {
      if (!hasValue || !fParseCount(args[i + 1], line.frames)) return fError("--frames needs a number of frames");
      ++i;
    } else if (arg == "--screenshot") {
      if (!hasValue || args[i + 1].empty()) return fError("--screenshot needs a file name");
      line.screenshotPath = args[++i];
    } else if (arg == "--data-dir") {
      if (!hasValue || args[i + 1].empty()) return fError("--data-dir needs a folder");
      line.dataDir = args[++i];
    } else if (arg == "--play") {
      if (!hasValue) return fError("--play needs a mode: plimo, yoiko or wanpaku");
      const std::string& mode = args[++i];
      line.playMode = fModeOf(mode);
      if (line.playMode < 0) return fError("unknown mode '" + mode + "': use plimo, yoiko or wanpaku");
    } else if (arg == "--replay") {
      if (!hasValue || args[i + 1].empty()) return fError("--replay needs a replay archive");
      line.playReplay = args[++i];
    } else if (arg == "--race") {
      if (!hasValue || args[i + 1].empty()) return fError("--race needs a replay archive");
      line.raceReplay = args[++i];
    } else if (arg == "--watch-replay") {
      if (!hasValue) return fError("--watch-replay needs a mode: plimo, yoiko or wanpaku");
      const std::string& mode = args[++i];
      line.watchMode = fModeOf(mode);
      if (line.watchMode < 0) return fError("unknown mode '" + mode + "': use plimo, yoiko or wanpaku");
    } else if (arg == "--fast-forward") {
      if (!hasValue || !fParseCount(args[i + 1], line.fastForward)) {
        return fError("--fast-forward needs a number of frames");
      }
      ++i;
    } else if (arg == "--no-wait") {
      line.noWait = true;
    } else if (arg == "--frame-stats") {
      if (!hasValue || args[i + 1].empty()) return fError("--frame-stats needs a file name");
      line.frameStatsPath = args[++i];
    } else {
      return fError("unknown option '" + arg + "'");
    }
  }
  if (line.playMode >= 0 && !line.playReplay.empty()) return fError("--play and --replay cannot be combined");
  if (line.playMode >= 0 && line.watchMode >= 0) return fError("--play and --watch-replay cannot be combined");
  if (!line.raceReplay.empty() && (line.playMode >= 0 || !line.playReplay.empty() || line.watchMode >= 0)) {
    return fError("--race cannot be combined with --play, --replay or --watch-replay");
  }
  return line;
}
