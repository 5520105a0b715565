// The start-up settings of "config.dat": three flag lines, each "word=1" or
// "word=0", and an optional fourth line "server=HOST[:PORT]" naming the
// ranking server.
#pragma once

#include <string>

struct SConfig {
  bool bWindowMode = true;
  bool bSound = true;
  // Read and ignored: there is no garbage-collected heap to grow.
  bool bNoReserve = true;
  // Where the ranking server listens; only a plain host name, IPv4 or
  // bracketed IPv6 address with an optional port is taken.
  std::string serverAddress = "127.0.0.1:8080";
};

// Whether a "HOST[:PORT]" text can go into a URL as its authority unchanged.
bool fIsValidServerAddress(const std::string& address);

// Parses the text of a "config.dat".
SConfig fParseConfig(const std::string& text);
// Reads "config.dat" from the working directory; defaults when it is absent.
SConfig fReadConfig();

// The text of a "config.dat" with its first line set to the window mode and
// every other line kept; an empty text gets the three flag lines.
std::string fWithWindowMode(const std::string& text, bool windowed);
// Writes the window mode into "config.dat" (created when absent).
void fWriteWindowMode(bool windowed);
