#include "gamelib/ProcessStats.h"

#include <sys/resource.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <chrono>
#include <cstdio>

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

std::int64_t fResidentBytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  long long pages = 0, resident = 0;
  const bool read = std::fscanf(statm, "%lld %lld", &pages, &resident) == 2;
  std::fclose(statm);
  return read ? resident * static_cast<std::int64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

void fReleaseFreeMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}
