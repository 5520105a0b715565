// HTTP requests to the ranking server, made in-process with libcurl: no
// command interpreter or helper program ever sees the request's values.
#pragma once

#include <cstddef>
#include <string>

// What came back from one request. A connection failure (nothing reachable,
// a time-out, a transport error, an answer too large) has status 0 and an
// empty body.
struct SHttpResponse {
  long status = 0;
  std::string body;

  bool fIsConnected() const { return status != 0; }
  bool fIsOk() const { return status == 200; }
};

class CCurlWrapper {
 public:
  static constexpr long kConnectTimeoutSeconds = 5;
  static constexpr long kRequestTimeoutSeconds = 20;
  // Larger answers are not ranking data or replays: the request fails.
  static constexpr std::size_t kMaxResponseBytes = 8u * 1024 * 1024;

  // POSTs the bytes of bodyFile (a missing file is an empty body; it is
  // never created) to url and returns the answer.
  static SHttpResponse fPostFile(const std::string& url, const std::string& bodyFile);
  // The same with the body in memory.
  static SHttpResponse fPostBytes(const std::string& url, const std::string& body);
};
