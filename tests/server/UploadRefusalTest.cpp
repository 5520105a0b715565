// What the player is told when the real ranking server refuses a score:
// the server's own reason (a bad name, a score its replay does not reach, a
// replay sent before, too many uploads), in the player's language, never
// that the server could not be reached; and the record stays unsent.
#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "online/RankingClient.h"
#include "persist/Records.h"
#include "server/RankingServerHarness.h"
#include "support/HeadlessTest.h"
#include "text/Texts.h"

namespace {

class UploadRefusalTest : public HeadlessTest, public ::testing::WithParamInterface<ELanguage> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
    fRegisterHighScoreInfo();
    gHighScores.clear();
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(20600, 3, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    fSaveHighScore();
    fWriteWholeFile("dat/replay_plimo/replay",
                    fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
    fSetLanguage(GetParam());
  }
  void TearDown() override {
    fSetLanguage(ELanguage::Japanese);
    gHighScores.clear();
    HeadlessTest::TearDown();
  }

  static std::string fRefusal(const char* reason) {
    return fFormatText(ETextId::RankingUploadRefusedFormat, reason);
  }
};

TEST_P(UploadRefusalTest, TheServersReasonIsShownNotAFailedConnection) {
  SHarnessOptions options;
  options.limits.uploadsPerMinute = 4;
  CRunningRankingServer server(fCurrentDirectory() + "/ranking.sqlite", std::move(options));
  const std::string address = server.fAddress();
  const std::string unreachable = fText(ETextId::RankingConnectionFailed);

  // An empty name, as the name entry sends when nothing was typed.
  SUploadResult result = fUploadRanking(address, 0, "");
  EXPECT_EQ(result.message, fRefusal("bad name"));
  EXPECT_NE(result.message, unreachable);

  // A score the replay does not reach.
  gHighScores[0]->score = 20700;
  result = fUploadRanking(address, 0, "neko");
  EXPECT_EQ(result.message, fRefusal("score does not match replay"));
  EXPECT_FALSE(result.success);
  EXPECT_FALSE(gHighScores[0]->isRegistered);

  gHighScores[0]->score = 20600;
  result = fUploadRanking(address, 0, "neko");
  ASSERT_TRUE(result.success) << result.message;
  EXPECT_EQ(result.message, fFormatText(ETextId::RankingUploadSuccessFormat, 1));

  // The same game again, under another name.
  gHighScores[0]->isRegistered = false;
  result = fUploadRanking(address, 0, "inu");
  EXPECT_EQ(result.message, fRefusal("replay already registered"));

  // The fifth upload within the minute.
  result = fUploadRanking(address, 0, "inu");
  EXPECT_EQ(result.message, fRefusal("too many uploads"));
  EXPECT_FALSE(result.success);

  // Nothing answers here at all: that alone is a failed connection.
  EXPECT_EQ(fUploadRanking("127.0.0.1:1", 0, "neko").message, unreachable);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, UploadRefusalTest, ::testing::Values(ELanguage::Japanese, ELanguage::English),
                         [](const auto& info) { return info.param == ELanguage::English ? "English" : "Japanese"; });

}  // namespace
