// Frame measurements for --frame-stats, one sample a pass of the frame loop:
// the game frames stepped, their update, the drawing, the swap, the pass's
// whole cost (update + draw + swap: a software GL does most of its work in
// the swap) and the interval between this picture's swap and the previous
// one's, which is what the display is given. A summary of them (median,
// p90, p99, maximum, late pictures) with the run's peak memory, time to
// first frame, speed and stalls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SFrameSample {
  int steps = 0;              // game frames stepped before this picture
  std::int64_t update = 0;    // microseconds: input snapshot, update, animate of them all
  std::int64_t draw = 0;      // clearing and drawing the scene
  std::int64_t present = 0;   // rendering into the window and swapping, without waiting for the due time
  std::int64_t waited = 0;    // held back between rendering and the swap until the picture was due
  bool shown = false;         // swapped (with no wait, not every pass shows)
  std::int64_t interval = 0;  // swap end to the previous swap end; 0 if none
  std::int64_t fCost() const { return update + draw + present; }
};

struct SSpread {
  double median = 0.0;
  double p90 = 0.0;
  double p99 = 0.0;
  double max = 0.0;
};

// Nearest-rank percentiles of the values (all zero for none).
SSpread fSpreadOf(std::vector<double> values);

class CFrameStats {
 public:
  // A picture is late when it comes more than half a refresh after its
  // 16.7 ms slot: a 60 Hz display has then shown the previous one twice.
  static constexpr double kSlotMilliseconds = 1000.0 / 60.0;
  static constexpr double kLateMilliseconds = kSlotMilliseconds * 1.5;

  // Times in microseconds of one clock, in this order each pass.
  void fFrameBegin(std::int64_t now, int steps = 1);
  void fUpdateDone(std::int64_t now);
  void fDrawDone(std::int64_t now);
  // Time spent waiting on purpose before the swap: not part of the cost.
  void fWaited(std::int64_t microseconds);
  void fPresentDone(std::int64_t now, bool shown = true);
  // Stalls the pacer did not make up, and the game time they dropped.
  void fSetStalls(int stalls, std::int64_t droppedMicroseconds);

  const std::vector<SFrameSample>& fSamples() const { return mSamples; }
  // Pictures whose interval since the previous one was over kLateMilliseconds.
  int fLateCount() const;
  // Passes whose whole cost (update, draw, swap) overran the slot.
  int fOverrunCount() const;
  // One line a pass: "pass,steps,update_us,draw_us,swap_us,cost_us,interval_us",
  // cost being update + draw + swap and interval swap end to swap end.
  std::string fCsv() const;
  // The human-readable summary; firstFrame and peakBytes come from outside.
  std::string fSummary(double firstFrameSeconds, std::int64_t peakBytes) const;

 private:
  std::vector<SFrameSample> mSamples;
  std::int64_t mLastSwap = -1;
  std::int64_t mMark = 0;
  int mStalls = 0;
  std::int64_t mDropped = 0;
  std::int64_t mFirstBegin = 0;
  std::int64_t mLastEnd = 0;
};
