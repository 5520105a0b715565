#include "server/ProxyProtocol.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>

#include "gamelib/FileSystem.h"
#include "server/RankingServerHarness.h"
#include "server/ServerOptions.h"
#include "util/Assert.h"
#include "support/HeadlessTest.h"

namespace {

using EState = SProxyHeader::EState;

const std::string kV2Signature("\r\n\r\n\0\r\nQUIT\n", 12);

// A version 2 header: command (0 LOCAL, 1 PROXY), family and transport, and
// what follows.
std::string fV2(unsigned char command, unsigned char family, const std::string& rest) {
  std::string header = kV2Signature;
  header += static_cast<char>(0x20 | command);
  header += static_cast<char>(family);
  header += static_cast<char>(rest.size() >> 8);
  header += static_cast<char>(rest.size() & 0xff);
  return header + rest;
}

// Source 203.0.113.7:4000, destination 10.0.0.1:80.
const std::string kV4Addresses("\xcb\x00\x71\x07\x0a\x00\x00\x01\x0f\xa0\x00\x50", 12);

std::string fV6Addresses() {
  std::string source(16, '\0');
  source[0] = '\x20';
  source[1] = '\x01';
  source[2] = '\x0d';
  source[3] = '\xb8';
  source[15] = '\x01';  // 2001:db8::1
  return source + std::string(16, '\0') + std::string("\x0f\xa0\x00\x50", 4);
}

TEST(ProxyHeaderTest, VersionOneNamesThePlayer) {
  const std::string line = "PROXY TCP4 203.0.113.7 10.0.0.1 4000 80\r\n";
  const SProxyHeader header = fParseProxyHeader(line + "GET / HTTP/1.1\r\n");
  EXPECT_EQ(header.state, EState::Done);
  EXPECT_EQ(header.length, line.size());
  EXPECT_EQ(header.address, "203.0.113.7");
  // Written back the way the server writes addresses.
  EXPECT_EQ(fParseProxyHeader("PROXY TCP6 2001:DB8:0:0::1 ::1 4000 80\r\n").address, "2001:db8::1");
  const SProxyHeader unknown = fParseProxyHeader("PROXY UNKNOWN whatever\r\n");
  EXPECT_EQ(unknown.state, EState::Done);
  EXPECT_EQ(unknown.address, "");
  // Every prefix of a header waits for more.
  for (std::size_t size = 0; size < line.size(); ++size) {
    EXPECT_EQ(fParseProxyHeader(line.substr(0, size)).state, EState::NeedMore) << size;
  }
}

TEST(ProxyHeaderTest, VersionOneDamageIsRefused) {
  for (const std::string& bad : std::vector<std::string>
       {"GET / HTTP/1.1\r\n", "PROXY TCP4 203.0.113.7 10.0.0.1 4000\r\n", "PROXY TCP4 2001:db8::1 ::1 4000 80\r\n",
        "PROXY TCP6 203.0.113.7 10.0.0.1 4000 80\r\n", "PROXY TCP4 203.0.113.7 10.0.0.1 4000 65536\r\n",
        "PROXY TCP4 203.0.113.7 10.0.0.1 04000 80\r\n", "PROXY TCP4 203.0.113.7  10.0.0.1 4000 80\r\n",
        "PROXY TCP4 203.0.113.7 10.0.0.1 4000 80\n", "PROXY TCP4 203.0.113.7 10.0.0.1 4000 80\rx",
        "PROXY UDP4 203.0.113.7 10.0.0.1 4000 80\r\n", "proxy TCP4 203.0.113.7 10.0.0.1 4000 80\r\n",
        "PROXY TCP4 " + std::string(100, '1') + "\r\n", "PROXY TCP4 " + std::string(100, '1')}) {
    EXPECT_EQ(fParseProxyHeader(bad).state, EState::Invalid) << bad;
  }
}

TEST(ProxyHeaderTest, VersionTwoNamesThePlayerAndSkipsExtraFields) {
  const std::string v4 = fV2(1, 0x11, kV4Addresses);
  SProxyHeader header = fParseProxyHeader(v4 + "GET");
  EXPECT_EQ(header.state, EState::Done);
  EXPECT_EQ(header.length, 28u);
  EXPECT_EQ(header.address, "203.0.113.7");
  // Extra fields (a TLV) after the addresses belong to the header.
  header = fParseProxyHeader(fV2(1, 0x11, kV4Addresses + std::string("\x04\x00\x02xy", 5)));
  EXPECT_EQ(header.length, 33u);
  EXPECT_EQ(header.address, "203.0.113.7");
  EXPECT_EQ(fParseProxyHeader(fV2(1, 0x21, fV6Addresses())).address, "2001:db8::1");
  // The balancer's own connection (a health check), or no IP address: the
  // connection's own address stands.
  header = fParseProxyHeader(fV2(0, 0x00, ""));
  EXPECT_EQ(header.state, EState::Done);
  EXPECT_EQ(header.length, 16u);
  EXPECT_EQ(header.address, "");
  EXPECT_EQ(fParseProxyHeader(fV2(0, 0x11, kV4Addresses)).address, "");
  EXPECT_EQ(fParseProxyHeader(fV2(1, 0x12, kV4Addresses)).address, "");  // UDP
  for (std::size_t size = 0; size < v4.size(); ++size) {
    EXPECT_EQ(fParseProxyHeader(v4.substr(0, size)).state, EState::NeedMore) << size;
  }
}

TEST(ProxyHeaderTest, VersionTwoDamageIsRefused) {
  std::string version3 = fV2(1, 0x11, kV4Addresses);
  version3[12] = '\x31';
  std::string badSignature = fV2(1, 0x11, kV4Addresses);
  badSignature[11] = 'X';
  for (const std::string& bad : {version3, badSignature, fV2(2, 0x11, kV4Addresses),  // no such command
                                 fV2(1, 0x11, kV4Addresses.substr(0, 11)),           // addresses cut short
                                 fV2(1, 0x21, kV4Addresses),                          // IPv6 in IPv4's room
                                 fV2(1, 0x41, kV4Addresses),                          // no such family
                                 fV2(1, 0x11, kV4Addresses + std::string(kMaxProxyHeaderBytes, 'x'))}) {
    EXPECT_EQ(fParseProxyHeader(bad).state, EState::Invalid);
  }
}

TEST(ProxyHeaderTest, TheOptionsTurnItOnAndNameTheBalancers) {
  EXPECT_FALSE(fParseServerOptions({"--db", "r.db"}).limits.proxyProtocol);
  const SServerOptions options = fParseServerOptions({"--db", "r.db", "--proxy-protocol", "--workers", "2"});
  EXPECT_TRUE(options.limits.proxyProtocol);
  EXPECT_EQ(options.workers, 2);
  // Only a balancer on this machine, unless others are named.
  EXPECT_TRUE(fIsInRanges("127.0.0.1", options.limits.proxyFrom));
  EXPECT_TRUE(fIsInRanges("::1", options.limits.proxyFrom));
  EXPECT_FALSE(fIsInRanges("192.0.2.1", options.limits.proxyFrom));
  const SServerOptions named = fParseServerOptions({"--db", "r.db", "--proxy-from", "10.1.0.0/16,2001:db8::/32"});
  EXPECT_TRUE(named.limits.proxyProtocol);
  EXPECT_FALSE(fIsInRanges("127.0.0.1", named.limits.proxyFrom));
  for (const char* bad : {"", "10.0.0.0/33", "10.0.0.0/", "nowhere", "10.0.0.0/8,", "::1/129", "10.0.0.0/-1"}) {
    EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--proxy-from", bad}), CGameError) << bad;
  }
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--proxy-from"}), CGameError);
  EXPECT_EQ(fParseServerOptions({"--db", "r.db", "--db-connections", "7"}).storeTimeouts.connections, 7);
  EXPECT_THROW(fParseServerOptions({"--db", "r.db", "--db-connections", "0"}), CGameError);
}

TEST(ProxyHeaderTest, AddressRangesMatchByTheirPrefix) {
  const auto ranges = fParseAddressRanges("10.1.0.0/16,192.0.2.7,2001:db8::/32,172.16.0.0/12");
  for (const char* inside : {"10.1.0.1", "10.1.255.255", "192.0.2.7", "2001:db8::1", "2001:db8:ffff::", "172.31.0.1",
                             "::ffff:10.1.2.3"}) {
    EXPECT_TRUE(fIsInRanges(inside, ranges)) << inside;
  }
  for (const char* outside : {"10.2.0.1", "192.0.2.8", "2001:db9::1", "172.32.0.1", "::ffff:10.2.0.1", "",
                              "not an address", "10.1.0.1/16"}) {
    EXPECT_FALSE(fIsInRanges(outside, ranges)) << outside;
  }
  EXPECT_TRUE(fIsInRanges("203.0.113.9", fParseAddressRanges("0.0.0.0/0")));
  EXPECT_FALSE(fIsInRanges("::1", fParseAddressRanges("0.0.0.0/0")));
}

const std::string kList =
    "POST /cgi-bin/plimoball100//ranking_plimo.cgi?GetRankingList? HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n"
    "Connection: close\r\n\r\n";

class ProxyProtocolServerTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    mOptions.limits.proxyProtocol = true;
    mOptions.log = [this](const std::string& line) {
      std::lock_guard lock(mLogMutex);
      mLog.push_back(line);
    };
  }
  bool fLogged(const std::string& start) {
    std::lock_guard lock(mLogMutex);
    for (const std::string& line : mLog) {
      if (line.rfind(start, 0) == 0) return true;
    }
    return false;
  }
  SHarnessOptions mOptions;
  std::mutex mLogMutex;
  std::vector<std::string> mLog;
};

