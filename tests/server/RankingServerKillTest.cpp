#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <mutex>
#include <set>
#include <thread>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "online/SRankingData.h"
#include "server/DistinctGames.h"
#include "server/RankingServerHarness.h"
#include "server/ThrowawayPostgres.h"
#include "support/HeadlessTest.h"

extern char** environ;

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

// The server program, its output in a file, and the port it took.
class CServerProcess {
 public:
  CServerProcess(const std::string& store, const std::string& output) {
    // Sanitizer builds check slowly and big: the limits are not under test.
    const std::vector<std::string> arguments = {kServerExecutable, "--listen", "127.0.0.1:0", "--db", store,
                                                "--workers", "2", "--check-ms", "60000", "--check-memory-mb", "4096",
                                                "--upload-rate", "0"};
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    EXPECT_EQ(posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const std::string prefix = "plimoball-ranking-server listening on 127.0.0.1:";
    for (int attempt = 0; attempt < 600 && mPort == 0; ++attempt) {
      const std::string text = fFileExists(output) ? fReadWholeFile(output) : std::string();
      const std::size_t found = text.find(prefix);
      if (found != std::string::npos && text.find('\n', found) != std::string::npos) {
        mPort = std::stoi(text.substr(found + prefix.size()));
      }
      if (mPort == 0) ::usleep(50'000);
    }
  }
  ~CServerProcess() { fSignal(SIGKILL); }
  void fSignal(int signal) {
    if (mPid <= 0) return;
    ::kill(mPid, signal);
    ::waitpid(mPid, nullptr, 0);
    mPid = 0;
  }
  std::string fScriptUrl() const {
    return "http://127.0.0.1:" + std::to_string(mPort) + "/cgi-bin/plimoball100//ranking_plimo.cgi?";
  }
  // The server's children: its verifier workers.
  std::vector<pid_t> fChildren() const {
    std::vector<pid_t> children;
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
      const std::string entry = process.path().filename().string();
      if (entry.find_first_not_of("0123456789") != std::string::npos) continue;
      std::ifstream stat("/proc/" + entry + "/stat");
      std::string line;
      std::getline(stat, line);
      const std::size_t close = line.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream rest(line.substr(close + 2));
      std::string state;
      pid_t parent = 0;
      if (rest >> state >> parent && parent == mPid && state != "Z") children.push_back(std::stoi(entry));
    }
    return children;
  }
  int mPort = 0;

 private:
  pid_t mPid = 0;
};

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
    CServerProcess server(store, fAbsolutePath("server1.out"));
    ASSERT_NE(server.mPort, 0) << fReadWholeFile(fAbsolutePath("server1.out"));
    std::atomic<int> successes{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    auto stream = [&](int thread) {
      for (int i = 0; !stop; ++i) {
        const std::string name = "k" + std::to_string(thread) + "n" + std::to_string(i);
        const std::string bytes = fWithComment(games.fGame(nextGame++), name);
        {
          std::lock_guard lock(mutex);
          sent.insert(bytes);
        }
        const SHttpResponse answer = CCurlWrapper::fPostBytes(server.fScriptUrl() + "UploadRanking?" + name + "?20600?3", bytes);
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
    stop = true;
    one.join();
    two.join();
  }

  CServerProcess restarted(store, fAbsolutePath("server2.out"));
  ASSERT_NE(restarted.mPort, 0) << fReadWholeFile(fAbsolutePath("server2.out"));
  const std::string list = CCurlWrapper::fPostFile(restarted.fScriptUrl() + "GetRankingList?", "a.txt").body;
  std::set<std::string> listed;
  for (const std::string& line : fSplitFields(list, '\n')) {
    if (line.empty()) continue;
    const auto fields = fSplitFields(line, '?');
    ASSERT_EQ(fields.size(), 5u) << line;
    listed.insert(fields[0]);
    // No entry without its replay, and that replay is one that was sent.
    const SHttpResponse replay = CCurlWrapper::fPostFile(restarted.fScriptUrl() + "DownloadReplay?" + fields[3], "a.txt");
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
  CServerProcess server(fAbsolutePath("ranking.sqlite"), fAbsolutePath("server.out"));
  ASSERT_NE(server.mPort, 0) << fReadWholeFile(fAbsolutePath("server.out"));
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
    const SHttpResponse answer =
        CCurlWrapper::fPostBytes(server.fScriptUrl() + "UploadRanking?" + name + "?20600?3", games.fGame(round));
    EXPECT_EQ(answer.body.rfind("UploadSuccess?", 0), 0u) << answer.body << "\n" << fReadWholeFile(fAbsolutePath("server.out"));
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, RankingServerKillTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
