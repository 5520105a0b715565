// Paces the frame loop: sleeps to the end of each frame's time slot, counts
// frames, measures the frame rate and (in skip mode) says which frames to
// leave undrawn.
#pragma once

#include <cstdint>
#include <string>

class CFpsTimer {
 public:
  static constexpr int kFrameMilliseconds = 17;  // about 58.8 frames a second
  static constexpr int kSlowFrameMilliseconds = 170;
  static constexpr int kMeasureMilliseconds = 3000;
  static constexpr int kMaxLateness = 100;
  static constexpr int kSkipLateness = 3;

  CFpsTimer(bool skipMode, bool measure);
  virtual ~CFpsTimer() = default;

  virtual void fToggleNoWait() { noWait = !noWait; }
  virtual void fToggleSlowMotion() { slowMotion = !slowMotion; }
  virtual void fSetNoWait(bool value) { noWait = value; }
  virtual void fSetSlowMotion(bool value) { slowMotion = value; }
  // Back to the normal pace: no-wait and slow motion both off.
  void fResetPace() {
    fSetNoWait(false);
    fSetSlowMotion(false);
  }
  virtual void fWaitWithSkip();
  virtual void fWaitAndMeasure();
  virtual void fResetFrameStart();
  virtual void fWait();
  // Counts a frame and measures the rate, without waiting: for a loop paced
  // by something else (CFramePacer).
  void fCountFrame();
  virtual void fDrawFps();
  virtual bool fIsSkipFrame();

  // The frame-rate read-out as drawn, e.g. "FPS58.6667".
  std::string fFpsText() const;
  std::int64_t fFrameCount() const { return frameCount; }
  double fFrameRate() const { return frameRate; }
  int fSkippedFrames() const { return skippedFrames; }

  // Read as plain flags by the stage's indicators.
  bool slowMotion = false;
  bool noWait = false;

 private:
  int fSlotLength() const;

  std::int64_t frameCount = 0;
  bool skipMode;
  bool measure;
  int frameStart = 0;
  int frameDuration = 0;
  int lateness = 0;
  bool skipNextDraw = false;
  int framesAtLastMeasure = 0;
  int timeOfLastMeasure = 0;
  double frameRate = 60.0;
  int skippedFrames = 0;
};
