#include "gamelib/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "util/Assert.h"

namespace fs = std::filesystem;

bool fFileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool fDirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool fDeleteFile(const std::string& path) {
  if (!fFileExists(path)) return false;
  std::error_code ec;
  return fs::remove(path, ec);
}

void fRenameFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) throw CGameError("cannot rename " + from + " to " + to + ": " + ec.message());
}

void fCreateDirectories(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) throw CGameError("cannot create directory " + path + ": " + ec.message());
}

void fRemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

std::vector<std::string> fListDirectory(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  if (ec) throw CGameError("cannot list directory " + directory + ": " + ec.message());
  std::sort(names.begin(), names.end());
  return names;
}

std::uint64_t fFileSize(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec) throw CGameError("cannot read the size of " + path + ": " + ec.message());
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
  const std::string temporary = path + ".part";
  {
    CBinaryFile file(temporary, CBinaryFile::EOpen::Truncate);
    file.fWrite(bytes.data(), bytes.size());
    file.fClose();
  }
  fRenameFile(temporary, path);
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
  switch (how) {
    case EOpen::Read:
      mFile = std::fopen(path.c_str(), "rb");
      break;
    case EOpen::Update:
      mFile = std::fopen(path.c_str(), "r+b");
      if (mFile == nullptr) mFile = std::fopen(path.c_str(), "w+b");
      break;
    case EOpen::Append:
      mFile = std::fopen(path.c_str(), "ab");
      break;
    case EOpen::Truncate:
      mFile = std::fopen(path.c_str(), "wb");
      break;
  }
  if (mFile == nullptr) throw CGameError("cannot open " + path);
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
