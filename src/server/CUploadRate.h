// Uploads per client address, as a token bucket: an address may send
// `perMinute` uploads in a burst, and gets one more every 60 / perMinute
// seconds. Used on the event thread only.
#pragma once

#include <chrono>
#include <map>
#include <string>

class CUploadRate {
 public:
  using Clock = std::chrono::steady_clock;

  // 0: no limit.
  explicit CUploadRate(int perMinute) : mPerMinute(perMinute) {}

  // Takes one upload from the address's bucket; false when it is empty.
  bool fTake(const std::string& address, Clock::time_point now = Clock::now());

 private:
  int mPerMinute;
  // By address: when its bucket is full again.
  std::map<std::string, Clock::time_point> mBuckets;
};
