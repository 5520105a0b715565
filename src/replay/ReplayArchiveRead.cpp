// The archive check on ZIP bytes: unpacked with libzip, then the members checked.
#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayZip.h"
#include "util/Assert.h"

SCheckedReplay fCheckReplayArchive(const std::string& zipBytes, const std::string& label) {
  // Names, sizes and CRCs: every member is inflated and libzip checks each
  // one's CRC as it ends.
  return fCheckReplayMembers(fReadZipMembers(zipBytes, label), label);
}

bool fIsReplayArchiveOfMode(const std::string& zipBytes, int mode) {
  try {
    const SCheckedReplay checked = fCheckReplayArchive(zipBytes, "from the ranking server");
    return checked.mode == mode && !checked.isDebug;
  } catch (const CGameError&) {
    return false;
  }
}
