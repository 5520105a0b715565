// The daily challenge's requests: what is sent, and how every answer the
// server (or something else on its port) may give is read.
#include <gtest/gtest.h>

#include "gamelib/FileSystem.h"
#include "online/DailyClient.h"
#include "online/FakeHttpServer.h"
#include "persist/CArchiver.h"
#include "support/HeadlessTest.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"

namespace {

using replay_archives::fFixture;

std::string fTarget(const SRecordedRequest& request) {
  const std::size_t first = request.requestLine.find(' ');
  return request.requestLine.substr(first + 1, request.requestLine.rfind(' ') - first - 1);
}

class DailyClientTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fMakeDataFolders();
  }
};

// ---- the day ----

TEST(DailyAnswerTest, TheDayReadsWithOrWithoutItsLineEnd) {
  for (const std::string body : {"2026-12-08?1234567?22?987654321?43200\n", "2026-12-08?1234567?22?987654321?43200",
                                 "2026-12-08?1234567?22?987654321?43200\r\n"}) {
    const auto day = fParseDailyAnswer(body);
    ASSERT_TRUE(day.has_value()) << body;
    EXPECT_EQ(day->date, "2026-12-08");
    EXPECT_EQ(day->seeds, (std::array<std::int32_t, 3>{1234567, 22, 987654321}));
    EXPECT_EQ(day->secondsLeft, 43200);
  }
  // The ends of every range.
  const auto edges = fParseDailyAnswer("2024-02-29?0?2147483647?0?86400\n");
  ASSERT_TRUE(edges.has_value());
  EXPECT_EQ(edges->seeds[1], 2147483647);
  EXPECT_EQ(edges->secondsLeft, 86400);
  EXPECT_TRUE(fParseDailyAnswer("2026-12-08?1?2?3?0").has_value());
}

TEST(DailyAnswerTest, ADamagedDayIsNoDay) {
  for (const std::string& body : std::vector<std::string>{
           "", "\n", "<html>503</html>", "2026-12-08?1?2?3", "2026-12-08?1?2?3?4?5", "2026-12-08?1?2?3?4\n\n",
        "2026-12-08?1?2?3?4\nmore", "2026-12-08?-1?2?3?4", "2026-12-08?+1?2?3?4", "2026-12-08?2147483648?2?3?4",
        "2026-12-08?99999999999?2?3?4", "2026-12-08? 1?2?3?4", "2026-12-08?1?2?3?86401", "2026-12-08?1?2?3?-5",
        "2026-12-08?1?2?3?", "2026-12-08?1??3?4", "2026-12-8?1?2?3?4", "2026/12/08?1?2?3?4", "2026-13-01?1?2?3?4",
        "2026-02-29?1?2?3?4", "2100-02-29?1?2?3?4", "2026-04-31?1?2?3?4", "2026-00-10?1?2?3?4", "2026-01-00?1?2?3?4",
           "UploadFailed?bad request", std::string("2026-12-08?1\0?2?3?4", 19)}) {
    EXPECT_FALSE(fParseDailyAnswer(body).has_value()) << body;
  }
}

TEST(DailyAnswerTest, OnlyRealCalendarDaysAreDays) {
  EXPECT_TRUE(fIsDailyDate("2000-02-29"));
  EXPECT_TRUE(fIsDailyDate("2026-12-31"));
  EXPECT_FALSE(fIsDailyDate("1900-02-29"));
  EXPECT_FALSE(fIsDailyDate("2026-12-32"));
  EXPECT_FALSE(fIsDailyDate("2026-12-08 "));
  EXPECT_FALSE(fIsDailyDate("../12-08-aa"));
  EXPECT_FALSE(fIsDailyDate(""));
}

TEST_F(DailyClientTest, TheDayIsAskedOfTheFirstModesScript) {
  CFakeHttpServer server(200, "2026-12-08?5?6?7?100\n");
  const SDailyResult result = fRequestDaily(server.fAddress());
  ASSERT_TRUE(result.info.has_value());
  EXPECT_TRUE(result.message.empty());
  EXPECT_EQ(result.info->seeds[2], 7);
  ASSERT_EQ(server.fRequests().size(), 1u);
  EXPECT_EQ(fTarget(server.fRequests()[0]), "/cgi-bin/plimoball100//ranking_plimo.cgi?GetDaily?");
  EXPECT_EQ(server.fRequests()[0].body, "");
}

