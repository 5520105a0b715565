// Handing freed memory back: blocks freed between blocks still in use stay
// resident until they are released, and released they leave the process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "gamelib/ProcessStats.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnAllocator = true;
#else
constexpr bool kOwnAllocator = false;
#endif
#else
constexpr bool kOwnAllocator = false;
#endif

TEST(ProcessStats, FreedHolesInTheHeapLeaveWhenReleased) {
  if (kOwnAllocator) GTEST_SKIP() << "the sanitizer's allocator keeps its own memory";
  ASSERT_GT(fResidentBytes(), 0);

  // 32 MB in 16 KB blocks, each followed by a small one that stays: freed,
  // the big ones leave holes the allocator cannot give back by shrinking.
  constexpr int kBlocks = 2048;
  constexpr std::size_t kBlockBytes = 16 * 1024;
  std::vector<std::unique_ptr<char[]>> big, pinned;
  for (int i = 0; i < kBlocks; ++i) {
    big.emplace_back(new char[kBlockBytes]);
    std::memset(big.back().get(), i & 0xFF, kBlockBytes);
    pinned.emplace_back(new char[64]);
    pinned.back()[0] = static_cast<char>(i);
  }
  const std::int64_t filled = fResidentBytes();
  big.clear();
  const std::int64_t freed = fResidentBytes();
  fReleaseFreeMemory();
  const std::int64_t released = fResidentBytes();

  constexpr std::int64_t kMegabyte = 1 << 20;
  EXPECT_GT(freed, filled - 8 * kMegabyte) << "freeing alone gives back little";
  EXPECT_LT(released, freed - 20 * kMegabyte) << "releasing gives back the holes";
  EXPECT_EQ(pinned[kBlocks - 1][0], static_cast<char>(kBlocks - 1)) << "what is in use stays";
}

}  // namespace
