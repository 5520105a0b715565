// The ranking scripts over HTTP, on one event-driven thread (Boost.Asio):
// thousands of idle or slow connections cost memory, never a thread. Each
// request line is read here, since the game's targets carry several "?";
// Boost.Beast reads the headers and the body. Uploads and downloads, which
// wait on the verifiers and the store, run on a small thread pool; list
// answers and the web pages come from the service's cache on the event
// thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/AddressRange.h"

class CMetrics;
class CRankingService;

struct SHttpLimits {
  // The whole request must arrive within this, and its answer leave.
  std::chrono::milliseconds requestDeadline{10'000};
  std::size_t maxConnections = 4000;
  std::size_t maxConnectionsPerAddress = 64;
  std::size_t maxLineBytes = 8192;
  std::size_t maxHeaderBytes = 8192;
  std::size_t maxBodyBytes = 4u * 1024 * 1024;
  // Threads for uploads and downloads: at least one per verifier worker.
  int blockingThreads = 4;
  // How long a graceful stop waits for requests in flight.
  std::chrono::milliseconds stopGrace{10'000};
  // Uploads one client address may send a minute (0: no limit; the
  // program's default is 10).
  int uploadsPerMinute = 0;
  // Behind a load balancer: every connection starts with a PROXY protocol
  // header naming the player, whose address the per-address cap, the upload
  // rate and the log then use. A connection without one is dropped, and so
  // is one from a peer outside proxyFrom: anyone else could name any
  // address and walk past the caps.
  bool proxyProtocol = false;
  std::vector<SAddressRange> proxyFrom = fLoopbackRanges();
};

// Receives one line per request (no newline), on the event thread.
using FRequestLog = std::function<void(const std::string& line)>;

class CRankingHttpServer {
 public:
  // webRoot: the folder served under /static/; empty serves none.
  CRankingHttpServer(CRankingService& service, SHttpLimits limits = {}, FRequestLog log = {},
                     const std::string& webRoot = {});
  ~CRankingHttpServer();
  CRankingHttpServer(const CRankingHttpServer&) = delete;
  CRankingHttpServer& operator=(const CRankingHttpServer&) = delete;

  // Binds the address; port 0 takes any free port. Returns the bound port;
  // throws CGameError when the address cannot be bound.
  int fBind(const std::string& host, int port);
  // Serves until a stop; returns at once if a stop came first.
  void fListen();
  // Callable from any thread, before, during or after fListen: stops at once.
  void fStop();
  // Stops accepting and closes idle connections, lets requests in flight
  // finish (within the limits' stopGrace), then fListen returns.
  void fStopGracefully();
  // Before fListen: counts every request into the metrics and serves them
  // at /metrics (404 without).
  void fSetMetrics(CMetrics& metrics);

 private:
  class CImpl;
  std::unique_ptr<CImpl> mImpl;
};
