// What the fuzz targets share: a private working directory for readers that
// take fixed relative paths ("dat/score.dat"), and the check that stops a run
// when a reader hands back something the game cannot use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sanitizer/common_interface_defs.h>

#include "gamelib/FileSystem.h"

// A failed property is a finding like a crash: libFuzzer keeps the input.
// The text goes out through the sanitizers' report channel, which stays open
// when a run closes standard error (-close_fd_mask) to hide the game's chatter.
#define FUZZ_CHECK(condition)                                                   \
  do {                                                                          \
    if (!(condition)) fFuzzCheckFailed(#condition, __FILE__, __LINE__);         \
  } while (false)

[[noreturn]] inline void fFuzzCheckFailed(const char* condition, const char* file, int line) {
  const std::string text =
      std::string("fuzz check failed: ") + condition + " (" + file + ":" + std::to_string(line) + ")";
  __sanitizer_report_error_summary(text.c_str());
  std::abort();
}

inline std::string fFuzzText(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Moves the process into a new temporary directory holding an empty "dat/"
// for the whole run; the directory goes when the process ends normally.
inline void fEnterFuzzDirectory() {
  // Never freed: the exit handler still needs the name after statics are gone.
  static const std::string* const directory = [] {
    auto* made = new std::string(fMakeTemporaryDirectory("plimo-fuzz-"));
    fChangeDirectory(*made);
    fCreateDirectories("dat");
    std::atexit([] { fRemoveTree(*directory); });
    return made;
  }();
}
