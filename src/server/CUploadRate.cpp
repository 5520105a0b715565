#include "server/CUploadRate.h"

#include <algorithm>
#include <iterator>

namespace {

// Past this many addresses the full buckets are forgotten: they are as new.
constexpr std::size_t kForgetAbove = 10'000;

}  // namespace

// Kept exactly, with no rounding, as the time the bucket will be full again:
// each upload moves it one share of a minute later, and an upload that would
// move it more than a minute past now is refused.
bool CUploadRate::fTake(const std::string& address, Clock::time_point now) {
  if (mPerMinute <= 0) return true;
  const Clock::duration window = std::chrono::minutes(1);
  const Clock::duration share = window / mPerMinute;
  if (mBuckets.size() > kForgetAbove) {
    for (auto it = mBuckets.begin(); it != mBuckets.end();) it = it->second <= now ? mBuckets.erase(it) : std::next(it);
  }
  Clock::time_point& fullAgain = mBuckets.try_emplace(address, now).first->second;
  const Clock::time_point from = std::max(fullAgain, now);
  if (from + share - now > window) return false;
  fullAgain = from + share;
  return true;
}
