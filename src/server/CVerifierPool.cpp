#include "server/CVerifierPool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "server/VerifierWire.h"
#include "util/Assert.h"

#if defined(__SANITIZE_ADDRESS__)
#define PLIMO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLIMO_ASAN 1
#endif
#endif

namespace {

// The exchange's failures when the worker was gone before it read the
// request, and when it ended before it answered.
const std::string kStoppedReading = "stopped reading (it crashed)";
const std::string kEnded = "ended (it crashed)";
const std::string kAborted = "was given up: the server is stopping";

// Reaps a worker that ended: true when SIGKILL ended it, which the pool
// sends only after it has given up on a worker, so someone else did (an
// operator, the OOM killer). A check that crashes its worker ends it with
// SIGSEGV or SIGABRT instead.
bool fWasKilledFromOutside(pid_t& pid) {
  int status = 0;
  if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return false;
  pid = 0;  // reaped: nothing to kill any more
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

using std::chrono::steady_clock;

// How often a busy worker's memory is looked at.
constexpr int kWatchIntervalMs = 20;
// Address space beyond the resident limit: code, libraries, stack.
constexpr std::size_t kAddressSpaceMargin = 256u * 1024 * 1024;
// How long a closing pool waits for its workers to end.
constexpr auto kExitWait = std::chrono::seconds(2);

int fRemainingMs(steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

CVerifierPool::CVerifierPool(SVerifierPoolOptions options) : mOptions(std::move(options)) {
  PLIMO_ASSERT(!mOptions.command.empty(), "a verifier pool needs a worker command");
  PLIMO_ASSERT(mOptions.workers > 0, "a verifier pool needs at least one worker");
  mWorkers.resize(static_cast<std::size_t>(mOptions.workers));
  // A worker that died leaves a pipe with no reader: writing to it must give
  // EPIPE, not end the whole server.
  ::signal(SIGPIPE, SIG_IGN);
  try {
    for (std::size_t i = 0; i < mWorkers.size(); ++i) {
      fStart(mWorkers[i]);
      mIdle.push_back(i);
    }
  } catch (...) {
    for (SWorker& worker : mWorkers) fKill(worker);
    throw;
  }
}

CVerifierPool::~CVerifierPool() {
  std::unique_lock lock(mMutex);
  // Checks still running finish first; callers are gone by now in the
  // server, so this only waits in odd shutdowns.
  mWorkerFreed.wait(lock, [this] { return mIdle.size() == mWorkers.size(); });
  for (SWorker& worker : mWorkers) {
    ::close(worker.input);
    worker.input = -1;
  }
  // Workers end on their own when their input closes; one that does not
  // within a moment is killed.
  const auto deadline = steady_clock::now() + kExitWait;
  for (SWorker& worker : mWorkers) {
    while (worker.pid > 0 && ::waitpid(worker.pid, nullptr, WNOHANG) == 0) {
      if (steady_clock::now() >= deadline) {
        ::kill(worker.pid, SIGKILL);
        ::waitpid(worker.pid, nullptr, 0);
        break;
      }
      ::usleep(5'000);
    }
    ::close(worker.output);
  }
}

void CVerifierPool::fStart(SWorker& worker) {
  // Pipes to and from the worker, and one that tells whether exec worked:
  // it closes on a successful exec and carries errno otherwise.
  int toWorker[2] = {-1, -1};
  int fromWorker[2] = {-1, -1};
  int started[2] = {-1, -1};
  auto closeAll = [&] {
    for (int fd : {toWorker[0], toWorker[1], fromWorker[0], fromWorker[1], started[0], started[1]}) {
      if (fd >= 0) ::close(fd);
    }
  };
  if (::pipe2(toWorker, O_CLOEXEC) != 0 || ::pipe2(fromWorker, O_CLOEXEC) != 0 || ::pipe2(started, O_CLOEXEC) != 0) {
    const int error = errno;
    closeAll();
    throw CGameError(std::string("cannot start a verifier: ") + std::strerror(error));
  }
  // Everything the child needs is made before fork: between fork and exec
  // only async-signal-safe calls are allowed in a threaded process.
  std::vector<char*> argv;
  for (std::string& argument : mOptions.command) argv.push_back(argument.data());
  argv.push_back(nullptr);
  rlimit addressSpace{};
  addressSpace.rlim_cur = addressSpace.rlim_max = mOptions.memoryLimitBytes + kAddressSpaceMargin;
  sigset_t none;
  sigemptyset(&none);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;

  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    closeAll();
    throw CGameError(std::string("cannot start a verifier: ") + std::strerror(error));
  }
  if (pid == 0) {
    ::dup2(toWorker[0], 0);
    ::dup2(fromWorker[1], 1);
    ::dup2(started[1], 3);
    ::fcntl(3, F_SETFD, FD_CLOEXEC);
    // Sockets and database connections stay with the server.
    ::close_range(4, ~0u, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::sigaction(SIGPIPE, &defaultAction, nullptr);
#ifndef PLIMO_ASAN
    // The sanitizer reserves terabytes of address space: there the
    // resident-size watch alone keeps the limit.
    ::setrlimit(RLIMIT_AS, &addressSpace);
#endif
    ::execv(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(3, &error, sizeof error);
    ::_exit(127);
  }
  ::close(toWorker[0]);
  ::close(fromWorker[1]);
  ::close(started[1]);
  int execError = 0;
  ssize_t got;
  do {
    got = ::read(started[0], &execError, sizeof execError);
  } while (got < 0 && errno == EINTR);
  ::close(started[0]);
  worker.pid = pid;
  worker.input = toWorker[1];
  worker.output = fromWorker[0];
  worker.pending.clear();
  if (got > 0) {
    fKill(worker);
    throw CGameError("cannot start the verifier " + mOptions.command[0] + ": " + std::strerror(execError));
  }
  ::fcntl(worker.input, F_SETFL, O_NONBLOCK);
  ::fcntl(worker.output, F_SETFL, O_NONBLOCK);
}

void CVerifierPool::fKill(SWorker& worker) {
  if (worker.pid > 0) {
    ::kill(worker.pid, SIGKILL);
    ::waitpid(worker.pid, nullptr, 0);
  }
  ::close(worker.input);
  ::close(worker.output);
  worker = SWorker{};
}

std::size_t CVerifierPool::fResidentBytes(pid_t pid) const {
  std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
  std::size_t pages = 0;
  std::size_t resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::string CVerifierPool::fExchange(SWorker& worker, const std::string& request, SVerifyOutcome& outcome) {
  const auto deadline = steady_clock::now() + mOptions.timeLimit;
  std::size_t sent = 0;
  for (;;) {
    const std::size_t newline = worker.pending.find('\n');
    if (newline != std::string::npos) {
      if (sent < request.size()) return "answered before reading its request";
      const auto decoded = fDecodeVerifierAnswer(worker.pending.substr(0, newline));
      worker.pending.erase(0, newline + 1);
      if (!decoded) return "gave an answer that is not one";
      outcome = *decoded;
      return {};
    }
    if (fRemainingMs(deadline) == 0) return "ran past the time limit";
    if (mAborting) return kAborted;
    if (fResidentBytes(worker.pid) > mOptions.memoryLimitBytes) return "grew past the memory limit";

    pollfd fds[2] = {{worker.output, POLLIN, 0}, {worker.input, POLLOUT, 0}};
    const nfds_t count = sent < request.size() ? 2 : 1;
    const int ready = ::poll(fds, count, std::min(kWatchIntervalMs, fRemainingMs(deadline)));
    if (ready < 0 && errno != EINTR) return "cannot be waited for";
    if (ready <= 0) continue;
    if (count == 2 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t written = ::write(worker.input, request.data() + sent, request.size() - sent);
      if (written < 0 && errno != EAGAIN && errno != EINTR) return kStoppedReading;
      if (written > 0) sent += static_cast<std::size_t>(written);
    }
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      char chunk[512];
      const ssize_t got = ::read(worker.output, chunk, sizeof chunk);
      if (got == 0) return kEnded;
      if (got < 0 && errno != EAGAIN && errno != EINTR) return "cannot be read";
      if (got > 0) worker.pending.append(chunk, static_cast<std::size_t>(got));
      if (worker.pending.size() > 4096) return "gave an answer that is not one";
    }
  }
}

SVerifyOutcome CVerifierPool::fVerify(const std::string& archive) {
  if (archive.size() > kMaxVerifierArchiveBytes) {
    SVerifyOutcome tooLarge;
    tooLarge.kind = SVerifyOutcome::EKind::Unplayable;
    tooLarge.detail = "too large";
    return tooLarge;
  }
  std::size_t index;
  {
    std::unique_lock lock(mMutex);
    mWorkerFreed.wait(lock, [this] { return !mIdle.empty() || mRefusing; });
    if (mIdle.empty()) {
      SVerifyOutcome stopped;
      stopped.kind = SVerifyOutcome::EKind::Stopped;
      stopped.detail = "the server is stopping";
      return stopped;
    }
    index = mIdle.back();
    mIdle.pop_back();
  }
  SWorker& worker = mWorkers[index];
  SVerifyOutcome outcome;
  std::string problem;
  // A worker that died while it waited (killed from outside, say) is
  // replaced before it is handed an honest upload.
  if (worker.pid > 0 && ::waitpid(worker.pid, nullptr, WNOHANG) == worker.pid) {
    ::close(worker.input);
    ::close(worker.output);
    worker = SWorker{};
    try {
      fStart(worker);
    } catch (const CGameError&) {
      // Reported below as a worker that could not be started.
    }
    std::lock_guard lock(mMutex);
    ++mReplaced;
  }
  const std::string request = fEncodeVerifierRequest(archive);
  if (worker.pid <= 0) {
    problem = "could not be started";
  } else {
    problem = fExchange(worker, request, outcome);
  }
  if (!mAborting && (problem == kStoppedReading || (problem == kEnded && fWasKilledFromOutside(worker.pid)))) {
    // Gone before it took the archive, or killed by someone else while it
    // checked (it died in the moment between the check above and the
    // request): not the upload's fault; once more on a fresh worker.
    fKill(worker);
    try {
      fStart(worker);
      problem = fExchange(worker, request, outcome);
    } catch (const CGameError&) {
      problem = "could not be started";
    }
    std::lock_guard lock(mMutex);
    ++mReplaced;
  }
  if (!problem.empty()) {
    outcome = SVerifyOutcome{};
    outcome.kind = SVerifyOutcome::EKind::Failed;
    outcome.detail = "verifier worker " + std::to_string(worker.pid) + " " + problem;
    fKill(worker);
    try {
      // A stopping server starts no more workers.
      if (!mAborting) fStart(worker);
    } catch (const CGameError& error) {
      outcome.detail += "; " + std::string(error.what());
    }
  }
  {
    std::lock_guard lock(mMutex);
    if (!problem.empty()) ++mReplaced;
    mIdle.push_back(index);
  }
  mWorkerFreed.notify_all();
  return outcome;
}

void CVerifierPool::fRefuseQueued() {
  {
    std::lock_guard lock(mMutex);
    mRefusing = true;
  }
  mWorkerFreed.notify_all();
}

void CVerifierPool::fAbortRunning() {
  fRefuseQueued();
  mAborting = true;
}

std::vector<pid_t> CVerifierPool::fWorkerIds() const {
  std::lock_guard lock(mMutex);
  std::vector<pid_t> ids;
  for (const SWorker& worker : mWorkers) ids.push_back(worker.pid);
  return ids;
}

int CVerifierPool::fReplacedCount() const {
  std::lock_guard lock(mMutex);
  return mReplaced;
}
