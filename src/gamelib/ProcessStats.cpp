#include "gamelib/ProcessStats.h"

#include <sys/resource.h>

#include <chrono>

namespace {

// Taken while the program's statics are set up, before main runs.
const std::chrono::steady_clock::time_point gLoaded = std::chrono::steady_clock::now();

}  // namespace

std::int64_t fPeakResidentBytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;  // Linux counts kilobytes
}

std::int64_t fMicrosecondsSinceStart() {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - gLoaded).count();
}
