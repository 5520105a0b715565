// The ranking server's command line.
#pragma once

#include <string>
#include <vector>

struct SServerOptions {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string database;  // required
  bool help = false;
};

inline constexpr const char* kServerUsage =
    "usage: plimoball-ranking-server --listen HOST:PORT --db PATH\n"
    "  --listen HOST:PORT  address to serve on (default 127.0.0.1:8080; port 0 takes a free one)\n"
    "  --db PATH           SQLite database file, created when missing\n"
    "  --help              show this text\n";

// The arguments after the program name. Throws CGameError with a one-line
// reason for anything it cannot use.
SServerOptions fParseServerOptions(const std::vector<std::string>& arguments);

// The whole program; returns the exit status.
int fRankingServerMain(const std::vector<std::string>& arguments);
