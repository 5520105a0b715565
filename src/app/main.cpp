// The process entry of the game.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/GameMain.h"
#include "app/ReplayCheck.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/SdlBackend.h"
#include "persist/ReplayArchiveCheck.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "util/Assert.h"

namespace {

// The game's paths are relative to its folder; a player who starts it from
// elsewhere still gets its data.
void fEnterGameFolder() {
  if (fDirectoryExists("dat")) return;
  const std::string home = fExecutableDirectory();
  if (fDirectoryExists(home + "/dat")) fChangeDirectory(home);
}

}  // namespace

int main(int argc, char** argv) {
  const SCommandLine line = fParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case SCommandLine::EAction::Help:
      std::fputs(fUsageText().c_str(), stdout);
      return 0;
    case SCommandLine::EAction::Error:
      std::fprintf(stderr, "plimoball: %s\n\n%s", line.error.c_str(), fUsageText().c_str());
      return 2;
    case SCommandLine::EAction::VerifyReplay:
      return fVerifyReplayMain(line.replayArchive);
    case SCommandLine::EAction::Play:
      break;
  }

  SLaunchOptions options;
  options.frameLimit = line.frames;
  if (!line.screenshotPath.empty()) options.screenshotPath = fAbsolutePath(line.screenshotPath);
  if (!line.playReplay.empty()) {
    // Checked whole before the window opens: a bad archive changes nothing.
    const std::string archive = fAbsolutePath(line.playReplay);
    SCheckedReplay checked;
    try {
      checked = fCheckReplayArchiveFile(archive);
    } catch (const CGameError& error) {
      std::fprintf(stderr, "plimoball: --replay: %s\n", error.what());
      return 2;
    }
    SReplayInfo info{SReplayInfo::EMode::Replay, archive, checked.isDebug};
    info.endsProgram = true;
    const int mode = checked.mode;
    options.firstScene = [mode, info] { return std::make_unique<CReplayTheatre>(mode, info); };
  } else if (line.playMode >= 0) {
    const int mode = line.playMode;
    options.firstScene = [mode] { return std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode)); };
  }
  fEnterGameFolder();
  fInstallBackend(fMakeSdlBackend());
  return fGameMain(options);
}