TEST_F(DailyClientTest, NoServerAFailedOneOrAnUnreadableAnswerIsOneLineAndNoDay) {
  const std::string noServer = fText(ETextId::DailyNoServer);
  const std::string unreadable = fText(ETextId::DailyBadAnswer);
  EXPECT_EQ(fRequestDaily("").message, noServer);
  EXPECT_EQ(fRequestDaily(CFakeHttpServer::fDeadAddress()).message, noServer);
  CFakeHttpServer failing(500, "2026-12-08?5?6?7?100\n");
  EXPECT_FALSE(fRequestDaily(failing.fAddress()).info.has_value());
  EXPECT_EQ(fRequestDaily(failing.fAddress()).message, noServer);
  CFakeHttpServer old(200, "");  // a server without the daily challenge
  EXPECT_FALSE(fRequestDaily(old.fAddress()).info.has_value());
  EXPECT_EQ(fRequestDaily(old.fAddress()).message, unreadable);
  for (const std::string& message : {noServer, unreadable}) EXPECT_EQ(message.find('\n'), std::string::npos);
}

// ---- a day's list ----

TEST_F(DailyClientTest, ADaysListIsBestFirstWithSharedRanksAndAnEmptyDayIsAList) {
  CFakeHttpServer server(200, "b?300?2?k2?2026/12/08 10:00:00\nbad line\na?500?3?k1?2026/12/08 09:00:00\n"
                              "c?300?1?k3?2026/12/08 11:00:00\nd?x?1?k4?2026/12/08 11:00:00\n");
  const SDailyListResult list = fRequestDailyList(server.fAddress(), 1, "2026-12-08");
  ASSERT_TRUE(list.ok);
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].name, "a");
  EXPECT_EQ(list.entries[0].rank, 1);
  EXPECT_EQ(list.entries[1].rank, 2);
  EXPECT_EQ(list.entries[2].rank, 2);
  EXPECT_EQ(fTarget(server.fRequests().at(0)), "/cgi-bin/plimoball100//ranking_yoiko.cgi?GetDailyList?2026-12-08");

  CFakeHttpServer empty(200, "");
  const SDailyListResult none = fRequestDailyList(empty.fAddress(), 0, "2026-12-08");
  EXPECT_TRUE(none.ok);
  EXPECT_TRUE(none.entries.empty());
}

TEST_F(DailyClientTest, ANonListOrFailedAnswerIsNoListAndABadDayIsNeverAsked) {
  for (const auto& [status, body] : std::vector<std::pair<int, std::string>>{
           {200, "<html>oops</html>"}, {200, "a?1?2?3\n"}, {200, "\n\n"}, {404, ""}, {500, "a?1?2?k?d\n"}}) {
    CFakeHttpServer server(status, body);
    const SDailyListResult list = fRequestDailyList(server.fAddress(), 0, "2026-12-08");
    EXPECT_FALSE(list.ok) << status << " " << body;
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.message, fText(ETextId::DailyListFailed));
  }
  EXPECT_FALSE(fRequestDailyList(CFakeHttpServer::fDeadAddress(), 0, "2026-12-08").ok);
  CFakeHttpServer server(200, "a?1?2?k?d\n");
  EXPECT_FALSE(fRequestDailyList(server.fAddress(), 0, "2026-12-08?GetRankingList").ok);
  EXPECT_TRUE(server.fRequests().empty());
}

// ---- sending ----

TEST_F(DailyClientTest, ASentGameCarriesItsNumbersAndDayAndAnswersItsRank) {
  const std::string archive = fFixture("plimo_seed123.zip");
  fWriteWholeFile("dat/replay_plimo/daily_2026-12-08", archive);
  CFakeHttpServer server(200, "UploadSuccess?4");
  const SUploadResult result =
      fUploadDaily(server.fAddress(), 0, "a b?", 20600, 3, "2026-12-08", "dat/replay_plimo/daily_2026-12-08");
  EXPECT_TRUE(result.success);
  EXPECT_EQ(result.rank, 4);
  EXPECT_EQ(result.message, fFormatText(ETextId::DailyUploadSuccessFormat, 4));
  ASSERT_EQ(server.fRequests().size(), 1u);
  EXPECT_EQ(fTarget(server.fRequests()[0]),
            "/cgi-bin/plimoball100//ranking_plimo.cgi?UploadDaily?a%20b%3F?20600?3?2026-12-08");
  EXPECT_EQ(server.fRequests()[0].body, archive);
}

