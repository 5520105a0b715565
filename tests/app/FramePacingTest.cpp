// The real frame loop on displays of every common refresh rate (the
// headless backend's clock, its flips waiting for the next refresh): game
// time is 60 frames a second, and a game played at any rate is the same game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "rules/StageModes.h"
#include "stage/CPlimoStage.h"
#include "support/HeadlessTest.h"
#include "support/PngHeader.h"
#include "util/CFpsTimer.h"

namespace {

constexpr std::int64_t kSecond = 1'000'000;
// 0: the driver refuses vsync and the timer paces.
const std::vector<double> kRates = {50.0, 60.0, 75.0, 120.0, 144.0, 165.0, 0.0};

class FramePacingTest : public HeadlessTest {
 protected:
  void fUseDisplay(double hertz) {
    backend().fSetNow(0);
    backend().fSetVSyncWorks(hertz > 0.0);
    backend().fSetRefreshRate(hertz);
    fWriteWholeFile("config.dat", "WindowMode=1\nSound=0\nNoReserve=1\n");
  }
};

struct SCounts {
  int updates = 0;
  int draws = 0;
  int sinceDraw = 0;
  int mostForOneDraw = 0;
};

// Counts its updates up to a wall time, then asks to quit; each draw takes
// `drawCost` and notes how many updates came since the previous one.
class CCountingScene : public CScene {
 public:
  CCountingScene(CHeadlessBackend& backend, SCounts& counts, std::int64_t until, std::int64_t drawCost)
      : mBackend(backend), mCounts(counts), mUntil(until), mDrawCost(drawCost) {}
  void fUpdate() override {
    if (mBackend.fNowMicroseconds() >= mUntil) {
      gQuitRequested = true;
      return;
    }
    ++mCounts.updates;
    ++mCounts.sinceDraw;
  }
  void fAnimate() override {}
  void fDraw() override {
    mBackend.fAdvanceClockMicroseconds(mDrawCost);
    mCounts.mostForOneDraw = std::max(mCounts.mostForOneDraw, mCounts.sinceDraw);
    mCounts.sinceDraw = 0;
    ++mCounts.draws;
  }

 private:
  CHeadlessBackend& mBackend;
  SCounts& mCounts;
  std::int64_t mUntil;
  std::int64_t mDrawCost;
};

TEST_F(FramePacingTest, TenSecondsOfWallTimeAreSixHundredFramesAtEveryRefreshRate) {
  for (double hertz : kRates) {
    fUseDisplay(hertz);
    SCounts counts;
    SLaunchOptions options;
    options.firstScene = [&] { return std::make_unique<CCountingScene>(backend(), counts, 10 * kSecond, 4000); };
    const int flipsBefore = backend().fFlipCount();
    ASSERT_EQ(fGameMain(options), 0);
    EXPECT_NEAR(counts.updates, 600, 1) << hertz << " Hz";
    // Below 60 Hz a picture follows one or two frames; at or above, each
    // frame is shown once, and no picture is shown without a new frame.
    EXPECT_LE(counts.mostForOneDraw, hertz > 0 && hertz < 60 ? 2 : 1) << hertz << " Hz";
    if (hertz == 0 || hertz >= 60) {
      EXPECT_NEAR(counts.draws, 600, 2) << hertz << " Hz";
    }
    // A swap only with a picture drawn: none to wait for nothing.
    EXPECT_EQ(backend().fFlipCount() - flipsBefore, counts.draws) << hertz << " Hz";
  }
}

TEST_F(FramePacingTest, NoWaitRunsUnpacedAndTheNormalPaceResumesWithoutACatchUp) {
  fUseDisplay(144.0);
  SCounts counts;
  std::int64_t normalAgainAt = 0;
  SLaunchOptions options;
  options.firstScene = [&] { return std::make_unique<CCountingScene>(backend(), counts, 2 * kSecond, 1000); };
  options.beforeFrame = [&](long long frame) {
    if (frame == 30) gFpsTimer->fSetNoWait(true);
    if (frame == 3030) {
      gFpsTimer->fSetNoWait(false);
      normalAgainAt = backend().fNowMicroseconds();
    }
    backend().fAdvanceClockMicroseconds(100);  // each frame's update
  };
  ASSERT_EQ(fGameMain(options), 0);
  // 30 frames paced, 3000 unpaced in about 0.3 s, then 60 a second again.
  ASSERT_GT(normalAgainAt, 0);
  EXPECT_LT(normalAgainAt, kSecond);
  const double pacedSeconds = static_cast<double>(2 * kSecond - normalAgainAt) / 1e6;
  // Frames 0 to 3030, then the first paced one at once and one every 1/60 s.
  EXPECT_NEAR(counts.updates, 3031.5 + pacedSeconds * 60, 1.5);
}

// A game driven by keys given per frame, like a key log, while the update
// takes an uneven time, sometimes several frames' worth, once a second.
// The stage's pictures, as stand-ins of the right kind.
void fWriteStagePictures() {
  fCreateDirectories("dat/image/ui_parts");
  for (const char* name : {"bg.png", "ui_parts/menu.png", "ui_parts/hold_waku.png", "ui_parts/hold.png",
                           "ui_parts/next_waku.png", "ui_parts/next.png", "ui_parts/gameover.png",
                           "ui_parts/stageclear.png", "ui_parts/save_highscore.png", "ui_parts/ready.png",
                           "ui_parts/go.png"}) {
    fWriteWholeFile(std::string("dat/image/") + name, fPngHeader(8, 8));
  }
  for (int colour = 0; colour < kColourCount; ++colour) {
    fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + fColourName(colour) + ".png", fPngHeader(8, 8));
  }
}

