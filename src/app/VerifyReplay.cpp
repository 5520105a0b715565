#include "app/VerifyReplay.h"

#include <cstdio>

#include "gamelib/FileSystem.h"
#include "persist/ReplayArchiveFile.h"
#include "util/Assert.h"

SReplayCheckResult fCheckReplay(const std::string& archivePath) {
  auto checked = std::make_shared<const SCheckedReplay>(fCheckReplayArchiveFile(archivePath));
  CReplayRun run(std::move(checked));
  return run.fRun();
}

int fVerifyReplayMain(const std::string& archivePath) {
  try {
    const SReplayCheckResult result = fCheckReplay(fAbsolutePath(archivePath));
    std::printf("%s\n", fReplayCheckJson(result).c_str());
    return 0;
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball: verify-replay: %s\n", error.what());
  } catch (const CFatalError& error) {
    std::fprintf(stderr, "plimoball: verify-replay: %s: %s\n", archivePath.c_str(), error.fMessage().c_str());
  }
  return 2;
}
