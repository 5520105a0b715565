#include "server/CMetrics.h"

#include <cstdio>

#include "util/Assert.h"

namespace {

// Seconds: from a cached list (well under a millisecond) to a stuck check.
constexpr double kBounds[] = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

std::string fNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string fSeries(const std::string& name, const std::string& labels) {
  return labels.empty() ? name : name + "{" + labels + "}";
}

}  // namespace

CMetrics::CMetrics() {
  mFamilies = {
      {"plimo_http_requests_total", {"counter", "Requests answered, by kind (list, upload, page, ...) and HTTP status."}},
      {"plimo_http_request_duration_seconds", {"histogram", "Time from a request's first byte to its answer sent, by kind."}},
      {"plimo_store_calls_total", {"counter", "Calls to the ranking store, by call and result (ok, failed)."}},
      {"plimo_store_call_duration_seconds", {"histogram", "Time a store call took, by call."}},
      {"plimo_checks_total", {"counter", "Replay checks, by outcome (checked, unplayable, failed, stopped)."}},
      {"plimo_check_duration_seconds", {"histogram", "Time a replay check took, waiting for a worker included."}},
  };
}

std::string CMetrics::fLabel(const std::string& name, const std::string& value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '\\' || c == '"') escaped += '\\';
    if (c == '\n') {
      escaped += "\\n";
      continue;
    }
    escaped += c;
  }
  return name + "=\"" + escaped + "\"";
}

void CMetrics::fCount(const std::string& family, const std::string& labels, double by) {
  PLIMO_ASSERT(mFamilies.count(family) == 1 && mFamilies.at(family).type == "counter", "a counter is declared");
  std::lock_guard lock(mMutex);
  mCounters[family][labels] += by;
}

void CMetrics::fObserve(const std::string& family, const std::string& labels, double seconds) {
  PLIMO_ASSERT(mFamilies.count(family) == 1 && mFamilies.at(family).type == "histogram", "a histogram is declared");
  std::lock_guard lock(mMutex);
  SHistogram& histogram = mHistograms[family][labels];
  if (histogram.counts.empty()) histogram.counts.assign(std::size(kBounds), 0);
  for (std::size_t i = 0; i < std::size(kBounds); ++i) {
    if (seconds <= kBounds[i]) {
      ++histogram.counts[i];
      break;
    }
  }
  histogram.sum += seconds;
  ++histogram.count;
}

void CMetrics::fRead(const std::string& family, const std::string& type, const std::string& help, FRead read) {
  PLIMO_ASSERT(type == "gauge" || type == "counter", "a read family is a gauge or a counter");
  std::lock_guard lock(mMutex);
  mReads[family] = SRead{type, help, std::move(read)};
}

std::string CMetrics::fText() const {
  std::map<std::string, SRead> reads;
  std::string text;
  {
    std::lock_guard lock(mMutex);
    reads = mReads;
    for (const auto& [name, family] : mFamilies) {
      text += "# HELP " + name + " " + family.help + "\n# TYPE " + name + " " + family.type + "\n";
      if (family.type == "counter") {
        const auto found = mCounters.find(name);
        if (found == mCounters.end()) continue;
        for (const auto& [labels, value] : found->second) text += fSeries(name, labels) + " " + fNumber(value) + "\n";
        continue;
      }
      const auto found = mHistograms.find(name);
      if (found == mHistograms.end()) continue;
      for (const auto& [labels, histogram] : found->second) {
        const std::string prefix = labels.empty() ? "" : labels + ",";
        double cumulative = 0;
        for (std::size_t i = 0; i < std::size(kBounds); ++i) {
          cumulative += histogram.counts[i];
          text += name + "_bucket{" + prefix + "le=\"" + fNumber(kBounds[i]) + "\"} " + fNumber(cumulative) + "\n";
        }
        text += name + "_bucket{" + prefix + "le=\"+Inf\"} " + fNumber(histogram.count) + "\n";
        text += fSeries(name + "_sum", labels) + " " + fNumber(histogram.sum) + "\n";
        text += fSeries(name + "_count", labels) + " " + fNumber(histogram.count) + "\n";
      }
    }
  }
  // Read outside the lock: a read may take another lock of its own.
  for (const auto& [name, read] : reads) {
    text += "# HELP " + name + " " + read.help + "\n# TYPE " + name + " " + read.type + "\n";
    for (const auto& [labels, value] : read.read()) text += fSeries(name, labels) + " " + fNumber(value) + "\n";
  }
  return text;
}
