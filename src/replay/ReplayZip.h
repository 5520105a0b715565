// Replay archives in memory: ZIP files whose deflated members are named by
// the relative paths their files had when packed ("dat/replay_plimo/replay.dat").
// Archives come from the ranking server and other players, so reading one
// trusts nothing: a member may only name a file directly inside one of the
// game's replay folders, and sizes are capped before anything is inflated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SArchiveMember {
  std::string mName;  // relative path, forward slashes
  std::string mBytes;
};

// Unpacked size allowed for one archive, in all members together.
inline constexpr std::uint64_t kMaxUnpackedBytes = 64ull * 1024 * 1024;
// A replay archive holds two members; this leaves room and no more.
inline constexpr std::uint64_t kMaxMembers = 64;

// libzip turns each member's time into local time; with TZ unset the C
// library reads the zone again at each conversion, writing its state, so
// checks on several threads at once would race in it. Names the zone the
// library would use anyway (TZ=:/etc/localtime, unless TZ is set) and reads
// it, once. Programs call it before they start threads; reading and packing
// call it too.
void fSettleTimeZone();

// The members, in archive order. Throws CGameError naming `label` for an
// archive that is unreadable, too large, or names any file outside the
// replay folders.
std::vector<SArchiveMember> fReadZipMembers(const std::string& zipBytes, const std::string& label);
// Takes a member's bytes piece by piece as they are inflated.
using FMemberSink = std::function<void(const char* bytes, std::size_t size)>;
// The same reading and the same refusals, but a member whose name
// `sinkFor` gives a sink for goes there as it is inflated, in pieces of at
// most 64 KiB, and is never held whole (its mBytes stays empty).
std::vector<SArchiveMember> fReadZipMembers(const std::string& zipBytes, const std::string& label,
                                            const std::function<FMemberSink(const std::string& name)>& sinkFor);
// Builds an archive: deflated members in the given order, with a fixed time
// stamp, so the same members always pack to the same bytes.
std::string fPackZip(const std::vector<SArchiveMember>& members);
// Whether a member name may be unpacked: "dat/replay_<mode>/<file>" or
// "dat/downloaded_replay_<mode>/<file>" for the three modes, nothing else.
bool fIsAllowedMemberName(const std::string& name);
