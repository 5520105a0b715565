#include "server/RankingApi.h"

#include "server/DailyBoard.h"
#include "server/WebEscape.h"

std::string fRankingPageJson(const SRankingPage& page) {
  // A daily board's page names its mode and day apart.
  const auto daily = fSplitDailyBoard(page.mode);
  std::string json = "{\"mode\":" + fJsonString(daily ? daily->mode : page.mode) +
                     (daily ? ",\"day\":" + fJsonString(daily->day) : std::string()) + ",\"sort\":" + fJsonString(fSortName(page.sort)) +
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

std::string fDailyJson(const std::string& day, const std::vector<std::pair<std::string, std::int32_t>>& seeds) {
  std::string json = "{\"date\":" + fJsonString(day) + ",\"ends\":" + fJsonString(fDayEndText(day)) + ",\"modes\":{";
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    if (i > 0) json += ',';
    json += fJsonString(seeds[i].first) + ":{\"seed\":" + std::to_string(seeds[i].second) + "}";
  }
  return json + "}}";
}

std::string fJsonError(const std::string& message) { return "{\"error\":" + fJsonString(message) + "}"; }
