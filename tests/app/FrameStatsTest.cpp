// The frame figures of --frame-stats: what is counted into each phase,
// percentiles, late frames and the summary.
#include <gtest/gtest.h>

#include "app/FrameStats.h"

namespace {

// One pass beginning at `begin` with the phases' lengths in microseconds;
// returns when its swap ended.
std::int64_t fFrame(CFrameStats& stats, std::int64_t begin, int update, int draw, int present, int steps = 1,
                    bool shown = true) {
  stats.fFrameBegin(begin, steps);
  stats.fUpdateDone(begin + update);
  stats.fDrawDone(begin + update + draw);
  stats.fPresentDone(begin + update + draw + present, shown);
  return begin + update + draw + present;
}

TEST(FrameStats, EachPhaseTheWholeCostAndTheTimeBetweenSwapsAreKept) {
  CFrameStats stats;
  const std::int64_t firstSwap = fFrame(stats, 1000, 300, 2000, 500);
  // The next pass starts after a sleep; its swap, 9 ms long, ends 16.25 ms
  // after the first one: that is what the display saw, whatever the work.
  const std::int64_t secondSwap = fFrame(stats, 1000 + 8000, 250, 1800, 9000, 2);
  ASSERT_EQ(stats.fSamples().size(), 2u);
  EXPECT_EQ(stats.fSamples()[0].interval, 0);
  EXPECT_EQ(stats.fSamples()[1].steps, 2);
  EXPECT_EQ(stats.fSamples()[1].update, 250);
  EXPECT_EQ(stats.fSamples()[1].draw, 1800);
  EXPECT_EQ(stats.fSamples()[1].present, 9000);
  EXPECT_EQ(stats.fSamples()[1].fCost(), 11050);
  EXPECT_EQ(stats.fSamples()[1].interval, secondSwap - firstSwap);
  EXPECT_EQ(stats.fCsv(),
            "pass,steps,update_us,draw_us,swap_us,cost_us,interval_us\n"
            "0,1,300,2000,500,2800,0\n"
            "1,2,250,1800,9000,11050,16250\n");
}

// A picture held back until it is due: the wait shows in the time between
// swaps but is not cost.
TEST(FrameStats, AWaitBeforeTheSwapIsNotCost) {
  CFrameStats stats;
  stats.fFrameBegin(0, 1);
  stats.fUpdateDone(200);
  stats.fDrawDone(1200);
  stats.fWaited(9000);
  stats.fPresentDone(1200 + 5000 + 9000);
  ASSERT_EQ(stats.fSamples().size(), 1u);
  EXPECT_EQ(stats.fSamples()[0].present, 5000);
  EXPECT_EQ(stats.fSamples()[0].fCost(), 6200);
}

TEST(FrameStats, PassesThatShowNothingCountTheirFramesButNoInterval) {
  CFrameStats stats;
  std::int64_t at = fFrame(stats, 0, 1000, 2000, 1000);         // shown, ends at 4 ms
  at = fFrame(stats, at, 3000, 0, 0, 1, false);                 // no wait: not shown
  at = fFrame(stats, at, 3000, 0, 0, 1, false);
  fFrame(stats, at + 10000, 1000, 2000, 1000);                  // shown at 24 ms
  EXPECT_EQ(stats.fSamples()[1].interval, 0);
  EXPECT_EQ(stats.fSamples()[3].interval, 20000) << "since the last swap, not the last pass";
  const std::string summary = stats.fSummary(0.1, 0);
  EXPECT_NE(summary.find("frames                 4 in 0.02 s"), std::string::npos) << summary;
  EXPECT_NE(summary.find("2 pictures shown"), std::string::npos) << summary;
  EXPECT_NE(summary.find("swap to swap           median  20.00"), std::string::npos) << summary;
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

TEST(FrameStats, LateMeansAMissedRefreshAndOverrunMeansACostLongerThanTheSlot) {
  CFrameStats stats;
  std::int64_t swap = fFrame(stats, 0, 100, 100, 100);
  swap = fFrame(stats, swap + 16400, 100, 100, 100);  // 16.7 ms after the last swap: on time
  // 25.0 ms after: within half a refresh of the slot; its cost, mostly the
  // swap, overruns the slot.
  swap = fFrame(stats, swap + 8200, 100, 1000, 15700);
  fFrame(stats, swap + 24800, 100, 100, 100);  // 25.1 ms: late
  EXPECT_EQ(stats.fLateCount(), 1);
  EXPECT_EQ(stats.fOverrunCount(), 1);
  stats.fSetStalls(1, 2'345'000);
  const std::string summary = stats.fSummary(0.25, 100 * 1048576);
  EXPECT_NE(summary.find("frames                 4 in 0.07 s"), std::string::npos) << summary;
  EXPECT_NE(summary.find("late pictures          1 (swap to swap over 25.0 ms); 1 passes cost over"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("stalls                 1, 2345.0 ms of game time dropped"), std::string::npos) << summary;
  EXPECT_NE(summary.find("first frame            0.250 s"), std::string::npos) << summary;
  EXPECT_NE(summary.find("peak resident memory   100.0 MB"), std::string::npos) << summary;
  EXPECT_NE(summary.find("max   16.80 ms"), std::string::npos) << summary;  // the third pass's whole cost
}

}  // namespace
