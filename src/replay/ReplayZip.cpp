#include "replay/ReplayZip.h"

#include <zip.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>

#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {


// Members carry a fixed time stamp, 2000-01-01 00:00, so that the same
// replay always packs to the same bytes.
constexpr zip_uint16_t kDosDate = (20 << 9) | (1 << 5) | 1;
constexpr zip_uint16_t kDosTime = 0;

constexpr std::size_t kReadChunk = 64 * 1024;


std::string fZipErrorText(zip_error_t* error) {
  std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

// Why a member name may not be unpacked, or nothing when it may.
std::optional<std::string> fMemberNameProblem(const std::string& name) {
  if (name.empty()) return "has no name";
  if (name.front() == '/') return "is an absolute path";
  if (name.find("..") != std::string::npos) return "contains \"..\"";
  if (name.find('\\') != std::string::npos) return "contains a backslash";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "contains a control character";
  }
  for (int index = 0; index < kModeCount; ++index) {
    const char* mode = fModeName(index);
    for (const std::string& folder : {std::string("dat/replay_") + mode + "/", std::string("dat/downloaded_replay_") + mode + "/"}) {
      if (name.compare(0, folder.size(), folder) != 0) continue;
      const std::string file = name.substr(folder.size());
      if (file.empty() || file == "." || file.find('/') != std::string::npos) break;
      return std::nullopt;
    }
  }
  return "is not a file directly inside a replay folder of the game";
}

[[noreturn]] void fRefuse(const std::string& label, const std::string& why) {
  throw CGameError("The replay archive " + label + " cannot be used: " + why + ". Nothing was unpacked.");
}

// Closes an archive opened for reading, whatever happens.
class CZipReader {
 public:
  explicit CZipReader(zip_t* archive) : mArchive(archive) {}
  ~CZipReader() { zip_discard(mArchive); }
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;
  zip_t* fGet() const { return mArchive; }

 private:
  zip_t* mArchive;
};

// Inflates one member into `sink`, stopping as soon as the archive's total
// passes the limit whatever the member claims its size to be.
void fInflateMember(zip_t* archive, zip_uint64_t index, const std::string& name, std::uint64_t& unpacked,
                    const std::string& label, const FMemberSink& sink) {
  zip_file_t* file = zip_fopen_index(archive, index, 0);
  if (file == nullptr) fRefuse(label, "its member \"" + name + "\" cannot be opened (" + zip_strerror(archive) + ")");
  std::array<char, kReadChunk> chunk{};
  std::optional<std::string> problem;
  while (true) {
    const zip_int64_t got = zip_fread(file, chunk.data(), chunk.size());
    if (got < 0) {
      problem = "its member \"" + name + "\" is damaged (" + zip_file_strerror(file) + ")";
      break;
    }
    if (got == 0) break;
    unpacked += static_cast<std::uint64_t>(got);
    if (unpacked > kMaxUnpackedBytes) {
      problem = "it unpacks to more than " + std::to_string(kMaxUnpackedBytes / (1024 * 1024)) + " MiB";
      break;
    }
    sink(chunk.data(), static_cast<std::size_t>(got));
  }
  const int closeError = zip_fclose(file);
  if (!problem && closeError != 0) {
    zip_error_t error;
    zip_error_init_with_code(&error, closeError);
    problem = "its member \"" + name + "\" is damaged (" + fZipErrorText(&error) + ")";
  }
  if (problem) fRefuse(label, *problem);
}

}  // namespace

bool fIsAllowedMemberName(const std::string& name) { return !fMemberNameProblem(name).has_value(); }

void fSettleTimeZone() {
  static const bool settled = [] {
    // The zone the C library would read anyway, named: with TZ unset it is
    // read again (and its state written) at every local-time conversion.
    if (std::getenv("TZ") == nullptr) setenv("TZ", ":/etc/localtime", 0);
    tzset();
    return true;
  }();
  (void)settled;
}

