#include "util/Assert.h"

#include <cstdio>
#include <cstdlib>

void fAssertionFailure(const char* message, const char* file, int line) {
  std::fprintf(stderr, "Assertion failure: %s (%s:%d)\n", message, file, line);
  std::fflush(stderr);
  std::abort();
}