std::string fPlayScriptedGame(CHeadlessBackend& backend, long long& frames) {
  fCreateDirectories("dat/replay_plimo");
  fCreateDirectories("dat/downloaded_replay_plimo");
  fWriteStagePictures();
  backend.fSetUtcBase(1'700'000'000'123);
  const CScene* stage = nullptr;
  SLaunchOptions options;
  options.endWithFirstScene = true;
  options.frameLimit = 60'000;
  options.firstScene = [&] {
    auto made = std::make_unique<CPlimoStage>(0, SReplayInfo::fNormal(0));
    stage = made.get();
    return made;
  };
  static const int kKeys[] = {KEY_INPUT_X, KEY_INPUT_J, KEY_INPUT_L, KEY_INPUT_I, KEY_INPUT_K,  KEY_INPUT_SPACE,
                              KEY_INPUT_J, KEY_INPUT_C, KEY_INPUT_Z, KEY_INPUT_L, KEY_INPUT_K, 0};
  options.beforeFrame = [&](long long frame) {
    frames = frame + 1;
    backend.fReleaseAllKeys();
    const auto mix = static_cast<std::uint64_t>(frame) * 0x9E3779B97F4A7C15ull;
    if (frame % 5 == 0) backend.fSetKey(kKeys[(mix >> 40) % std::size(kKeys)], true);
    std::int64_t work = static_cast<std::int64_t>((mix >> 20) % 9000);
    if (frame % 97 == 0) work += 45'000;  // behind by almost three frames
    if (frame == 1000) work += 2 * kSecond;  // a stall: capped, not caught up
    backend.fAdvanceClockMicroseconds(work);
  };
  EXPECT_EQ(fGameMain(options), 0);
  EXPECT_NE(stage, nullptr);
  for (const auto& name : fListDirectory(".")) {
    if (name.find(".log") != std::string::npos) ADD_FAILURE() << fReadWholeFile(name);
  }
  return fReadWholeFile("dat/replay_plimo/replay");
}

TEST_F(FramePacingTest, AGamePlayedAtEveryRefreshRateGivesTheSameArchive) {
  const std::string top = fCurrentDirectory();
  std::string first;
  long long firstFrames = 0;
  for (double hertz : kRates) {
    const std::string folder = top + "/at" + std::to_string(static_cast<int>(hertz));
    fCreateDirectories(folder);
    fChangeDirectory(folder);
    fUseDisplay(hertz);
    long long frames = 0;
    const std::string archive = fPlayScriptedGame(backend(), frames);
    fChangeDirectory(top);
    ASSERT_FALSE(archive.empty()) << hertz << " Hz";
    if (first.empty()) {
      first = archive;
      firstFrames = frames;
      const SReplayCheckResult played = fCheckReplay(folder + "/dat/replay_plimo/replay");
      EXPECT_EQ(played.state, "GameOver");
      EXPECT_GT(played.frames, 1000) << "long enough to pass the stall";
      continue;
    }
    EXPECT_EQ(frames, firstFrames) << hertz << " Hz";
    EXPECT_TRUE(archive == first) << hertz << " Hz: the archive differs";
  }
}

}  // namespace
