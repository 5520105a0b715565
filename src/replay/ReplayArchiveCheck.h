// The whole check of a replay archive, made before a replay changes
// anything: its members, its seed and its key log. Every way into a replay
// (the title menu, the debug keys, the ranking window, downloads, the
// command line, the ranking server) goes through it, so a damaged or
// foreign archive is refused in one place.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "replay/ReplayZip.h"
#include "util/CCompactLog.h"

struct SCheckedReplay {
  int mode = 0;          // 0 plimo, 1 yoiko, 2 wanpaku
  bool isDebug = false;  // packed by the debug save: "debug_" member names
  std::int32_t seed = 0;
  CCompactLog keyLog;       // the key log member, whole frames and any tail (one bit a key)
  std::string seedArchive;  // the seed member as stored
  long long frames = 0;     // whole key-log frames
};

// Checks archive bytes: a readable ZIP whose CRCs hold, exactly the key log
// and the seed of one mode (both plain or both "debug_"), a seed of at least
// 4 bytes and at least one whole key-log frame (112 bytes). Throws CGameError
// naming `label` and the fault; writes nothing.
SCheckedReplay fCheckReplayArchive(const std::string& zipBytes, const std::string& label);
// The same on members already unpacked (in a browser, say), in archive order.
SCheckedReplay fCheckReplayMembers(std::vector<SArchiveMember> members, const std::string& label);
// The same, where the key log members named in `packedKeyLogs` were packed
// as they were inflated (their mBytes left empty).
SCheckedReplay fCheckReplayMembers(std::vector<SArchiveMember> members,
                                   std::map<std::string, CCompactLog> packedKeyLogs, const std::string& label);
// Whether the bytes are a sound replay archive of that mode's best game (no
// debug save): what the game downloads and the server accepts for a mode.
bool fIsReplayArchiveOfMode(const std::string& zipBytes, int mode);
