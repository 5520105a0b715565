#include "gamelib/FileRoots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "util/Assert.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

// A temporary folder holding an installed game: PREFIX/bin, the game data in
// PREFIX/share/plimoball (a picture, a model, an empty replay folder and a
// stray record that is not the player's), and a home folder.
class FileRootsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mRoot = fMakeTemporaryDirectory("plimo-roots-");
    mData = mRoot + "/prefix/share/plimoball";
    fCreateDirectories(mRoot + "/prefix/bin");
    fCreateDirectories(mData + "/image/ui_parts");
    fCreateDirectories(mData + "/replay_plimo");
    fWriteWholeFile(mData + "/image/ui_parts/go.png", "shipped picture");
    fWriteWholeFile(mData + "/renga.mqo", "shipped model");
    fWriteWholeFile(mData + "/score.dat", "not the player's");
    fCreateDirectories(mRoot + "/home");
  }
  void TearDown() override { fRemoveTree(mRoot); }

  SRootsInput fInstalled() const {
    SRootsInput input;
    input.executableDirectory = mRoot + "/prefix/bin";
    input.home = mRoot + "/home";
    return input;
  }
  SFileRoots fPerUser() const { return fChooseFileRoots(fInstalled()).roots; }

  std::string mRoot;
  std::string mData;
};

TEST_F(FileRootsTest, AnInstalledGameUsesTheXdgFoldersOrTheirDefaultsUnderHome) {
  SRootsInput input = fInstalled();
  SRootsChoice choice = fChooseFileRoots(input);
  EXPECT_EQ(choice.roots.gameData, mData);
  EXPECT_EQ(choice.roots.userData, mRoot + "/home/.local/share/plimoball");
  EXPECT_EQ(choice.roots.config, mRoot + "/home/.config/plimoball");
  EXPECT_TRUE(choice.gameFolder.empty());

  input.xdgDataHome = "/xdg/data";
  input.xdgConfigHome = "/xdg/config";
  choice = fChooseFileRoots(input);
  EXPECT_EQ(choice.roots.userData, "/xdg/data/plimoball");
  EXPECT_EQ(choice.roots.config, "/xdg/config/plimoball");

  // A relative XDG folder is invalid and counts as unset.
  input.xdgDataHome = "relative/data";
  EXPECT_EQ(fChooseFileRoots(input).roots.userData, mRoot + "/home/.local/share/plimoball");

  input.xdgDataHome.clear();
  input.home.clear();
  EXPECT_THROW(fChooseFileRoots(input), CGameError);
}

TEST_F(FileRootsTest, AGameInstalledUnderDotLocalKeepsThePlayersFilesInAFolderOfTheirOwn) {
  // The prefix ~/.local: the game data is ~/.local/share/plimoball, the very
  // folder XDG names for the player's files. An earlier start kept a record,
  // a replay and a log there.
  const std::string home = mRoot + "/home";
  const std::string shared = home + "/.local/share/plimoball";
  fCreateDirectories(home + "/.local/bin");
  fCreateDirectories(home + "/.local/games");
  fCreateDirectories(shared + "/image/ui_parts");
  fCreateDirectories(shared + "/replay_yoiko");
  fWriteWholeFile(shared + "/image/ui_parts/go.png", "shipped picture");
  fWriteWholeFile(shared + "/.assets", "the build's stamp");
  fWriteWholeFile(shared + "/score.dat", "the player's record");
  fWriteWholeFile(shared + "/replay_yoiko/replay", "the player's replay");
  fWriteWholeFile(shared + "/PlimoBall.log", "a log");
  for (const char* folder : {"/.local/bin", "/.local/games"}) {
    SRootsInput input;
    input.executableDirectory = home + folder;
    input.home = home;
    const SRootsChoice choice = fChooseFileRoots(input);
    EXPECT_EQ(choice.roots.gameData, shared) << folder;
    EXPECT_EQ(choice.roots.userData, shared + "/player") << folder;
    EXPECT_EQ(choice.roots.config, home + "/.config/plimoball") << folder;
    // The same with XDG_DATA_HOME naming ~/.local/share by another path.
    input.xdgDataHome = home + "/.local/../.local/share";
    EXPECT_EQ(fChooseFileRoots(input).roots.userData, shared + "/player") << folder;
  }
  SRootsInput input;
  input.executableDirectory = home + "/.local/bin";
  input.home = home;
  const SFileRoots roots = fChooseFileRoots(input).roots;
  fMakeUserFolders(roots);
  EXPECT_EQ(fReadWholeFile(shared + "/player/score.dat"), "the player's record");
  EXPECT_EQ(fReadWholeFile(shared + "/player/replay_yoiko/replay"), "the player's replay");
  EXPECT_EQ(fReadWholeFile(shared + "/player/PlimoBall.log"), "a log");
  EXPECT_FALSE(fFileExists(shared + "/score.dat"));
  EXPECT_FALSE(fFileExists(shared + "/replay_yoiko/replay"));
  EXPECT_EQ(fReadWholeFile(shared + "/image/ui_parts/go.png"), "shipped picture") << "the game data stays";
  EXPECT_EQ(fReadWholeFile(shared + "/.assets"), "the build's stamp");
  EXPECT_FALSE(fDirectoryExists(shared + "/player/image")) << "no copy of the data's folders";
  EXPECT_FALSE(fDirectoryExists(shared + "/player/player")) << "the player's folder is not game data";

  // Through the game's names: records to the player's folder, pictures from the data.
  CFileRootsScope scope(roots);
  EXPECT_EQ(fWriteLocation("dat/score.dat"), shared + "/player/score.dat");
  EXPECT_EQ(fReadLocation("dat/score.dat"), shared + "/player/score.dat");
  EXPECT_EQ(fReadLocation("dat/image/ui_parts/go.png"), shared + "/image/ui_parts/go.png");
  // A second start moves nothing more, and a new file beside the data stays.
  fWriteWholeFile(shared + "/stray.dat", "not moved again");
  fMakeUserFolders(roots);
  EXPECT_TRUE(fFileExists(shared + "/stray.dat"));
}

