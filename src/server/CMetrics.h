// What an operator watches, in the Prometheus text format: counters and
// latency histograms the server adds to as it works, and values read at
// the moment of the scrape (connections open, the cache's age). A few
// families, written by hand; safe to use from every thread.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CMetrics {
 public:
  // A value read when /metrics is asked: label set ("mode=\"plimo\"" or
  // empty) and value, for each series of the family.
  using FRead = std::function<std::vector<std::pair<std::string, double>>()>;

  CMetrics();
  CMetrics(const CMetrics&) = delete;
  CMetrics& operator=(const CMetrics&) = delete;

  // labels: `name="value"` pairs joined by commas, values escaped by the
  // caller (fLabel does it).
  void fCount(const std::string& family, const std::string& labels, double by = 1);
  void fObserve(const std::string& family, const std::string& labels, double seconds);
  // A family read at scrape time; type "gauge" or "counter".
  void fRead(const std::string& family, const std::string& type, const std::string& help, FRead read);

  // The whole text of a scrape.
  std::string fText() const;

  // `name="value"`, the value escaped as the format wants.
  static std::string fLabel(const std::string& name, const std::string& value);

 private:
  struct SFamily {
    std::string type;
    std::string help;
  };
  struct SHistogram {
    std::vector<double> counts;  // one a bucket bound, not cumulative
    double sum = 0;
    double count = 0;
  };
  struct SRead {
    std::string type;
    std::string help;
    FRead read;
  };

  std::map<std::string, SFamily> mFamilies;
  mutable std::mutex mMutex;
  std::map<std::string, std::map<std::string, double>> mCounters;
  std::map<std::string, std::map<std::string, SHistogram>> mHistograms;
  std::map<std::string, SRead> mReads;
};
