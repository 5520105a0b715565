#include "persist/CArchiver.h"

#include "gamelib/FileSystem.h"
#include "util/Assert.h"

namespace {

[[noreturn]] void fRefuse(const std::string& label, const std::string& why) {
  throw CGameError("The replay archive " + label + " cannot be used: " + why + ". Nothing was unpacked.");
}

}  // namespace

void CArchiver::fArchive(const std::vector<std::string>& files, const std::string& archivePath, bool deleteSources) {
  PLIMO_ASSERT(!files.empty(), "a replay archive needs at least one file");
  std::vector<SArchiveMember> members;
  for (const std::string& path : files) {
    // The same rule as unpacking, less the folder: a name we write must be
    // one we would read back.
    if (path.empty() || path.front() == '/' || path.find("..") != std::string::npos ||
        path.find('\\') != std::string::npos) {
      throw CGameError("cannot pack " + path + " into a replay archive: not a plain relative path");
    }
    members.push_back({path, fReadWholeFile(path)});
  }
  fWriteWholeFile(archivePath, fPack(members));
  // Only now: a failed pack or write must not lose the replay.
  if (deleteSources) {
    for (const std::string& path : files) fDeleteFile(path);
  }
}

std::vector<SArchiveMember> CArchiver::fReadMembers(const std::string& archivePath) {
  if (!fFileExists(archivePath)) throw CGameError("The replay archive " + archivePath + " does not exist.");
  if (fFileSize(archivePath) > kMaxUnpackedBytes) fRefuse(archivePath, "it is larger than any replay archive can be");
  return fReadMembersFromBytes(fReadWholeFile(archivePath), archivePath);
}

void CArchiver::fExtract(const std::string& archivePath) {
  const std::vector<SArchiveMember> members = fReadMembers(archivePath);
  // The game never makes its folders; a missing one is found before the
  // first member is written, not halfway through.
  for (const SArchiveMember& member : members) {
    const std::string folder = member.mName.substr(0, member.mName.rfind('/'));
    if (!fDirectoryExists(folder)) fRefuse(archivePath, "the folder " + folder + " is missing");
  }
  for (const SArchiveMember& member : members) fWriteWholeFile(member.mName, member.mBytes);
}
