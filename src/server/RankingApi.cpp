#include "server/RankingApi.h"

#include "server/WebEscape.h"

std::string fRankingPageJson(const SRankingPage& page) {
  std::string json = "{\"mode\":" + fJsonString(page.mode) + ",\"sort\":" + fJsonString(fSortName(page.sort)) +
                     ",\"page\":" + std::to_string(page.page) + ",\"pages\":" + std::to_string(page.pages) +
                     ",\"total\":" + std::to_string(page.total) + ",\"entries\":[";
  bool first = true;
  for (const SRankedEntry& ranked : page.entries) {
    const SRankingEntry& entry = ranked.entry;
    if (!first) json += ',';
    first = false;
    json += "{\"rank\":" + std::to_string(ranked.rank) + ",\"name\":" + fJsonString(entry.name) +
            ",\"score\":" + std::to_string(entry.score) + ",\"chain\":" + std::to_string(entry.maxRensa) +
            ",\"date\":" + fJsonString(entry.date) + ",\"key\":" + fJsonString(entry.replayKey) + "}";
  }
  return json + "]}";
}

std::string fJsonError(const std::string& message) { return "{\"error\":" + fJsonString(message) + "}"; }
