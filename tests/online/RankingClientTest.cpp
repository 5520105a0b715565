#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "online/FakeHttpServer.h"
#include "online/RankingClient.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "support/HeadlessTest.h"
#include "support/ReplayArchives.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

std::string fFixture(const std::string& name) { return fReadWholeFile(kFixtures + "/" + name); }

class RankingClientTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
    fRegisterHighScoreInfo();
    gHighScores.clear();
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(20600, 3, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(500, 1, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    fSaveHighScore();
    fWriteWholeFile("dat/replay_plimo/replay", fFixture("plimo_seed123.zip"));
  }
  void TearDown() override {
    gHighScores.clear();
    HeadlessTest::TearDown();
  }

  static std::string fTarget(const SRecordedRequest& request) {
    const std::size_t first = request.requestLine.find(' ');
    return request.requestLine.substr(first + 1, request.requestLine.rfind(' ') - first - 1);
  }
};

// ---- the wire ----

TEST_F(RankingClientTest, ARequestPostsTheBodyFileAsSentAndReturnsStatusAndBody) {
  CFakeHttpServer server(200, "hello\n");
  const SHttpResponse response =
      CCurlWrapper::fPostFile("http://" + server.fAddress() + "/x//y.cgi?A?b%26c?", "dat/replay_plimo/replay");
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(response.body, "hello\n");
  const auto requests = server.fRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "POST /x//y.cgi?A?b%26c? HTTP/1.1");
  EXPECT_EQ(requests[0].body, fFixture("plimo_seed123.zip"));
}

TEST_F(RankingClientTest, AMissingBodyFileIsAnEmptyBodyAndIsNotCreated) {
  CFakeHttpServer server(200, "ok");
  EXPECT_EQ(CCurlWrapper::fPostFile("http://" + server.fAddress() + "/", "a.txt").body, "ok");
  ASSERT_EQ(server.fRequests().size(), 1u);
  EXPECT_EQ(server.fRequests()[0].body, "");
  EXPECT_FALSE(fFileExists("a.txt"));
}

TEST_F(RankingClientTest, NothingListeningIsAConnectionFailure) {
  const SHttpResponse response = CCurlWrapper::fPostFile("http://" + CFakeHttpServer::fDeadAddress() + "/", "a.txt");
  EXPECT_FALSE(response.fIsConnected());
  EXPECT_EQ(response.status, 0);
  EXPECT_EQ(response.body, "");
  EXPECT_FALSE(fRequestRankingList(CFakeHttpServer::fDeadAddress(), 0).fIsListed());
}

TEST_F(RankingClientTest, TheListRequestAsksTheModesScript) {
  CFakeHttpServer server(200, "a?10?1?k?2024/01/01 00:00:00\n");
  const auto result = fRequestRankingList(server.fAddress(), 2);
  ASSERT_TRUE(result.fIsListed());
  EXPECT_EQ(result.entries[0].name, "a");
  EXPECT_EQ(fTarget(server.fRequests().at(0)), "/cgi-bin/plimoball100//ranking_wanpaku.cgi?GetRankingList?");
}

// ---- upload ----

TEST_F(RankingClientTest, AnAcceptedUploadMarksTheRecordRegisteredOnDisk) {
  const std::string before = fReadWholeFile("dat/score.dat");
  CFakeHttpServer server(200, "UploadSuccess?7");
  const SUploadResult result = fUploadRanking(server.fAddress(), 0, "a&b#%");
  EXPECT_TRUE(result.success);
  EXPECT_EQ(result.rank, 7);
  EXPECT_EQ(result.message, "ランキングデータの送信に成功しました\nあなたの順位は7位です");

  const auto requests = server.fRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(fTarget(requests[0]), "/cgi-bin/plimoball100//ranking_plimo.cgi?UploadRanking?a%26b%23%25?20600?3");
  EXPECT_EQ(requests[0].body, fFixture("plimo_seed123.zip"));

  // Saved and read back: only the registered flag of mode 0 changed.
  const std::string after = fReadWholeFile("dat/score.dat");
  ASSERT_EQ(after.size(), before.size());
  std::size_t differences = 0;
  for (std::size_t i = 0; i < after.size(); ++i) differences += after[i] != before[i];
  EXPECT_EQ(differences, 1u);
  ASSERT_EQ(gHighScores.size(), 3u);
  EXPECT_TRUE(gHighScores[0]->isRegistered);
  EXPECT_EQ(gHighScores[0]->score, 20600);
  EXPECT_FALSE(gHighScores[1]->isRegistered);
}

