// The ranking scripts over HTTP. The game's requests carry their arguments
// as "?"-separated parts after the first "?", which the HTTP library would
// refuse; each connection's request line is therefore read here, the
// library is handed the path alone, and the handler gets the raw target.
#pragma once

#include <memory>
#include <string>

class CRankingService;

class CRankingHttpServer {
 public:
  explicit CRankingHttpServer(CRankingService& service);
  ~CRankingHttpServer();
  CRankingHttpServer(const CRankingHttpServer&) = delete;
  CRankingHttpServer& operator=(const CRankingHttpServer&) = delete;

  // Binds the address; port 0 takes any free port. Returns the bound port;
  // throws CGameError when the address cannot be bound.
  int fBind(const std::string& host, int port);
  // Serves until fStop; returns at once if fStop came first.
  void fListen();
  // Callable from any thread, before, during or after fListen.
  void fStop();

 private:
  class CServer;
  std::unique_ptr<CServer> mServer;
};