TEST_F(DailyClientTest, EveryRefusalSaysWhyAndAnythingElseIsAFailedConnection) {
  fWriteWholeFile("dat/game", fFixture("plimo_seed123.zip"));
  struct SCase {
    int status;
    std::string body;
    std::string message;
  };
  const std::string failed = fText(ETextId::RankingConnectionFailed);
  const std::vector<SCase> cases = {
      {200, "UploadFailed?wrong seed", fDailyRefusalText("wrong seed")},
      {200, "UploadFailed?day is over\n", fDailyRefusalText("day is over")},
      {200, "UploadFailed?bad date", fDailyRefusalText("bad date")},
      {200, "UploadFailed?not better than your best today", fDailyRefusalText("not better than your best today")},
      {200, "UploadFailed?replay already registered",
       fFormatText(ETextId::DailyUploadRefusedFormat, "replay already registered")},
      {200, "UploadSuccess", failed},
      {200, "UploadSuccess?0", failed},
      {200, "UploadSuccess?-3", failed},
      {200, "UploadSuccess?2?3", failed},
      {200, "UploadFailed?", failed},
      {200, "UploadFailed?\x01", failed},
      {200, "", failed},
      {200, "2026-12-08?1?2?3?4", failed},
      {500, "UploadSuccess?1", failed},
      {404, "UploadFailed?wrong seed", failed},
  };
  for (const SCase& answer : cases) {
    CFakeHttpServer server(answer.status, answer.body);
    const SUploadResult result = fUploadDaily(server.fAddress(), 0, "taro", 1, 1, "2026-12-08", "dat/game");
    EXPECT_FALSE(result.success) << answer.body;
    EXPECT_EQ(result.message, answer.message) << answer.body;
    EXPECT_EQ(result.message.find("\n\n"), std::string::npos);
  }
  // The known reasons read in the player's language, not as sent.
  EXPECT_EQ(fDailyRefusalText("wrong seed"),
            fFormatText(ETextId::DailyUploadRefusedFormat, fText(ETextId::DailyReasonWrongSeed)));
  EXPECT_FALSE(fUploadDaily(CFakeHttpServer::fDeadAddress(), 0, "taro", 1, 1, "2026-12-08", "dat/game").success);
  // The game stays where it was, to be sent again.
  EXPECT_TRUE(fFileExists("dat/game"));
}

TEST_F(DailyClientTest, NothingIsSentWithoutTheGameOrWithABadDay) {
  CFakeHttpServer server(200, "UploadSuccess?1");
  const SUploadResult missing = fUploadDaily(server.fAddress(), 0, "taro", 1, 1, "2026-12-08", "dat/none");
  EXPECT_FALSE(missing.success);
  EXPECT_EQ(missing.message, fText(ETextId::NoReplay));
  fWriteWholeFile("dat/game", fFixture("plimo_seed123.zip"));
  EXPECT_FALSE(fUploadDaily(server.fAddress(), 0, "taro", 1, 1, "2026-12-8", "dat/game").success);
  EXPECT_FALSE(fUploadDaily("", 0, "taro", 1, 1, "2026-12-08", "dat/game").success);
  EXPECT_TRUE(server.fRequests().empty());
}

// ---- downloads ----

TEST_F(DailyClientTest, ADailyReplayIsStoredApartFromTheRankingsDownloads) {
  const std::string archive = fFixture("yoiko_seed456.zip");
  CFakeHttpServer server(200, archive);
  const SDownloadResult result = fDownloadDaily(server.fAddress(), 1, "2026-12-08", "k1");
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.replay.path, "dat/downloaded_replay_yoiko/daily_2026-12-08_k1");
  EXPECT_EQ(result.replay.mode, SReplayInfo::EMode::Replay);
  EXPECT_EQ(fReadWholeFile(result.replay.path), archive);
  EXPECT_FALSE(fFileExists("dat/downloaded_replay_yoiko/k1"));
  EXPECT_EQ(fTarget(server.fRequests().at(0)), "/cgi-bin/plimoball100//ranking_yoiko.cgi?DownloadDaily?2026-12-08?k1");
}

TEST_F(DailyClientTest, AFailedForeignOrUnsafeDownloadWritesNothing) {
  for (const auto& [status, body] : std::vector<std::pair<int, std::string>>{
           {404, fFixture("plimo_seed123.zip")}, {200, ""}, {200, "not a zip"}, {200, fFixture("wanpaku_seed789.zip")}}) {
    CFakeHttpServer server(status, body);
    EXPECT_FALSE(fDownloadDaily(server.fAddress(), 0, "2026-12-08", "k1").success) << status;
  }
  CFakeHttpServer server(200, fFixture("plimo_seed123.zip"));
  EXPECT_FALSE(fDownloadDaily(server.fAddress(), 0, "2026-12-08", "../score.dat").success);
  EXPECT_FALSE(fDownloadDaily(server.fAddress(), 0, "../../x", "k1").success);
  EXPECT_TRUE(server.fRequests().empty());
  EXPECT_TRUE(fListDirectory("dat/downloaded_replay_plimo").empty());
}

}  // namespace
