#include "gamelib/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "gamelib/FileRoots.h"
#include "util/Assert.h"

namespace fs = std::filesystem;

bool fFileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fReadLocation(path), ec);
}

bool fDirectoryExists(const std::string& path) {
  for (const std::string& location : fDirectoryLocations(path)) {
    std::error_code ec;
    if (fs::is_directory(location, ec)) return true;
  }
  return false;
}

bool fDeleteFile(const std::string& path) {
  const std::string location = fWriteLocation(path);
  std::error_code ec;
  if (!fs::is_regular_file(location, ec)) return false;
  return fs::remove(location, ec);
}

void fRenameFile(const std::string& from, const std::string& to) {
  fPrepareWrite(to);
  std::error_code ec;
  fs::rename(fWriteLocation(from), fWriteLocation(to), ec);
  if (ec) throw CGameError("cannot rename " + fWriteLocation(from) + " to " + fWriteLocation(to) + ": " + ec.message());
}

void fCreateDirectories(const std::string& path) {
  const std::string location = fWriteLocation(path);
  std::error_code ec;
  fs::create_directories(location, ec);
  if (ec) throw CGameError("cannot create directory " + location + ": " + ec.message());
}

void fRemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(fWriteLocation(path), ec);
}

std::vector<std::string> fListDirectory(const std::string& directory) {
  // The player's folder first; the game data adds what it ships.
  const std::vector<std::string> locations = fDirectoryLocations(directory);
  std::vector<std::string> names;
  bool found = false;
  std::error_code ec;
  for (std::size_t i = 0; i < locations.size(); ++i) {
    if (!fs::is_directory(locations[i], ec)) continue;
    found = true;
    for (fs::directory_iterator it(locations[i], ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code inner;
      if (i > 0 && !it->is_directory(inner) && !fIsShippedData(it->path().string())) continue;
      names.push_back(it->path().filename().string());
    }
    if (ec) throw CGameError("cannot list directory " + locations[i] + ": " + ec.message());
  }
  if (!found) throw CGameError("cannot list directory " + locations.front() + ": no such directory");
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::uint64_t fFileSize(const std::string& path) {
  std::error_code ec;
  const std::string location = fReadLocation(path);
  const auto size = fs::file_size(location, ec);
  if (ec) throw CGameError("cannot read the size of " + location + ": " + ec.message());
  return size;
}

std::string fReadWholeFile(const std::string& path) {
  CBinaryFile file(path, CBinaryFile::EOpen::Read);
  std::string bytes(static_cast<std::size_t>(file.fSize()), '\0');
  if (file.fRead(bytes.data(), bytes.size()) != bytes.size()) {
    throw CGameError("cannot read " + path);
  }
  return bytes;
}

void fWriteWholeFile(const std::string& path, const std::string& bytes) {
  fWriteFileThrough(path, [&bytes](CBinaryFile& file) { file.fWrite(bytes.data(), bytes.size()); });
}

namespace {

// The temporary file of a write that failed, whatever it is now (a file, or
// a link to where the bytes could not go); never a folder of the same name.
void fRemoveTemporary(const std::string& path) {
  const std::string location = fWriteLocation(path);
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(location, ec);
  if (ec || !fs::exists(status) || fs::is_directory(status)) return;
  fs::remove(location, ec);
}

// The rename itself on disk: the folder's entry is synced too. Folders that
// cannot be synced (some file systems refuse) are left as they are.
void fSyncDirectoryOf(const std::string& location) {
  const fs::path parent = fs::path(location).parent_path();
  const int descriptor = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

}  // namespace

void fWriteFileThrough(const std::string& path, const std::function<void(CBinaryFile&)>& write) {
  // The bytes reach the disk before the rename, so a crash leaves either
  // the old file or the new one, whole; a write that fails leaves neither a
  // changed file nor the temporary one.
  const std::string temporary = path + ".part";
  try {
    CBinaryFile file(temporary, CBinaryFile::EOpen::Truncate);
    write(file);
    file.fSyncAndClose();
    fRenameFile(temporary, path);
  } catch (...) {
    fRemoveTemporary(temporary);
    throw;
  }
  fSyncDirectoryOf(fWriteLocation(path));
}

std::string fCurrentDirectory() { return fs::current_path().string(); }

void fChangeDirectory(const std::string& path) {
  std::error_code ec;
  fs::current_path(path, ec);
  if (ec) throw CGameError("cannot change to directory " + path + ": " + ec.message());
}

std::string fMakeTemporaryDirectory(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw CGameError("cannot create a temporary directory for " + prefix);
  }
  return pattern;
}

CBinaryFile::CBinaryFile(const std::string& path, EOpen how) : mPath(path) {
  if (how != EOpen::Read) fPrepareWrite(path);
  const std::string location = how == EOpen::Read ? fReadLocation(path) : fWriteLocation(path);
  switch (how) {
    case EOpen::Read:
      mFile = std::fopen(location.c_str(), "rb");
      break;
    case EOpen::Update:
      mFile = std::fopen(location.c_str(), "r+b");
      if (mFile == nullptr) mFile = std::fopen(location.c_str(), "w+b");
      break;
    case EOpen::Append:
      mFile = std::fopen(location.c_str(), "ab");
      break;
    case EOpen::Truncate:
      mFile = std::fopen(location.c_str(), "wb");
      break;
  }
  if (mFile == nullptr) throw CGameError("cannot open " + location);
}

CBinaryFile::~CBinaryFile() { fClose(); }

std::size_t CBinaryFile::fRead(void* buffer, std::size_t size) {
  PLIMO_ASSERT(mFile != nullptr, "read from a closed file");
  return std::fread(buffer, 1, size, mFile);
}

void CBinaryFile::fWrite(const void* buffer, std::size_t size) {
  PLIMO_ASSERT(mFile != nullptr, "write to a closed file");
  if (size > 0 && std::fwrite(buffer, 1, size, mFile) != size) {
    throw CGameError("cannot write " + mPath);
  }
}

void CBinaryFile::fSeek(std::uint64_t position) {
  PLIMO_ASSERT(mFile != nullptr, "seek in a closed file");
  std::fseek(mFile, static_cast<long>(position), SEEK_SET);
}

std::uint64_t CBinaryFile::fTell() const {
  PLIMO_ASSERT(mFile != nullptr, "position of a closed file");
  const long position = std::ftell(mFile);
  return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::uint64_t CBinaryFile::fSize() const {
  PLIMO_ASSERT(mFile != nullptr, "size of a closed file");
  const long here = std::ftell(mFile);
  std::fseek(mFile, 0, SEEK_END);
  const long end = std::ftell(mFile);
  std::fseek(mFile, here, SEEK_SET);
  return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

void CBinaryFile::fFlush() {
  if (mFile != nullptr) std::fflush(mFile);
}

void CBinaryFile::fSyncAndClose() {
  PLIMO_ASSERT(mFile != nullptr, "sync of a closed file");
  const bool flushed = std::fflush(mFile) == 0;
  const bool synced = flushed && ::fsync(::fileno(mFile)) == 0;
  const int error = errno;
  const bool closed = std::fclose(mFile) == 0;
  mFile = nullptr;
  if (!flushed || !synced || !closed) {
    throw CGameError("cannot write " + mPath + ": " + std::strerror(flushed && synced ? errno : error));
  }
}

void CBinaryFile::fClose() {
  if (mFile != nullptr) {
    std::fclose(mFile);
    mFile = nullptr;
  }
}

std::string fExecutableDirectory() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fCurrentDirectory();
  return exe.parent_path().string();
}

std::string fAbsolutePath(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.string();
}
