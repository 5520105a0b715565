// Replay archives for tests: a good one from the fixtures and the damaged
// kinds every replay start must refuse without changing anything.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "gamelib/FileSystem.h"
#include "persist/CArchiver.h"

namespace replay_archives {

inline std::string fFixture(const std::string& name) {
  return fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/" + name);
}

// A key log of `frames` frames with no key down.
inline std::string fIdleKeyLog(int frames) { return std::string(static_cast<std::size_t>(frames) * 112, '\0'); }

inline std::string fArchiveOf(const std::string& folder, const std::string& prefix, const std::string& keyLog,
                              const std::string& seed) {
  return CArchiver::fPack({{folder + prefix + "replay_key.dat", keyLog}, {folder + prefix + "replay.dat", seed}});
}

// Flips the stored CRC of the first member in both its local and central
// headers: the directory agrees with itself, the data does not.
inline std::string fWithBadCrc(std::string zip) {
  const std::string local("PK\x03\x04", 4), central("PK\x01\x02", 4);
  const std::size_t l = zip.find(local), c = zip.find(central);
  zip[l + 14] = static_cast<char>(zip[l + 14] ^ 0x5a);
  zip[c + 16] = static_cast<char>(zip[c + 16] ^ 0x5a);
  return zip;
}

// The five faults, each an archive of the mode (by name) that must not play.
inline std::vector<std::pair<std::string, std::string>> fBadArchives(const std::string& modeName,
                                                                     const std::string& prefix = "") {
  const std::string folder = "dat/replay_" + modeName + "/";
  const std::string seed("\x7b\0\0\0", 4);
  return {
      {"missing member", CArchiver::fPack({{folder + prefix + "replay_key.dat", fIdleKeyLog(10)}})},
      {"short seed", fArchiveOf(folder, prefix, fIdleKeyLog(10), seed.substr(0, 3))},
      {"empty key log", fArchiveOf(folder, prefix, std::string(111, '\0'), seed)},
      {"not a ZIP", "PK but not a replay at all"},
      {"CRC error", fWithBadCrc(fArchiveOf(folder, prefix, fIdleKeyLog(10), seed))},
  };
}

}  // namespace replay_archives
