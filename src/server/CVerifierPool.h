// Verifies uploads in worker processes, one check per worker at a time, so
// every core can check and a check that crashes, hangs or grows without
// bound costs one worker, never the server. Such a worker is killed and
// replaced, and its upload fails. A worker that died while it waited, or
// that someone else killed during a check, is replaced and the check goes
// to the fresh one.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "server/IReplayVerifier.h"

struct SVerifierPoolOptions {
  // The worker program and its arguments; it speaks VerifierWire.
  std::vector<std::string> command;
  int workers = 1;
  // The longest game is far below a second of checking here.
  std::chrono::milliseconds timeLimit{5000};
  std::size_t memoryLimitBytes = 512u * 1024 * 1024;
};

class CVerifierPool : public IReplayVerifier {
 public:
  // Starts the workers. Throws CGameError when one cannot be started.
  explicit CVerifierPool(SVerifierPoolOptions options);
  // Closes the workers' input, so each ends after its current check.
  ~CVerifierPool() override;
  CVerifierPool(const CVerifierPool&) = delete;
  CVerifierPool& operator=(const CVerifierPool&) = delete;

  // Waits for a free worker; at most one check per worker runs at once.
  SVerifyOutcome fVerify(const std::string& archive) override;
  void fRefuseQueued() override;
  void fAbortRunning() override;

  // The running workers' process ids, for tests and the log.
  std::vector<pid_t> fWorkerIds() const;
  // How many workers were killed and replaced so far.
  int fReplacedCount() const;

 private:
  struct SWorker {
    pid_t pid = 0;
    int input = -1;   // the worker's standard input
    int output = -1;  // the worker's standard output
    std::string pending;  // bytes read past the last answer
  };

  void fStart(SWorker& worker);
  void fKill(SWorker& worker);
  // One exchange; the reason it failed, or empty.
  std::string fExchange(SWorker& worker, const std::string& request, SVerifyOutcome& outcome);
  std::size_t fResidentBytes(pid_t pid) const;

  SVerifierPoolOptions mOptions;
  std::vector<SWorker> mWorkers;
  std::vector<std::size_t> mIdle;
  int mReplaced = 0;
  bool mRefusing = false;  // stopping: no check waits for a worker any more
  std::atomic<bool> mAborting{false};
  mutable std::mutex mMutex;
  std::condition_variable mWorkerFreed;
};
