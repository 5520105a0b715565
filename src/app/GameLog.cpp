#include "app/GameLog.h"

#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "util/Assert.h"

namespace {
constexpr unsigned kLevelCount = 6;
constexpr bool kLevelEnabled[kLevelCount] = {true, true, false, false, false, false};
}  // namespace

std::string fWriteLog(unsigned level, const std::string& message) {
  PLIMO_ASSERT(level < kLevelCount, "fWriteLog: log level out of range");
  if (!kLevelEnabled[level] || level != 0) return "";
  const std::string name = std::to_string(fGetUtcMilliseconds()) + ".log";
  try {
    CBinaryFile file(name, CBinaryFile::EOpen::Truncate);
    const std::string line = message + "\n";
    file.fWrite(line.data(), line.size());
  } catch (const CGameError&) {
    return "";  // nowhere to log to; the game is ending anyway
  }
  return name;
}
