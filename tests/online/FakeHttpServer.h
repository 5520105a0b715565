// A canned HTTP answerer on a free local port, for testing the ranking
// client without the ranking server: it records each request as it arrived
// and sends back one fixed answer.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SRecordedRequest {
  std::string requestLine;  // "POST /cgi-bin/... HTTP/1.1"
  std::string head;         // the header lines
  std::string body;
};

class CFakeHttpServer {
 public:
  CFakeHttpServer(int status, std::string body);
  ~CFakeHttpServer();
  CFakeHttpServer(const CFakeHttpServer&) = delete;
  CFakeHttpServer& operator=(const CFakeHttpServer&) = delete;

  // "127.0.0.1:PORT"
  std::string fAddress() const { return "127.0.0.1:" + std::to_string(mPort); }
  std::vector<SRecordedRequest> fRequests() const;

  // An address on which nothing listens.
  static std::string fDeadAddress();

 private:
  void fServe();
  void fAnswer(int connection);

  int mStatus;
  std::string mBody;
  int mListener = -1;
  int mPort = 0;
  std::atomic<bool> mStopping{false};
  mutable std::mutex mMutex;
  std::vector<SRecordedRequest> mRequests;
  std::thread mThread;
};
