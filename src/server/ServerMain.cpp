#include <filesystem>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

#include "server/AdminCommand.h"
#include "server/CMeasuredStore.h"
#include "server/CMetrics.h"
#include "server/CRankingHttpServer.h"
#include "server/CRankingService.h"
#include "server/CVerifierPool.h"
#include "server/GameIdMigration.h"
#include "server/IRankingStore.h"
#include "server/ServerOptions.h"
#include "server/VerifierWire.h"
#include "util/Assert.h"

namespace {

// How the server starts its verifiers: itself, in worker mode.
constexpr const char* kWorkerArgument = "--verifier-worker";

std::string fOwnExecutable() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) throw CGameError("cannot find the server's own executable to start verifiers");
  return std::string(path, static_cast<std::size_t>(length));
}

// Idle connections each hold a descriptor: take all the system allows.
// "web" beside the program (a build folder), else the installed site
// under PREFIX/share beside PREFIX/bin.
std::filesystem::path fDefaultWebRoot() {
  const std::filesystem::path bin = std::filesystem::path(fOwnExecutable()).parent_path();
  const std::filesystem::path beside = bin / "web";
  if (std::filesystem::is_directory(beside)) return beside;
  return bin.parent_path() / "share" / "plimoball-ranking-server" / "web";
}

void fRaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void fWriteLogLine(const std::string& line) {
  const std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

// One thread takes the stop signals for the whole run, from the start-up's
// work to the last request: what a stop does changes as the server starts.
class CStopWaiter {
 public:
  explicit CStopWaiter(const sigset_t& signals) : mSignals(signals), mThread([this] { fWait(); }) {}
  ~CStopWaiter() {
    {
      std::lock_guard lock(mMutex);
      mAction = nullptr;
      mClosing = true;
    }
    // Ended without a signal: wake the waiter with one it is waiting for.
    if (!mSignalled) pthread_kill(mThread.native_handle(), SIGTERM);
    mThread.join();
  }
  CStopWaiter(const CStopWaiter&) = delete;
  CStopWaiter& operator=(const CStopWaiter&) = delete;

  // What a stop does from now on; a stop that came already does it at once.
  void fOnStop(std::function<void()> action) {
    std::lock_guard lock(mMutex);
    mAction = std::move(action);
    if (mSignalled && mAction) mAction();
  }
  bool fSignalled() const { return mSignalled; }
  const std::atomic<bool>* fFlag() const { return &mSignalled; }

 private:
  void fWait() {
    int signal = 0;
    sigwait(&mSignals, &signal);
    std::lock_guard lock(mMutex);
    if (mClosing) return;
    mSignalled = true;
    if (mAction) mAction();
  }

  sigset_t mSignals;
  std::mutex mMutex;
  std::function<void()> mAction;
  std::atomic<bool> mSignalled{false};
  bool mClosing = false;
  std::thread mThread;
};

// A stop action for as long as the objects it uses live.
class CStopAction {
 public:
  CStopAction(CStopWaiter& waiter, std::function<void()> action) : mWaiter(waiter) { mWaiter.fOnStop(std::move(action)); }
  ~CStopAction() { mWaiter.fOnStop(nullptr); }
  CStopAction(const CStopAction&) = delete;
  CStopAction& operator=(const CStopAction&) = delete;

 private:
  CStopWaiter& mWaiter;
};

}  // namespace

