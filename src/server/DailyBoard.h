// The daily challenge's days and boards. A day is a UTC calendar day,
// written YYYY-MM-DD; a mode's board of one day is kept among the entries
// under the name "MODE@YYYY-MM-DD", so that every read of a mode reads a
// day the same way.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// After its day's end, a game of that day is still taken for this long: a
// game started just before midnight ends after it.
inline constexpr std::time_t kDailyGraceSeconds = 15 * 60;

// The UTC day of a time, "YYYY-MM-DD".
std::string fDayOf(std::time_t time);
// The start (00:00:00 UTC) of a "YYYY-MM-DD" day; nothing for anything but
// a real calendar day of the years 2000 to 9999.
std::optional<std::time_t> fDayStart(const std::string& day);
// The day after, for a valid day.
std::string fNextDay(const std::string& day);
// "2026-12-09T00:00:00Z": when the day ends.
std::string fDayEndText(const std::string& day);

// "plimo@2026-12-08".
std::string fDailyBoard(const std::string& mode, const std::string& day);
// The mode and day of a daily board; nothing for a mode's own ranking.
struct SDailyBoard {
  std::string mode;
  std::string day;
};
std::optional<SDailyBoard> fSplitDailyBoard(const std::string& board);

// A seed for a day: 31 bits from the system's cryptographic source.
std::int32_t fDrawDailySeed();
