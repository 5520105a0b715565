// The ranking server run inside the test process on a free local port, with
// a fixed registration time, and a raw client for requests the game's own
// client never makes.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "server/CRankingDatabase.h"
#include "server/CRankingHttpServer.h"
#include "server/CRankingService.h"

// 2024/05/06 07:08:09 UTC
inline constexpr std::time_t kTestNow = 1714979289;

class CRunningRankingServer {
 public:
  // databasePath must be absolute: checks move the working directory.
  explicit CRunningRankingServer(const std::string& databasePath)
      : mDatabase(databasePath), mService(mDatabase, [] { return kTestNow; }), mHttp(mService) {
    mPort = mHttp.fBind("127.0.0.1", 0);
    mThread = std::thread([this] { mHttp.fListen(); });
  }
  ~CRunningRankingServer() {
    mHttp.fStop();
    mThread.join();
  }
  CRunningRankingServer(const CRunningRankingServer&) = delete;
  CRunningRankingServer& operator=(const CRunningRankingServer&) = delete;

  std::string fAddress() const { return "127.0.0.1:" + std::to_string(mPort); }
  std::string fScriptUrl(const std::string& mode) const {
    return "http://" + fAddress() + "/cgi-bin/plimoball100//ranking_" + mode + ".cgi?";
  }
  int fPort() const { return mPort; }
  CRankingDatabase& fDatabase() { return mDatabase; }

 private:
  CRankingDatabase mDatabase;
  CRankingService mService;
  CRankingHttpServer mHttp;
  int mPort = 0;
  std::thread mThread;
};

// Sends the bytes as they are and returns everything the server answered.
std::string fRawHttpExchange(int port, const std::string& request);
