// Files and directories, for everything the game keeps on disk. Paths are
// the game's own relative names with forward slashes ("dat/score.dat"); the
// file roots (FileRoots.h) say which folder on disk each stands for. The
// working-directory helpers below take real paths.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

bool fFileExists(const std::string& path);  // a regular file
bool fDirectoryExists(const std::string& path);
// Deletes a regular file; false when there was none.
bool fDeleteFile(const std::string& path);
// Renames, replacing any file of the target name. Throws CGameError on failure.
void fRenameFile(const std::string& from, const std::string& to);
void fCreateDirectories(const std::string& path);
void fRemoveTree(const std::string& path);
// Entry names of a directory (no "." or ".."), sorted by name so that every
// machine scans in the same order.
std::vector<std::string> fListDirectory(const std::string& directory);
std::uint64_t fFileSize(const std::string& path);

// Whole-file helpers; both throw CGameError on failure. The write goes to a
// temporary file first, synced to the disk, and then replaces the target
// (whose folder is synced after), so a failed write or a crash never leaves
// a half-written file behind, and a failed write leaves no temporary file.
std::string fReadWholeFile(const std::string& path);
void fWriteWholeFile(const std::string& path, const std::string& bytes);
class CBinaryFile;
// The same for bytes written piece by piece through `write`.
void fWriteFileThrough(const std::string& path, const std::function<void(CBinaryFile&)>& write);

std::string fCurrentDirectory();
void fChangeDirectory(const std::string& path);
// A new, empty directory under the system's temporary directory.
std::string fMakeTemporaryDirectory(const std::string& prefix);

// A binary file with a position, opened in one of four ways.
class CBinaryFile {
 public:
  enum class EOpen {
    Read,     // must exist
    Update,   // read and write in place: created when missing, never truncated
    Append,   // written at the end: created when missing
    Truncate  // created new or emptied
  };

  CBinaryFile(const std::string& path, EOpen how);  // throws CGameError
  ~CBinaryFile();
  CBinaryFile(const CBinaryFile&) = delete;
  CBinaryFile& operator=(const CBinaryFile&) = delete;

  // Reads up to size bytes; returns how many were read (fewer at the end).
  std::size_t fRead(void* buffer, std::size_t size);
  void fWrite(const void* buffer, std::size_t size);  // throws CGameError
  void fSeek(std::uint64_t position);
  std::uint64_t fTell() const;
  std::uint64_t fSize() const;
  void fFlush();
  // Writes what is buffered, has the system put it on the disk and closes
  // the file; throws CGameError when any of it fails (a full disk).
  void fSyncAndClose();
  void fClose();
  bool fIsOpen() const { return mFile != nullptr; }
  const std::string& fPath() const { return mPath; }

 private:
  std::FILE* mFile = nullptr;
  std::string mPath;
};

// The directory that holds the running executable.
std::string fExecutableDirectory();
// The path made absolute against the current working directory.
std::string fAbsolutePath(const std::string& path);
