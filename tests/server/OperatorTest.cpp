// What an operator has: /metrics in the Prometheus text format, as
// Prometheus's own checker reads it, and the admin command that takes an
// entry out of the ranking and puts it back, seen by a running server at
// once.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <thread>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "server/IRankingStore.h"
#include "server/RankingServerHarness.h"
#include "server/ServerProgram.h"
#include "server/Sha256.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"
#include "support/RunCommand.h"

namespace {

constexpr const char* kPromtool = "/usr/bin/promtool";

// GET on a fresh connection: the status and the body.
std::pair<int, std::string> fGet(int port, const std::string& path) {
  const std::string answer =
      fRawHttpExchange(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  const std::size_t end = answer.find("\r\n\r\n");
  if (answer.size() < 12 || end == std::string::npos) return {0, answer};
  return {std::stoi(answer.substr(9, 3)), answer.substr(end + 4)};
}

class OperatorTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {};
class OperatorToolsTest : public HeadlessTest {};

TEST_F(OperatorToolsTest, MetricsAreWellFormedAndCountWhatHappened) {
  ASSERT_TRUE(fFileExists(kPromtool)) << "Debian's prometheus (promtool) is not installed (scripts/install-deps.sh)";
  CServerProgram server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"),
                        {"--workers", "1", "--check-ms", "60000", "--check-memory-mb", "4096", "--upload-rate", "0"});
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  const std::string archive = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
  EXPECT_EQ(CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?taro?20600?3", archive).body,
            "UploadSuccess?1");
  CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "GetRankingList?", "");
  EXPECT_EQ(fGet(server.fPort(), "/ranking/plimo?page=1").first, 200);
  const auto [status, metrics] = fGet(server.fPort(), "/metrics");
  ASSERT_EQ(status, 200) << metrics;
  fWriteWholeFile(fAbsolutePath("metrics.txt"), metrics);
  const SCommandRun checked = fRunCommand(std::string(kPromtool) + " check metrics < " + fAbsolutePath("metrics.txt"));
  EXPECT_EQ(checked.status, 0) << checked.output << metrics;
  EXPECT_EQ(checked.output, "") << metrics;  // no lint either
  for (const char* line : {"plimo_http_requests_total{kind=\"upload\",status=\"200\"} 1\n",
                           "plimo_checks_total{outcome=\"checked\"} 1\n", "plimo_http_connections_open ",
                           "plimo_store_calls_total{call=\"add\",result=\"ok\"} 1\n",
                           "plimo_store_call_duration_seconds_bucket{call=\"rows\",le=\"+Inf\"} ",
                           "plimo_http_request_duration_seconds_count{kind=\"list\"} 1\n",
                           "plimo_list_cache_age_seconds{mode=\"plimo\"} ", "plimo_verifier_workers_replaced_total 0\n",
                           "plimo_checks_in_flight 0\n"}) {
    EXPECT_NE(metrics.find(line), std::string::npos) << line << metrics;
  }
}

SNewRankingEntry fEntry(const std::string& name, int score) {
  SNewRankingEntry entry;
  entry.mode = "plimo";
  entry.name = name;
  entry.score = score;
  entry.date = "2026/01/01 00:00:00";
  entry.archive = "archive of " + name;
  entry.archiveHash = fSha256Hex(entry.archive);
  return entry;
}

