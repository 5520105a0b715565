// What the server reads of an uploaded archive before a verifier worker
// opens it: the ZIP's central directory, never a member's data. Inflating
// is left to the workers, whose memory is limited, so an archive that
// inflates to gigabytes costs a worker, never the server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SZipDirectoryEntry {
  std::string name;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;  // as declared: only a worker finds out what it really inflates to
};

struct SZipDirectoryCaps {
  std::size_t maxMembers = 64;
  std::uint64_t maxMemberBytes = 64ull * 1024 * 1024;
  std::uint64_t maxTotalBytes = 64ull * 1024 * 1024;
};

// The directory of a plain ZIP (one disk, no ZIP64, the directory right
// before its end record, members stored or deflated, none encrypted), each
// entry's local header inside the bytes. Nothing for anything else, or when
// the directory breaks a cap.
std::optional<std::vector<SZipDirectoryEntry>> fReadZipDirectory(std::string_view bytes, SZipDirectoryCaps caps = {});

// Whether the directory holds exactly the key log and the seed of the
// mode's best game (no debug save) at sizes a replay can have: the
// server's check before an upload goes to a worker.
bool fLooksLikeReplayOfMode(std::string_view bytes, int mode);
