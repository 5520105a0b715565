// The frame figures of --frame-stats: what is counted into each phase,
// percentiles, late frames and the summary.
#include <gtest/gtest.h>

#include "app/FrameStats.h"

namespace {

// One frame beginning at `begin` with the phases' lengths in microseconds.
void fFrame(CFrameStats& stats, std::int64_t begin, int update, int draw, int present) {
  stats.fFrameBegin(begin);
  stats.fUpdateDone(begin + update);
  stats.fDrawDone(begin + update + draw);
  stats.fPresentDone(begin + update + draw + present);
}

TEST(FrameStats, EachPhaseAndTheGapSinceThePreviousFrameAreKept) {
  CFrameStats stats;
  fFrame(stats, 1000, 300, 2000, 500);
  fFrame(stats, 1000 + 16900, 250, 1800, 400);
  ASSERT_EQ(stats.fSamples().size(), 2u);
  EXPECT_EQ(stats.fSamples()[0].interval, 0);
  EXPECT_EQ(stats.fSamples()[1].update, 250);
  EXPECT_EQ(stats.fSamples()[1].draw, 1800);
  EXPECT_EQ(stats.fSamples()[1].present, 400);
  EXPECT_EQ(stats.fSamples()[1].interval, 16900);
  EXPECT_EQ(stats.fCsv(), "frame,update_us,draw_us,present_us,interval_us\n0,300,2000,500,0\n1,250,1800,400,16900\n");
}

TEST(FrameStats, PercentilesAreNearestRank) {
  std::vector<double> values;
  for (int i = 100; i >= 1; --i) values.push_back(i);
  const SSpread spread = fSpreadOf(values);
  EXPECT_EQ(spread.median, 50);
  EXPECT_EQ(spread.p90, 90);
  EXPECT_EQ(spread.p99, 99);
  EXPECT_EQ(spread.max, 100);
  const SSpread one = fSpreadOf({7.5});
  EXPECT_EQ(one.median, 7.5);
  EXPECT_EQ(one.p99, 7.5);
  EXPECT_EQ(fSpreadOf({}).max, 0.0);
}

TEST(FrameStats, LateMeansAMissedRefreshAndOverrunMeansWorkLongerThanTheSlot) {
  CFrameStats stats;
  std::int64_t at = 0;
  fFrame(stats, at, 100, 100, 100);
  at += 17000;  // on time
  fFrame(stats, at, 100, 100, 100);
  at += 25000;  // 25.0 ms: within half a refresh of the slot
  fFrame(stats, at, 100, 16000, 800);  // its own work overruns the slot
  at += 25100;  // late
  fFrame(stats, at, 100, 100, 100);
  EXPECT_EQ(stats.fLateCount(), 1);
  EXPECT_EQ(stats.fOverrunCount(), 1);
  const std::string summary = stats.fSummary(0.25, 100 * 1048576);
  EXPECT_NE(summary.find("frames                 4 in 0.07 s"), std::string::npos) << summary;
  EXPECT_NE(summary.find("late frames            1 (gap over 25.0 ms); 1 overran"), std::string::npos) << summary;
  EXPECT_NE(summary.find("first frame            0.250 s"), std::string::npos) << summary;
  EXPECT_NE(summary.find("peak resident memory   100.0 MB"), std::string::npos) << summary;
  EXPECT_NE(summary.find("max   16.10 ms"), std::string::npos) << summary;  // update+draw of the third frame
}

}  // namespace
