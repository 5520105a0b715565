#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "gamelib/FileSystem.h"
#include "online/RankingClient.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "server/RankingServerHarness.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

std::string fFixture(const std::string& name) { return fReadWholeFile(kFixtures + "/" + name); }

class RankingServerTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
    fRegisterHighScoreInfo();
    gHighScores.clear();
    // The fixture games: plimo seed 123 scored 20600 with chain 3, yoiko
    // seed 456 12800 with chain 2.
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(20600, 3, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(12800, 2, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    fSaveHighScore();
    fWriteWholeFile("dat/replay_plimo/replay", fFixture("plimo_seed123.zip"));
    fWriteWholeFile("dat/replay_yoiko/replay", fFixture("yoiko_seed456.zip"));
    mDatabasePath = fTestStoreLocation(GetParam());
  }
  void TearDown() override {
    gHighScores.clear();
    HeadlessTest::TearDown();
  }

  // The answer body of an upload made with raw values.
  static std::string fUploadAnswer(const CRunningRankingServer& server, const std::string& mode,
                                   const std::string& arguments, const std::string& body) {
    return CCurlWrapper::fPostBytes(server.fScriptUrl(mode) + "UploadRanking?" + arguments, body).body;
  }

  std::string mDatabasePath;
};

// A stored entry without a playable game, for list tests that need many.
SNewRankingEntry fEntry(const std::string& mode, const std::string& name, int score, int maxRensa,
                        const std::string& date) {
  SNewRankingEntry entry;
  entry.mode = mode;
  entry.name = name;
  entry.score = score;
  entry.maxRensa = maxRensa;
  entry.date = date;
  entry.archive = mode + name + date;
  entry.archiveHash = fSha256Hex(entry.archive);
  return entry;
}

TEST_P(RankingServerTest, AReplayGoesUpIsListedComesBackByteForByteAndSurvivesARestart) {
  const std::string archive = fFixture("plimo_seed123.zip");
  std::string key;
  {
    CRunningRankingServer server(mDatabasePath);
    // An empty ranking is an empty answer: no data, not a failed connection.
    const SHttpResponse empty = CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body, "");
    EXPECT_EQ(fRequestRankingList(server.fAddress(), 0).outcome, SRankingListResult::EOutcome::NoData);

    const SUploadResult upload = fUploadRanking(server.fAddress(), 0, "taro");
    EXPECT_TRUE(upload.success) << upload.message;
    EXPECT_EQ(upload.rank, 1);
    EXPECT_TRUE(gHighScores[0]->isRegistered);

    const SHttpResponse list = CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(list.body, match, std::regex("taro\\?20600\\?3\\?([0-9a-f]{16})\\?2024/05/06 07:08:09\n")))
        << list.body;
    key = match[1];
    // Other modes' lists are their own.
    EXPECT_EQ(CCurlWrapper::fPostFile(server.fScriptUrl("yoiko") + "GetRankingList?", "a.txt").body, "");

    // The same archive again, even under another name, is refused.
    EXPECT_EQ(fUploadAnswer(server, "plimo", "jiro?20600?3", archive), "UploadFailed?replay already registered");
  }

  CRunningRankingServer restarted(mDatabasePath);
  const auto list = fRequestRankingList(restarted.fAddress(), 0);
  ASSERT_TRUE(list.fIsListed());
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].name, "taro");
  EXPECT_EQ(list.entries[0].replayName, key);

  const SDownloadResult download = fDownloadReplay(restarted.fAddress(), 0, key);
  ASSERT_TRUE(download.success);
  EXPECT_EQ(fReadWholeFile(download.replay.path), archive);

  // Unknown keys, and a key asked of another mode's script, are not found.
  EXPECT_EQ(CCurlWrapper::fPostFile(restarted.fScriptUrl("plimo") + "DownloadReplay?0000000000000000", "a.txt").status, 404);
  EXPECT_EQ(CCurlWrapper::fPostFile(restarted.fScriptUrl("yoiko") + "DownloadReplay?" + key, "a.txt").status, 404);
  EXPECT_FALSE(fDownloadReplay(restarted.fAddress(), 1, key).success);
}

TEST_P(RankingServerTest, AScoreOrChainTheReplayDoesNotReachIsRefused) {
  CRunningRankingServer server(mDatabasePath);
  const std::string archive = fFixture("plimo_seed123.zip");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20700?3", archive), "UploadFailed?score does not match replay");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600?4", archive), "UploadFailed?score does not match replay");
  EXPECT_EQ(CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body, "");
}

