// The ranking page as JSON, for scripts: the same fifty entries as the HTML.
#pragma once

#include <string>

#include "server/RankingPaging.h"

inline constexpr const char* kJsonContentType = "application/json";

// {"mode":..,"sort":..,"page":..,"pages":..,"total":..,"entries":[{"rank":..,
// "name":..,"score":..,"chain":..,"date":..,"key":..}]}
std::string fRankingPageJson(const SRankingPage& page);

// {"error":"..."}
std::string fJsonError(const std::string& message);
