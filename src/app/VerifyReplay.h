// The verify-replay command: checks an archive on disk and prints its result.
#pragma once

#include <string>

#include "replay/ReplayCheck.h"

// Reads the archive and checks it in memory (replay/ReplayCheck.h). Throws
// CGameError for a missing, damaged or foreign archive.
SReplayCheckResult fCheckReplay(const std::string& archivePath);

// The command: prints the JSON line and returns 0, or prints one error line
// on stderr and returns 2.
int fVerifyReplayMain(const std::string& archivePath);
