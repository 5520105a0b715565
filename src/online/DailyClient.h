// The daily challenge's requests: today's seeds, a day's list, sending a
// daily game and fetching one's replay. Like the ranking's requests each
// blocks until the server answers (or the request times out); the title
// menu runs them one frame after showing that it is connecting. Nothing the
// server sends can crash the game: every answer is read as untrusted text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "online/CCurlWrapper.h"
#include "online/RankingClient.h"
#include "online/SRankingData.h"
#include "rules/StageModes.h"

// One UTC day's challenge as the server answers "GetDaily".
struct SDailyInfo {
  std::string date;  // "YYYY-MM-DD"
  std::array<std::int32_t, kModeCount> seeds{};
  int secondsLeft = 0;  // until the day's end, by the server's clock
};

// "YYYY-MM-DD" with a month 01-12 and a day that month has.
bool fIsDailyDate(const std::string& text);
// The day before a day ("2026-03-01" gives "2026-02-28"); the text itself
// when it is no day.
std::string fDayBefore(const std::string& date);
// "DATE?SEED_PLIMO?SEED_YOIKO?SEED_WANPAKU?SECONDS_LEFT", one line, its
// "\n" optional; seeds 0..2^31-1 and seconds 0..86400 in plain digits.
// Nothing for anything else.
std::optional<SDailyInfo> fParseDailyAnswer(const std::string& body);

struct SDailyResult {
  std::optional<SDailyInfo> info;
  std::string message;  // one line saying why there is no challenge; empty with info
};
// No server configured, none answering, or an answer that cannot be read:
// no info and the line to show.
SDailyResult fReadDailyResponse(const SHttpResponse& response);
SDailyResult fRequestDaily(const std::string& server);
SDailyResult fRequestDaily();

struct SDailyListResult {
  bool ok = false;
  std::vector<SRankingData> entries;  // best first, ranks assigned; may be empty
  std::string message;                // why there is no list; empty when ok
};
// An empty body is a day nobody played yet (ok, no entries). Any other
// status than 200, or a body of which no line reads, is no list.
SDailyListResult fReadDailyListResponse(const SHttpResponse& response);
SDailyListResult fRequestDailyList(const std::string& server, int mode, const std::string& date);

// The text shown for the server's refusal of a daily game: its known
// reasons in the player's language, any other as sent.
std::string fDailyRefusalText(const std::string& reason);
// Reads the answer to "UploadDaily".
SUploadResult fReadUploadDailyResponse(const SHttpResponse& response);
// Sends the daily game kept at archivePath for the day `date`.
SUploadResult fUploadDaily(const std::string& server, int mode, const std::string& name, int score, int maxRensa,
                           const std::string& date, const std::string& archivePath);

// "dat/downloaded_replay_<mode>/daily_<date>_<key>", or nothing for a date
// or key that is unsafe.
std::optional<std::string> fDownloadedDailyPath(int mode, const std::string& date, const std::string& key);
// The playback of a daily entry's replay downloaded before, if on disk.
std::optional<SReplayInfo> fStoredDownloadedDaily(int mode, const std::string& date, const std::string& key);
// Fetches a daily entry's replay; only a valid archive of the mode is
// written, as for the ranking's downloads.
SDownloadResult fDownloadDaily(const std::string& server, int mode, const std::string& date, const std::string& key);
