#include "replay/ReplayFormat.h"

#include "rules/StageModes.h"

std::string fReplayFolderOf(int mode) { return std::string("dat/replay_") + fModeName(mode) + "/"; }

std::string fKeyLogMemberName(int mode, bool isDebug) {
  return fReplayFolderOf(mode) + (isDebug ? "debug_" : "") + "replay_key.dat";
}

std::string fSeedMemberName(int mode, bool isDebug) {
  return fReplayFolderOf(mode) + (isDebug ? "debug_" : "") + "replay.dat";
}
