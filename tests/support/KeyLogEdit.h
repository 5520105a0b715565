// Recorded games changed the way a copier or an honest player would: the
// key log edited frame by frame, the seed changed, the members packed
// again. For tests of what names a game and of the server's refusals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/GameKey.h"
#include "replay/KeyLog.h"
#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayFormat.h"
#include "replay/ReplayZip.h"

namespace key_log_edit {

// An archive's members, with its key log and seed found.
struct SEditable {
  std::vector<SArchiveMember> members;
  std::size_t keyLog = 0;
  std::size_t seed = 0;

  explicit SEditable(const std::string& archive) : members(fReadZipMembers(archive, "a recorded game")) {
    const SCheckedReplay checked = fCheckReplayArchive(archive, "a recorded game");
    for (std::size_t i = 0; i < members.size(); ++i) {
      if (members[i].mName == fKeyLogMemberName(checked.mode, checked.isDebug)) keyLog = i;
      if (members[i].mName == fSeedMemberName(checked.mode, checked.isDebug)) seed = i;
    }
  }
  std::string& fLog() { return members[keyLog].mBytes; }
  long long fFrames() const { return static_cast<long long>(members[keyLog].mBytes.size() / kKeyLogFrameBytes); }
  std::string fPack() const { return fPackZip(members); }

  // Frame numbers count from 0, the log's first frame.
  void fSetKey(long long frame, EGameKey key, bool down) {
    unsigned char value[kKeyLogValueBytes];
    fPutInt32LE(down ? 1 : 0, value);
    const std::size_t at = static_cast<std::size_t>(frame) * kKeyLogFrameBytes +
                           static_cast<std::size_t>(fKeyIndex(key)) * kKeyLogValueBytes;
    fLog().replace(at, kKeyLogValueBytes, reinterpret_cast<const char*>(value), kKeyLogValueBytes);
  }
  bool fIsDown(long long frame, EGameKey key) {
    const std::size_t at = static_cast<std::size_t>(frame) * kKeyLogFrameBytes +
                           static_cast<std::size_t>(fKeyIndex(key)) * kKeyLogValueBytes;
    return fGetInt32LE(reinterpret_cast<const unsigned char*>(fLog().data() + at)) != 0;
  }
  bool fIsIdle(long long frame) {
    return fLog().compare(static_cast<std::size_t>(frame) * kKeyLogFrameBytes, kKeyLogFrameBytes,
                          std::string(kKeyLogFrameBytes, '\0')) == 0;
  }
  // `count` frames with no key down, before frame `at`.
  void fInsertIdle(long long at, long long count) {
    fLog().insert(static_cast<std::size_t>(at) * kKeyLogFrameBytes, static_cast<std::size_t>(count) * kKeyLogFrameBytes,
                  '\0');
  }
  // Frames of `key` pressed and released in turn at the log's end.
  void fAppendPresses(EGameKey key, long long frames) {
    const long long first = fFrames();
    fLog().append(static_cast<std::size_t>(frames) * kKeyLogFrameBytes, '\0');
    for (long long frame = first; frame < first + frames; frame += 2) fSetKey(frame, key, true);
  }
  void fSetSeed(std::int32_t seed) {
    unsigned char bytes[4];
    fPutInt32LE(seed, bytes);
    members[this->seed].mBytes.replace(0, 4, reinterpret_cast<const char*>(bytes), 4);
  }
};

}  // namespace key_log_edit