int fRankingServerMain(const std::vector<std::string>& arguments) {
  if (arguments.size() == 1 && arguments[0] == kWorkerArgument) return fVerifierWorkerMain(0, 1);
  if (!arguments.empty() && arguments[0] == "admin") {
    return fRankingAdminMain(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  }

  SServerOptions options;
  try {
    options = fParseServerOptions(arguments);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball-ranking-server: %s\n%s", error.what(), kServerUsage);
    return 2;
  }
  if (options.help) {
    std::printf("%s", kServerUsage);
    return 0;
  }

  // Signals are taken by one waiting thread; every other thread inherits
  // the blocked mask (verifiers unblock them again).
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  fRaiseDescriptorLimit();

  CStopWaiter stopWaiter(stopSignals);
  try {
    // Every path is made absolute now, whatever folder the server is run from.
    const std::string location =
        fIsPostgresLocation(options.database) ? options.database : std::filesystem::absolute(options.database).string();
    const auto store = fOpenRankingStore(location, options.storeTimeouts);
    const std::filesystem::path webRoot =
        options.webRoot.empty() ? fDefaultWebRoot() : std::filesystem::absolute(options.webRoot);

    SVerifierPoolOptions poolOptions;
    poolOptions.command = {fOwnExecutable(), kWorkerArgument};
    poolOptions.workers = options.workers > 0 ? options.workers : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    poolOptions.timeLimit = std::chrono::milliseconds(options.checkMs);
    poolOptions.memoryLimitBytes = static_cast<std::size_t>(options.checkMemoryMb) * 1024 * 1024;
    CVerifierPool verifiers(poolOptions);
    // Every store call and check is timed for /metrics.
    CMetrics metrics;
    CMeasuredStore measuredStore(*store, metrics);
    CMeasuredVerifier measuredVerifiers(verifiers, metrics);
    CRankingService service(measuredStore, measuredVerifiers, {}, std::chrono::milliseconds(1000), options.listLimit);
    metrics.fRead("plimo_list_cache_age_seconds", "gauge", "Age of each mode's cached lists and first pages.",
                  [&service] { return service.fCacheAges(); });
    metrics.fRead("plimo_checks_in_flight", "gauge", "Replay checks running or waiting for a worker.",
                  [&measuredVerifiers] {
                    return std::vector<std::pair<std::string, double>>{{"", measuredVerifiers.fInFlight()}};
                  });
    metrics.fRead("plimo_verifier_workers_replaced_total", "counter",
                  "Verifier workers killed or found dead and started anew.", [&verifiers] {
                    return std::vector<std::pair<std::string, double>>{{"", verifiers.fReplacedCount()}};
                  });
    SHttpLimits limits = options.limits;
    // Every verifier busy, and still room for downloads and health checks.
    limits.blockingThreads = poolOptions.workers + 2;
    CRankingHttpServer server(service, limits, fWriteLogLine, webRoot.string());
    server.fSetMetrics(metrics);
    const int port = server.fBind(options.host, options.port);
    const bool bracket = options.host.find(':') != std::string::npos;
    std::printf("plimoball-ranking-server listening on %s%s%s:%d\n", bracket ? "[" : "", options.host.c_str(),
                bracket ? "]" : "", port);
    std::fflush(stdout);
    std::fprintf(stderr, "- %d verifier workers, store %s, web root %s\n", poolOptions.workers,
                 fIsPostgresLocation(location) ? "PostgreSQL" : location.c_str(), webRoot.c_str());

    // Entries stored before games were named get their names while lists,
    // pages and downloads are served; uploads wait for the end (refused with
    // a reason meanwhile). A stop drops the naming's checks.
    std::atomic<bool> naming{!store->fUnnamedEntries(0, 1).empty()};
    service.fSetNaming(naming);
    const CStopAction stopServing(stopWaiter, [&server, &verifiers, &naming] {
      if (naming) {
        verifiers.fRefuseQueued();
        verifiers.fAbortRunning();
      }
      server.fStopGracefully();
    });
    std::thread namer([&] {
      if (!naming) return;
      try {
        fNameStoredGames(*store, verifiers, poolOptions.workers, fWriteLogLine, stopWaiter.fFlag());
      } catch (const CGameError& error) {
        std::fprintf(stderr, "- naming stored entries stopped: %s; the rest are named at the next start\n", error.what());
      }
      if (stopWaiter.fSignalled()) {
        std::fprintf(stderr, "- stopped while naming stored entries; the rest are named at the next start\n");
      }
      naming = false;
      service.fSetNaming(false);
    });
    try {
      server.fListen();
    } catch (...) {
      verifiers.fRefuseQueued();
      verifiers.fAbortRunning();
      namer.join();
      throw;
    }
    namer.join();
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball-ranking-server: %s\n", error.what());
    return 1;
  }
  return 0;
}
