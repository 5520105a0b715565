#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "support/HeadlessTest.h"
#include "util/CRandom.h"

namespace {

class CRandomTest : public HeadlessTest {};

TEST_F(CRandomTest, RawOutputsFollowTheReferenceSequence) {
  CRandom random(5489);
  // The first outputs of the reference generator for its default seed.
  const std::uint32_t expected[] = {3499211612u, 581869302u, 3890346734u, 3586334585u, 545404204u};
  for (std::uint32_t value : expected) EXPECT_EQ(random.fNext(), value);
  // ... and far along, across many regenerations of the state.
  std::mt19937 reference(5489);
  CRandom again(5489);
  for (int i = 0; i < 9999; ++i) {
    reference();
    again.fNext();
  }
  EXPECT_EQ(again.fNext(), 4123659995u);
  EXPECT_EQ(again.fGetCount(), 10000);
}

TEST_F(CRandomTest, MatchesTheStandardGeneratorForOtherSeedsIncludingNegativeOnes) {
  for (std::int32_t seed : {0, 1, 123, 999, -1, INT_MIN}) {
    CRandom random(seed);
    std::mt19937 reference(static_cast<std::uint32_t>(seed));
    for (int i = 0; i < 1500; ++i) ASSERT_EQ(random.fNext(), reference()) << "seed " << seed << " draw " << i;
  }
}

TEST_F(CRandomTest, ReductionTakesTheMagnitudeOfTheSignedOutput) {
  EXPECT_EQ(CRandom::fReduceToRange(0xFFFFFFFFu, 0, 4), 1);  // -1 has magnitude 1
  EXPECT_EQ(CRandom::fReduceToRange(0x80000000u, 0, 4), 3);  // 2^31 mod 5
  EXPECT_EQ(CRandom::fReduceToRange(7u, 0, 4), 2);
  EXPECT_EQ(CRandom::fReduceToRange(7u, 10, 12), 11);
  EXPECT_EQ(CRandom::fReduceToRange(0x80000000u, INT_MIN, INT_MAX), 0);  // span 2^32
  for (std::uint32_t raw : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu}) {
    const int value = CRandom::fReduceToRange(raw, -3, 3);
    EXPECT_GE(value, -3);
    EXPECT_LE(value, 3);
  }
}

TEST_F(CRandomTest, EqualBoundsTakeNoDraw) {
  CRandom withSkip(77);
  CRandom plain(77);
  EXPECT_EQ(withSkip.fGetRand(3, 3), 3);
  EXPECT_EQ(withSkip.fGetCount(), 0);
  EXPECT_EQ(withSkip.fGetRand(0, 4), plain.fGetRand(0, 4));
  EXPECT_EQ(withSkip.fGetCount(), 1);
}

TEST_F(CRandomTest, DrawsReduceTheRawSequence) {
  CRandom random(2024);
  std::mt19937 reference(2024);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(random.fGetRand(0, 3), CRandom::fReduceToRange(reference(), 0, 3));
  }
}

TEST_F(CRandomTest, RestoreReturnsToTheStateAfterNDraws) {
  CRandom random(42);
  std::vector<std::uint32_t> outputs;
  for (int i = 0; i < 20; ++i) outputs.push_back(random.fNext());
  random.fRestore(10);
  EXPECT_EQ(random.fGetCount(), 10);
  EXPECT_EQ(random.fNext(), outputs[10]);
  random.fRestore(0);
  EXPECT_EQ(random.fNext(), outputs[0]);
  EXPECT_EQ(random.fGetSeed(), 42);
}

TEST_F(CRandomTest, ConstructorsAnnounceThemselves) {
  testing::internal::CaptureStdout();
  { CRandom seeded(-7); }
  { CRandom unseeded; }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "gRandom this(int = -7)\ngRandom this()\n");
}

TEST_F(CRandomTest, MinAboveMaxIsAProgrammingError) {
  CRandom random(1);
  EXPECT_DEATH(random.fGetRand(5, 4), "fGetRand");
}

}  // namespace