TEST_F(ProxyProtocolServerTest, RequestsAreServedAndLoggedAsThePlayers) {
  CRunningRankingServer server(fAbsolutePath("ranking.db"), mOptions);
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "PROXY TCP4 198.51.100.9 10.0.0.1 5555 80\r\n" + kList).substr(0, 12),
            "HTTP/1.1 200");
  EXPECT_EQ(fRawHttpExchange(server.fPort(), fV2(1, 0x21, fV6Addresses()) + kList).substr(0, 12), "HTTP/1.1 200");
  // A health check speaks for the balancer: its own address.
  EXPECT_EQ(fRawHttpExchange(server.fPort(), fV2(0, 0x00, "") + "GET /healthz HTTP/1.1\r\nConnection: close\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 200");
  // Without a header, or with a damaged one, nothing is answered.
  EXPECT_EQ(fRawHttpExchange(server.fPort(), kList), "");
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "PROXY TCP4 198.51.100.9 nowhere 5555 80\r\n" + kList), "");
  server.fHttp().fStop();
  EXPECT_TRUE(fLogged("198.51.100.9 list plimo 200"));
  EXPECT_TRUE(fLogged("2001:db8::1 list plimo 200"));
  EXPECT_TRUE(fLogged("127.0.0.1 health"));
  EXPECT_TRUE(fLogged("127.0.0.1 - - 400 (no PROXY protocol header)"));
}

