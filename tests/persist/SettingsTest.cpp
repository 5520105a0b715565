// The settings text file: its round trip, unknown lines kept, damaged values
// back to their defaults with one stderr line, and the atomic write.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "input/KeyboardSetting.h"
#include "persist/Settings.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"

namespace {

class SettingsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fCreateDirectories("dat");
  }
  void TearDown() override {
    gSettings = SSettings{};
    HeadlessTest::TearDown();
  }
};

TEST_F(SettingsTest, EverythingSurvivesARoundTripWithUnknownLinesKept) {
  SSettings settings;
  settings.language = ELanguage::English;
  settings.keys = {KEY_INPUT_A, KEY_INPUT_W, KEY_INPUT_D, KEY_INPUT_S, KEY_INPUT_Q, KEY_INPUT_E, KEY_INPUT_1, KEY_INPUT_2};
  settings.musicVolume = 0;
  settings.effectVolume = 7;
  settings.windowScale = 2;
  settings.otherLines = {"future.option=on", "# a note of the player's"};
  std::vector<std::string> damaged;
  const SSettings back = fParseSettings(fFormatSettings(settings), damaged);
  EXPECT_TRUE(damaged.empty());
  EXPECT_EQ(back.language, settings.language);
  EXPECT_EQ(back.keys, settings.keys);
  EXPECT_EQ(back.musicVolume, 0);
  EXPECT_EQ(back.effectVolume, 7);
  EXPECT_EQ(back.windowScale, 2);
  EXPECT_EQ(back.otherLines, settings.otherLines);
  EXPECT_EQ(fFormatSettings(back), fFormatSettings(settings));
}

TEST_F(SettingsTest, TheDefaultsAreTheDesignedGame) {
  std::vector<std::string> damaged;
  const SSettings settings = fParseSettings("", damaged);
  EXPECT_FALSE(settings.language.has_value());
  EXPECT_EQ(settings.keys, (std::array<int, 8>{KEY_INPUT_J, KEY_INPUT_I, KEY_INPUT_L, KEY_INPUT_K, KEY_INPUT_X,
                                               KEY_INPUT_SPACE, KEY_INPUT_Z, KEY_INPUT_C}));
  EXPECT_EQ(settings.musicVolume, 10);
  EXPECT_EQ(settings.effectVolume, 10);
  EXPECT_EQ(settings.windowScale, 0);
  gSettings = settings;
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::KeySpace), KEY_INPUT_SPACE);
  EXPECT_EQ(fAssignedKeyboardCode(EGameKey::KeyEsc), -1);
}

TEST_F(SettingsTest, DamagedValuesFallBackOneByOne) {
  std::vector<std::string> damaged;
  const SSettings settings = fParseSettings(
      "language=klingon\nmusic_volume=11\neffect_volume=3\nwindow_scale=3\nkey.drop=-5\r\nkey.hold=57\n", damaged);
  EXPECT_EQ(damaged, (std::vector<std::string>{"language", "music_volume", "window_scale", "key.drop"}));
  EXPECT_FALSE(settings.language.has_value());
  EXPECT_EQ(settings.musicVolume, 10);
  EXPECT_EQ(settings.effectVolume, 3);
  EXPECT_EQ(settings.windowScale, 0);
  EXPECT_EQ(settings.keys, kDefaultKeyboardKeys) << "a damaged key takes all eight back to the defaults";
}

TEST_F(SettingsTest, OneKeyForTwoActionsIsDamage) {
  std::vector<std::string> damaged;
  const SSettings settings = fParseSettings("key.left=44\n", damaged);  // Z, the turn-left key
  EXPECT_EQ(damaged, std::vector<std::string>{"key.*"});
  EXPECT_EQ(settings.keys, kDefaultKeyboardKeys);
}

TEST_F(SettingsTest, LoadingADamagedFileSaysSoOnceAndKeepsTheRest) {
  fWriteWholeFile(kSettingsTextFile, "language=en\nmusic_volume=loud\neffect_volume=x\nnew.thing=1\n");
  testing::internal::CaptureStderr();
  fLoadSettings();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("music_volume, effect_volume"), std::string::npos) << err;
  EXPECT_EQ(gSettings.language, ELanguage::English);
  EXPECT_EQ(gSettings.musicVolume, 10);
  EXPECT_EQ(fReadWholeFile(std::string(kSettingsTextFile) + ".broken"),
            "language=en\nmusic_volume=loud\neffect_volume=x\nnew.thing=1\n");
  fSaveSettings();
  EXPECT_NE(fReadWholeFile(kSettingsTextFile).find("new.thing=1\n"), std::string::npos);
}

TEST_F(SettingsTest, AMissingFileIsSilentDefaults) {
  gSettings.musicVolume = 2;
  testing::internal::CaptureStderr();
  fLoadSettings();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(gSettings.musicVolume, 10);
  EXPECT_FALSE(fFileExists(kSettingsTextFile));
}

