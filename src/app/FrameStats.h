// Frame measurements for --frame-stats: per frame the update, draw and
// present times and the time since the previous frame, and a summary of
// them (median, p90, p99, maximum, late frames) with the run's peak memory,
// time to first frame and speed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SFrameSample {
  std::int64_t update = 0;    // microseconds: input snapshot, update, animate
  std::int64_t draw = 0;      // clearing and drawing the scene
  std::int64_t present = 0;   // showing the back screen and swapping
  std::int64_t interval = 0;  // since the previous frame began; 0 for the first
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
  // A frame is late when it begins more than half a refresh after its
  // 16.7 ms slot: a 60 Hz display has then shown the previous one twice.
  static constexpr double kSlotMilliseconds = 1000.0 / 60.0;
  static constexpr double kLateMilliseconds = kSlotMilliseconds * 1.5;

  // Times in microseconds of one clock, in this order each frame.
  void fFrameBegin(std::int64_t now);
  void fUpdateDone(std::int64_t now);
  void fDrawDone(std::int64_t now);
  void fPresentDone(std::int64_t now);

  const std::vector<SFrameSample>& fSamples() const { return mSamples; }
  // Frames whose gap since the previous one was over kLateMilliseconds.
  int fLateCount() const;
  // Frames whose own work (update, draw, present) overran the slot.
  int fOverrunCount() const;
  // One line per frame: "frame,update_us,draw_us,present_us,interval_us".
  std::string fCsv() const;
  // The human-readable summary; firstFrame and peakBytes come from outside.
  std::string fSummary(double firstFrameSeconds, std::int64_t peakBytes) const;

 private:
  std::vector<SFrameSample> mSamples;
  std::int64_t mFrameBegin = -1;
  std::int64_t mMark = 0;
  std::int64_t mFirstBegin = 0;
  std::int64_t mLastEnd = 0;
};
