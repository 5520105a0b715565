// Replay archives: ZIP files whose deflated members are named by the
// relative paths their files had when packed ("dat/replay_plimo/replay.dat").
// Archives come from the ranking server, so reading one trusts nothing: a
// member may only name a file directly inside one of the game's replay
// folders, and everything is checked before anything is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replay/ReplayZip.h"

class CArchiver {
 public:
  // Unpacked size allowed for one archive, in all members together.
  static constexpr std::uint64_t kMaxUnpackedBytes = ::kMaxUnpackedBytes;
  // A replay archive holds two members; this leaves room and no more.
  static constexpr std::uint64_t kMaxMembers = ::kMaxMembers;

  // Packs the files, in list order, into archivePath (replacing it). The
  // sources are deleted when asked, once the archive is safely written.
  static void fArchive(const std::vector<std::string>& files, const std::string& archivePath, bool deleteSources);
  // Writes every member of the archive to the path in its name. Throws
  // CGameError, having written nothing, for an archive that is unreadable,
  // too large, or names any file outside the replay folders.
  static void fExtract(const std::string& archivePath);

  // The members, in archive order, with the same checks as fExtract; writes
  // nothing. For checking replays without unpacking them.
  static std::vector<SArchiveMember> fReadMembers(const std::string& archivePath);
  // The same from an archive already in memory; what names the archive in
  // messages is `label`.
  static std::vector<SArchiveMember> fReadMembersFromBytes(const std::string& zipBytes, const std::string& label) {
    return fReadZipMembers(zipBytes, label);
  }
  // Builds an archive in memory: deflated members, in the given order.
  static std::string fPack(const std::vector<SArchiveMember>& members) { return fPackZip(members); }

  // Whether a member name may be unpacked: "dat/replay_<mode>/<file>" or
  // "dat/downloaded_replay_<mode>/<file>" for the three modes, nothing else.
  static bool fIsAllowedMemberName(const std::string& name) { return ::fIsAllowedMemberName(name); }
};