TEST_F(SettingsTest, AFailedWriteLeavesTheOldFileWhole) {
  gSettings.musicVolume = 4;
  fSaveSettings();
  const std::string before = fReadWholeFile(kSettingsTextFile);
  EXPECT_FALSE(fFileExists(std::string(kSettingsTextFile) + ".part")) << "the temporary file was renamed away";
  // A directory where the temporary file would go makes the write fail.
  fCreateDirectories(std::string(kSettingsTextFile) + ".part");
  gSettings.musicVolume = 9;
  EXPECT_THROW(fSaveSettings(), CGameError);
  EXPECT_EQ(fReadWholeFile(kSettingsTextFile), before);
}

TEST_F(SettingsTest, AWriteThatFailsLeavesNoTemporaryFileAndTheOldFileWhole) {
  gSettings.musicVolume = 4;
  fSaveSettings();
  const std::string before = fReadWholeFile(kSettingsTextFile);
  const std::string part = std::string(kSettingsTextFile) + ".part";
  // A full disk: the temporary file is a link to /dev/full, which takes the
  // bytes into the buffer and refuses them when they are flushed and synced.
  ASSERT_TRUE(std::filesystem::exists("/dev/full"));
  std::filesystem::create_symlink("/dev/full", part);
  gSettings.musicVolume = 9;
  EXPECT_THROW(fSaveSettings(), CGameError);
  std::error_code ec;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(part, ec))) << "no .part is left behind";
  EXPECT_TRUE(std::filesystem::exists("/dev/full")) << "only the link went";
  EXPECT_EQ(fReadWholeFile(kSettingsTextFile), before);

  // A rename that cannot replace the target (a folder of its name): the
  // synced temporary file goes again.
  fCreateDirectories("dat/a_folder/inside");
  EXPECT_THROW(fWriteWholeFile("dat/a_folder", "bytes"), CGameError);
  EXPECT_FALSE(fFileExists("dat/a_folder.part"));

  // A writer that fails half-way leaves nothing either.
  EXPECT_THROW(fWriteFileThrough(kSettingsTextFile,
                                 [](CBinaryFile& file) {
                                   file.fWrite("half", 4);
                                   throw CGameError("the writer gave up");
                                 }),
               CGameError);
  EXPECT_FALSE(fFileExists(part));
  EXPECT_EQ(fReadWholeFile(kSettingsTextFile), before);
  // And a good write after all that lands.
  fSaveSettings();
  EXPECT_NE(fReadWholeFile(kSettingsTextFile).find("music_volume=9\n"), std::string::npos);
}

TEST_F(SettingsTest, BallSymbolsAreOffUntilChosenAndSurviveASave) {
  std::vector<std::string> damaged;
  EXPECT_FALSE(fParseSettings("", damaged).ballSymbols);
  EXPECT_TRUE(fParseSettings("ball_symbols=1\n", damaged).ballSymbols);
  EXPECT_FALSE(fParseSettings("ball_symbols=0\n", damaged).ballSymbols);
  EXPECT_TRUE(damaged.empty());
  // A value the game does not know is damage, and the option stays off.
  EXPECT_FALSE(fParseSettings("ball_symbols=yes\n", damaged).ballSymbols);
  EXPECT_EQ(damaged, std::vector<std::string>{"ball_symbols"});

  gSettings.ballSymbols = true;
  gSettings.musicVolume = 3;
  fSaveSettings();
  gSettings = SSettings{};
  fLoadSettings();
  EXPECT_TRUE(gSettings.ballSymbols);
  EXPECT_EQ(gSettings.musicVolume, 3) << "the new line leaves the others as they were";
}

}  // namespace

namespace {

// The name sent last to the ranking: kept as typed (symbols and "=" too),
// written only once there is one, and a name the ranking would refuse is
// damage, not a name to offer.
TEST_F(SettingsTest, TheRankingNameIsKeptAndCheckedByTheRankingsRule) {
  SSettings settings;
  std::vector<std::string> damaged;
  EXPECT_EQ(fFormatSettings(settings).find("ranking_name"), std::string::npos) << "no name, no line";
  for (const std::string name : {"neko", "a=b#c!~", "12345678"}) {
    settings.rankingName = name;
    const SSettings back = fParseSettings(fFormatSettings(settings), damaged);
    EXPECT_EQ(back.rankingName, name);
  }
  EXPECT_TRUE(damaged.empty());
  for (const std::string bad : {"ranking_name=", "ranking_name=123456789", "ranking_name=a?b",
                                "ranking_name=\xE5\x90\x8D"}) {
    damaged.clear();
    const SSettings back = fParseSettings(bad + "\nmusic_volume=3\n", damaged);
    EXPECT_EQ(back.rankingName, "") << bad;
    EXPECT_EQ(damaged, std::vector<std::string>{"ranking_name"}) << bad;
    EXPECT_EQ(back.musicVolume, 3) << "the rest is read: " << bad;
  }
}

}  // namespace
