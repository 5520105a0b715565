// How fast the replay theatre reaches a frame of the longest recorded game
// (wanpaku, 153,135 frames) on the headless library: a jump across the whole
// replay, one frame back at its end (the worst case: a snapshot restored and
// played up to the frame before), a take-over in the middle, and opening the
// theatre (which scans the replay and keeps its snapshots).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLibBackend.h"
#include "gamelib/headless/HeadlessBackend.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "util/CFpsTimer.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;
constexpr int kWanpaku = 2;

// A headless game in a temporary folder with the wanpaku fixture as the
// mode's best replay; everything is put back afterwards.
class CTheatreBench {
 public:
  CTheatreBench() : mOldDirectory(fCurrentDirectory()), mDirectory(fMakeTemporaryDirectory("plimo-bench-")) {
    fChangeDirectory(mDirectory);
    mPreviousBackend = fInstallBackend(&mBackend);
    mTitleMenu = fReplaceTitleMenuScene([] { return std::make_unique<CIdleScene>(); });
    for (const char* mode : {"plimo", "yoiko", "wanpaku"}) fCreateDirectories(std::string("dat/replay_") + mode);
    fWriteWholeFile("dat/replay_wanpaku/replay", fReadWholeFile(kFixtures + "/wanpaku_seed789.zip"));
    gHighScores.clear();
    for (int i = 0; i < kHighScoreEntryCount; ++i) gHighScores.push_back(std::make_shared<CHighScoreInfo>());
    gFpsTimer = std::make_unique<CFpsTimer>(false, false);
    gSoundManager = std::make_unique<CSoundManager>(false);
  }
  ~CTheatreBench() {
    fClose();
    fReleaseGlobals();
    fReplaceTitleMenuScene(std::move(mTitleMenu));
    fInstallBackend(mPreviousBackend);
    fChangeDirectory(mOldDirectory);
    fRemoveTree(mDirectory);
  }
  CTheatreBench(const CTheatreBench&) = delete;
  CTheatreBench& operator=(const CTheatreBench&) = delete;

  CReplayTheatre& fOpen() {
    fClose();
    gKeyManager = std::make_unique<CKeyManager>();
    gCurrentScene = std::make_unique<CReplayTheatre>(kWanpaku, SReplayInfo::fReplay(kWanpaku));
    gCurrentScene->fAnimate();
    return *static_cast<CReplayTheatre*>(gCurrentScene.fGet());
  }
  void fClose() {
    if (auto* theatre = dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet())) theatre->fStage().fReleaseModels();
    if (auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet())) stage->fReleaseModels();
    gCurrentScene.fClear();
  }

 private:
  std::string mOldDirectory;
  std::string mDirectory;
  CHeadlessBackend mBackend;
  CGameLibBackend* mPreviousBackend = nullptr;
  SceneMaker mTitleMenu;
};

double fSecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void fBenchOpen(benchmark::State& state) {
  CTheatreBench bench;
  const CReplayTheatre* theatre = nullptr;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    theatre = &bench.fOpen();
    state.SetIterationTime(fSecondsSince(start));
  }
  // What the snapshots cost in memory.
  std::size_t bytes = 0;
  for (const SStageSnapshot& shot : theatre->fSnapshots()) {
    bytes += sizeof shot - sizeof shot.rules + shot.rules.fMemoryBytes();
  }
  state.counters["snapshots"] = static_cast<double>(theatre->fSnapshots().size());
  state.counters["snapshot_kB"] = static_cast<double>(bytes) / 1024.0;
}

// From the first frame to the last: the longest forward jump.
void fBenchJumpToEnd(benchmark::State& state) {
  CTheatreBench bench;
  CReplayTheatre& theatre = bench.fOpen();
  for (auto _ : state) {
    theatre.fJumpTo(0);
    const auto start = std::chrono::steady_clock::now();
    theatre.fJumpTo(theatre.fLastFrame());
    state.SetIterationTime(fSecondsSince(start));
  }
}

// From the last frame to the middle.
void fBenchJumpBackToMiddle(benchmark::State& state) {
  CTheatreBench bench;
  CReplayTheatre& theatre = bench.fOpen();
  for (auto _ : state) {
    theatre.fJumpTo(theatre.fLastFrame());
    const auto start = std::chrono::steady_clock::now();
    theatre.fJumpTo(theatre.fLastFrame() / 2);
    state.SetIterationTime(fSecondsSince(start));
  }
}

// One frame back from the last frame: the slowest step there is.
void fBenchStepBackAtEnd(benchmark::State& state) {
  CTheatreBench bench;
  CReplayTheatre& theatre = bench.fOpen();
  for (auto _ : state) {
    theatre.fJumpTo(theatre.fLastFrame());
    const auto start = std::chrono::steady_clock::now();
    theatre.fStepBack();
    state.SetIterationTime(fSecondsSince(start));
  }
}

// The step a player makes: ten seconds of watching near the end, a pause,
// one frame back.
void fBenchStepBackAfterWatching(benchmark::State& state) {
  CTheatreBench bench;
  CReplayTheatre& theatre = bench.fOpen();
  for (auto _ : state) {
    theatre.fSetPaused(false);
    theatre.fJumpTo(theatre.fLastFrame() - 2 * CReplayTheatre::kFramesPerTenSeconds);
    for (long long i = 0; i < CReplayTheatre::kFramesPerTenSeconds; ++i) gCurrentScene->fUpdate();
    theatre.fSetPaused(true);
    const auto start = std::chrono::steady_clock::now();
    theatre.fStepBack();
    state.SetIterationTime(fSecondsSince(start));
  }
}

// T in the middle of the replay: the paused stage becomes the practice game.
void fBenchTakeOver(benchmark::State& state) {
  CTheatreBench bench;
  for (auto _ : state) {
    CReplayTheatre& theatre = bench.fOpen();
    theatre.fJumpTo(theatre.fLastFrame() / 2);
    theatre.fSetPaused(true);
    const auto start = std::chrono::steady_clock::now();
    theatre.fTakeOver();
    gCurrentScene->fAnimate();  // the practice game's first frame
    state.SetIterationTime(fSecondsSince(start));
    gCurrentScene.fReleaseRetired();
  }
}

BENCHMARK(fBenchOpen)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fBenchJumpToEnd)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fBenchJumpBackToMiddle)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fBenchStepBackAtEnd)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fBenchStepBackAfterWatching)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(fBenchTakeOver)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
