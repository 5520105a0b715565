// Replay archives as a replay start meets them (stored, downloaded or
// passed on the command line): the whole-archive check of the ZIP, its
// members, the seed and the key log, then the start itself and the recorded
// frames played through the stage. A bad archive may only be refused with
// CGameError; anything else escaping is a finding. The check and the start
// must agree: what the check passes starts, what it refuses never does.
//
// An input that starts with "PK" is the archive's bytes as they are, so
// libFuzzer can damage real ZIPs. Any other input describes an archive that
// is then packed properly, so the members' contents get fuzzed past the ZIP
// checks:
//   byte 0   mode (% 3), bit 2 debug save, bits 3-5 which members to pack
//   byte 1   seed member length (% 9)
//   then     the seed member's bytes, then the key log's bytes to the end
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "replay/ReplayCheck.h"
#include "online/RankingClient.h"
#include "persist/CArchiver.h"
#include "replay/ReplayArchiveCheck.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

constexpr std::size_t kMaxSeedBytes = 8;

std::string fDescribedArchive(const std::string& input) {
  const auto control = static_cast<unsigned char>(input[0]);
  const int mode = control % kModeCount;
  const bool isDebug = (control & 0x04) != 0;
  const int layout = (control >> 3) & 0x07;
  const std::size_t seedLength = input.size() > 1 ? static_cast<unsigned char>(input[1]) % (kMaxSeedBytes + 1) : 0;
  const std::string rest = input.size() > 2 ? input.substr(2) : std::string();
  const std::string seed = rest.substr(0, std::min(seedLength, rest.size()));
  const std::string keyLog = rest.substr(seed.size());

  const std::string folder = std::string("dat/replay_") + fModeName(mode) + "/" + (isDebug ? "debug_" : "");
  const SArchiveMember keyMember{folder + "replay_key.dat", keyLog};
  const SArchiveMember seedMember{folder + "replay.dat", seed};
  std::vector<SArchiveMember> members;
  switch (layout) {
    case 0: members = {keyMember, seedMember}; break;   // as the game packs it
    case 1: members = {seedMember, keyMember}; break;
    case 2: members = {keyMember}; break;               // no seed
    case 3: members = {seedMember}; break;              // no key log
    case 4: members = {keyMember, seedMember, {folder + "extra.dat", "x"}}; break;
    case 5: members = {keyMember, {std::string("dat/replay_") + fModeName((mode + 1) % kModeCount) + "/replay.dat", seed}}; break;
    case 6: members = {keyMember, {std::string("dat/downloaded_replay_") + fModeName(mode) + "/replay.dat", seed}}; break;
    default: members = {keyMember, seedMember}; break;
  }
  return CArchiver::fPack(members);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string input = fFuzzText(data, size);
  const std::string archive = input.compare(0, 2, "PK") == 0 ? input : fDescribedArchive(input);

  std::optional<SCheckedReplay> checked;
  try {
    checked = fCheckReplayArchive(archive, "the fuzzed replay");
  } catch (const CGameError&) {
  }
  if (checked) {
    FUZZ_CHECK(checked->mode >= 0 && checked->mode < kModeCount);
    FUZZ_CHECK(checked->frames >= 1 && checked->frames == static_cast<long long>(checked->keyLog.fSize() / 112));
    FUZZ_CHECK(checked->seedArchive.size() >= 4);
  }

  // The ranking window's download check is the same check, of one mode.
  for (int mode = 0; mode < kModeCount; ++mode) {
    const bool expected = checked && checked->mode == mode && !checked->isDebug;
    FUZZ_CHECK(fIsReplayArchiveOfMode(archive, mode) == expected);
  }

  // The start as the title menu makes it, in a private folder, then the game.
  bool started = false;
  try {
    CReplayRun run(archive, "the fuzzed replay");
    started = true;
    const SReplayCheckResult& result = run.fRun();
    FUZZ_CHECK(checked && result.mode == fModeName(checked->mode) && result.seed == checked->seed);
    FUZZ_CHECK(result.frames >= 0 && result.frames <= checked->frames);
  } catch (const CGameError&) {
    FUZZ_CHECK(!started);
  }
  FUZZ_CHECK(started == checked.has_value());
  return 0;
}
