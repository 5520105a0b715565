#include "replay/ReplayArchiveCheck.h"

#include <array>
#include <utility>
#include <vector>

#include "replay/KeyLog.h"
#include "replay/ReplayFormat.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

std::int32_t fLe32(const std::string& bytes) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(bits);
}

[[noreturn]] void fRefuse(const std::string& label, const std::string& why) {
  throw CGameError("The replay archive " + label + " cannot be played: " + why + ".");
}

SArchiveMember* fFind(std::vector<SArchiveMember>& members, const std::string& name) {
  for (SArchiveMember& member : members) {
    if (member.mName == name) return &member;
  }
  return nullptr;
}

}  // namespace

SCheckedReplay fCheckReplayMembers(std::vector<SArchiveMember> members, const std::string& label) {
  return fCheckReplayMembers(std::move(members), {}, label);
}

SCheckedReplay fCheckReplayMembers(std::vector<SArchiveMember> members,
                                   std::map<std::string, CCompactLog> packedKeyLogs, const std::string& label) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    for (const bool isDebug : {false, true}) {
      SArchiveMember* keyLog = fFind(members, fKeyLogMemberName(mode, isDebug));
      SArchiveMember* seed = fFind(members, fSeedMemberName(mode, isDebug));
      if (keyLog == nullptr && seed == nullptr) continue;
      if (keyLog == nullptr) fRefuse(label, "its key log " + fKeyLogMemberName(mode, isDebug) + " is missing");
      if (seed == nullptr) fRefuse(label, "its seed " + fSeedMemberName(mode, isDebug) + " is missing");
      if (members.size() != 2) fRefuse(label, "it holds other files besides its key log and seed");
      if (seed->mBytes.size() < kSeedBytes) {
        fRefuse(label, "its seed holds " + std::to_string(seed->mBytes.size()) + " bytes, not 4");
      }
      const auto packed = packedKeyLogs.find(keyLog->mName);
      const std::uint64_t keyLogSize = packed != packedKeyLogs.end() ? packed->second.fSize() : keyLog->mBytes.size();
      if (keyLogSize < kKeyLogFrameBytes) fRefuse(label, "its key log holds no whole frame");
      SCheckedReplay checked;
      checked.mode = mode;
      checked.isDebug = isDebug;
      checked.seed = fLe32(seed->mBytes);
      checked.frames = static_cast<long long>(keyLogSize / kKeyLogFrameBytes);
      // Kept packed: a long game's key log is many megabytes as bytes.
      checked.keyLog = packed != packedKeyLogs.end() ? std::move(packed->second) : CCompactLog(keyLog->mBytes);
      checked.seedArchive = std::move(seed->mBytes);
      return checked;
    }
  }
  fRefuse(label, "it holds no key log and seed of any mode");
}