TEST_F(RankingClientTest, AnyOtherUploadAnswerIsAFailureThatChangesNothing) {
  const std::string before = fReadWholeFile("dat/score.dat");
  struct SCase {
    int status;
    const char* body;
  };
  for (const SCase& answer : {SCase{200, "UploadSuccess"}, SCase{200, "UploadSuccess?1?2"},
                              SCase{200, "UploadFailed?"}, SCase{200, "UploadFailed?\x01"}, SCase{200, ""},
                              SCase{500, "UploadFailed?bad name"}, SCase{500, "UploadSuccess?3"}}) {
    CFakeHttpServer server(answer.status, answer.body);
    const SUploadResult result = fUploadRanking(server.fAddress(), 0, "taro");
    EXPECT_FALSE(result.success) << answer.body;
    EXPECT_EQ(result.message, "ランキングサーバとの接続に失敗しました") << answer.body;
  }
  // A refusal says the server's reason, not that it could not be reached.
  CFakeHttpServer refusing(200, "UploadFailed?bad name\n");
  const SUploadResult refused = fUploadRanking(refusing.fAddress(), 0, "");
  EXPECT_FALSE(refused.success);
  EXPECT_EQ(refused.message, "ランキングサーバがスコアを受け付けませんでした\nbad name");
  EXPECT_FALSE(fUploadRanking(CFakeHttpServer::fDeadAddress(), 0, "taro").success);
  EXPECT_FALSE(gHighScores[0]->isRegistered);
  EXPECT_EQ(fReadWholeFile("dat/score.dat"), before);
}

TEST_F(RankingClientTest, AnUploadWithoutItsReplayIsNotSent) {
  CFakeHttpServer server(200, "UploadSuccess?1");
  const SUploadResult result = fUploadRanking(server.fAddress(), 1, "taro");
  EXPECT_FALSE(result.success);
  EXPECT_EQ(result.message, "リプレイファイルが見つかりません") << "the reason, not a failed connection";
  EXPECT_TRUE(server.fRequests().empty());
  EXPECT_FALSE(gHighScores[1]->isRegistered);
}

// ---- replay keys ----

TEST(RankingReplayKeyTest, OnlyAPlainFileNameBecomesAPath) {
  EXPECT_TRUE(fIsSafeReplayKey("00002a3f9c01b2d4"));
  EXPECT_TRUE(fIsSafeReplayKey("a.zip"));
  EXPECT_TRUE(fIsSafeReplayKey(std::string(64, 'k')));
  for (const std::string& key : {std::string(), std::string(65, 'k'), std::string("../score.dat"), std::string("a/b"),
                                std::string("a\\b"), std::string(".hidden"), std::string("."), std::string("a..b"),
                                std::string("a\nb"), std::string("a\tb"), std::string("a\x7f"), std::string("a\0b", 3),
                                std::string("/etc/passwd")}) {
    EXPECT_FALSE(fIsSafeReplayKey(key)) << key;
    EXPECT_FALSE(fDownloadedReplayPath(0, key).has_value()) << key;
  }
  EXPECT_EQ(fDownloadedReplayPath(1, "k1"), "dat/downloaded_replay_yoiko/k1");
}

// ---- download ----

