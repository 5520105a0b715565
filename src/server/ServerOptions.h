// The ranking server's command line.
#pragma once

#include <string>
#include <vector>

#include "server/CRankingHttpServer.h"
#include "server/IRankingStore.h"

inline constexpr int kDefaultUploadsPerMinute = 10;

struct SServerOptions {
  std::string host = "127.0.0.1";
  int port = 8080;
  std::string database;  // required: an SQLite file or a postgresql:// URI
  int workers = 0;       // 0: one per core
  SHttpLimits limits;
  int checkMs = 5000;
  int checkMemoryMb = 512;
  std::string webRoot;  // empty: the folder "web" beside the executable
  std::size_t listLimit = 1000;  // entries in the game's list answer
  SStoreTimeouts storeTimeouts;
  bool help = false;
};

inline constexpr const char* kServerUsage =
    "usage: plimoball-ranking-server --listen HOST:PORT --db PATH|URI [options]\n"
    "  --listen HOST:PORT       address to serve on (default 127.0.0.1:8080; port 0 takes a free one)\n"
    "  --db PATH                SQLite database file, created when missing\n"
    "  --db postgresql://...    PostgreSQL database shared by several servers (libpq URI)\n"
    "  --workers N              verifier processes (default: one per core)\n"
    "  --deadline-ms N          time for a whole request to arrive (default 10000)\n"
    "  --max-connections N      open connections in all (default 4000)\n"
    "  --max-per-address N      open connections from one address (default 64)\n"
    "  --check-ms N             time limit of one replay check (default 5000)\n"
    "  --check-memory-mb N      memory limit of a verifier process (default 512)\n"
    "  --web-root DIR           folder served under /static/ (default: \"web\" beside this program)\n"
    "  --list-limit N           entries in a mode's list answer to the game: the best N (default 1000)\n"
    "  --upload-rate N          uploads one client address may send a minute; 0: no limit (default 10)\n"
    "  --proxy-protocol         behind a load balancer: each connection starts with a PROXY protocol\n"
    "                           header (v1 or v2) naming the player's address; connections without one are dropped\n"
    "  --proxy-from CIDR[,CIDR] the balancers whose PROXY headers are believed (default: loopback,\n"
    "                           127.0.0.0/8 and ::1); connections from any other peer are refused and\n"
    "                           logged with their real address. Implies --proxy-protocol\n"
    "  --stop-ms N              on SIGTERM, time for the requests in flight to finish (default 10000)\n"
    "  --db-connect-ms N        time to connect to PostgreSQL (default 2000)\n"
    "  --db-timeout-ms N        time for one database call, SQLite's busy wait included (default 2000)\n"
    "  --db-connections N       database connections for the calls, which run side by side; the\n"
    "                           health check has one more of its own (default 4)\n"
    "  --help                   show this text\n"
    "Logs one line per request on stderr: address, kind, mode, result, milliseconds.\n"
    "GET /healthz answers \"ok\" from the last database check (every 0.5 s), 503 while it\n"
    "fails or hangs. The ranking's web pages:\n"
    "/ (every mode's best), /ranking/MODE?page=N&sort=score|chain, /api/ranking/MODE\n"
    "(the same as JSON), /watch/MODE/KEY (a replay) and /static/PATH; the daily challenge's\n"
    "/daily, /daily/MODE/DAY, /api/daily and /api/daily/MODE/DAY. SIGTERM or SIGINT stop\n"
    "taking connections, answer uploads still waiting for a check \"UploadFailed?server stopping\"\n"
    "and finish the requests in flight (at most --stop-ms).\n";

// The arguments after the program name. Throws CGameError with a one-line
// reason for anything it cannot use.
SServerOptions fParseServerOptions(const std::vector<std::string>& arguments);

// The whole program; returns the exit status.
int fRankingServerMain(const std::vector<std::string>& arguments);
