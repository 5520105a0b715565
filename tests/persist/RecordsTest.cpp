#include "persist/Records.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "persist/PersistTestSupport.h"
#include "persist/Serializer.h"
#include "support/HeadlessTest.h"

namespace {

const std::string kDefaultMasks = fLe32(0x2) + fLe32(0x8) + fLe32(0x4) + fLe32(0x1) + fLe32(0x2) + fLe32(0x8) +
                                  fLe32(0x4) + fLe32(0x1) + fLe32(0x10) + fLe32(0x20) + fLe32(0x40) + fLe32(0x80) +
                                  fLe32(0x100) + fLe32(0x200) + fLe32(0x800);
const std::string kDefaultSetting = fHex("00") + fArchived(kOptionTag) + fLe32(15) + kDefaultMasks;

class RecordsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fCreateDirectories("dat");
    gOptionInfo.reset();
    gHighScores.clear();
  }
  void TearDown() override {
    gOptionInfo.reset();
    gHighScores.clear();
    HeadlessTest::TearDown();
  }

  static std::vector<int> fScoresOf() {
    std::vector<int> values;
    for (const auto& entry : gHighScores) {
      values.push_back(entry->score);
      values.push_back(entry->maxRensa);
      values.push_back(entry->isRegistered ? 1 : 0);
    }
    return values;
  }

  // Loads a damaged file and checks what every damaged file must give: the
  // player is told, the bytes are kept under ".broken", nothing replaces it.
  template <class F>
  static void fExpectSetAside(const std::string& path, const std::string& bytes, F load) {
    fWriteWholeFile(path, bytes);
    testing::internal::CaptureStderr();
    load();
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("PlimoBall: " + path + " is damaged ("), std::string::npos) << told;
    EXPECT_NE(told.find("The damaged file is kept as " + path + ".broken"), std::string::npos) << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_FALSE(fFileExists(path));
    ASSERT_TRUE(fFileExists(path + ".broken"));
    EXPECT_EQ(fReadWholeFile(path + ".broken"), bytes);
  }
};

