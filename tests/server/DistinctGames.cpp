#include "server/DistinctGames.h"

#include "replay/KeyLog.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayFormat.h"
#include "util/Assert.h"

CDistinctGames::CDistinctGames(const std::string& archive)
    : mMembers(fReadZipMembers(archive, "a recorded game")) {
  const SReplayCheckResult result = fCheckReplayBytes(archive);
  PLIMO_ASSERT(result.confirmed, "distinct games are made from a finished game");
  mEndFrame = result.frames;
  const SCheckedReplay checked = fCheckReplayArchive(archive, "a recorded game");
  for (std::size_t i = 0; i < mMembers.size(); ++i) {
    if (mMembers[i].mName == fKeyLogMemberName(checked.mode, checked.isDebug)) mKeyLog = i;
  }
}

std::string CDistinctGames::fGame(int n) const {
  std::vector<SArchiveMember> members = mMembers;
  std::string& keyLog = members[mKeyLog].mBytes;
  const std::size_t confirm = static_cast<std::size_t>(mEndFrame - 1) * kKeyLogFrameBytes;
  keyLog.insert(confirm, static_cast<std::size_t>(n) * kKeyLogFrameBytes, '\0');
  return fPackZip(members);
}
