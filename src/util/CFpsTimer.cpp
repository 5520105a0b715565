#include "util/CFpsTimer.h"

#include <algorithm>
#include <cstdio>

#include "app/Globals.h"
#include "gamelib/FrameTiming.h"
#include "gamelib/GameLib.h"

CFpsTimer::CFpsTimer(bool skip, bool measureRate) : skipMode(skip), measure(measureRate) {
  timeOfLastMeasure = GetNowCount(0);
  framesAtLastMeasure = static_cast<int>(frameCount);
  fResetFrameStart();
}

int CFpsTimer::fSlotLength() const {
  if (noWait) return 0;
  if (slowMotion) return kSlowFrameMilliseconds;
  // When the swap waits for the display, the display paces the normal
  // frame; sleeping as well would wait twice and miss every other refresh.
  return GetWaitVSyncFlag() != 0 ? 0 : kFrameMilliseconds;
}

// The sleep stops a millisecond short of the slot so that its coarse
// granularity does not overrun it; lost time is not made up.
void CFpsTimer::fWaitAndMeasure() {
  const int slot = fSlotLength();
  frameDuration = slot;
  Sleep(std::max(0, slot - 1 - (GetNowCount(0) - frameStart)));
  fCountFrame();
}

void CFpsTimer::fCountFrame() {
  const int now = GetNowCount(0);
  frameStart = now;
  if (measure && now >= timeOfLastMeasure + kMeasureMilliseconds) {
    frameRate = static_cast<double>(frameCount - framesAtLastMeasure) / 3.0;
    timeOfLastMeasure = now;
    framesAtLastMeasure = static_cast<int>(frameCount);
  }
  ++frameCount;
}

// Lateness is how far the last frame ran past its slot; the next slot is
// shortened by it, and a frame more than 3 ms behind is left undrawn.
void CFpsTimer::fWaitWithSkip() {
  int slot = fSlotLength();
  slot -= lateness;
  if (lateness > kSkipLateness) skipNextDraw = true;
  frameDuration = slot;
  const int elapsed = GetNowCount(0) - frameStart;
  Sleep(std::max(0, slot - 1 - elapsed));
  const int behind = elapsed - slot;
  if (behind > 0) {
    lateness = std::min(behind, kMaxLateness);
  } else {
    skipNextDraw = false;
    lateness = 0;
  }
  frameStart = GetNowCount(0);
  ++frameCount;
}

void CFpsTimer::fResetFrameStart() { frameStart = GetNowCount(0); }

void CFpsTimer::fWait() {
  if (skipMode) {
    fWaitWithSkip();
  } else {
    fWaitAndMeasure();
  }
}

std::string CFpsTimer::fFpsText() const {
  char buffer[64];
  if (skipMode) {
    std::snprintf(buffer, sizeof buffer, "SKIP %d", skippedFrames);
  } else {
    std::snprintf(buffer, sizeof buffer, "FPS%g", frameRate);
  }
  return buffer;
}

void CFpsTimer::fDrawFps() {
  const unsigned int white = GetColor(255, 255, 255);
  const std::string text = fFpsText();
  if (skipMode) {
    DrawStringToHandle(0, 460, text.c_str(), white, gFontSmall, 0, 0);
  } else {
    DrawStringToHandle(580, 0, text.c_str(), white, gFontSmall, 0, 0);
  }
}

bool CFpsTimer::fIsSkipFrame() {
  if (skipNextDraw && measure) ++skippedFrames;
  return skipNextDraw;
}
