// One entry of a mode's online ranking, as the ranking window shows it, and
// the helpers that read the server's list and format its numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SRankingData {
  std::int32_t rank = 0;  // set by the ranking window from the score order
  std::string name;
  std::int32_t score = 0;
  std::int32_t maxRensa = 0;
  std::string replayName;  // the key of the entry's replay on the server
  std::string date;        // "YYYY/MM/DD HH:MM:SS"
};

// Lines "name?score?maxRensa?replayKey?date", each ended by "\n". Lines with
// other than five fields, and lines whose score or chain is not a decimal
// integer, are skipped; the others keep the server's order.
std::vector<SRankingData> fParseRankingList(const std::string& text);

// Inserts "," between groups of groupSize characters counted from the right:
// (3, "1234567") gives "1,234,567".
std::string fGroupDigits(int groupSize, const std::string& text);

// A whole text of decimal digits, optionally after one "-", that fits in 32
// bits; nothing otherwise.
std::optional<std::int32_t> fParseDecimalInt(const std::string& text);

// Splits at every separator; n separators give n + 1 fields.
std::vector<std::string> fSplitFields(const std::string& text, char separator);
