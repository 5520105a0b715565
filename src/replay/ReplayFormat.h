// A replay archive's layout: a ZIP of two members in the mode's replay
// folder, the key log ("replay_key.dat", frames of replay/KeyLog.h) and the
// seed ("replay.dat", one signed 32-bit little-endian integer); a debug save
// names them "debug_replay_key.dat" and "debug_replay.dat".
#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t kSeedBytes = 4;

// "dat/replay_<mode name>/"
std::string fReplayFolderOf(int mode);
std::string fKeyLogMemberName(int mode, bool isDebug);
std::string fSeedMemberName(int mode, bool isDebug);
// Whether `name` is the key log member of some mode, plain or debug.
bool fIsKeyLogMemberName(const std::string& name);