TEST_P(RankingServerTest, OnlyAFinishedGameOfTheScriptsModeIsChecked) {
  CRunningRankingServer server(mDatabasePath);
  const std::string plimo = fFixture("plimo_seed123.zip");
  EXPECT_EQ(fUploadAnswer(server, "yoiko", "taro?20600?3", plimo), "UploadFailed?not a replay of this mode");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600?3", "PK\x03\x04 not really"), "UploadFailed?not a replay of this mode");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600?3", ""), "UploadFailed?no replay");

  // The first half of the game: it never reached its end and confirmation.
  auto members = CArchiver::fReadMembersFromBytes(plimo, "fixture");
  for (auto& member : members) {
    if (member.mName == "dat/replay_plimo/replay_key.dat") member.mBytes.resize(member.mBytes.size() / 2 / 112 * 112);
  }
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?0?0", CArchiver::fPack(members)), "UploadFailed?game not finished");
}

TEST_P(RankingServerTest, BadNamesAndNumbersAreRefusedBeforeAnyCheck) {
  CRunningRankingServer server(mDatabasePath);
  const std::string archive = fFixture("plimo_seed123.zip");
  for (const char* name : {"", "123456789", "a%20b", "a%3Fb", "a%09b", "%E3%81%82", "a%7Fb"}) {
    EXPECT_EQ(fUploadAnswer(server, "plimo", std::string(name) + "?20600?3", archive), "UploadFailed?bad name") << name;
  }
  // A broken escape is not a request at all.
  EXPECT_EQ(CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?a%2?1?1", archive).status, 400);
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?-1?3", archive), "UploadFailed?bad score");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600?x", archive), "UploadFailed?bad score");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?99999999999?3", archive), "UploadFailed?bad score");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600", archive), "UploadFailed?bad request");
  EXPECT_EQ(fUploadAnswer(server, "plimo", "taro?20600?3?9", archive), "UploadFailed?bad request");
  EXPECT_EQ(CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body, "");
}

TEST_P(RankingServerTest, AnOddNameRoundTripsThroughUploadAndList) {
  CRunningRankingServer server(mDatabasePath);
  const SUploadResult upload = fUploadRanking(server.fAddress(), 1, "a&b#%");
  ASSERT_TRUE(upload.success) << upload.message;
  const auto list = fRequestRankingList(server.fAddress(), 1);
  ASSERT_TRUE(list.fIsListed());
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].name, "a&b#%");
  EXPECT_EQ(list.entries[0].score, 12800);
  EXPECT_EQ(list.entries[0].maxRensa, 2);
}

TEST_P(RankingServerTest, TheListIsBestFirstWithTiesInRegistrationOrder) {
  CRunningRankingServer server(mDatabasePath);
  IRankingStore& database = server.fDatabase();
  EXPECT_EQ(database.fAdd(fEntry("plimo", "first500", 500, 1, "2024/01/01 00:00:00"))->rank, 1);
  EXPECT_EQ(database.fAdd(fEntry("plimo", "best", 900, 4, "2024/01/02 00:00:00"))->rank, 1);
  // Places in the list: the earlier equal score first.
  EXPECT_EQ(database.fAdd(fEntry("plimo", "second500", 500, 2, "2024/01/03 00:00:00"))->rank, 3);
  EXPECT_EQ(database.fAdd(fEntry("plimo", "mid", 700, 3, "2024/01/04 00:00:00"))->rank, 2);
  database.fAdd(fEntry("wanpaku", "other", 99999, 9, "2024/01/05 00:00:00"));
  EXPECT_FALSE(database.fAdd(fEntry("plimo", "mid", 700, 3, "2024/01/04 00:00:00")).has_value());

  const std::string body = CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body;
  EXPECT_TRUE(std::regex_match(body, std::regex("best\\?900\\?4\\?[0-9a-f]{16}\\?2024/01/02 00:00:00\n"
                                                "mid\\?700\\?3\\?[0-9a-f]{16}\\?2024/01/04 00:00:00\n"
                                                "first500\\?500\\?1\\?[0-9a-f]{16}\\?2024/01/01 00:00:00\n"
                                                "second500\\?500\\?2\\?[0-9a-f]{16}\\?2024/01/03 00:00:00\n")))
      << body;
  const auto list = fRequestRankingList(server.fAddress(), 0);
  ASSERT_EQ(list.entries.size(), 4u);
  std::set<std::string> keys;
  for (const auto& entry : list.entries) keys.insert(entry.replayName);
  EXPECT_EQ(keys.size(), 4u);
}