TEST_F(FileRootsTest, OtherLayoutsKeepThePlayersFolderAsItWas) {
  // The prefix's own data beside a player's folder elsewhere: nothing moves.
  SRootsInput input = fInstalled();
  const SFileRoots roots = fChooseFileRoots(input).roots;
  EXPECT_EQ(roots.userData, mRoot + "/home/.local/share/plimoball");
  fMakeUserFolders(roots);
  EXPECT_EQ(fReadWholeFile(mData + "/score.dat"), "not the player's");
  EXPECT_FALSE(fFileExists(roots.userData + "/score.dat"));
  // The same data folder named through a link is still one folder with it.
  std::filesystem::create_directories(mRoot + "/home/.local/share");
  std::filesystem::remove_all(mRoot + "/home/.local/share/plimoball");
  std::filesystem::create_directory_symlink(mData, mRoot + "/home/.local/share/plimoball");
  EXPECT_EQ(fChooseFileRoots(input).roots.userData, mData + "/player");
}

TEST_F(FileRootsTest, AGameFolderBesideTheProgramIsPortableAndTheOverrideWinsOverIt) {
  const std::string folder = mRoot + "/build/game";
  fCreateDirectories(folder + "/dat");
  SRootsInput input;
  input.executableDirectory = folder;
  input.home = mRoot + "/home";
  SRootsChoice choice = fChooseFileRoots(input);
  EXPECT_TRUE(fIsPortable(choice.roots));
  EXPECT_EQ(choice.gameFolder, folder);

  input.dataDirectory = mRoot + "/elsewhere/../saves";
  choice = fChooseFileRoots(input);
  EXPECT_EQ(choice.roots.gameData, folder + "/dat");
  EXPECT_EQ(choice.roots.userData, mRoot + "/saves");
  EXPECT_EQ(choice.roots.config, mRoot + "/saves");

  // The override works for an installed game too.
  input = fInstalled();
  input.dataDirectory = mRoot + "/saves";
  choice = fChooseFileRoots(input);
  EXPECT_EQ(choice.roots.gameData, mData);
  EXPECT_EQ(choice.roots.userData, mRoot + "/saves");

  // Without any game data there is nothing to run.
  input.executableDirectory = mRoot + "/home";
  EXPECT_THROW(fChooseFileRoots(input), CGameError);
}

TEST_F(FileRootsTest, AReadOnlyGameFolderIsUsedAsGameDataNotPortably) {
  const std::string folder = mRoot + "/readonly";
  fCreateDirectories(folder + "/dat");
  SRootsInput input;
  input.executableDirectory = folder;
  input.gameFolderWritable = false;
  input.home = mRoot + "/home";
  const SRootsChoice choice = fChooseFileRoots(input);
  EXPECT_FALSE(fIsPortable(choice.roots));
  EXPECT_EQ(choice.roots.gameData, folder + "/dat");
  EXPECT_EQ(choice.roots.userData, mRoot + "/home/.local/share/plimoball");
}

