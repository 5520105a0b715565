#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "gamelib/FileSystem.h"
#include "online/CCurlWrapper.h"
#include "server/RankingServerHarness.h"
#include "support/HeadlessTest.h"

namespace {

const std::string kListRequest =
    "POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList? HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n";

// True when the server closed the connection within the time.
bool fClosedWithin(int connection, int milliseconds) {
  pollfd entry{connection, POLLIN, 0};
  if (::poll(&entry, 1, milliseconds) <= 0) return false;
  char byte;
  return ::recv(connection, &byte, 1, MSG_DONTWAIT) <= 0 || ::recv(connection, &byte, 1, 0) <= 0;
}

class RankingHttpLimitsTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mStore = fAbsolutePath("ranking.db");
  }
  std::string mStore;
};

TEST_F(RankingHttpLimitsTest, OversizedLinesHeadersAndBodiesGetAnHttpErrorWithoutBeingRead) {
  std::vector<std::string> log;
  std::mutex logMutex;
  SHarnessOptions options;
  options.log = [&](const std::string& line) {
    std::lock_guard lock(logMutex);
    log.push_back(line);
  };
  CRunningRankingServer server(mStore, options);
  const std::string path = "POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList?";

  // A line just under the limit is served; one over it is refused before
  // its end ever arrives.
  const std::string longest = path + std::string(8192 - path.size() - 9 - 1, 'x') + "?";
  EXPECT_EQ(fRawHttpExchange(server.fPort(), longest.substr(0, longest.size() - 1) + " HTTP/1.1\r\nConnection: close\r\n\r\n").substr(0, 12),
            "HTTP/1.1 400");  // served: a list request with a stray argument
  EXPECT_EQ(fRawHttpExchange(server.fPort(), path + std::string(9000, 'x')).substr(0, 12), "HTTP/1.1 414");

  std::string headers = "POST / HTTP/1.1\r\n";
  while (headers.size() < 9000) headers += "X-Filler: " + std::string(100, 'y') + "\r\n";
  EXPECT_EQ(fRawHttpExchange(server.fPort(), headers).substr(0, 12), "HTTP/1.1 431");

  // A body announced over 4 MiB is refused from its header alone.
  EXPECT_EQ(fRawHttpExchange(server.fPort(), path + " HTTP/1.1\r\nContent-Length: 4194305\r\n\r\n").substr(0, 12),
            "HTTP/1.1 413");
  // A chunked one that grows past it, as it grows.
  std::string chunked = path + " HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (int i = 0; i < 5; ++i) chunked += "100000\r\n" + std::string(0x100000, 'z') + "\r\n";
  EXPECT_EQ(fRawHttpExchange(server.fPort(), chunked).substr(0, 12), "HTTP/1.1 413");
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "GET / HTTP/1.1 extra\r\n\r\n").substr(0, 12), "HTTP/1.1 400");

  const SHttpResponse health = CCurlWrapper::fPostFile("http://" + server.fAddress() + "/healthz", "a.txt");
  EXPECT_EQ(health.status, 405);  // the health check is a GET
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "GET /healthz HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 200");

  // One line per request: address, kind, mode, result and time.
  std::lock_guard lock(logMutex);
  ASSERT_GE(log.size(), 8u);
  EXPECT_NE(log[0].find("127.0.0.1 bad plimo 400"), std::string::npos) << log[0];
  EXPECT_NE(log[1].find("414"), std::string::npos) << log[1];
  EXPECT_NE(log.back().find("127.0.0.1 health - 200"), std::string::npos) << log.back();
  EXPECT_EQ(log.back().substr(log.back().size() - 2), "ms");
}

