// The frame pacer against a fake clock and fake displays: game time is 60
// frames a second at any refresh rate, no frame is stepped twice, pictures
// are dropped rather than frames, and a stall is capped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "util/CFramePacer.h"

namespace {

constexpr std::int64_t kSecond = 1'000'000;

// The main loop's shape against a display refreshing `hertz` times a second
// (0: no vsync, the timer paces): step what is due, draw for `drawCost`,
// swap (waiting for the next refresh), then sleep in whole milliseconds.
struct SFakeDisplay {
  double hertz = 60.0;
  std::int64_t drawCost = 3000;
  // Added to each swap's return, cycling: a driver's jitter.
  std::vector<std::int64_t> swapJitter{0};

  std::int64_t fNextRefresh(std::int64_t now) const {
    const double period = 1e6 / hertz;
    const auto refreshes = static_cast<std::int64_t>(std::floor(static_cast<double>(now) / period)) + 1;
    return static_cast<std::int64_t>(std::ceil(static_cast<double>(refreshes) * period));
  }
};

struct SPlay {
  long long frames = 0;     // stepped in the wall time given
  int pictures = 0;         // swaps
  int mostForOnePicture = 0;
  int passes = 0;           // times round the loop
  std::vector<int> stepsPerPicture;
  std::vector<std::int64_t> swaps;  // when each swap returned
};

SPlay fPlay(CFramePacer& pacer, std::int64_t& now, std::int64_t until, const SFakeDisplay& display) {
  SPlay play;
  std::size_t swaps = 0;
  while (now < until) {
    ++play.passes;
    const int due = pacer.fFramesDue(now);
    play.frames += due;
    if (due > 0) {
      now += display.drawCost;
      if (display.hertz > 0) now = display.fNextRefresh(now);
      now += display.swapJitter[swaps++ % display.swapJitter.size()];
      pacer.fPresented(now);
      ++play.pictures;
      play.mostForOnePicture = std::max(play.mostForOnePicture, due);
      play.stepsPerPicture.push_back(due);
      play.swaps.push_back(now);
    }
    const std::int64_t wait = pacer.fWaitBefore(now);
    now += (wait + 999) / 1000 * 1000;  // the game library sleeps whole milliseconds
  }
  // Frames that fell due while the last picture was drawn are stepped at
  // the next pass; they belong to the wall time given.
  play.frames += pacer.fFramesDue(until);
  return play;
}

SPlay fPlayFor(const SFakeDisplay& display, std::int64_t wallTime, std::int64_t start = 123'456) {
  CFramePacer pacer(start);
  pacer.fSetVSync(display.hertz > 0);
  std::int64_t now = start;
  return fPlay(pacer, now, start + wallTime, display);
}

TEST(CFramePacer, TenSecondsAreSixHundredFramesAtEveryRefreshRateAndWithoutVSync) {
  for (double hertz : {50.0, 60.0, 75.0, 120.0, 144.0, 165.0, 0.0}) {
    for (std::int64_t drawCost : {500, 4000, 12000}) {
      SFakeDisplay display;
      display.hertz = hertz;
      display.drawCost = drawCost;
      const SPlay play = fPlayFor(display, 10 * kSecond);
      EXPECT_NEAR(play.frames, 600, 1) << hertz << " Hz, drawing " << drawCost << " us";
      // A display slower than the game, or drawing that with the wait for a
      // refresh overruns a frame, shows fewer pictures, each after two frames
      // at most; otherwise every frame is shown, and never more than 60 a second.
      const bool behind = (hertz > 0 && hertz < 60) || drawCost > 8000;
      EXPECT_LE(play.mostForOnePicture, behind ? 2 : 1) << hertz << " Hz, " << drawCost;
      if (!behind) {
        EXPECT_NEAR(play.pictures, 600, 1) << hertz << " Hz, " << drawCost;
      }
      EXPECT_LE(play.pictures, 601) << hertz << " Hz, " << drawCost;
    }
  }
}

TEST(CFramePacer, AtSixtyHertzEverySwapBringsOneFrameThoughSwapsReturnUnevenly) {
  SFakeDisplay display;
  display.hertz = 60.0;
  display.drawCost = 13000;
  // Swaps returning up to 4 ms early or 3 ms late, around refreshes that
  // come 3.6 ms before the frames' due times when the clock starts at 3.6 ms:
  // without the phase set by the first swap, a swap would find no frame due,
  // wait for it and, drawing 13 ms, miss the next refresh.
  display.swapJitter = {0, -3000, 200, 3000, -1500, 0, 2500, -4000};
  const SPlay play = fPlayFor(display, 10 * kSecond, 3600);
  EXPECT_NEAR(play.frames, 600, 1);
  // From the picture after the one that set the phase on:
  for (std::size_t i = 2; i < play.stepsPerPicture.size(); ++i) {
    ASSERT_EQ(play.stepsPerPicture[i], 1) << "picture " << i;
    // A refresh apart, give or take the swaps' unevenness: none missed.
    ASSERT_LT(play.swaps[i] - play.swaps[i - 1], 16'667 + 7000) << "picture " << i;
  }
}

TEST(CFramePacer, SlowDrawingDropsPicturesButNotGameFrames) {
  for (double hertz : {60.0, 144.0, 0.0}) {
    SFakeDisplay display;
    display.hertz = hertz;
    display.drawCost = 40'000;  // two and a half frames a picture
    const SPlay play = fPlayFor(display, 10 * kSecond);
    EXPECT_NEAR(play.frames, 600, 1) << hertz;
    EXPECT_LT(play.pictures, 260) << hertz;
    EXPECT_LE(play.mostForOnePicture, 3) << hertz;
  }
}

TEST(CFramePacer, SwapsThatDoNotWaitDespiteVSyncAreTimerPaced) {
  // The driver said yes but swaps return at once: no busy loop of pictures.
  SFakeDisplay display;
  display.hertz = 0.0;
  display.drawCost = 1000;
  CFramePacer pacer(0);
  pacer.fSetVSync(true);
  std::int64_t now = 0;
  const SPlay play = fPlay(pacer, now, 10 * kSecond, display);
  EXPECT_NEAR(play.frames, 600, 1);
  EXPECT_NEAR(play.pictures, 600, 1);
  EXPECT_LE(play.passes, 1300) << "sleeps until the next frame, woken at most once early";
}

TEST(CFramePacer, AStallStepsAtMostTheCatchUpLimitAndDropsTheRest) {
  SFakeDisplay display;
  CFramePacer pacer(0);
  pacer.fSetVSync(true);
  std::int64_t now = 0;
  const long long before = fPlay(pacer, now, kSecond, display).frames;
  EXPECT_NEAR(before, 60, 1);
  EXPECT_EQ(pacer.fStalls(), 0);

  now += 5 * kSecond;  // the process was suspended
  EXPECT_EQ(pacer.fFramesDue(now), CFramePacer::kMaxCatchUp);
  EXPECT_EQ(pacer.fStalls(), 1);
  // About 300 frames were due; six were stepped, the rest of the time dropped.
  EXPECT_NEAR(static_cast<double>(pacer.fDroppedMicroseconds()), 5.0 * kSecond - 6 * kSecond / 60.0, 20'000.0);
  EXPECT_EQ(pacer.fFramesDue(now), 0) << "nothing is stepped twice";

  // Then 60 a second again, from where it stood.
  const std::int64_t resume = now;
  const long long after = fPlay(pacer, now, resume + kSecond, display).frames;
  EXPECT_NEAR(after, 60, 1);
  EXPECT_EQ(pacer.fStalls(), 1);
}

TEST(CFramePacer, ShortDelaysAreCaughtUpInFull) {
  CFramePacer pacer(0);
  EXPECT_EQ(pacer.fFramesDue(0), 1);
  // 90 ms late: frames 1 to 6 are all due (frame 7, at 116.67 ms, not yet).
  EXPECT_EQ(pacer.fFramesDue(16'667 + 90'000), 6);
  EXPECT_EQ(pacer.fStalls(), 0);
  EXPECT_EQ(pacer.fFramesStepped(), 7);
  EXPECT_EQ(pacer.fWaitBefore(106'667), 116'667 - 106'667);
}

TEST(CFramePacer, SlowMotionNoWaitAndBackToNormal) {
  CFramePacer pacer(0);
  pacer.fSetPace(CFramePacer::EPace::Slow, 0);
  long long slow = 0;
  for (std::int64_t now = 0; now < kSecond; now += 1000) slow += pacer.fFramesDue(now);
  EXPECT_EQ(slow, 6);  // at 0, 170, ..., 850 ms
  EXPECT_EQ(pacer.fWaitBefore(kSecond), 1'020'000 - kSecond);

  pacer.fSetPace(CFramePacer::EPace::NoWait, kSecond);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(pacer.fFramesDue(kSecond), 1);
  EXPECT_EQ(pacer.fWaitBefore(kSecond), 0);

  // Normal again: the next frame at once, not the thousand "owed".
  pacer.fSetPace(CFramePacer::EPace::Normal, 2 * kSecond);
  EXPECT_EQ(pacer.fFramesDue(2 * kSecond), 1);
  EXPECT_EQ(pacer.fFramesDue(2 * kSecond + 16'000), 0);
  EXPECT_EQ(pacer.fFramesDue(2 * kSecond + 17'000), 1);
  EXPECT_EQ(pacer.fFramesStepped(), 6 + 1000 + 2);
  EXPECT_EQ(pacer.fStalls(), 0);
}

TEST(CFramePacer, GameTimeDoesNotDriftOverAnHour) {
  // Whole-microsecond frames would drift 2.4 s an hour; due times are exact.
  CFramePacer pacer(0);
  long long frames = 0;
  for (std::int64_t now = 0; now < 3600 * kSecond; now += 16'000) frames += pacer.fFramesDue(now);
  EXPECT_NEAR(frames, 3600 * 60, 1);
}

}  // namespace

namespace {

// Timer-paced, the picture is rendered first and swapped when the pacer
// says: rendering that takes 2 to 14 ms a picture, unevenly, must not show
// as uneven gaps between swaps. The loop sleeps as the game's does (whole
// milliseconds, rounded down before a swap and up before the next frame).
std::vector<std::int64_t> fTimedSwaps(const std::vector<std::int64_t>& renderCosts, int pictures) {
  constexpr std::int64_t kStart = 777'777;
  CFramePacer pacer(kStart);
  std::int64_t now = kStart;
  std::vector<std::int64_t> swaps;
  for (int i = 0; static_cast<int>(swaps.size()) < pictures; ++i) {
    if (pacer.fFramesDue(now) > 0) {
      now += renderCosts[swaps.size() % renderCosts.size()];
      const std::int64_t at = pacer.fPresentTime();
      if (at - now >= 1000) now += (at - now) / 1000 * 1000;
      swaps.push_back(now);
    }
    now += (pacer.fWaitBefore(now) + 999) / 1000 * 1000;
  }
  return swaps;
}

}  // namespace

TEST(CFramePacer, TimerPacedSwapsComeAFrameApartHoweverLongRenderingTakes) {
  const std::vector<std::int64_t> swaps = fTimedSwaps({2'000, 14'000, 6'500, 11'000, 3'000, 13'900}, 600);
  std::int64_t shortest = INT64_MAX, longest = 0;
  for (std::size_t i = 1; i < swaps.size(); ++i) {
    shortest = std::min(shortest, swaps[i] - swaps[i - 1]);
    longest = std::max(longest, swaps[i] - swaps[i - 1]);
  }
  // A frame is 16,667 us; the millisecond sleeps leave under 1 ms either way.
  EXPECT_GE(shortest, 15'667);
  EXPECT_LE(longest, 17'667);
  // Swapping at once instead would give gaps from 4.7 to 28.7 ms here.
  EXPECT_EQ(swaps.size(), 600u);
}

TEST(CFramePacer, SwapsAreNotHeldBackWhenTheDisplayPacesOrNothingWaits) {
  CFramePacer pacer(0);
  EXPECT_EQ(pacer.fPresentTime(), 0) << "nothing stepped yet";
  ASSERT_EQ(pacer.fFramesDue(0), 1);
  EXPECT_EQ(pacer.fPresentTime(), CFramePacer::kPresentDelayMicroseconds);
  pacer.fSetVSync(true);
  EXPECT_EQ(pacer.fPresentTime(), 0) << "the swap waits for the display itself";
  pacer.fSetVSync(false);
  pacer.fSetPace(CFramePacer::EPace::NoWait, 0);
  ASSERT_EQ(pacer.fFramesDue(0), 1);
  EXPECT_EQ(pacer.fPresentTime(), 0) << "no wait shows at once";
}
