#include "gamelib/QuitSignals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

std::atomic<int> gQuitSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handlers may only touch lock-free state");

// Only async-signal-safe calls from here on: write, alarm, _exit.
void fSay(const char* line) {
  const ssize_t written = write(STDERR_FILENO, line, std::strlen(line));
  (void)written;
}

void fOnQuitSignal(int signal) {
  if (gQuitSignal.exchange(signal) != 0) {
    fSay("PlimoBall: ended at once by a second signal\n");
    _exit(128 + signal);
  }
  // The ending is watched: no teardown may hold the process for long.
  alarm(kQuitGraceSeconds);
}

void fOnGraceOver(int) {
  fSay("PlimoBall: ending took longer than 3 s; ended at once\n");
  _exit(128 + gQuitSignal.load());
}

void fHandle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

void fInstallQuitSignals() {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) fHandle(signal, fOnQuitSignal);
  fHandle(SIGALRM, fOnGraceOver);
}

bool fQuitSignalled() { return gQuitSignal.load() != 0; }
