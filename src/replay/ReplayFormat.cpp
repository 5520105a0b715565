#include "replay/ReplayFormat.h"

#include "rules/StageModes.h"

std::string fReplayFolderOf(int mode) { return std::string("dat/replay_") + fModeName(mode) + "/"; }

std::string fKeyLogMemberName(int mode, bool isDebug) {
  return fReplayFolderOf(mode) + (isDebug ? "debug_" : "") + "replay_key.dat";
}

std::string fSeedMemberName(int mode, bool isDebug) {
  return fReplayFolderOf(mode) + (isDebug ? "debug_" : "") + "replay.dat";
}

bool fIsKeyLogMemberName(const std::string& name) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    for (const bool isDebug : {false, true}) {
      if (name == fKeyLogMemberName(mode, isDebug)) return true;
    }
  }
  return false;
}