// Limits that hold under abuse: the game's list holds the mode's best
// --list-limit entries only, and an address that uploads too often is
// refused with the protocol's failure answer (and a log line) before any
// check; another address is not.
TEST_P(RankingServerTest, TheListIsCutToItsLimitAndUploadsAreRateLimitedPerAddress) {
  SHarnessOptions options;
  options.listLimit = 3;
  options.limits.uploadsPerMinute = 2;
  std::vector<std::string> lines;
  options.log = [&lines](const std::string& line) { lines.push_back(line); };
  {
  CRunningRankingServer server(mDatabasePath, std::move(options));
  for (int i = 1; i <= 5; ++i) {
    server.fDatabase().fAdd(fEntry("plimo", "e" + std::to_string(i), 100 * i, i, "2024/01/01 00:00:00"));
  }
  const std::string list = CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body;
  EXPECT_EQ(fSplitFields(list, '\n').size(), 4u) << list;  // three lines and the empty field after the last
  EXPECT_EQ(list.rfind("e5?500?", 0), 0u) << "the best first";
  EXPECT_EQ(list.find("e2?"), std::string::npos) << "beyond the limit";

  // Two uploads go to the check (refused there: these scores are not the
  // game's); the third is refused before it.
  const std::string archive = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
  for (int i = 0; i < 3; ++i) {
    const std::string answer =
        CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?r" + std::to_string(i) + "?1?1", archive).body;
    if (i < 2) {
      EXPECT_NE(answer, "UploadFailed?too many uploads") << i;
    } else {
      EXPECT_EQ(answer, "UploadFailed?too many uploads");
    }
  }
  }  // the server stops: its log is complete
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("upload rate"), std::string::npos) << lines.back();
}

TEST_P(RankingServerTest, RequestsTheGameNeverSendsAreAnsweredSafely) {
  CRunningRankingServer server(mDatabasePath);
  const std::string base = "http://" + server.fAddress();
  EXPECT_EQ(CCurlWrapper::fPostFile(base + "/cgi-bin/plimoball100//ranking_other.cgi?GetRankingList?", "a.txt").status, 404);
  EXPECT_EQ(CCurlWrapper::fPostFile(base + "/index.html", "a.txt").status, 404);
  EXPECT_EQ(CCurlWrapper::fPostFile(server.fScriptUrl("plimo") + "Nothing?", "a.txt").status, 400);
  EXPECT_EQ(CCurlWrapper::fPostFile(base + "/cgi-bin/plimoball100//ranking_plimo.cgi", "a.txt").status, 400);
  // One "/" before the script works as well as the game's two.
  EXPECT_EQ(CCurlWrapper::fPostFile(base + "/cgi-bin/plimoball100/ranking_plimo.cgi?GetRankingList?", "a.txt").status, 200);

  // Bodies over 4 MiB are refused before they are read.
  const SHttpResponse large = CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?taro?1?1",
                                                       std::string(4 * 1024 * 1024 + 1, 'x'));
  EXPECT_EQ(large.status, 413);

  // A form-typed body (what curl's --data-binary sends) larger than a form
  // is still read as the archive it is.
  const std::string body(10000, 'x');
  const std::string answer = fRawHttpExchange(
      server.fPort(), "POST /cgi-bin/plimoball100//ranking_plimo.cgi?UploadRanking?taro?1?1 HTTP/1.1\r\nHost: x\r\n"
                      "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_NE(answer.find("200"), std::string::npos) << answer.substr(0, 200);
  EXPECT_NE(answer.find("UploadFailed?not a replay of this mode"), std::string::npos);
  // A POST without a length has an empty body; it does not wait for more.
  const std::string unsized = fRawHttpExchange(
      server.fPort(), "POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList? HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(unsized.substr(0, 12), "HTTP/1.1 200") << unsized;
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "garbage\r\n\r\n").substr(0, 12), "HTTP/1.1 400");
}

// Every protocol test runs against both stores.
INSTANTIATE_TEST_SUITE_P(Stores, RankingServerTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
