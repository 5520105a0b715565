// The process entry of the game.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/GameMain.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileRoots.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/QuitSignals.h"
#include "gamelib/sdl/DisplayWatch.h"
#include "gamelib/sdl/SdlBackend.h"
#include "persist/ReplayArchiveFile.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "stage/RaceGhost.h"
#include "replay/ReplayZip.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

int main(int argc, char** argv) {
  // Before any thread: replay archives are packed and read off the main one.
  fSettleTimeZone();
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
  if (!line.frameStatsPath.empty()) options.frameStatsPath = fAbsolutePath(line.frameStatsPath);
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
  } else if (!line.raceReplay.empty()) {
    // Checked whole before the window opens, as --replay's: a damaged or
    // foreign archive starts nothing.
    const std::string archive = fAbsolutePath(line.raceReplay);
    std::shared_ptr<const SCheckedReplay> ghost;
    try {
      ghost = fCheckRaceArchive(archive);
    } catch (const CGameError& error) {
      std::fprintf(stderr, "plimoball: --race: %s\n", error.what());
      return 2;
    }
    const SReplayInfo info = SReplayInfo::fRace(ghost);
    options.firstScene = [info] {
      // As --play builds its game: the first fAnimate in the frame it is built.
      auto stage = std::make_unique<CPlimoStage>(info.raceGhost->mode, info);
      stage->fAnimate();
      return stage;
    };
  } else if (line.playMode >= 0) {
    const int mode = line.playMode;
    options.firstScene = [mode] {
      // As the title menu builds it: its first fAnimate in the frame it is
      // built, as its replay will play it.
      auto stage = std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode));
      stage->fAnimate();
      return stage;
    };
  }
  // The game's names ("dat/score.dat") find their folders: the game folder
  // itself, or the installed data and the player's own folders.
  try {
    fEnterFileRoots(line.dataDir);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  options.noWait = line.noWait;
  if (const char* sleep = std::getenv("PLIMOBALL_TEST_FRAME_SLEEP_MS")) options.testFrameSleepMs = std::atoi(sleep);
  options.fastForward = line.fastForward;
  if (line.watchMode >= 0) {
    const int mode = line.watchMode;
    const SReplayInfo info = SReplayInfo::fReplay(mode);
    if (!fFileExists(info.path)) {
      std::fprintf(stderr, "plimoball: no stored replay of %s at %s\n", fModeName(mode), info.path.c_str());
      return 2;
    }
    options.firstScene = [mode, info] {
      // As the title menu's replay button builds it: the stage gets its first
      // fAnimate in the frame it is built, its first recorded keys in the next.
      auto stage = std::make_unique<CPlimoStage>(mode, info);
      stage->fAnimate();
      return stage;
    };
    options.endWithFirstScene = true;
  }
  // The backend lives here, not in static storage: it is torn down in
  // order at the end of a normal run, and never by a static destructor.
  fInstallQuitSignals();
  // A game finished on screen is kept even when the display goes away.
  fSetDisplayLostHook(fKeepSceneBeforeExit);
  const std::unique_ptr<CGameLibBackend> backend = fMakeSdlBackend();
  fInstallBackend(backend.get());
  const int status = fGameMain(options);
  fInstallBackend(nullptr);
  return status;
}
