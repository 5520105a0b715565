#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "online/SRankingData.h"
#include "server/DistinctGames.h"
#include "server/RankingServerHarness.h"
#include "server/ServerProgram.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"

namespace {

// An archive with a comment: the test finds the name it sent in the bytes
// it downloads.
std::string fWithComment(std::string archive, const std::string& comment) {
  const std::size_t end = archive.size() - 22;
  EXPECT_EQ(archive.compare(end, 4, "PK\x05\x06"), 0) << "the fixture has a comment already";
  archive[end + 20] = static_cast<char>(comment.size() & 0xff);
  archive[end + 21] = static_cast<char>(comment.size() >> 8);
  return archive + comment;
}

// Sanitizer builds check slowly and big: the limits are not under test.
const std::vector<std::string> kServerOptions = {"--workers", "2", "--check-ms", "60000", "--check-memory-mb", "4096",
                                                 "--upload-rate", "0"};

class RankingServerKillTest : public HeadlessTest, public ::testing::WithParamInterface<std::string> {};

// Uploads stream in while the server is killed outright; after a restart
// every answered upload is listed with its replay, and nothing is half there.
TEST_P(RankingServerKillTest, AServerKilledMidStreamRestartsConsistentWithEveryAnsweredUpload) {
  const std::string store = fTestStoreLocation(GetParam());
  const CDistinctGames games(fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  std::atomic<int> nextGame{0};
  std::set<std::string> sent;
  std::set<std::string> answered;
  {
    CServerProgram server(store, fAbsolutePath("server1.out"), kServerOptions);
    ASSERT_NE(server.fPort(), 0) << fReadWholeFile(fAbsolutePath("server1.out"));
    std::atomic<int> successes{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    auto stream = [&](int thread) {
      for (int i = 0; !stop; ++i) {
        const std::string name = "k" + std::to_string(thread) + "n" + std::to_string(i);
        const CDistinctGames::SGame game = games.fGame(nextGame++);
        const std::string bytes = fWithComment(game.archive, name);
        {
          std::lock_guard lock(mutex);
          sent.insert(bytes);
        }
        const SHttpResponse answer = CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?" + name + "?" + game.fClaim(), bytes);
        if (answer.body.rfind("UploadSuccess?", 0) == 0) {
          std::lock_guard lock(mutex);
          answered.insert(name);
          ++successes;
        } else if (answer.status != 0) {
          ADD_FAILURE() << name << ": " << answer.status << " " << answer.body << "\n"
                        << fReadWholeFile(fAbsolutePath("server1.out"));
        }
      }
    };
    std::thread one(stream, 1);
    std::thread two(stream, 2);
    while (successes < 4) ::usleep(10'000);
    server.fSignal(SIGKILL);
    server.fWaitExit(10'000);
    stop = true;
    one.join();
    two.join();
  }

  CServerProgram restarted(store, fAbsolutePath("server2.out"), kServerOptions);
  ASSERT_NE(restarted.fPort(), 0) << fReadWholeFile(fAbsolutePath("server2.out"));
  const std::string list = CCurlWrapper::fPostFile(restarted.fScriptUrl("plimo") + "GetRankingList?", "a.txt").body;
  std::set<std::string> listed;
  for (const std::string& line : fSplitFields(list, '\n')) {
    if (line.empty()) continue;
    const auto fields = fSplitFields(line, '?');
    ASSERT_EQ(fields.size(), 5u) << line;
    listed.insert(fields[0]);
    // No entry without its replay, and that replay is one that was sent.
    const SHttpResponse replay = CCurlWrapper::fPostFile(restarted.fScriptUrl("plimo") + "DownloadReplay?" + fields[3], "a.txt");
    EXPECT_EQ(replay.status, 200) << line;
    EXPECT_EQ(sent.count(replay.body), 1u) << line;
    EXPECT_EQ(replay.body.substr(replay.body.size() - fields[0].size()), fields[0]);
  }
  for (const std::string& name : answered) EXPECT_EQ(listed.count(name), 1u) << name << " was answered but is lost";
  EXPECT_GE(listed.size(), answered.size());
}

// Workers killed from outside while idle cost no honest upload: the server
// replaces each before handing it a check.
TEST_F(RankingServerKillTest, UploadsSucceedAfterEveryIdleWorkerWasKilledFromOutside) {
  const CDistinctGames games(fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  CServerProgram server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"), kServerOptions);
  ASSERT_NE(server.fPort(), 0) << fReadWholeFile(fAbsolutePath("server.out"));
  for (int round = 0; round < 2; ++round) {
    // Both workers at first; later those replaced so far (a dead worker is
    // replaced when its turn comes).
    std::vector<pid_t> workers = server.fChildren();
    for (int wait = 0; wait < 500 && workers.size() < (round == 0 ? 2u : 1u); ++wait) {
      ::usleep(10'000);
      workers = server.fChildren();
    }
    ASSERT_GE(workers.size(), round == 0 ? 2u : 1u) << "the server's workers";
    for (const pid_t pid : workers) ::kill(pid, SIGKILL);
    for (int wait = 0; wait < 200 && !server.fChildren().empty(); ++wait) ::usleep(10'000);
    const std::string name = "idle" + std::to_string(round);
    const CDistinctGames::SGame game = games.fGame(round);
    const SHttpResponse answer =
        CCurlWrapper::fPostBytes(server.fScriptUrl("plimo") + "UploadRanking?" + name + "?" + game.fClaim(), game.archive);
    EXPECT_EQ(answer.body.rfind("UploadSuccess?", 0), 0u) << answer.body << "\n" << fReadWholeFile(fAbsolutePath("server.out"));
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, RankingServerKillTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
