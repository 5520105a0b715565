#include "gamelib/FileRoots.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "util/Assert.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolder = "dat";
constexpr const char* kConfigName = "config.dat";
constexpr const char* kGameName = "plimoball";
constexpr const char* kDataDirVariable = "PLIMOBALL_DATA_DIR";
// The player's own folder inside the game data, when the two would be one
// folder (a game installed with the prefix ~/.local).
constexpr const char* kPlayersOwnFolder = "player";

SFileRoots gRoots;

// The game data holds pictures, models and sounds. Anything else in it (the
// records of a build folder that is used as game data) is not the player's.
bool fIsShipped(const fs::path& path) {
  static const char* const kShippedKinds[] = {".png", ".bmp", ".jpg", ".wav", ".mp3", ".ogg", ".mqo"};
  const std::string extension = path.extension().string();
  for (const char* kind : kShippedKinds) {
    if (extension == kind) return true;
  }
  return false;
}

bool fExists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool fIsFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// The part after "dat/" of a name under the game's data folder.
bool fUnderData(const std::string& path, std::string& rest) {
  const std::string prefix = std::string(kDataFolder) + "/";
  if (path == kDataFolder) {
    rest.clear();
    return true;
  }
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  rest = path.substr(prefix.size());
  return true;
}

bool fStaysAsItIs(const std::string& path) { return fIsPortable(gRoots) || path.empty() || path.front() == '/'; }

std::string fJoin(const std::string& folder, const std::string& rest) {
  return rest.empty() ? folder : (fs::path(folder) / rest).string();
}

std::string fEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The XDG base folder, or the fallback under home: a relative value is not
// allowed by the XDG rules and counts as unset.
std::string fBaseFolder(const std::string& value, const std::string& home, const char* fallback) {
  if (!value.empty() && value.front() == '/') return value;
  if (home.empty() || home.front() != '/') {
    throw CGameError("PlimoBall cannot find your home folder (HOME is not set) to keep your records in");
  }
  return (fs::path(home) / fallback).string();
}

std::string fFindGameData(const std::string& executableDirectory) {
  const fs::path beside = fs::path(executableDirectory) / kDataFolder;
  if (fIsFolder(beside)) return beside.string();
  const fs::path installed = fs::path(executableDirectory).parent_path() / "share" / kGameName;
  if (fIsFolder(installed)) return installed.lexically_normal().string();
  throw CGameError("PlimoBall cannot find its data: neither " + beside.string() + " nor " + installed.string() +
                   " exists");
}

std::string fAbsolute(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

// A folder of the game data that ships nothing and has no folders in it:
// one the game writes into (a replay folder).
bool fIsPlayersFolder(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code inner;
    if (it->is_directory(inner) || fIsShipped(it->path())) return false;
  }
  return true;
}

// Two names of one folder (either may not exist yet).
bool fSameFolder(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fIsFolder(a) && fIsFolder(b)) return fs::equivalent(a, b, ec);
  const fs::path first = fs::weakly_canonical(a, ec);
  if (ec) return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
  const fs::path second = fs::weakly_canonical(b, ec);
  return !ec && first == second;
}

// The game's first start with the player's folder inside the game data: the
// records, settings, replays and logs an earlier start kept beside the game
// data move into it, each to the same place below it. Only the player's
// kinds of file move, never one the game ships; nothing is overwritten.
void fMoveIntoOwnFolder(const SFileRoots& roots) {
  std::vector<std::pair<fs::path, fs::path>> moves;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(roots.gameData, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code inner;
    if (fSameFolder(it->path().string(), roots.userData)) {
      it.disable_recursion_pending();
      continue;
    }
    // Hidden files (the build's stamps) belong to the game data.
    const std::string name = it->path().filename().string();
    if (!it->is_regular_file(inner) || fIsShipped(it->path()) || name.front() == '.') continue;
    const fs::path target = fs::path(roots.userData) / fs::relative(it->path(), roots.gameData, inner);
    if (!inner && !fExists(target)) moves.emplace_back(it->path(), target);
  }
  for (const auto& [from, to] : moves) {
    std::error_code inner;
    fs::create_directories(to.parent_path(), inner);
    fs::rename(from, to, inner);
    if (inner) throw CGameError("PlimoBall cannot move " + from.string() + " into " + roots.userData + ": " + inner.message());
  }
}

}  // namespace

bool fIsShippedData(const std::string& path) { return fIsShipped(path); }

bool fIsPortable(const SFileRoots& roots) { return roots.userData.empty(); }

void fSetFileRoots(const SFileRoots& roots) {
  PLIMO_ASSERT(fIsPortable(roots) || (!roots.gameData.empty() && !roots.config.empty()),
               "per-user file roots need the game data and the config folder too");
  gRoots = roots;
}

const SFileRoots& fGetFileRoots() { return gRoots; }

CFileRootsScope::CFileRootsScope(const SFileRoots& roots) : mPrevious(gRoots) { fSetFileRoots(roots); }

CFileRootsScope::~CFileRootsScope() { gRoots = mPrevious; }

