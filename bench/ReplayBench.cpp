// How fast a recorded game is checked: the rules' loop alone, the whole
// check (unpacking the archive included), and whole checks on one and two
// threads of one process at once.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "replay/ReplayCheck.h"
#include "gamelib/FileSystem.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

void fBenchStage(benchmark::State& state, const std::string& name) {
  const std::string archive = fReadWholeFile(kFixtures + "/" + name + ".zip");
  long long frames = 0;
  for (auto _ : state) {
    CReplayRun run(archive, name);
    const auto start = std::chrono::steady_clock::now();
    frames += run.fRun().frames;
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

void fBenchCheck(benchmark::State& state, const std::string& name) {
  const std::string archive = fReadWholeFile(kFixtures + "/" + name + ".zip");
  long long frames = 0;
  for (auto _ : state) frames += fCheckReplayBytes(archive).frames;
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
}

// Checks per second of the plimo game, one archive per thread at a time.
void fBenchChecksOnThreads(benchmark::State& state) {
  static const std::string archive = fReadWholeFile(kFixtures + "/plimo_seed123.zip");
  for (auto _ : state) benchmark::DoNotOptimize(fCheckReplayBytes(archive).score);
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(fBenchChecksOnThreads)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchStage, plimo_seed123, std::string("plimo_seed123"))->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchStage, yoiko_seed456, std::string("yoiko_seed456"))->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchStage, wanpaku_seed789, std::string("wanpaku_seed789"))->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchCheck, plimo_seed123, std::string("plimo_seed123"))->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchCheck, yoiko_seed456, std::string("yoiko_seed456"))->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(fBenchCheck, wanpaku_seed789, std::string("wanpaku_seed789"))->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
