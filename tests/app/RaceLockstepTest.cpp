// A race through the real frame loop on displays of every common refresh
// rate, with uneven frame costs and a stall: the ghost plays exactly one
// recorded frame for each frame of the player's game, however many game
// frames a picture follows.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyPlayer.h"
#include "rules/StageModes.h"
#include "stage/CPlimoStage.h"
#include "stage/RaceGhost.h"
#include "support/HeadlessTest.h"
#include "support/PngHeader.h"

namespace {

constexpr std::int64_t kSecond = 1'000'000;
// 0: the driver refuses vsync and the timer paces.
const std::vector<double> kRates = {50.0, 60.0, 75.0, 120.0, 144.0, 165.0, 0.0};
constexpr long long kFrames = 6000;

class RaceLockstepTest : public HeadlessTest {
 protected:
  void fUseDisplay(double hertz) {
    backend().fSetNow(0);
    backend().fSetVSyncWorks(hertz > 0.0);
    backend().fSetRefreshRate(hertz);
    fWriteWholeFile("config.dat", "WindowMode=1\nSound=0\nNoReserve=1\n");
    fCreateDirectories("dat/replay_plimo");
    fCreateDirectories("dat/downloaded_replay_plimo");
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
};

TEST_F(RaceLockstepTest, TheGhostKeepsStepWithThePlayerAtEveryRefreshRate) {
  const auto ghost = fCheckRaceArchive(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip");
  for (double hertz : kRates) {
    SCOPED_TRACE(std::to_string(hertz) + " Hz");
    fUseDisplay(hertz);
    CPlimoStage* stage = nullptr;
    long long run = 0, apart = 0, animates = 0;
    SLaunchOptions options;
    options.frameLimit = kFrames;
    options.firstScene = [&] {
      // The player plays the ghost's own keys: a dead heat if both step alike.
      auto player = std::make_unique<CKeyPlayer>(std::shared_ptr<const CCompactLog>(ghost, &ghost->keyLog));
      player->fStart();
      gKeyManager = std::move(player);
      auto made = std::make_unique<CPlimoStage>(ghost->mode, SReplayInfo::fRace(ghost));
      made->fAnimate();
      stage = made.get();
      return made;
    };
    options.beforeFrame = [&](long long frame) {
      run = frame;
      if (stage != nullptr && stage->race) {
        animates = stage->race->fFrames();
        const CStageRules& g = stage->race->fRules();
        if (g.frameCount != stage->rules.frameCount || g.score != stage->rules.score || g.state != stage->rules.state) {
          ++apart;
        }
      }
      const auto mix = static_cast<std::uint64_t>(frame) * 0x9E3779B97F4A7C15ull;
      std::int64_t work = static_cast<std::int64_t>((mix >> 20) % 9000);
      if (frame % 97 == 0) work += 45'000;     // behind by almost three frames
      if (frame == 1000) work += 2 * kSecond;  // a stall: capped, not caught up
      backend().fAdvanceClockMicroseconds(work);
    };
    ASSERT_EQ(fGameMain(options), 0);
    ASSERT_NE(stage, nullptr);
    EXPECT_GT(run, kFrames - 10);
    EXPECT_EQ(apart, 0);
    // Before frame `run` the stage had animated once when built and once a frame.
    EXPECT_EQ(animates, run + 1);
  }
}

}  // namespace
