// The ranking's HTML pages, rendered on the server. Every stored value goes
// through fEscapeHtml; the pages hold no script of their own and no inline
// style, so the strict content security policy below allows them.
#pragma once

#include <string>
#include <vector>

#include "server/RankingPaging.h"

// The headers every HTML answer carries (each line ends in CRLF).
extern const std::string kHtmlSecurityHeaders;
inline constexpr const char* kHtmlContentType = "text/html; charset=utf-8";

struct SModeTop {
  std::string mode;
  std::vector<SRankedEntry> entries;
};
// "/": each mode's best five and a link to its ranking.
std::string fIndexPageHtml(const std::vector<SModeTop>& modes);

// "/daily": each mode's top ten of one day (modes named by their boards,
// "MODE@DAY"), the time left when it is today, and a picker of other days.
struct SDailyOverview {
  std::string day;
  std::string today;
  long long secondsLeft = 0;  // 0: the day is over
  std::vector<SModeTop> modes;
};
std::string fDailyPageHtml(const SDailyOverview& overview);

// "/ranking/MODE": one page of the table, with links to the pages beside it
// and to the other order.
std::string fRankingPageHtml(const SRankingPage& page);

// "/watch/MODE/KEY": the frame the replay viewer's script fills; the script
// reads the key from the address itself.
std::string fWatchPageHtml(const std::string& mode, const std::string& key);

// A short page for a refusal (404, 400).
std::string fErrorPageHtml(int status, const std::string& message);

// "/ranking/MODE?page=N&sort=S", the address of one page; a daily board's
// ("MODE@DAY") is "/daily/MODE/DAY?page=N&sort=S".
std::string fRankingPageAddress(const std::string& mode, ERankingSort sort, int page);
// "plimo ranking", or "plimo daily challenge of 2026-12-08" for a board.
std::string fBoardTitle(const std::string& board);