TEST_F(RankingClientTest, AValidDownloadIsStoredAndOfferedForPlayback) {
  const std::string archive = fFixture("plimo_seed123.zip");
  CFakeHttpServer server(200, archive);
  EXPECT_FALSE(fStoredDownloadedReplay(0, "k1").has_value());
  const SDownloadResult result = fDownloadReplay(server.fAddress(), 0, "k1");
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.replay.mode, SReplayInfo::EMode::Replay);
  EXPECT_EQ(result.replay.path, "dat/downloaded_replay_plimo/k1");
  EXPECT_FALSE(result.replay.isDebug);
  EXPECT_EQ(fReadWholeFile("dat/downloaded_replay_plimo/k1"), archive);
  EXPECT_EQ(fTarget(server.fRequests().at(0)), "/cgi-bin/plimoball100//ranking_plimo.cgi?DownloadReplay?k1");

  // The second time the stored file plays without a request.
  const auto stored = fStoredDownloadedReplay(0, "k1");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->path, result.replay.path);
}

TEST_F(RankingClientTest, AFailedOrForeignDownloadWritesNothing) {
  const std::string plimo = fFixture("plimo_seed123.zip");
  const auto members = CArchiver::fReadMembersFromBytes(plimo, "fixture");
  // The right members and one more; and a debug save instead of a replay.
  std::vector<SArchiveMember> extra = members;
  extra.push_back({"dat/replay_plimo/other.dat", "x"});
  std::vector<SArchiveMember> debug;
  for (const auto& member : members) {
    const std::string file = member.mName.substr(member.mName.rfind('/') + 1);
    debug.push_back({"dat/replay_plimo/debug_" + file, member.mBytes});
  }
  struct SCase {
    const char* what;
    int status;
    std::string body;
  };
  const std::vector<SCase> cases = {
      {"404 with an archive", 404, plimo},
      {"500", 500, ""},
      {"empty", 200, ""},
      {"not a zip", 200, "ranking server error"},
      {"another mode", 200, fFixture("yoiko_seed456.zip")},
      {"extra member", 200, CArchiver::fPack(extra)},
      {"debug members", 200, CArchiver::fPack(debug)},
      {"one member", 200, CArchiver::fPack({members[0]})},
  };
  for (const SCase& answer : cases) {
    CFakeHttpServer server(answer.status, answer.body);
    const SDownloadResult result = fDownloadReplay(server.fAddress(), 0, "k1");
    EXPECT_FALSE(result.success) << answer.what;
    EXPECT_EQ(result.message, "ランキングサーバとの接続に失敗しました") << answer.what;
    EXPECT_EQ(fListDirectory("dat/downloaded_replay_plimo").size(), 0u) << answer.what;
  }
  // Archives that name the right members but fail the whole check.
  for (const auto& [fault, bytes] : replay_archives::fBadArchives("plimo")) {
    CFakeHttpServer server(200, bytes);
    EXPECT_FALSE(fDownloadReplay(server.fAddress(), 0, "k1").success) << fault;
    EXPECT_EQ(fListDirectory("dat/downloaded_replay_plimo").size(), 0u) << fault;
  }
  EXPECT_FALSE(fDownloadReplay(CFakeHttpServer::fDeadAddress(), 0, "k1").success);
  EXPECT_EQ(fListDirectory("dat/downloaded_replay_plimo").size(), 0u);
}

TEST_F(RankingClientTest, AnUnsafeKeyIsNeverRequestedNorWritten) {
  CFakeHttpServer server(200, fFixture("plimo_seed123.zip"));
  EXPECT_FALSE(fDownloadReplay(server.fAddress(), 0, "../replay_plimo/replay").success);
  EXPECT_FALSE(fDownloadReplay(server.fAddress(), 0, "").success);
  EXPECT_TRUE(server.fRequests().empty());
  EXPECT_FALSE(fStoredDownloadedReplay(0, "../replay_plimo/replay").has_value());
}

}  // namespace