std::string fWriteLocation(const std::string& path) {
  if (fStaysAsItIs(path)) return path;
  if (path == kConfigName) return fJoin(gRoots.config, kConfigName);
  std::string rest;
  if (fUnderData(path, rest)) return fJoin(gRoots.userData, rest);
  return fJoin(gRoots.userData, path);
}

std::string fReadLocation(const std::string& path) {
  if (fStaysAsItIs(path)) return path;
  std::string rest;
  if (!fUnderData(path, rest)) return fWriteLocation(path);
  const std::string own = fJoin(gRoots.userData, rest);
  if (fExists(own)) return own;
  const std::string shipped = fJoin(gRoots.gameData, rest);
  if (fIsFolder(shipped)) return shipped;
  return fIsShipped(shipped) && fExists(shipped) ? shipped : own;
}

std::vector<std::string> fDirectoryLocations(const std::string& path) {
  std::string rest;
  if (fStaysAsItIs(path) || !fUnderData(path, rest)) return {fWriteLocation(path)};
  return {fJoin(gRoots.userData, rest), fJoin(gRoots.gameData, rest)};
}

void fPrepareWrite(const std::string& path) {
  std::string rest;
  if (fStaysAsItIs(path) || !fUnderData(path, rest)) return;
  const fs::path parent = fs::path(rest).parent_path();
  if (parent.empty() || fIsFolder(fs::path(gRoots.userData) / parent)) return;
  if (!fIsFolder(fs::path(gRoots.gameData) / parent)) return;  // a folder the game does not have: the write fails
  std::error_code ec;
  fs::create_directories(fs::path(gRoots.userData) / parent, ec);
}

SRootsChoice fChooseFileRoots(const SRootsInput& input) {
  SRootsChoice choice;
  if (!input.dataDirectory.empty()) {
    const std::string folder = fAbsolute(input.dataDirectory);
    choice.roots = {fFindGameData(input.executableDirectory), folder, folder};
    return choice;
  }
  const fs::path beside = fs::path(input.executableDirectory) / kDataFolder;
  if (fIsFolder(beside) && input.gameFolderWritable) {
    choice.gameFolder = input.executableDirectory;
    return choice;
  }
  choice.roots.gameData = fFindGameData(input.executableDirectory);
  choice.roots.userData = (fs::path(fBaseFolder(input.xdgDataHome, input.home, ".local/share")) / kGameName).string();
  // Installed under ~/.local the game data lies where XDG keeps the
  // player's files: those get a folder of their own in it, so records and
  // shipped data never mix and an update of the game data touches none of them.
  if (fSameFolder(choice.roots.userData, choice.roots.gameData)) {
    choice.roots.userData = (fs::path(choice.roots.gameData) / kPlayersOwnFolder).string();
  }
  choice.roots.config = (fs::path(fBaseFolder(input.xdgConfigHome, input.home, ".config")) / kGameName).string();
  return choice;
}

SRootsInput fRootsInputFromEnvironment(const std::string& dataDirFlag) {
  SRootsInput input;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  input.executableDirectory = ec ? fs::current_path().string() : exe.parent_path().string();
  const fs::path beside = fs::path(input.executableDirectory) / kDataFolder;
  input.gameFolderWritable = access(beside.c_str(), W_OK) == 0;
  input.dataDirectory = dataDirFlag.empty() ? fEnvironment(kDataDirVariable) : dataDirFlag;
  input.xdgDataHome = fEnvironment("XDG_DATA_HOME");
  input.xdgConfigHome = fEnvironment("XDG_CONFIG_HOME");
  input.home = fEnvironment("HOME");
  return input;
}

void fMakeUserFolders(const SFileRoots& roots) {
  if (fIsPortable(roots)) return;
  std::error_code ec;
  const bool ownFolderInData = fs::path(roots.userData).filename() == kPlayersOwnFolder &&
                               fSameFolder(fs::path(roots.userData).parent_path().string(), roots.gameData);
  if (ownFolderInData && !fIsFolder(roots.userData)) fMoveIntoOwnFolder(roots);
  for (const std::string& folder : {roots.userData, roots.config}) {
    fs::create_directories(folder, ec);
    if (ec) throw CGameError("PlimoBall cannot create its folder " + folder + ": " + ec.message());
  }
  for (fs::recursive_directory_iterator it(roots.gameData, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code inner;
    if (ownFolderInData && fSameFolder(it->path().string(), roots.userData)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_directory(inner) || !fIsPlayersFolder(it->path())) continue;
    fs::create_directories(fs::path(roots.userData) / fs::relative(it->path(), roots.gameData, inner), inner);
    if (inner) throw CGameError("PlimoBall cannot create a folder in " + roots.userData + ": " + inner.message());
  }
}

SRootsChoice fEnterFileRoots(const std::string& dataDirFlag) {
  const SRootsChoice choice = fChooseFileRoots(fRootsInputFromEnvironment(dataDirFlag));
  if (fIsPortable(choice.roots)) {
    std::error_code ec;
    fs::current_path(choice.gameFolder, ec);
    if (ec) throw CGameError("PlimoBall cannot enter its folder " + choice.gameFolder + ": " + ec.message());
  } else {
    fMakeUserFolders(choice.roots);
  }
  fSetFileRoots(choice.roots);
  return choice;
}