TEST_F(RankingHttpLimitsTest, ConnectionsAreCappedPerAddressAndKeepAliveWorks) {
  SHarnessOptions options;
  options.limits.maxConnectionsPerAddress = 3;
  CRunningRankingServer server(mStore, options);
  std::vector<int> held;
  for (int i = 0; i < 3; ++i) held.push_back(fConnectLocal(server.fPort()));
  // The fourth is told so at once, without its request being read.
  const std::string refused = fRawHttpExchange(server.fPort(), kListRequest + "\r\n");
  EXPECT_EQ(refused.substr(0, 12), "HTTP/1.1 503") << refused;

  // Two requests sent at once on one held connection get two answers.
  const std::string twice = kListRequest + "\r\n" + kListRequest + "Connection: close\r\n\r\n";
  ASSERT_EQ(::send(held[0], twice.data(), twice.size(), MSG_NOSIGNAL), static_cast<ssize_t>(twice.size()));
  std::string answers;
  char chunk[4096];
  ssize_t count;
  while ((count = ::recv(held[0], chunk, sizeof chunk, 0)) > 0) answers.append(chunk, static_cast<std::size_t>(count));
  EXPECT_EQ(answers.find("HTTP/1.1 200"), 0u) << answers;
  EXPECT_NE(answers.find("HTTP/1.1 200", 12), std::string::npos) << answers;
  EXPECT_NE(answers.find("Connection: close"), std::string::npos);

  // Once one connection is gone, a new one is served.
  for (int connection : held) ::close(connection);
  std::string served;
  for (int attempt = 0; attempt < 100 && served.substr(0, 12) != "HTTP/1.1 200"; ++attempt) {
    served = fRawHttpExchange(server.fPort(), kListRequest + "Connection: close\r\n\r\n");
    if (served.substr(0, 12) != "HTTP/1.1 200") ::usleep(20'000);
  }
  EXPECT_EQ(served.substr(0, 12), "HTTP/1.1 200");
}

TEST_F(RankingHttpLimitsTest, ConnectionsAreCappedInAll) {
  SHarnessOptions options;
  options.limits.maxConnections = 2;
  CRunningRankingServer server(mStore, options);
  const int first = fConnectLocal(server.fPort());
  const int second = fConnectLocal(server.fPort());
  EXPECT_EQ(fRawHttpExchange(server.fPort(), kListRequest + "\r\n").substr(0, 12), "HTTP/1.1 503");
  ::close(first);
  ::close(second);
}

// Holds every check until released, so a stop can come while one runs.
class CHeldVerifier : public IReplayVerifier {
 public:
  SVerifyOutcome fVerify(const std::string& archive) override {
    {
      std::unique_lock lock(mMutex);
      mEntered = true;
      mChanged.notify_all();
      mChanged.wait(lock, [this] { return mReleased; });
    }
    return mInner.fVerify(archive);
  }
  void fWaitEntered() {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mEntered; });
  }
  void fRelease() {
    std::lock_guard lock(mMutex);
    mReleased = true;
    mChanged.notify_all();
  }

 private:
  CInProcessVerifier mInner;
  std::mutex mMutex;
  std::condition_variable mChanged;
  bool mEntered = false;
  bool mReleased = false;
};

TEST_F(RankingHttpLimitsTest, AGracefulStopFinishesTheUploadInFlightAndTakesNoMore) {
  CHeldVerifier verifier;
  SHarnessOptions options;
  options.verifier = &verifier;
  auto server = std::make_unique<CRunningRankingServer>(mStore, options);
  const int port = server->fPort();
  const int idle = fConnectLocal(port);
  const std::string archive = fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
  auto upload = std::async(std::launch::async, [&] {
    return CCurlWrapper::fPostBytes(server->fScriptUrl("plimo") + "UploadRanking?taro?20600?3", archive).body;
  });
  verifier.fWaitEntered();
  server->fHttp().fStopGracefully();
  // Idle connections are closed and new ones are no longer taken.
  EXPECT_TRUE(fClosedWithin(idle, 5000));
  ::close(idle);
  int late = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    late = fConnectLocal(port);
    if (late < 0) break;
    ::close(late);
    ::usleep(10'000);
  }
  EXPECT_LT(late, 0);
  verifier.fRelease();
  EXPECT_EQ(upload.get(), "UploadSuccess?1");
  server.reset();
  const auto store = fOpenRankingStore(mStore);
  EXPECT_EQ(store->fList("plimo").size(), 1u);
}

}  // namespace