std::string fPackZip(const std::vector<SArchiveMember>& members) {
  zip_error_t error;
  zip_error_init(&error);
  fSettleTimeZone();
  zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (target == nullptr) throw CGameError("cannot make a replay archive: " + fZipErrorText(&error));
  zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
  if (archive == nullptr) {
    zip_source_free(target);
    throw CGameError("cannot make a replay archive: " + fZipErrorText(&error));
  }
  // The target outlives zip_close: that is where the finished archive is.
  zip_source_keep(target);

  auto fail = [&](const std::string& why) {
    zip_discard(archive);
    zip_source_free(target);
    throw CGameError("cannot make a replay archive: " + why);
  };

  for (const SArchiveMember& member : members) {
    // libzip reads the bytes only at zip_close, while `members` is still alive.
    zip_source_t* data = zip_source_buffer(archive, member.mBytes.data(), member.mBytes.size(), 0);
    if (data == nullptr) fail(zip_strerror(archive));
    const zip_int64_t index = zip_file_add(archive, member.mName.c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(data);
      fail("member \"" + member.mName + "\": " + zip_strerror(archive));
    }
    const auto at = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(archive, at, ZIP_CM_DEFLATE, 0) < 0 ||
        zip_file_set_dostime(archive, at, kDosTime, kDosDate, 0) < 0) {
      fail("member \"" + member.mName + "\": " + zip_strerror(archive));
    }
  }
  if (zip_close(archive) < 0) fail(zip_strerror(archive));

  std::string bytes;
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(target, &stat) < 0 || zip_source_open(target) < 0) {
    zip_source_free(target);
    throw CGameError("cannot make a replay archive: the finished archive cannot be read back");
  }
  bytes.resize(static_cast<std::size_t>(stat.size));
  const zip_int64_t got = zip_source_read(target, bytes.data(), bytes.size());
  zip_source_close(target);
  zip_source_free(target);
  if (got < 0 || static_cast<std::uint64_t>(got) != stat.size) {
    throw CGameError("cannot make a replay archive: the finished archive cannot be read back");
  }
  return bytes;
}

std::vector<SArchiveMember> fReadZipMembers(const std::string& zipBytes, const std::string& label) {
  return fReadZipMembers(zipBytes, label, [](const std::string&) { return FMemberSink(); });
}

std::vector<SArchiveMember> fReadZipMembers(const std::string& zipBytes, const std::string& label,
                                            const std::function<FMemberSink(const std::string& name)>& sinkFor) {
  if (zipBytes.size() > kMaxUnpackedBytes) fRefuse(label, "it is larger than any replay archive can be");

  zip_error_t error;
  zip_error_init(&error);
  fSettleTimeZone();
  zip_source_t* source = zip_source_buffer_create(zipBytes.data(), zipBytes.size(), 0, &error);
  if (source == nullptr) fRefuse(label, "it cannot be read (" + fZipErrorText(&error) + ")");
  zip_t* opened = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (opened == nullptr) {
    zip_source_free(source);
    fRefuse(label, "it is not a readable ZIP archive (" + fZipErrorText(&error) + ")");
  }
  zip_error_fini(&error);
  const CZipReader archive(opened);  // owns the source from here on

  const zip_int64_t count = zip_get_num_entries(archive.fGet(), 0);
  if (count < 0) fRefuse(label, "it is not a readable ZIP archive");
  if (count == 0) fRefuse(label, "it holds no files");
  if (static_cast<std::uint64_t>(count) > kMaxMembers) {
    fRefuse(label, "it has " + std::to_string(count) + " members, more than a replay archive holds");
  }

  // Everything the directory says is checked before anything is inflated.
  std::vector<std::string> names;
  std::vector<std::uint64_t> sizes;
  std::set<std::string> seen;
  std::uint64_t declared = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.fGet(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &stat) < 0 ||
        (stat.valid & ZIP_STAT_NAME) == 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
      fRefuse(label, "member " + std::to_string(i) + " cannot be read");
    }
    const std::string name = stat.name;
    if (const auto problem = fMemberNameProblem(name)) fRefuse(label, "its member \"" + name + "\" " + *problem);
    if (!seen.insert(name).second) fRefuse(label, "it holds \"" + name + "\" twice");
    if (stat.size > kMaxUnpackedBytes || declared + stat.size > kMaxUnpackedBytes) {
      fRefuse(label, "it would unpack to more than " + std::to_string(kMaxUnpackedBytes / (1024 * 1024)) + " MiB");
    }
    declared += stat.size;
    names.push_back(name);
    sizes.push_back(stat.size);
  }

  std::vector<SArchiveMember> members;
  members.reserve(names.size());
  std::uint64_t unpacked = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    members.push_back({names[i], std::string()});
    FMemberSink sink = sinkFor(names[i]);
    if (!sink) {
      // Room for the size the directory gives (already within the limit) is
      // made at once, so a large member is not grown by doubling, which
      // would briefly hold it one and a half times over.
      std::string& bytes = members.back().mBytes;
      bytes.reserve(static_cast<std::size_t>(sizes[i]));
      sink = [&bytes](const char* piece, std::size_t size) { bytes.append(piece, size); };
    }
    fInflateMember(archive.fGet(), i, names[i], unpacked, label, sink);
  }
  return members;
}

