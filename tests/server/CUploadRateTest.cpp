#include "server/CUploadRate.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(CUploadRateTest, ABurstOfTheRateThenOneMorePerShareOfAMinuteAndEachAddressApart) {
  CUploadRate rate(10);
  const auto start = CUploadRate::Clock::time_point{} + 1h;
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(rate.fTake("a", start)) << i;
  EXPECT_FALSE(rate.fTake("a", start));
  EXPECT_TRUE(rate.fTake("b", start)) << "another address has its own bucket";
  EXPECT_FALSE(rate.fTake("a", start + 5s)) << "one more only every 6 s";
  EXPECT_TRUE(rate.fTake("a", start + 6s));
  EXPECT_FALSE(rate.fTake("a", start + 7s));
  // A long pause fills the bucket, but no more than full.
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(rate.fTake("a", start + 1h)) << i;
  EXPECT_FALSE(rate.fTake("a", start + 1h));
}

TEST(CUploadRateTest, ZeroIsNoLimit) {
  CUploadRate rate(0);
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(rate.fTake("a"));
}

}  // namespace