TEST_F(FileRootsTest, TheGamesNamesReadShippedDataAndWriteOnlyIntoThePlayersFolders) {
  const SFileRoots roots = fPerUser();
  fMakeUserFolders(roots);
  // The first start makes the folders, and the replay folder the data leaves empty.
  EXPECT_TRUE(fDirectoryExists(roots.userData + "/replay_plimo"));
  EXPECT_TRUE(fDirectoryExists(roots.config));
  EXPECT_FALSE(fDirectoryExists(roots.userData + "/image"));

  {
    CFileRootsScope scope(roots);
    EXPECT_EQ(fReadWholeFile("dat/image/ui_parts/go.png"), "shipped picture");
    EXPECT_TRUE(fFileExists("dat/renga.mqo"));
    // A record lying in the game data is not the player's.
    EXPECT_FALSE(fFileExists("dat/score.dat"));
    EXPECT_EQ(fListDirectory("dat"), (std::vector<std::string>{"image", "renga.mqo", "replay_plimo"}));

    fWriteWholeFile("dat/score.dat", "mine");
    CBinaryFile("dat/replay_plimo/replay_key.tmp", CBinaryFile::EOpen::Append).fWrite("k", 1);
    fWriteWholeFile("config.dat", "WindowMode=1\n");
    CBinaryFile("1700000000000.log", CBinaryFile::EOpen::Truncate).fWrite("exception:x\n", 12);
    EXPECT_EQ(fReadWholeFile("dat/score.dat"), "mine");
    EXPECT_EQ(fReadWholeFile(roots.userData + "/replay_plimo/replay_key.tmp"), "k");
    // Logs lie beside the records.
    EXPECT_EQ(fListDirectory("dat"), (std::vector<std::string>{"1700000000000.log", "image", "renga.mqo",
                                                               "replay_plimo", "score.dat"}));

    // The player's own copy of a shipped file comes first; deleting it
    // brings back the shipped one, which itself is never deleted.
    fWriteWholeFile("dat/image/ui_parts/go.png", "patched");
    EXPECT_EQ(fReadWholeFile("dat/image/ui_parts/go.png"), "patched");
    EXPECT_TRUE(fDeleteFile("dat/image/ui_parts/go.png"));
    EXPECT_FALSE(fDeleteFile("dat/image/ui_parts/go.png"));
    EXPECT_EQ(fReadWholeFile("dat/image/ui_parts/go.png"), "shipped picture");

    // A replay folder the player removed comes back when the game writes there.
    fRemoveTree("dat/replay_plimo");
    fWriteWholeFile("dat/replay_plimo/replay", "zip");
    fRenameFile("dat/replay_plimo/replay", "dat/replay_plimo/replay_old");
    EXPECT_TRUE(fFileExists("dat/replay_plimo/replay_old"));

    // A path of the player's choosing stays as it is.
    EXPECT_EQ(fReadLocation(mRoot + "/shot.png"), mRoot + "/shot.png");
  }
  EXPECT_TRUE(fIsPortable(fGetFileRoots()));

  EXPECT_EQ(fReadWholeFile(roots.userData + "/score.dat"), "mine");
  EXPECT_EQ(fReadWholeFile(roots.userData + "/replay_plimo/replay_old"), "zip");
  EXPECT_EQ(fReadWholeFile(roots.config + "/config.dat"), "WindowMode=1\n");
  EXPECT_TRUE(fFileExists(roots.userData + "/1700000000000.log"));
  // The game data is as it was installed.
  EXPECT_EQ(fListDirectory(mData), (std::vector<std::string>{"image", "renga.mqo", "replay_plimo", "score.dat"}));
  EXPECT_EQ(fListDirectory(mData + "/replay_plimo"), std::vector<std::string>{});
  EXPECT_EQ(fReadWholeFile(mData + "/image/ui_parts/go.png"), "shipped picture");
  EXPECT_EQ(fReadWholeFile(mData + "/score.dat"), "not the player's");
}

TEST_F(FileRootsTest, AReplayCheckInsideAPerUserGameRunsInItsOwnFolder) {
  const SFileRoots roots = fPerUser();
  fMakeUserFolders(roots);
  CFileRootsScope scope(roots);
  const SReplayCheckResult result = fCheckReplay(kFixtures + "/yoiko_seed456.zip");
  EXPECT_EQ(result.mode, "yoiko");
  EXPECT_TRUE(fIsPortable(fGetFileRoots()) == false);
  EXPECT_EQ(fListDirectory(roots.userData + "/replay_plimo"), std::vector<std::string>{});
  EXPECT_FALSE(fDirectoryExists(roots.userData + "/replay_yoiko"));
}

}  // namespace