// A peer that is not a named balancer cannot speak for players: a forged
// header gets nothing, and the log shows who really sent it.
TEST_F(ProxyProtocolServerTest, HeadersFromAnyoneButTheBalancerAreRefused) {
  mOptions.limits.proxyFrom = fParseAddressRanges("192.0.2.0/24");
  mOptions.limits.maxConnectionsPerAddress = 2;
  CRunningRankingServer server(fAbsolutePath("ranking.db"), mOptions);
  for (int i = 0; i < 5; ++i) {
    const std::string forged = "PROXY TCP4 6.6.6." + std::to_string(i) + " 10.0.0.1 5555 80\r\n";
    EXPECT_EQ(fRawHttpExchange(server.fPort(), forged + kList), "") << i;
  }
  server.fHttp().fStop();
  EXPECT_TRUE(fLogged("127.0.0.1 - - 403 (not a trusted balancer"));
  EXPECT_FALSE(fLogged("6.6.6."));
}

// The cap counts players behind the balancer, not the balancer.
TEST_F(ProxyProtocolServerTest, ThePerAddressCapCountsThePlayers) {
  mOptions.limits.maxConnectionsPerAddress = 2;
  CRunningRankingServer server(fAbsolutePath("ranking.db"), mOptions);
  auto open = [&](const std::string& player) {
    const int connection = fConnectLocal(server.fPort());
    const std::string header = "PROXY TCP4 " + player + " 10.0.0.1 5555 80\r\n";
    EXPECT_EQ(::send(connection, header.data(), header.size(), MSG_NOSIGNAL), static_cast<ssize_t>(header.size()));
    return connection;
  };
  const int first = open("192.0.2.1");
  const int second = open("192.0.2.1");
  // The third from that player is turned away; another player is not.
  const int third = open("192.0.2.1");
  pollfd entry{third, POLLIN, 0};
  ASSERT_EQ(::poll(&entry, 1, 5000), 1);
  char answer[64] = {};
  EXPECT_GT(::recv(third, answer, sizeof answer - 1, 0), 0);
  EXPECT_EQ(std::string(answer).substr(0, 12), "HTTP/1.1 503");
  EXPECT_EQ(fRawHttpExchange(server.fPort(), "PROXY TCP4 192.0.2.2 10.0.0.1 5555 80\r\n" + kList).substr(0, 12),
            "HTTP/1.1 200");
  for (const int connection : {first, second, third}) ::close(connection);
  server.fHttp().fStop();
  EXPECT_TRUE(fLogged("192.0.2.1 - - 503 (too many connections)"));
}

}  // namespace
