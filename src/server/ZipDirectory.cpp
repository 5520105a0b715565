#include "server/ZipDirectory.h"

#include "replay/KeyLog.h"
#include "replay/ReplayFormat.h"
#include "replay/ReplayZip.h"

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kEntryBytes = 46;
constexpr std::size_t kLocalBytes = 30;
constexpr std::size_t kMaxComment = 0xffff;

std::uint32_t fLe(std::string_view bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

// The end record: the last one whose comment reaches exactly to the end.
std::optional<std::size_t> fFindEnd(std::string_view bytes) {
  if (bytes.size() < kEndBytes) return std::nullopt;
  const std::size_t lowest = bytes.size() > kEndBytes + kMaxComment ? bytes.size() - kEndBytes - kMaxComment : 0;
  for (std::size_t at = bytes.size() - kEndBytes + 1; at-- > lowest;) {
    if (fLe(bytes, at, 4) == kEndSignature && at + kEndBytes + fLe(bytes, at + 20, 2) == bytes.size()) return at;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<SZipDirectoryEntry>> fReadZipDirectory(std::string_view bytes, SZipDirectoryCaps caps) {
  const auto end = fFindEnd(bytes);
  if (!end) return std::nullopt;
  const std::uint32_t disk = fLe(bytes, *end + 4, 2);
  const std::uint32_t directoryDisk = fLe(bytes, *end + 6, 2);
  const std::uint32_t onDisk = fLe(bytes, *end + 8, 2);
  const std::uint32_t count = fLe(bytes, *end + 10, 2);
  const std::uint64_t directoryBytes = fLe(bytes, *end + 12, 4);
  const std::uint64_t directoryAt = fLe(bytes, *end + 16, 4);
  // 0xffff and 0xffffffff mark ZIP64 records: no replay needs them.
  if (disk != 0 || directoryDisk != 0 || onDisk != count || count == 0xffff || directoryAt == 0xffffffff) {
    return std::nullopt;
  }
  if (count == 0 || count > caps.maxMembers || directoryAt + directoryBytes != *end) return std::nullopt;

  std::vector<SZipDirectoryEntry> entries;
  std::uint64_t total = 0;
  std::size_t at = static_cast<std::size_t>(directoryAt);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + kEntryBytes > *end || fLe(bytes, at, 4) != kEntrySignature) return std::nullopt;
    const std::uint32_t flags = fLe(bytes, at + 8, 2);
    SZipDirectoryEntry entry;
    entry.method = static_cast<std::uint16_t>(fLe(bytes, at + 10, 2));
    entry.compressedSize = fLe(bytes, at + 20, 4);
    entry.size = fLe(bytes, at + 24, 4);
    const std::size_t nameBytes = fLe(bytes, at + 28, 2);
    const std::size_t entryBytes = kEntryBytes + nameBytes + fLe(bytes, at + 30, 2) + fLe(bytes, at + 32, 2);
    const std::uint64_t localAt = fLe(bytes, at + 42, 4);
    if (at + entryBytes > *end) return std::nullopt;
    if ((flags & 0x1) != 0 || (entry.method != 0 && entry.method != 8)) return std::nullopt;  // encrypted, or odd
    if (entry.size > caps.maxMemberBytes || total + entry.size > caps.maxTotalBytes) return std::nullopt;
    // The member's own header and its packed bytes lie before the directory.
    if (localAt + kLocalBytes > directoryAt || fLe(bytes, static_cast<std::size_t>(localAt), 4) != kLocalSignature) {
      return std::nullopt;
    }
    const std::uint64_t dataAt = localAt + kLocalBytes + fLe(bytes, static_cast<std::size_t>(localAt) + 26, 2) +
                                 fLe(bytes, static_cast<std::size_t>(localAt) + 28, 2);
    if (dataAt + entry.compressedSize > directoryAt) return std::nullopt;
    total += entry.size;
    entry.name.assign(bytes.substr(at + kEntryBytes, nameBytes));
    entries.push_back(std::move(entry));
    at += entryBytes;
  }
  if (at != *end) return std::nullopt;
  return entries;
}

bool fLooksLikeReplayOfMode(std::string_view bytes, int mode) {
  SZipDirectoryCaps caps;
  caps.maxMembers = 2;
  caps.maxMemberBytes = kMaxUnpackedBytes;
  caps.maxTotalBytes = kMaxUnpackedBytes;
  const auto entries = fReadZipDirectory(bytes, caps);
  if (!entries || entries->size() != 2) return false;
  const std::string keyLog = fKeyLogMemberName(mode, false);
  const std::string seed = fSeedMemberName(mode, false);
  bool hasKeyLog = false;
  bool hasSeed = false;
  for (const SZipDirectoryEntry& entry : *entries) {
    if (entry.name == keyLog && entry.size >= kKeyLogFrameBytes) hasKeyLog = true;
    if (entry.name == seed && entry.size >= kSeedBytes) hasSeed = true;
  }
  return hasKeyLog && hasSeed;
}
