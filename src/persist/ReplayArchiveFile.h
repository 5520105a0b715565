// The replay archive check for an archive on disk.
#pragma once

#include <string>

#include "replay/ReplayArchiveCheck.h"

// fCheckReplayArchive on the file's bytes; a missing or oversized file is
// refused the same way.
SCheckedReplay fCheckReplayArchiveFile(const std::string& path);
