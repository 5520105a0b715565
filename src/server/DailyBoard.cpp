#include "server/DailyBoard.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "util/Assert.h"

namespace {

constexpr std::time_t kDaySeconds = 24 * 60 * 60;

}  // namespace

std::string fDayOf(std::time_t time) {
  const auto days = std::chrono::floor<std::chrono::days>(std::chrono::sys_seconds(std::chrono::seconds(time)));
  const std::chrono::year_month_day date(days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()));
  return text;
}

std::optional<std::time_t> fDayStart(const std::string& day) {
  if (day.size() != 10 || day[4] != '-' || day[7] != '-') return std::nullopt;
  for (const std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (day[i] < '0' || day[i] > '9') return std::nullopt;
  }
  const int year = std::stoi(day.substr(0, 4));
  const unsigned month = static_cast<unsigned>(std::stoi(day.substr(5, 2)));
  const unsigned dayOfMonth = static_cast<unsigned>(std::stoi(day.substr(8, 2)));
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                         std::chrono::day(dayOfMonth)};
  if (year < 2000 || !date.ok()) return std::nullopt;
  return static_cast<std::time_t>(std::chrono::sys_days(date).time_since_epoch() / std::chrono::seconds(1));
}

std::string fNextDay(const std::string& day) {
  const auto start = fDayStart(day);
  PLIMO_ASSERT(start.has_value(), "the next day of a valid day");
  return fDayOf(*start + kDaySeconds);
}

std::string fDayEndText(const std::string& day) { return fNextDay(day) + "T00:00:00Z"; }

std::string fDailyBoard(const std::string& mode, const std::string& day) { return mode + "@" + day; }

std::optional<SDailyBoard> fSplitDailyBoard(const std::string& board) {
  const std::size_t at = board.find('@');
  if (at == std::string::npos) return std::nullopt;
  return SDailyBoard{board.substr(0, at), board.substr(at + 1)};
}

std::int32_t fDrawDailySeed() {
  std::uint32_t bits = 0;
  std::size_t got = 0;
  while (got < sizeof bits) {
    const ssize_t read = ::getrandom(reinterpret_cast<char*>(&bits) + got, sizeof bits - got, 0);
    if (read < 0) {
      if (errno == EINTR) continue;
      throw CGameError("no random bytes for the day's seed");
    }
    got += static_cast<std::size_t>(read);
  }
  return static_cast<std::int32_t>(bits & 0x7fffffffu);
}