TEST_F(RecordsTest, MissingFilesGiveDefaultsAndWriteNothing) {
  fLoadOptionInfo();
  fLoadHighScore();
  ASSERT_NE(gOptionInfo, nullptr);
  EXPECT_EQ(gOptionInfo->padButtons, std::vector<int>(kOptionDefaultPadButtons.begin(), kOptionDefaultPadButtons.end()));
  EXPECT_EQ(fScoresOf(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(fListDirectory("dat").empty());
}

TEST_F(RecordsTest, DefaultSettingFileIsByteExact) {
  fLoadOptionInfo();
  fSaveOptionInfo();
  const std::string bytes = fReadWholeFile(kSettingFile);
  ASSERT_EQ(bytes.size(), 92u);
  EXPECT_EQ(bytes.substr(0, 48), fHex("00 17 00 00 00") + "C8GameMenu11COptionInfo" +
                                     fHex("0f 00 00 00 02 00 00 00 08 00 00 00 04 00 00 00 01 00 00 00"));
  EXPECT_EQ(bytes, kDefaultSetting);
}

TEST_F(RecordsTest, ScoreFileIsByteExact) {
  EXPECT_EQ(fScoreEntry(1234, 5, true),
            fHex("00 1a 00 00 00") + "C8GameMenu14CHighScoreInfo" + fHex("d2 04 00 00 05 00 00 00 01"));
  fLoadHighScore();
  gHighScores[1]->score = 1234;
  gHighScores[1]->maxRensa = 5;
  gHighScores[1]->isRegistered = true;
  fSaveHighScore();
  const std::string bytes = fReadWholeFile(kScoreFile);
  ASSERT_EQ(bytes.size(), 124u);
  EXPECT_EQ(bytes, fLe32(3) + fScoreEntry(0, 0, false) + fScoreEntry(1234, 5, true) + fScoreEntry(0, 0, false));
}

TEST_F(RecordsTest, RecordsSurviveSaveAndLoad) {
  fLoadOptionInfo();
  gOptionInfo->padButtons[0] = 0x400;
  gOptionInfo->padButtons[14] = 0x80000;
  fSaveOptionInfo();
  fLoadHighScore();
  gHighScores[0] = std::make_shared<CHighScoreInfo>(99900, 7, false);
  gHighScores[2] = std::make_shared<CHighScoreInfo>(-1, 2147483647, true);
  fSaveHighScore();

  gOptionInfo.reset();
  gHighScores.clear();
  fLoadOptionInfo();
  fLoadHighScore();
  EXPECT_EQ(gOptionInfo->padButtons[0], 0x400);
  EXPECT_EQ(gOptionInfo->padButtons[14], 0x80000);
  EXPECT_EQ(gOptionInfo->padButtons[8], 0x10);
  EXPECT_EQ(fScoresOf(), (std::vector<int>{99900, 7, 0, 0, 0, 0, -1, 2147483647, 1}));
}

TEST_F(RecordsTest, SavingTheOptionRecordReplacesALongerFile) {
  fWriteWholeFile(kSettingFile, kDefaultSetting + "trailing bytes of an older file");
  fLoadOptionInfo();
  fSaveOptionInfo();
  EXPECT_EQ(fReadWholeFile(kSettingFile), kDefaultSetting);
}

TEST_F(RecordsTest, UploadChangesOnlyTheRegisteredByte) {
  fLoadHighScore();
  gHighScores[1] = std::make_shared<CHighScoreInfo>(500, 3, false);
  fSaveHighScore();
  const std::string before = fReadWholeFile(kScoreFile);
  fLoadHighScore();
  gHighScores[1]->isRegistered = true;
  fSaveHighScore();
  std::string expected = before;
  expected[4 + 40 + 39] = 1;
  EXPECT_EQ(fReadWholeFile(kScoreFile), expected);
}

TEST_F(RecordsTest, LongerStoredTableKeepsItsLength) {
  fWriteWholeFile(kScoreFile, fLe32(4) + fScoreEntry(1, 1, false) + fScoreEntry(2, 2, false) +
                                  fScoreEntry(3, 3, true) + fScoreEntry(4, 4, false));
  fLoadHighScore();
  EXPECT_EQ(gHighScores.size(), 4u);
  EXPECT_EQ(gHighScores[3]->score, 4);
  EXPECT_FALSE(fFileExists(std::string(kScoreFile) + ".broken"));
}

TEST_F(RecordsTest, EntriesSharingOneObjectBecomeIndependent) {
  fWriteWholeFile(kScoreFile, fLe32(3) + fScoreEntry(70, 4, true) + fHex("01") + fLe32(0) + fHex("01") + fLe32(0));
  fLoadHighScore();
  EXPECT_EQ(fScoresOf(), (std::vector<int>{70, 4, 1, 70, 4, 1, 70, 4, 1}));
  gHighScores[0]->score = 80;
  EXPECT_EQ(gHighScores[1]->score, 70);
  EXPECT_EQ(gHighScores[2]->score, 70);
}

TEST_F(RecordsTest, DamagedScoreFilesGiveEmptyScoresAndAreKept) {
  const std::string good = fLe32(3) + fScoreEntry(10, 1, false) + fScoreEntry(20, 2, false) + fScoreEntry(30, 3, true);
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {"unknown tag", fLe32(3) + fHex("00") + fArchived("C8GameMenu10CScoreInfo") + fLe32(1) + fLe32(1) + fHex("00")},
      {"option record in its place", fLe32(3) + fHex("00") + fArchived(kOptionTag) + fLe32(0)},
      {"bad signal byte", fLe32(3) + fScoreEntry(10, 1, false) + fHex("07") + good.substr(45)},
      {"index not yet read", fLe32(3) + fHex("01") + fLe32(0) + fScoreEntry(20, 2, false)},
      {"index out of range", fLe32(3) + fScoreEntry(10, 1, false) + fHex("01") + fLe32(5) + fScoreEntry(30, 3, true)},
      {"ends inside an entry", good.substr(0, 100)},
      {"ends inside the count", good.substr(0, 2)},
      {"empty file", ""},
      {"absurd count", fLe32(-1) + good.substr(4)},
  };
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    fExpectSetAside(kScoreFile, bytes, [] { fLoadHighScore(); });
    EXPECT_EQ(fScoresOf(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    fDeleteFile(std::string(kScoreFile) + ".broken");
  }
}

TEST_F(RecordsTest, ShortScoreTableKeepsItsEntriesAndIsPadded) {
  const std::string bytes = fLe32(2) + fScoreEntry(10, 1, true) + fScoreEntry(20, 2, false);
  fExpectSetAside(kScoreFile, bytes, [] { fLoadHighScore(); });
  EXPECT_EQ(fScoresOf(), (std::vector<int>{10, 1, 1, 20, 2, 0, 0, 0, 0}));
  // The next save writes a whole table beside the kept file.
  fSaveHighScore();
  EXPECT_EQ(fFileSize(kScoreFile), 124u);
  EXPECT_EQ(fReadWholeFile(std::string(kScoreFile) + ".broken"), bytes);
}

TEST_F(RecordsTest, DamagedSettingFilesGiveDefaultButtonsAndAreKept) {
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {"unknown tag", fHex("00") + fArchived("C8GameMenu7COption") + fLe32(15) + kDefaultMasks},
      {"high score in its place", fScoreEntry(1, 1, false)},
      {"bad signal byte", fHex("02") + kDefaultSetting.substr(1)},
      {"index", fHex("01") + fLe32(0)},
      {"ends inside the masks", kDefaultSetting.substr(0, 60)},
      {"empty file", ""},
      {"absurd count", kDefaultSetting.substr(0, 28) + fLe32(1000000) + kDefaultMasks},
  };
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    fExpectSetAside(kSettingFile, bytes, [] { fLoadOptionInfo(); });
    ASSERT_NE(gOptionInfo, nullptr);
    EXPECT_EQ(gOptionInfo->padButtons,
              std::vector<int>(kOptionDefaultPadButtons.begin(), kOptionDefaultPadButtons.end()));
    fDeleteFile(std::string(kSettingFile) + ".broken");
  }
}

