// The real program stopped by SIGTERM while uploads are being sent, checked
// and queued for a check: its only verifier worker is frozen (SIGSTOP), so
// a check stays in hand for as long as the test wants.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <future>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"
#include "server/ServerProgram.h"
#include "support/HeadlessTest.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string fFixture(const std::string& name) { return fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/" + name); }

void fSendAll(int connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    ASSERT_GT(count, 0);
    sent += static_cast<std::size_t>(count);
  }
}

std::string fReadAll(int connection) {
  std::string answer;
  char chunk[4096];
  ssize_t count;
  while ((count = ::recv(connection, chunk, sizeof chunk, 0)) > 0) answer.append(chunk, static_cast<std::size_t>(count));
  return answer;
}

std::string fBodyOf(const std::string& answer) {
  const std::size_t end = answer.find("\r\n\r\n");
  return end == std::string::npos ? "(no answer)" : answer.substr(end + 4);
}

// The program with one worker, frozen once it runs.
class CFrozenWorkerServer {
 public:
  CFrozenWorkerServer(const std::string& output, const std::string& stopMs)
      : mServer(fAbsolutePath("ranking.sqlite"), output,
                {"--workers", "1", "--check-ms", "60000", "--check-memory-mb", "4096", "--upload-rate", "0",
                 "--stop-ms", stopMs}) {
    for (int wait = 0; wait < 500 && mServer.fChildren().empty(); ++wait) ::usleep(10'000);
    const auto children = mServer.fChildren();
    if (children.size() == 1) mWorker = children[0];
    if (mWorker > 0) ::kill(mWorker, SIGSTOP);
  }
  ~CFrozenWorkerServer() { fThaw(); }
  void fThaw() {
    if (mWorker > 0) ::kill(mWorker, SIGCONT);
    mWorker = 0;
  }
  // True once the frozen worker's input holds a request: a check is in hand.
  bool fCheckInHand() const {
    const int input = ::open(("/proc/" + std::to_string(mWorker) + "/fd/0").c_str(), O_RDONLY | O_NONBLOCK);
    if (input < 0) return false;
    int pending = 0;
    for (int wait = 0; wait < 1000 && pending < 4; ++wait) {
      if (::ioctl(input, FIONREAD, &pending) != 0) break;
      if (pending < 4) ::usleep(10'000);
    }
    ::close(input);
    return pending >= 4;
  }
  CServerProgram mServer;
  pid_t mWorker = 0;
};

class RankingServerStopTest : public HeadlessTest {};

TEST_F(RankingServerStopTest, SigtermFinishesRequestsInFlightRefusesQueuedChecksAndExitsCleanly) {
  CFrozenWorkerServer frozen(fAbsolutePath("server.out"), "10000");
  CServerProgram& server = frozen.mServer;
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  ASSERT_GT(frozen.mWorker, 0) << "the server's worker";
  const int port = server.fPort();
  const std::string plimo = fFixture("plimo_seed123.zip");

  // One upload is being checked, two wait for the worker.
  auto checked = std::async(std::launch::async, [&] {
    return fBodyOf(fRawHttpExchange(port, fScriptRequest("plimo", "UploadRanking?taro?20600?3", plimo)));
  });
  ASSERT_TRUE(frozen.fCheckInHand()) << server.fOutput();
  std::vector<std::future<std::string>> queued;
  for (int i = 0; i < 2; ++i) {
    queued.push_back(std::async(std::launch::async, [&, i] {
      return fBodyOf(fRawHttpExchange(port, fScriptRequest("plimo", "UploadRanking?q" + std::to_string(i) + "?20600?3", plimo)));
    }));
  }
  // One more is half sent, and one connection is idle.
  const std::string yoiko = fFixture("yoiko_seed456.zip");
  const std::string sending = fScriptRequest("yoiko", "UploadRanking?hana?12800?2", yoiko);
  const std::size_t half = sending.size() - yoiko.size() / 2;
  const int halfSent = fConnectLocal(port);
  fSendAll(halfSent, sending.substr(0, half));
  const int idle = fConnectLocal(port);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the queued ones reach the server

  server.fSignal(SIGTERM);
  // The queued checks are answered at once, while the worker is still frozen.
  for (auto& answer : queued) {
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(answer.get(), "UploadFailed?server stopping") << server.fOutput();
  }
  // The idle connection is closed; new ones are not taken.
  pollfd entry{idle, POLLIN, 0};
  EXPECT_EQ(::poll(&entry, 1, 5000), 1);
  EXPECT_EQ(fReadAll(idle), "");
  ::close(idle);
  int late = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    late = fConnectLocal(port);
    if (late < 0) break;
    ::close(late);
    ::usleep(10'000);
  }
  EXPECT_LT(late, 0) << "the server still takes connections";

  // The check in hand ends once its worker goes on; then the half-sent
  // upload, whose connection was kept, is read to its end and checked.
  frozen.fThaw();
  EXPECT_EQ(checked.get(), "UploadSuccess?1") << server.fOutput();
  fSendAll(halfSent, sending.substr(half));
  EXPECT_EQ(fBodyOf(fReadAll(halfSent)), "UploadSuccess?1") << server.fOutput();
  ::close(halfSent);
  EXPECT_EQ(server.fWaitExit(10'000), 0) << server.fOutput();
}

TEST_F(RankingServerStopTest, AStopEndsWithinItsTimeWhenACheckNeverEnds) {
  CFrozenWorkerServer frozen(fAbsolutePath("server.out"), "1000");
  CServerProgram& server = frozen.mServer;
  ASSERT_NE(server.fPort(), 0) << server.fOutput();
  ASSERT_GT(frozen.mWorker, 0) << "the server's worker";
  const int port = server.fPort();
  auto checked = std::async(std::launch::async, [&] {
    return fRawHttpExchange(port, fScriptRequest("plimo", "UploadRanking?taro?20600?3", fFixture("plimo_seed123.zip")));
  });
  ASSERT_TRUE(frozen.fCheckInHand()) << server.fOutput();
  const Clock::time_point start = Clock::now();
  server.fSignal(SIGTERM);
  EXPECT_EQ(server.fWaitExit(20'000), 0) << server.fOutput();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  // The stop's second, and a moment to give up the check and close.
  EXPECT_LT(ms, 4000) << server.fOutput();
  std::printf("stopped with a check that never ends: %.0f ms with --stop-ms 1000\n", ms);
  // The upload was never answered a success.
  EXPECT_EQ(checked.get().find("UploadSuccess"), std::string::npos);
}

}  // namespace
