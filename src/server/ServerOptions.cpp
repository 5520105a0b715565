#include "server/ServerOptions.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "gamelib/FileSystem.h"
#include "server/CRankingDatabase.h"
#include "server/CRankingHttpServer.h"
#include "server/CRankingService.h"
#include "server/RankingRequest.h"
#include "util/Assert.h"

namespace {

void fParseListen(const std::string& value, SServerOptions& options) {
  const std::size_t colon = value.rfind(':');
  if (colon == std::string::npos || colon == 0) throw CGameError("--listen wants HOST:PORT, not \"" + value + "\"");
  const auto port = fParseCount(value.substr(colon + 1));
  if (!port || *port > 65535) throw CGameError("--listen has a bad port: \"" + value + "\"");
  std::string host = value.substr(0, colon);
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  options.host = host;
  options.port = *port;
}

}  // namespace

SServerOptions fParseServerOptions(const std::vector<std::string>& arguments) {
  SServerOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      return options;
    }
    if (argument != "--listen" && argument != "--db") throw CGameError("unknown argument \"" + argument + "\"");
    if (i + 1 >= arguments.size()) throw CGameError(argument + " needs a value");
    const std::string& value = arguments[++i];
    if (argument == "--listen") {
      fParseListen(value, options);
    } else {
      if (value.empty()) throw CGameError("--db needs a file name");
      options.database = value;
    }
  }
  if (options.database.empty()) throw CGameError("--db PATH is required");
  return options;
}

int fRankingServerMain(const std::vector<std::string>& arguments) {
  SServerOptions options;
  try {
    options = fParseServerOptions(arguments);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball-ranking-server: %s\n%s", error.what(), kServerUsage);
    return 2;
  }
  if (options.help) {
    std::printf("%s", kServerUsage);
    return 0;
  }

  // Signals are taken by one waiting thread; every other thread, the HTTP
  // workers included, inherits the blocked mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    // Replay checks move the working directory: every path is fixed now.
    CRankingDatabase database(fAbsolutePath(options.database));
    CRankingService service(database);
    CRankingHttpServer server(service);
    const int port = server.fBind(options.host, options.port);
    const bool bracket = options.host.find(':') != std::string::npos;
    std::printf("plimoball-ranking-server listening on %s%s%s:%d\n", bracket ? "[" : "", options.host.c_str(),
                bracket ? "]" : "", port);
    std::fflush(stdout);

    std::atomic<bool> signalled{false};
    std::thread waiter([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      signalled = true;
      server.fStop();
    });
    server.fListen();
    // Ended without a signal: wake the waiter with one it is waiting for.
    if (!signalled) pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
  } catch (const CGameError& error) {
    std::fprintf(stderr, "plimoball-ranking-server: %s\n", error.what());
    return 1;
  }
  return 0;
}
