// The ranking server run inside the test process on a free local port, with
// a fixed registration time and real verifier worker processes, and a raw
// client for requests the game's own client never makes.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "server/CRankingHttpServer.h"
#include "server/CRankingService.h"
#include "server/CVerifierPool.h"
#include "server/IRankingStore.h"

// 2024/05/06 07:08:09 UTC
inline constexpr std::time_t kTestNow = 1714979289;

// The built server program (it is also the verifier worker).
extern const std::string kServerExecutable;

struct SHarnessOptions {
  SHttpLimits limits;
  int workers = 1;
  FRequestLog log;
  // Checks with this in place of the worker pool when set.
  IReplayVerifier* verifier = nullptr;
  std::chrono::milliseconds listMaxAge{1000};
  std::size_t listLimit = 1000;
  // The folder served under /static/; none when empty.
  std::string webRoot;
};

SVerifierPoolOptions fTestPoolOptions(int workers);

class CRunningRankingServer {
 public:
  // storeLocation: an absolute SQLite path (checks move the working
  // directory) or a postgresql:// URI.
  explicit CRunningRankingServer(const std::string& storeLocation, SHarnessOptions options = {})
      : mStore(fOpenRankingStore(storeLocation)),
        mVerifiers(fTestPoolOptions(options.workers)),
        mService(*mStore, options.verifier != nullptr ? *options.verifier : mVerifiers, [] { return kTestNow; },
                 options.listMaxAge, options.listLimit),
        mHttp(mService, options.limits, std::move(options.log), options.webRoot) {
    mPort = mHttp.fBind("127.0.0.1", 0);
    mThread = std::thread([this] { mHttp.fListen(); });
  }
  ~CRunningRankingServer() {
    mHttp.fStop();
    mThread.join();
  }
  CRunningRankingServer(const CRunningRankingServer&) = delete;
  CRunningRankingServer& operator=(const CRunningRankingServer&) = delete;

  std::string fAddress() const { return "127.0.0.1:" + std::to_string(mPort); }
  std::string fScriptUrl(const std::string& mode) const {
    return "http://" + fAddress() + "/cgi-bin/plimoball100//ranking_" + mode + ".cgi?";
  }
  int fPort() const { return mPort; }
  IRankingStore& fDatabase() { return *mStore; }
  CRankingHttpServer& fHttp() { return mHttp; }
  CVerifierPool& fVerifiers() { return mVerifiers; }

 private:
  std::unique_ptr<IRankingStore> mStore;
  CVerifierPool mVerifiers;
  CRankingService mService;
  CRankingHttpServer mHttp;
  int mPort = 0;
  std::thread mThread;
};

// Sends the bytes as they are and returns everything the server answered.
std::string fRawHttpExchange(int port, const std::string& request);
// A connected socket to the local port; -1 when it cannot connect.
int fConnectLocal(int port);
