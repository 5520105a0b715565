// The archive check on ZIP bytes: unpacked with libzip, then the members checked.
#include <map>

#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayFormat.h"
#include "replay/ReplayZip.h"
#include "util/Assert.h"

SCheckedReplay fCheckReplayArchive(const std::string& zipBytes, const std::string& label) {
  // Names, sizes and CRCs: every member is inflated and libzip checks each
  // one's CRC as it ends. Key logs are packed as they are inflated: a long
  // game's is many megabytes as bytes, which would be the game's peak.
  std::map<std::string, CCompactLog::CBuilder> builders;
  std::vector<SArchiveMember> members = fReadZipMembers(zipBytes, label, [&](const std::string& name) {
    if (!fIsKeyLogMemberName(name)) return FMemberSink();
    CCompactLog::CBuilder& builder = builders[name];
    return FMemberSink([&builder](const char* bytes, std::size_t size) { builder.fAppend(bytes, size); });
  });
  std::map<std::string, CCompactLog> packed;
  for (auto& [name, builder] : builders) packed.emplace(name, builder.fFinish());
  return fCheckReplayMembers(std::move(members), std::move(packed), label);
}

bool fIsReplayArchiveOfMode(const std::string& zipBytes, int mode) {
  try {
    const SCheckedReplay checked = fCheckReplayArchive(zipBytes, "from the ranking server");
    return checked.mode == mode && !checked.isDebug;
  } catch (const CGameError&) {
    return false;
  }
}
