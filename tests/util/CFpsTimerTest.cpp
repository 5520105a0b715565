#include <gtest/gtest.h>

#include "app/Globals.h"
#include "gamelib/FrameTiming.h"
#include "support/HeadlessTest.h"
#include "util/CFpsTimer.h"

namespace {

class CFpsTimerTest : public HeadlessTest {
 protected:
  // A frame whose update and draw took `work` milliseconds, then the wait.
  void fFrame(CFpsTimer& timer, int work) {
    backend().fAdvanceClock(work);
    timer.fWait();
  }
};

TEST_F(CFpsTimerTest, SleepsToOneMillisecondShortOfTheSlot) {
  CFpsTimer timer(false, true);
  backend().fSetLogging(true);
  fFrame(timer, 5);
  EXPECT_EQ(backend().fLogOf({"Sleep"}), std::vector<std::string>{"Sleep(11)"});
  EXPECT_EQ(backend().fNow(), 16);
}

TEST_F(CFpsTimerTest, ALateFrameDoesNotSleepAndLostTimeIsNotMadeUp) {
  CFpsTimer timer(false, true);
  backend().fSetLogging(true);
  fFrame(timer, 40);  // far past the 17 ms slot
  fFrame(timer, 5);   // the next slot counts from the end of the late frame
  EXPECT_EQ(backend().fLogOf({"Sleep"}), (std::vector<std::string>{"Sleep(0)", "Sleep(11)"}));
}

TEST_F(CFpsTimerTest, NoWaitAndSlowMotionChangeTheSlot) {
  CFpsTimer timer(false, true);
  backend().fSetLogging(true);
  timer.fToggleNoWait();
  fFrame(timer, 2);
  timer.fSetNoWait(false);
  timer.fToggleSlowMotion();
  fFrame(timer, 2);
  EXPECT_EQ(backend().fLogOf({"Sleep"}), (std::vector<std::string>{"Sleep(0)", "Sleep(167)"}));
}

TEST_F(CFpsTimerTest, WhenSwapsWaitForTheDisplayTheNormalFrameIsNotSleptAsWell) {
  CFpsTimer timer(false, true);
  backend().fSetLogging(true);
  SetWaitVSyncFlag(1);  // asked for, but this GL cannot: the timer paces
  fFrame(timer, 5);
  backend().fSetVSyncWorks(true);
  SetWaitVSyncFlag(1);
  fFrame(timer, 5);
  timer.fToggleSlowMotion();  // slow motion is longer than a refresh: still slept
  fFrame(timer, 5);
  EXPECT_EQ(backend().fLogOf({"Sleep"}), (std::vector<std::string>{"Sleep(11)", "Sleep(0)", "Sleep(164)"}));
}

TEST_F(CFpsTimerTest, RateReadsSixtyUntilThreeSecondsHavePassedThenFramesOverThree) {
  CFpsTimer timer(false, true);
  int frames = 0;
  while (backend().fNow() < 2990) {
    fFrame(timer, 0);
    ++frames;
    ASSERT_EQ(timer.fFrameRate(), 60.0);
  }
  EXPECT_EQ(timer.fFpsText(), "FPS60");
  // Each frame lasts 16 ms here; the measurement divides by 3.0 whatever passed.
  while (timer.fFrameRate() == 60.0) {
    fFrame(timer, 0);
    ++frames;
  }
  EXPECT_DOUBLE_EQ(timer.fFrameRate(), (frames - 1) / 3.0);
}

TEST_F(CFpsTimerTest, ReadOutUsesPercentG) {
  CFpsTimer timer(false, true);
  // 176 frames in the first three seconds.
  for (int i = 0; i < 176; ++i) fFrame(timer, 1);
  backend().fAdvanceClock(3000 - backend().fNow());
  timer.fWait();
  EXPECT_EQ(timer.fFpsText(), "FPS58.6667");

  backend().fSetLogging(true);
  gFontSmall = 7;
  timer.fDrawFps();
  EXPECT_EQ(backend().fLog().back(), "DrawStringToHandle(580, 0, \"FPS58.6667\", 16777215, 7, 0, 0)");
}

TEST_F(CFpsTimerTest, WithoutSkipModeEveryFrameIsDrawn) {
  CFpsTimer timer(false, true);
  for (int i = 0; i < 10; ++i) {
    fFrame(timer, 50);
    EXPECT_FALSE(timer.fIsSkipFrame());
  }
}

TEST_F(CFpsTimerTest, SkipModeSkipsDrawsWhileBehindAndCatchesUp) {
  CFpsTimer timer(true, true);
  fFrame(timer, 30);  // 13 ms past the slot
  EXPECT_FALSE(timer.fIsSkipFrame());
  fFrame(timer, 30);  // the slot shrank to 4 ms and the frame took 30
  EXPECT_TRUE(timer.fIsSkipFrame());
  fFrame(timer, 1);  // still 10 ms behind
  EXPECT_TRUE(timer.fIsSkipFrame());
  fFrame(timer, 1);  // caught up
  EXPECT_FALSE(timer.fIsSkipFrame());
  EXPECT_EQ(timer.fSkippedFrames(), 2);
  EXPECT_EQ(timer.fFpsText(), "SKIP 2");
}

}  // namespace
