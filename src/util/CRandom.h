// The game's one random generator: MT19937 with a plain remainder reduction.
// Seeding, draw order and reduction are part of the replay format: a replay
// is a seed plus keys, so any change here plays every stored replay wrongly.
#pragma once

#include <array>
#include <cstdint>

class CRandom {
 public:
  // An unpredictable seed (clock mixed with the process id); never stored.
  CRandom();
  explicit CRandom(std::int32_t seed);
  // The same without the line on standard output: for checks, which may run
  // many at once on other threads.
  enum EQuiet { kQuiet };
  CRandom(std::int32_t seed, EQuiet);
  virtual ~CRandom() = default;

  virtual int fGetCount() const { return mCount; }
  // Back to the state after n draws since seeding.
  virtual void fRestore(int n);
  virtual int fGetSeed() const { return mSeed; }
  virtual std::uint32_t fNext();
  // A value from min to max inclusive; min == max takes no draw.
  virtual int fGetRand(int min, int max);

  // How one raw output becomes a value from min to max.
  static int fReduceToRange(std::uint32_t raw, int min, int max);

 private:
  void fSeedGenerator(std::uint32_t seed);
  std::uint32_t fGenerate();

  std::array<std::uint32_t, 624> mState{};
  std::size_t mIndex = 625;  // 625: never seeded
  std::int32_t mSeed = 0;
  std::int32_t mCount = 0;
};
