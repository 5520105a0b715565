// Scale-out as deployed: Debian's HAProxy in front of two server programs on
// one PostgreSQL database, health-checked on /healthz and speaking the PROXY
// protocol to them. One server is killed outright while uploads and lists
// stream in through the balancer.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
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

using Clock = std::chrono::steady_clock;

constexpr const char* kHaproxy = "/usr/sbin/haproxy";

int fFreePort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

// A program of the test's own, its output in a file; killed at the end.
class CProcess {
 public:
  CProcess(const std::vector<std::string>& arguments, const std::string& output) : mOutput(output) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    EXPECT_EQ(posix_spawn(&mPid, argv[0], &actions, nullptr, argv.data(), environ), 0) << argv[0];
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CProcess() { fKill(); }
  CProcess(const CProcess&) = delete;
  CProcess& operator=(const CProcess&) = delete;
  void fKill() {
    if (mPid <= 0) return;
    ::kill(mPid, SIGKILL);
    ::waitpid(mPid, nullptr, 0);
    mPid = 0;
  }
  std::string fOutput() const { return fFileExists(mOutput) ? fReadWholeFile(mOutput) : std::string(); }

 private:
  std::string mOutput;
  pid_t mPid = 0;
};

// A server program behind the balancer, on a port of its own.
struct SBackend {
  SBackend(const std::string& store, const std::string& output)
      : port(fFreePort()),
        process({kServerExecutable, "--listen", "127.0.0.1:" + std::to_string(port), "--db", store, "--workers", "1",
                 "--upload-rate", "0", "--check-ms", "60000", "--check-memory-mb", "4096", "--proxy-from", "127.0.0.1/32"},
                output) {}
  bool fStarted() {
    for (int attempt = 0; attempt < 600; ++attempt) {
      if (process.fOutput().find("listening on") != std::string::npos) return true;
      ::usleep(50'000);
    }
    return false;
  }
  int port;
  CProcess process;
};

// One answer of HAProxy's stats socket.
std::string fStatsCommand(const std::string& socketPath, const std::string& command) {
  const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  std::string answer;
  if (::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string line = command + "\n";
    if (::send(connection, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
      char chunk[4096];
      ssize_t count;
      while ((count = ::recv(connection, chunk, sizeof chunk, 0)) > 0) answer.append(chunk, static_cast<std::size_t>(count));
    }
  }
  ::close(connection);
  return answer;
}

// "UP", "DOWN", ... for each server of the backend, from "show stat" (CSV:
// proxy name, server name, ..., status in the 18th column).
std::map<std::string, std::string> fServerStates(const std::string& socketPath) {
  std::map<std::string, std::string> states;
  for (const std::string& line : fSplitFields(fStatsCommand(socketPath, "show stat"), '\n')) {
    const std::vector<std::string> fields = fSplitFields(line, ',');
    if (fields.size() > 17 && fields[0] == "servers" && fields[1] != "BACKEND") states[fields[1]] = fields[17];
  }
  return states;
}

// A list request sent from another local address (127.0.0.2), raw.
std::string fListFromOtherAddress(int port) {
  const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(0x7f000002);
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  remote.sin_port = htons(static_cast<std::uint16_t>(port));
  std::string answer;
  if (::bind(connection, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
      ::connect(connection, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0) {
    const std::string request =
        "POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList? HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n"
        "Connection: close\r\n\r\n";
    ::send(connection, request.data(), request.size(), MSG_NOSIGNAL);
    char chunk[4096];
    ssize_t count;
    while ((count = ::recv(connection, chunk, sizeof chunk, 0)) > 0) answer.append(chunk, static_cast<std::size_t>(count));
  }
  ::close(connection);
  return answer;
}

class HaproxyScaleOutTest : public HeadlessTest {};

TEST_F(HaproxyScaleOutTest, AServerKilledBehindHaproxyLosesNoAnsweredUploadAndListsGoOn) {
  ASSERT_TRUE(fFileExists(kHaproxy)) << "Debian's haproxy is not installed (scripts/install-deps.sh)";
  const std::string store = fTestStoreLocation("postgres");
  const std::string folder = fCurrentDirectory();
  SBackend one(store, folder + "/one.log");
  SBackend two(store, folder + "/two.log");
  ASSERT_TRUE(one.fStarted()) << one.process.fOutput();
  ASSERT_TRUE(two.fStarted()) << two.process.fOutput();

  const int port = fFreePort();
  const std::string stats = folder + "/stats.sock";
  // Checks every 200 ms; two failures mark a server down. A request whose
  // connection is refused goes to the other server.
  fWriteWholeFile(folder + "/haproxy.cfg",
                  "global\n"
                  "  stats socket " + stats + " mode 600 level admin\n"
                  "defaults\n"
                  "  mode http\n"
                  "  timeout connect 1s\n"
                  "  timeout client 60s\n"
                  "  timeout server 60s\n"
                  "  retries 3\n"
                  "  option redispatch\n"
                  "frontend ranking\n"
                  "  bind 127.0.0.1:" + std::to_string(port) + "\n"
                  "  default_backend servers\n"
                  "backend servers\n"
                  "  balance roundrobin\n"
                  "  option httpchk GET /healthz\n"
                  "  http-check expect status 200\n"
                  "  default-server inter 200ms fall 2 rise 1 send-proxy-v2 check-send-proxy\n"
                  "  server one 127.0.0.1:" + std::to_string(one.port) + " check\n"
                  "  server two 127.0.0.1:" + std::to_string(two.port) + " check\n");
  CProcess haproxy({kHaproxy, "-db", "-f", folder + "/haproxy.cfg"}, folder + "/haproxy.log");
  std::map<std::string, std::string> states;
  for (int wait = 0; wait < 300; ++wait) {
    states = fServerStates(stats);
    if (states["one"] == "UP" && states["two"] == "UP") break;
    ::usleep(50'000);
  }
  ASSERT_EQ(states["one"], "UP") << haproxy.fOutput();
  ASSERT_EQ(states["two"], "UP") << haproxy.fOutput();

  // The player's address reaches the server through the balancer.
  EXPECT_EQ(fListFromOtherAddress(port).substr(0, 12), "HTTP/1.1 200");

  const std::string script = "http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/plimoball100//ranking_plimo.cgi?";
  const CDistinctGames games(fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  std::atomic<int> nextGame{0};
  std::atomic<int> successes{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> killed{false};
  std::mutex mutex;
  std::vector<std::string> answered;
  int failedUploads = 0;
  auto uploads = [&] {
    while (!stop) {
      const int n = nextGame++;
      const std::string name = "p" + std::to_string(n);
      const CDistinctGames::SGame game = games.fGame(n);
      const SHttpResponse answer = CCurlWrapper::fPostBytes(script + "UploadRanking?" + name + "?" + game.fClaim(), game.archive);
      std::lock_guard lock(mutex);
      if (answer.body.rfind("UploadSuccess?", 0) == 0) {
        answered.push_back(name);
        ++successes;
      } else {
        // Only an upload cut by the kill may fail.
        ++failedUploads;
        EXPECT_TRUE(killed) << name << ": " << answer.status << " " << answer.body;
      }
    }
  };
  // Lists all along; those after HAProxy marked the server down must all work.
  std::atomic<bool> markedDown{false};
  int listsAfterKill = 0;
  int listsFailedAfterDown = 0;
  auto lists = [&] {
    while (!stop) {
      const bool down = markedDown;
      const SHttpResponse answer = CCurlWrapper::fPostBytes(script + "GetRankingList?", "");
      std::lock_guard lock(mutex);
      if (killed && answer.status == 200) ++listsAfterKill;
      if (down && answer.status != 200) ++listsFailedAfterDown;
      if (!killed) {
        EXPECT_EQ(answer.status, 200) << answer.body;
      }
      ::usleep(20'000);
    }
  };
  std::thread uploaderA(uploads);
  std::thread uploaderB(uploads);
  std::thread lister(lists);
  while (successes < 6) ::usleep(10'000);
  killed = true;
  one.process.fKill();
  const auto killedAt = Clock::now();
  while (Clock::now() - killedAt < std::chrono::seconds(15)) {
    if (fServerStates(stats)["one"].rfind("DOWN", 0) == 0) {
      markedDown = true;
      break;
    }
    ::usleep(20'000);
  }
  const double downAfterMs = std::chrono::duration<double, std::milli>(Clock::now() - killedAt).count();
  const int successesAtDown = successes;
  while (successes < successesAtDown + 6 && Clock::now() - killedAt < std::chrono::seconds(60)) ::usleep(10'000);
  stop = true;
  uploaderA.join();
  uploaderB.join();
  lister.join();

  EXPECT_TRUE(markedDown) << "HAProxy never marked the killed server down\n" << haproxy.fOutput();
  EXPECT_EQ(fServerStates(stats)["two"], "UP");
  EXPECT_GE(successes.load(), successesAtDown + 6) << "uploads stopped after the kill";
  EXPECT_GT(listsAfterKill, 0);
  EXPECT_EQ(listsFailedAfterDown, 0);
  std::printf("killed server marked down after %.0f ms; %d uploads answered, %d cut; %d lists after the kill\n",
              downAfterMs, successes.load(), failedUploads, listsAfterKill);

  // Every answered upload is listed exactly once, by the surviving server.
  ::usleep(1'100'000);  // a list is at most a second old
  const SHttpResponse list = CCurlWrapper::fPostBytes(script + "GetRankingList?", "");
  ASSERT_EQ(list.status, 200);
  std::map<std::string, int> listed;
  for (const std::string& line : fSplitFields(list.body, '\n')) {
    if (!line.empty()) ++listed[fSplitFields(line, '?')[0]];
  }
  for (const std::string& name : answered) EXPECT_EQ(listed[name], 1) << name;
  for (const auto& [name, count] : listed) EXPECT_EQ(count, 1) << name;
  // A server logged the player's address, not the balancer's.
  const std::string logs = one.process.fOutput() + two.process.fOutput();
  EXPECT_NE(logs.find("127.0.0.2 list plimo 200"), std::string::npos) << logs;
}

}  // namespace
