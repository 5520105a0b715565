#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>


namespace {

double fMilliseconds(std::int64_t microseconds) { return static_cast<double>(microseconds) / 1000.0; }

std::string fSpreadLine(const char* name, const SSpread& spread) {
  char line[160];
  std::snprintf(line, sizeof line, "%-22s median %6.2f  p90 %6.2f  p99 %6.2f  max %7.2f ms\n", name, spread.median,
                spread.p90, spread.p99, spread.max);
  return line;
}

}  // namespace

SSpread fSpreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  auto rank = [&](double share) {
    const auto index = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(index, 1, values.size()) - 1];
  };
  return SSpread{rank(0.5), rank(0.9), rank(0.99), values.back()};
}

void CFrameStats::fFrameBegin(std::int64_t now, int steps) {
  SFrameSample sample;
  sample.steps = steps;
  if (mSamples.empty()) mFirstBegin = now;
  mSamples.push_back(sample);
  mMark = now;
}

void CFrameStats::fUpdateDone(std::int64_t now) {
  if (mSamples.empty()) return;
  mSamples.back().update = now - mMark;
  mMark = now;
}

void CFrameStats::fDrawDone(std::int64_t now) {
  if (mSamples.empty()) return;
  mSamples.back().draw = now - mMark;
  mMark = now;
}

void CFrameStats::fWaited(std::int64_t microseconds) {
  if (!mSamples.empty()) mSamples.back().waited += microseconds;
}

void CFrameStats::fPresentDone(std::int64_t now, bool shown) {
  if (mSamples.empty()) return;
  SFrameSample& sample = mSamples.back();
  sample.present = now - mMark - sample.waited;
  sample.shown = shown;
  mMark = now;
  mLastEnd = now;
  if (!shown) return;
  if (mLastSwap >= 0) sample.interval = now - mLastSwap;
  mLastSwap = now;
}

void CFrameStats::fSetStalls(int stalls, std::int64_t droppedMicroseconds) {
  mStalls = stalls;
  mDropped = droppedMicroseconds;
}

int CFrameStats::fLateCount() const {
  return static_cast<int>(std::count_if(mSamples.begin(), mSamples.end(), [](const SFrameSample& sample) {
    return fMilliseconds(sample.interval) > kLateMilliseconds;
  }));
}

int CFrameStats::fOverrunCount() const {
  return static_cast<int>(std::count_if(mSamples.begin(), mSamples.end(), [](const SFrameSample& sample) {
    return fMilliseconds(sample.fCost()) > kSlotMilliseconds;
  }));
}

std::string CFrameStats::fCsv() const {
  std::string out = "pass,steps,update_us,draw_us,swap_us,cost_us,interval_us\n";
  char line[160];
  for (std::size_t i = 0; i < mSamples.size(); ++i) {
    const SFrameSample& s = mSamples[i];
    std::snprintf(line, sizeof line, "%zu,%d,%lld,%lld,%lld,%lld,%lld\n", i, s.steps, static_cast<long long>(s.update),
                  static_cast<long long>(s.draw), static_cast<long long>(s.present),
                  static_cast<long long>(s.fCost()), static_cast<long long>(s.interval));
    out += line;
  }
  return out;
}

std::string CFrameStats::fSummary(double firstFrameSeconds, std::int64_t peakBytes) const {
  std::vector<double> update, draw, present, cost, interval;
  long long frames = 0;
  int shown = 0;
  for (const SFrameSample& s : mSamples) {
    frames += s.steps;
    update.push_back(fMilliseconds(s.update));
    cost.push_back(fMilliseconds(s.fCost()));
    if (!s.shown) continue;
    ++shown;
    draw.push_back(fMilliseconds(s.draw));
    present.push_back(fMilliseconds(s.present));
    if (s.interval > 0) interval.push_back(fMilliseconds(s.interval));
  }
  const double seconds = static_cast<double>(mLastEnd - mFirstBegin) / 1e6;
  const double rate = seconds > 0.0 ? static_cast<double>(frames) / seconds : 0.0;
  const double normalRate = 1000.0 / kSlotMilliseconds;
  std::string out;
  char line[200];
  std::snprintf(line, sizeof line,
                "frames                 %lld in %.2f s: %.1f frames/s, %.2fx the normal %.1f; %d pictures shown\n",
                frames, seconds, rate, rate / normalRate, normalRate, shown);
  out += line;
  out += fSpreadLine("update (a pass)", fSpreadOf(update));
  out += fSpreadLine("draw (a picture)", fSpreadOf(draw));
  out += fSpreadLine("swap (a picture)", fSpreadOf(present));
  out += fSpreadLine("cost update+draw+swap", fSpreadOf(cost));
  out += fSpreadLine("swap to swap", fSpreadOf(interval));
  std::snprintf(line, sizeof line, "late pictures          %d (swap to swap over %.1f ms); %d passes cost over the %.1f ms slot\n",
                fLateCount(), kLateMilliseconds, fOverrunCount(), kSlotMilliseconds);
  out += line;
  std::snprintf(line, sizeof line, "stalls                 %d, %.1f ms of game time dropped\n", mStalls,
                fMilliseconds(mDropped));
  out += line;
  std::snprintf(line, sizeof line, "first frame            %.3f s after start\n", firstFrameSeconds);
  out += line;
  std::snprintf(line, sizeof line, "peak resident memory   %.1f MB\n", static_cast<double>(peakBytes) / 1048576.0);
  out += line;
  return out;
}