TEST_P(OperatorTest, AnEntrySetAsideLeavesEveryListAtOnceAndComesBackWhenRestored) {
  const std::string location = fTestStoreLocation(GetParam());
  std::string key;
  {
    const auto store = fOpenRankingStore(location);
    ASSERT_TRUE(store->fAdd(fEntry("good", 900)));
    key = store->fAdd(fEntry("rude", 500))->replayKey;
  }
  CServerProgram server(location, fAbsolutePath("server.out"), {"--workers", "1"});
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  auto list = [&] { return CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "GetRankingList?", "").body; };
  ASSERT_NE(list().find("rude?500?"), std::string::npos);
  const std::string admin = kServerExecutable + " admin --db " + location + " ";

  const SCommandRun found = fRunCommand(admin + "find rude");
  EXPECT_EQ(found.status, 0) << found.output;
  EXPECT_NE(found.output.find(key), std::string::npos) << found.output;
  const SCommandRun aside = fRunCommand(admin + "set-aside " + key + " offensive");
  EXPECT_EQ(aside.status, 0) << aside.output;
  EXPECT_NE(aside.output.find("reason: offensive"), std::string::npos) << aside.output;
  // The running server hears of it from the store.
  const auto setAside = std::chrono::steady_clock::now();
  while (list().find("rude?") != std::string::npos && std::chrono::steady_clock::now() - setAside < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(list().find("rude?"), std::string::npos);
  EXPECT_LE(std::chrono::steady_clock::now() - setAside, std::chrono::seconds(1));
  EXPECT_NE(fRunCommand(admin + "find " + key).output.find("(set aside)"), std::string::npos);
  EXPECT_EQ(fRunCommand(admin + "set-aside " + key + " again").status, 1);  // no listed entry has it now

  const SCommandRun restored = fRunCommand(admin + "restore " + key);
  EXPECT_EQ(restored.status, 0) << restored.output;
  const auto restoredAt = std::chrono::steady_clock::now();
  while (list().find("rude?500?") == std::string::npos &&
         std::chrono::steady_clock::now() - restoredAt < std::chrono::seconds(5)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(list().find("rude?500?0?" + key), std::string::npos) << list();
  const auto store = fOpenRankingStore(location);
  EXPECT_EQ(store->fCount("plimo"), 2);

  // Mistakes are told apart: nothing found 1, a bad command line 2.
  EXPECT_EQ(fRunCommand(admin + "restore " + key).status, 1);
  EXPECT_EQ(fRunCommand(admin + "find nobody").status, 1);
  EXPECT_EQ(fRunCommand(admin + "set-aside " + key).status, 2);
  EXPECT_EQ(fRunCommand(admin + "drop " + key).status, 2);
  EXPECT_EQ(fRunCommand(kServerExecutable + " admin find rude").status, 2);
}

INSTANTIATE_TEST_SUITE_P(Stores, OperatorTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

TEST_F(OperatorToolsTest, TheAdminCommandNeverMakesADatabase) {
  const SCommandRun run = fRunCommand(kServerExecutable + " admin --db " + fAbsolutePath("typo.sqlite") + " find x");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("no ranking database"), std::string::npos) << run.output;
  EXPECT_FALSE(fFileExists(fAbsolutePath("typo.sqlite")));
}

}  // namespace

namespace {

// A read held up in the database (the table locked by someone else) takes a
// connection for as long as it waits; the health check, on a connection of
// its own, answers "ok" all along.
TEST_F(OperatorToolsTest, ASlowReadNeverFailsTheHealthCheck) {
  const std::string location = fTestStoreLocation("postgres");
  {
    const auto store = fOpenRankingStore(location);
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(store->fAdd(fEntry("n" + std::to_string(i), 100 + i)));
  }
  CRunningRankingServer server(location);
  ASSERT_EQ(fGet(server.fPort(), "/healthz").first, 200);
  PGconn* locker = PQconnectdb(location.c_str());
  ASSERT_EQ(PQstatus(locker), CONNECTION_OK);
  PQclear(PQexec(locker, "BEGIN"));
  PQclear(PQexec(locker, "LOCK TABLE entries IN ACCESS EXCLUSIVE MODE"));
  // A player's page waits on the lock, up to the store's deadline.
  std::thread slow([&] { fGet(server.fPort(), "/ranking/plimo?name=n7"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  int healthy = 0;
  for (int i = 0; i < 15; ++i) {
    healthy += fGet(server.fPort(), "/healthz").first == 200 ? 1 : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  PQclear(PQexec(locker, "COMMIT"));
  PQfinish(locker);
  slow.join();
  EXPECT_EQ(healthy, 15);
}

}  // namespace
