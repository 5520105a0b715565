#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "util/CFpsTimer.h"

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

void CFrameStats::fFrameBegin(std::int64_t now) {
  SFrameSample sample;
  if (mFrameBegin >= 0) {
    sample.interval = now - mFrameBegin;
  } else {
    mFirstBegin = now;
  }
  mSamples.push_back(sample);
  mFrameBegin = now;
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

void CFrameStats::fPresentDone(std::int64_t now) {
  if (mSamples.empty()) return;
  mSamples.back().present = now - mMark;
  mMark = now;
  mLastEnd = now;
}

int CFrameStats::fLateCount() const {
  return static_cast<int>(std::count_if(mSamples.begin(), mSamples.end(), [](const SFrameSample& sample) {
    return fMilliseconds(sample.interval) > kLateMilliseconds;
  }));
}

int CFrameStats::fOverrunCount() const {
  return static_cast<int>(std::count_if(mSamples.begin(), mSamples.end(), [](const SFrameSample& sample) {
    return fMilliseconds(sample.update + sample.draw + sample.present) > kSlotMilliseconds;
  }));
}

std::string CFrameStats::fCsv() const {
  std::string out = "frame,update_us,draw_us,present_us,interval_us\n";
  char line[128];
  for (std::size_t i = 0; i < mSamples.size(); ++i) {
    const SFrameSample& s = mSamples[i];
    std::snprintf(line, sizeof line, "%zu,%lld,%lld,%lld,%lld\n", i, static_cast<long long>(s.update),
                  static_cast<long long>(s.draw), static_cast<long long>(s.present),
                  static_cast<long long>(s.interval));
    out += line;
  }
  return out;
}

std::string CFrameStats::fSummary(double firstFrameSeconds, std::int64_t peakBytes) const {
  std::vector<double> update, work, present, whole, interval;
  for (const SFrameSample& s : mSamples) {
    update.push_back(fMilliseconds(s.update));
    work.push_back(fMilliseconds(s.update + s.draw));
    present.push_back(fMilliseconds(s.present));
    whole.push_back(fMilliseconds(s.update + s.draw + s.present));
    if (s.interval > 0) interval.push_back(fMilliseconds(s.interval));
  }
  const double seconds = static_cast<double>(mLastEnd - mFirstBegin) / 1e6;
  const double rate = seconds > 0.0 ? static_cast<double>(mSamples.size()) / seconds : 0.0;
  const double normalRate = 1000.0 / CFpsTimer::kFrameMilliseconds;
  std::string out;
  char line[200];
  std::snprintf(line, sizeof line, "frames                 %zu in %.2f s: %.1f frames/s, %.2fx the normal %.1f\n",
                mSamples.size(), seconds, rate, rate / normalRate, normalRate);
  out += line;
  out += fSpreadLine("update", fSpreadOf(update));
  out += fSpreadLine("update+draw", fSpreadOf(work));
  out += fSpreadLine("present", fSpreadOf(present));
  out += fSpreadLine("update+draw+present", fSpreadOf(whole));
  out += fSpreadLine("between frames", fSpreadOf(interval));
  std::snprintf(line, sizeof line, "late frames            %d (gap over %.1f ms); %d overran the %.1f ms slot\n",
                fLateCount(), kLateMilliseconds, fOverrunCount(), kSlotMilliseconds);
  out += line;
  std::snprintf(line, sizeof line, "first frame            %.3f s after start\n", firstFrameSeconds);
  out += line;
  std::snprintf(line, sizeof line, "peak resident memory   %.1f MB\n", static_cast<double>(peakBytes) / 1048576.0);
  out += line;
  return out;
}