TEST_F(RecordsTest, FewerThanFifteenMasksKeepTheStoredOnes) {
  std::string masks;
  for (int i = 0; i < 10; ++i) masks += fLe32(0x1000 << i);
  const std::string bytes = fHex("00") + fArchived(kOptionTag) + fLe32(10) + masks;
  fExpectSetAside(kSettingFile, bytes, [] { fLoadOptionInfo(); });
  ASSERT_EQ(gOptionInfo->padButtons.size(), 15u);
  EXPECT_EQ(gOptionInfo->padButtons[0], 0x1000);
  EXPECT_EQ(gOptionInfo->padButtons[9], 0x1000 << 9);
  EXPECT_EQ(gOptionInfo->padButtons[10], 0x40);
  EXPECT_EQ(gOptionInfo->padButtons[14], 0x800);
}

TEST_F(RecordsTest, AnOlderKeptFileIsNeverReplaced) {
  fWriteWholeFile(std::string(kScoreFile) + ".broken", "older");
  fWriteWholeFile(kScoreFile, "newer");
  testing::internal::CaptureStderr();
  fLoadHighScore();
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("kept as dat/score.dat.broken.2"), std::string::npos) << told;
  EXPECT_EQ(fReadWholeFile(std::string(kScoreFile) + ".broken"), "older");
  EXPECT_EQ(fReadWholeFile(std::string(kScoreFile) + ".broken.2"), "newer");
}

TEST_F(RecordsTest, LoadingAgainReplacesTheTableWithFreshObjects) {
  fLoadHighScore();
  gHighScores[0]->score = 5;
  fSaveHighScore();
  const auto before = gHighScores[0];
  fLoadHighScore();
  fLoadOptionInfo();
  fLoadOptionInfo();
  EXPECT_NE(gHighScores[0], before);
  EXPECT_EQ(gHighScores[0]->score, 5);
}

TEST(OptionInfoTest, ButtonNamesFollowTheMaskBits) {
  COptionInfo option;
  for (int key = 0; key < 4; ++key) EXPECT_EQ(option.fGetButtonName(key), "Button?");
  EXPECT_EQ(option.fGetButtonName(8), "Button1");
  EXPECT_EQ(option.fGetButtonName(14), "Button8");
  option.padButtons[9] = 0x80000;
  EXPECT_EQ(option.fGetButtonName(9), "Button16");
  option.padButtons[10] = 0x30;
  EXPECT_EQ(option.fGetButtonName(10), "Button?");
  option.padButtons[11] = 0x100000;
  EXPECT_EQ(option.fGetButtonName(11), "Button?");
  option.padButtons[12] = 0;
  EXPECT_EQ(option.fGetButtonName(12), "Button?");
}

TEST(OptionInfoDeathTest, EntryOutsideTheTableIsAProgrammingError) {
  COptionInfo option;
  EXPECT_DEATH(option.fGetButtonName(15), "pad button entry out of range");
  EXPECT_DEATH(option.fGetButtonName(-1), "pad button entry out of range");
}

}  // namespace
