// Where the game's files are on disk. The game names its files as it always
// has ("dat/score.dat", "config.dat", a log beside them); this layer decides
// which folder each of those names stands for.
//
// Portable (a game folder the player may write to, such as the build's
// runnable folder): every name is relative to the working directory, which
// is the game folder.
//
// Per-user (an installed game): names under "dat/" are read from the
// player's folder first and then from the read-only game data; everything
// the game writes goes to the player's folder ("dat/score.dat" becomes
// PLAYER/score.dat, a log PLAYER/NAME.log), and "config.dat" lies in the
// player's config folder. Nothing is ever written into the game data.
#pragma once

#include <string>
#include <vector>

struct SFileRoots {
  std::string gameData;  // the content of dat/ as installed: pictures, models, sounds
  std::string userData;  // the player's records, settings, replays and logs
  std::string config;    // the folder of config.dat
};

// Empty roots (the default) mean portable.
bool fIsPortable(const SFileRoots& roots);
void fSetFileRoots(const SFileRoots& roots);
const SFileRoots& fGetFileRoots();

// Puts other roots in place while it lives (a test runs portably in a
// private folder, whatever the game around it uses).
class CFileRootsScope {
 public:
  explicit CFileRootsScope(const SFileRoots& roots);
  ~CFileRootsScope();
  CFileRootsScope(const CFileRootsScope&) = delete;
  CFileRootsScope& operator=(const CFileRootsScope&) = delete;

 private:
  SFileRoots mPrevious;
};

// The real path behind one of the game's names: where it is read from (the
// player's copy if there is one, else the game data's) and where it is
// written. Absolute paths, and every path in portable mode, stay as they are.
std::string fReadLocation(const std::string& path);
std::string fWriteLocation(const std::string& path);
// A file of a kind the game data ships (picture, model, sound); only those
// are read from the game data.
bool fIsShippedData(const std::string& path);
// The folders whose entries together make up a directory of the game.
std::vector<std::string> fDirectoryLocations(const std::string& path);
// Makes the folder a write to the name needs when the game sees it (the
// game data has it) but the player's folder does not have it yet.
void fPrepareWrite(const std::string& path);

// What decides the roots; the environment as the player's session sets it.
struct SRootsInput {
  std::string executableDirectory;
  bool gameFolderWritable = true;  // the player may write into the dat/ beside the executable
  std::string dataDirectory;  // --data-dir, or else PLIMOBALL_DATA_DIR; empty when neither
  std::string xdgDataHome;
  std::string xdgConfigHome;
  std::string home;
};

struct SRootsChoice {
  SFileRoots roots;
  std::string gameFolder;  // portable: the folder to work in
};

// With a data directory given, the player's files and config.dat go there.
// Else a game folder beside the executable that holds a writable dat/ is
// used portably. Else the game is installed: its data in
// PREFIX/share/plimoball (the executable in PREFIX/bin), the player's files
// in $XDG_DATA_HOME/plimoball and config.dat in $XDG_CONFIG_HOME/plimoball
// (~/.local/share and ~/.config when unset); when that player's folder is
// the game data's own (installed with the prefix ~/.local), the player's
// files go to its subfolder "player". Throws CGameError when the
// game data or the player's home cannot be found.
SRootsChoice fChooseFileRoots(const SRootsInput& input);
SRootsInput fRootsInputFromEnvironment(const std::string& dataDirFlag);

// Chooses the roots for this process, enters the game folder (portable) or
// makes the player's folders (first start), and puts the roots in place.
// Returns the chosen roots; throws CGameError with a text for the player.
SRootsChoice fEnterFileRoots(const std::string& dataDirFlag);

// The player's folders, and in them every folder the game data leaves empty
// (the replay folders: the game writes there but ships nothing). The first
// time the player's folder is made inside the game data, the player's files
// an earlier start kept in the game data move into it.
void fMakeUserFolders(const SFileRoots& roots);
