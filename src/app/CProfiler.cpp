#include "app/CProfiler.h"

#include <cstdio>

#include "gamelib/GameLib.h"
#include "util/Assert.h"

void CProfiler::fMeasureStart(const std::string& name) {
  if (!enabled) return;
  CCheckPoint& point = checkPoints[name];
  point.startTime = GetNowCount(0);
  ++point.callCount;
}

void CProfiler::fMeasureEnd(const std::string& name) {
  if (!enabled) return;
  auto it = checkPoints.find(name);
  PLIMO_ASSERT(it != checkPoints.end(), "fMeasureEnd InType not found");
  it->second.totalTime += GetNowCount(0) - it->second.startTime;
}

std::string CProfiler::fGetReport() const {
  std::string report;
  for (const auto& [name, point] : checkPoints) {
    char average[64];
    std::snprintf(average, sizeof average, "%g",
                  static_cast<double>(point.totalTime) / static_cast<double>(point.callCount));
    report += name + ": call(" + std::to_string(point.callCount) + ") total(" + std::to_string(point.totalTime) +
              ") average(" + average + ")";
  }
  return report;
}
