#include "persist/ReplayArchiveFile.h"

#include "gamelib/FileSystem.h"
#include "replay/ReplayZip.h"
#include "util/Assert.h"

SCheckedReplay fCheckReplayArchiveFile(const std::string& path) {
  if (!fFileExists(path)) throw CGameError("The replay archive " + path + " does not exist.");
  if (fFileSize(path) > kMaxUnpackedBytes) {
    throw CGameError("The replay archive " + path + " cannot be played: it is larger than any replay archive can be.");
  }
  return fCheckReplayArchive(fReadWholeFile(path), path);
}
