// The ranking page as JSON, for scripts: the same fifty entries as the HTML.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "server/RankingPaging.h"

inline constexpr const char* kJsonContentType = "application/json";

// {"mode":..,"sort":..,"page":..,"pages":..,"total":..,"entries":[{"rank":..,
// "name":..,"score":..,"chain":..,"date":..,"key":..}]}
std::string fRankingPageJson(const SRankingPage& page);

// {"mode":"plimo","day":"2026-12-08",...} for a daily board's page.

// /api/daily: {"date":"2026-12-08","ends":"2026-12-09T00:00:00Z","modes":{"plimo":{"seed":N},...}}
std::string fDailyJson(const std::string& day, const std::vector<std::pair<std::string, std::int32_t>>& seeds);

// {"error":"..."}
std::string fJsonError(const std::string& message);
