// The start-up flags of "config.dat": three lines, each "word=1" or "word=0".
#pragma once

#include <string>

struct SConfig {
  bool bWindowMode = true;
  bool bSound = true;
  // Read and ignored: there is no garbage-collected heap to grow.
  bool bNoReserve = true;
};

// Parses the text of a "config.dat".
SConfig fParseConfig(const std::string& text);
// Reads "config.dat" from the working directory; defaults when it is absent.
SConfig fReadConfig();
