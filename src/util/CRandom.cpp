#include "util/CRandom.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "util/Assert.h"

namespace {
constexpr std::size_t kWords = 624;
constexpr std::size_t kShift = 397;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;
constexpr std::uint32_t kUpper = 0x80000000u;
constexpr std::uint32_t kLower = 0x7FFFFFFFu;
constexpr std::uint32_t kReferenceSeed = 5489u;
}  // namespace

CRandom::CRandom() {
  std::puts("gRandom this()");
  const auto clock = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
  const auto mixed = static_cast<std::uint32_t>(clock ^ (clock >> 32)) ^
                     (static_cast<std::uint32_t>(getpid()) * 2654435761u);
  mSeed = static_cast<std::int32_t>(mixed);
  mCount = 0;
  fSeedGenerator(mixed);
}

CRandom::CRandom(std::int32_t seed) : CRandom(seed, kQuiet) { std::printf("gRandom this(int = %d)\n", seed); }

CRandom::CRandom(std::int32_t seed, EQuiet) {
  mCount = 0;
  mSeed = seed;
  fSeedGenerator(static_cast<std::uint32_t>(seed));
}

void CRandom::fSeedGenerator(std::uint32_t seed) {
  mState[0] = seed;
  for (std::size_t i = 1; i < kWords; ++i) {
    mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
  }
  mIndex = kWords;
}

std::uint32_t CRandom::fGenerate() {
  if (mIndex >= kWords) {
    if (mIndex == kWords + 1) fSeedGenerator(kReferenceSeed);
    for (std::size_t i = 0; i < kWords; ++i) {
      const std::uint32_t y = (mState[i] & kUpper) | (mState[(i + 1) % kWords] & kLower);
      mState[i] = mState[(i + kShift) % kWords] ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
    }
    mIndex = 0;
  }
  std::uint32_t y = mState[mIndex++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

void CRandom::fRestore(int n) {
  fSeedGenerator(static_cast<std::uint32_t>(mSeed));
  mCount = n;
  for (int i = 0; i < n; ++i) fGenerate();
}

std::uint32_t CRandom::fNext() {
  ++mCount;
  return fGenerate();
}

int CRandom::fGetRand(int min, int max) {
  PLIMO_ASSERT(min <= max, "fGetRand: min is greater than max");
  if (min == max) return min;
  ++mCount;
  return fReduceToRange(fGenerate(), min, max);
}

// The magnitude of the output read as signed, modulo the span; |INT32_MIN| is
// 2^31, which still fits the unsigned magnitude.
int CRandom::fReduceToRange(std::uint32_t raw, int min, int max) {
  const auto value = static_cast<std::int32_t>(raw);
  const std::uint32_t magnitude = value < 0 ? 0u - raw : raw;
  const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(max) - min + 1);
  return static_cast<int>(min + static_cast<std::int64_t>(magnitude % span));
}
