// Decides when the game steps its frames: exactly 60 frames of game time a
// second of wall time, whatever the display's refresh rate. Frame i is due
// at a fixed time from an anchor, so no rounding drifts and no frame is
// stepped twice; when drawing falls behind, several frames are stepped
// before the next picture (pictures are dropped, never game frames).
//
// A stall longer than kMaxCatchUp frames (a suspended process, a debugger,
// a machine swapping) is not made up: the frames beyond the limit are not
// stepped at all, the game time they stood for is dropped, counted in
// fStalls/fDroppedMicroseconds, and the game goes on from the present.
//
// Pure: the caller passes the clock's readings in microseconds.
#pragma once

#include <cstdint>

class CFramePacer {
 public:
  enum class EPace {
    Normal,  // 60 frames a second
    Slow,    // slow motion: one frame every 170 ms
    NoWait,  // one frame every time it is asked, unpaced
  };

  static constexpr int kFramesPerSecond = 60;
  static constexpr std::int64_t kSlowFrameMicroseconds = 170'000;
  // At most this many frames (100 ms of game time) are stepped for one picture.
  static constexpr int kMaxCatchUp = 6;

  explicit CFramePacer(std::int64_t now);

  // Frames from the next one on follow the new pace, the next one due now.
  void fSetPace(EPace pace, std::int64_t now);
  EPace fPace() const { return mPace; }
  // Whether buffer swaps wait for the display. With it, the frames' phase is
  // set by the first swap so that swaps fall half a frame from any frame's
  // due time: a swap returning a little early or late still finds the same
  // number of frames due. (Game time moves by under half a frame, once.)
  void fSetVSync(bool swapsWait);

  // The number of game frames to step now, before drawing the last one.
  int fFramesDue(std::int64_t now);
  // A swap has just returned.
  void fPresented(std::int64_t now);
  // When swaps do not wait for the display: when to show the picture of the
  // frames just stepped, a fixed time after the last one's due time, so that
  // pictures follow each other a frame apart however long each took to
  // render (it is rendered first, then the swap waits for this). 0: show it
  // at once (no wait, swaps that wait, or nothing stepped yet).
  std::int64_t fPresentTime() const;
  static constexpr std::int64_t kPresentDelayMicroseconds = 16'000;
  // Microseconds until the next frame is due (0: ask again at once).
  std::int64_t fWaitBefore(std::int64_t now) const;

  long long fFramesStepped() const { return mStepped; }
  int fStalls() const { return mStalls; }
  std::int64_t fDroppedMicroseconds() const { return mDropped; }

 private:
  // When frame `frame` (counted from the start) is due.
  std::int64_t fDueTime(long long frame) const;
  // Frames due by `now`, counted from the start.
  long long fDueBy(std::int64_t now) const;
  void fAnchor(long long frame, std::int64_t at);

  EPace mPace = EPace::Normal;
  // A frame lasts mNumerator / mDenominator microseconds.
  std::int64_t mNumerator = 1'000'000;
  std::int64_t mDenominator = kFramesPerSecond;
  long long mAnchorFrame = 0;
  std::int64_t mAnchorTime = 0;
  bool mVSync = false;
  bool mPhaseSet = false;
  long long mStepped = 0;
  int mStalls = 0;
  std::int64_t mDropped = 0;
};
