// What the fuzz targets share: a private working directory for readers that
// take fixed relative paths ("dat/score.dat"), and the check that stops a run
// when a reader hands back something the game cannot use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gamelib/FileSystem.h"

// A failed property is a finding like a crash: libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

inline std::string fFuzzText(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Moves the process into a new temporary directory holding an empty "dat/"
// for the whole run; the directory goes when the process ends normally.
inline void fEnterFuzzDirectory() {
  static const std::string directory = [] {
    const std::string made = fMakeTemporaryDirectory("plimo-fuzz-");
    fChangeDirectory(made);
    fCreateDirectories("dat");
    std::atexit([] { fRemoveTree(directory); });
    return made;
  }();
}
