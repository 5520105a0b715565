#include "online/DailyClient.h"

#include <algorithm>
#include <cstdio>

#include "gamelib/FileSystem.h"
#include "online/RankingUrl.h"
#include "replay/ReplayArchiveCheck.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

// Requests that carry no data name this body file; it never exists.
constexpr const char* kEmptyBodyFile = "a.txt";
constexpr std::size_t kDailyFields = 2 + kModeCount;
constexpr std::int64_t kMaxSeed = 2147483647;
constexpr int kSecondsADay = 86400;

// Plain decimal digits, at most `limit`.
std::optional<std::int64_t> fDigits(const std::string& text, std::int64_t limit) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > limit) return std::nullopt;
  return value;
}

bool fIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

SDownloadResult fDownloadFailed() {
  SDownloadResult result;
  result.message = fText(ETextId::RankingConnectionFailed);
  return result;
}

std::string fDownloadFolder(int mode) { return std::string("dat/downloaded_replay_") + fModeName(mode); }

}  // namespace

bool fIsDailyDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  const auto year = fDigits(text.substr(0, 4), 9999);
  const auto month = fDigits(text.substr(5, 2), 12);
  const auto day = fDigits(text.substr(8, 2), 31);
  if (!year || !month || !day || *month < 1 || *day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int days = kDays[*month - 1];
  if (*month == 2 && fIsLeapYear(static_cast<int>(*year))) days = 29;
  return *day <= days;
}

std::string fDayBefore(const std::string& date) {
  if (!fIsDailyDate(date)) return date;
  int year = std::stoi(date.substr(0, 4));
  int month = std::stoi(date.substr(5, 2));
  int day = std::stoi(date.substr(8, 2)) - 1;
  if (day == 0) {
    // The days of month m at m % 12.
    static constexpr int kDays[] = {31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    if (--month == 0) {
      month = 12;
      --year;
    }
    day = kDays[month % 12];
    if (month == 2 && fIsLeapYear(year)) day = 29;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::optional<SDailyInfo> fParseDailyAnswer(const std::string& body) {
  std::string line = body;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const auto fields = fSplitFields(line, '?');
  if (fields.size() != kDailyFields || !fIsDailyDate(fields[0])) return std::nullopt;
  SDailyInfo info;
  info.date = fields[0];
  for (int mode = 0; mode < kModeCount; ++mode) {
    const auto seed = fDigits(fields[static_cast<std::size_t>(1 + mode)], kMaxSeed);
    if (!seed) return std::nullopt;
    info.seeds[static_cast<std::size_t>(mode)] = static_cast<std::int32_t>(*seed);
  }
  const auto seconds = fDigits(fields.back(), kSecondsADay);
  if (!seconds) return std::nullopt;
  info.secondsLeft = static_cast<int>(*seconds);
  return info;
}

SDailyResult fReadDailyResponse(const SHttpResponse& response) {
  SDailyResult result;
  if (!response.fIsOk()) {
    result.message = fText(ETextId::DailyNoServer);
    return result;
  }
  result.info = fParseDailyAnswer(response.body);
  if (!result.info) result.message = fText(ETextId::DailyBadAnswer);
  return result;
}

SDailyResult fRequestDaily(const std::string& server) {
  if (server.empty()) {
    SDailyResult result;
    result.message = fText(ETextId::DailyNoServer);
    return result;
  }
  // Any mode's script answers the same day.
  return fReadDailyResponse(CCurlWrapper::fPostFile(fGetDailyUrl(server, 0), kEmptyBodyFile));
}

SDailyResult fRequestDaily() { return fRequestDaily(fRankingServer()); }

SDailyListResult fReadDailyListResponse(const SHttpResponse& response) {
  SDailyListResult result;
  if (!response.fIsOk()) {
    result.message = fText(ETextId::DailyListFailed);
    return result;
  }
  if (!response.body.empty()) {
    result.entries = fParseRankingList(response.body);
    if (result.entries.empty()) {
      result.message = fText(ETextId::DailyListFailed);
      return result;
    }
  }
  // Best first, as the server sends it; equal scores share a rank.
  std::stable_sort(result.entries.begin(), result.entries.end(),
                   [](const SRankingData& a, const SRankingData& b) { return a.score > b.score; });
  for (std::size_t i = 0; i < result.entries.size(); ++i) {
    const bool tie = i > 0 && result.entries[i].score == result.entries[i - 1].score;
    result.entries[i].rank = tie ? result.entries[i - 1].rank : static_cast<std::int32_t>(i + 1);
  }
  result.ok = true;
  return result;
}

SDailyListResult fRequestDailyList(const std::string& server, int mode, const std::string& date) {
  if (server.empty() || !fIsDailyDate(date)) {
    SDailyListResult result;
    result.message = fText(ETextId::DailyListFailed);
    return result;
  }
  return fReadDailyListResponse(CCurlWrapper::fPostFile(fDailyListUrl(server, mode, date), kEmptyBodyFile));
}

std::string fDailyRefusalText(const std::string& reason) {
  struct SKnown {
    const char* reason;
    ETextId text;
  };
  static constexpr SKnown kKnown[] = {{"wrong seed", ETextId::DailyReasonWrongSeed},
                                      {"day is over", ETextId::DailyReasonDayOver},
                                      {"bad date", ETextId::DailyReasonBadDate},
                                      {"not better than your best today", ETextId::DailyReasonNotBetter}};
  for (const SKnown& known : kKnown) {
    if (reason == known.reason) return fFormatText(ETextId::DailyUploadRefusedFormat, fText(known.text));
  }
  return fFormatText(ETextId::DailyUploadRefusedFormat, reason.c_str());
}

SUploadResult fReadUploadDailyResponse(const SHttpResponse& response) {
  SUploadResult result;
  result.message = fText(ETextId::RankingConnectionFailed);
  if (!response.fIsOk()) return result;
  if (const auto rank = fParseUploadAnswer(response.body)) {
    result.success = true;
    result.rank = *rank;
    result.message = fFormatText(ETextId::DailyUploadSuccessFormat, *rank);
  } else if (const auto reason = fParseUploadRefusal(response.body)) {
    result.message = fDailyRefusalText(*reason);
  }
  return result;
}

SUploadResult fUploadDaily(const std::string& server, int mode, const std::string& name, int score, int maxRensa,
                           const std::string& date, const std::string& archivePath) {
  SUploadResult result;
  result.message = fText(ETextId::RankingConnectionFailed);
  if (!fFileExists(archivePath)) {
    result.message = fText(ETextId::NoReplay);
    return result;
  }
  if (server.empty() || !fIsDailyDate(date)) return result;
  return fReadUploadDailyResponse(
      CCurlWrapper::fPostFile(fUploadDailyUrl(server, mode, name, score, maxRensa, date), archivePath));
}

std::optional<std::string> fDownloadedDailyPath(int mode, const std::string& date, const std::string& key) {
  fModeInfo(mode);  // range check
  if (!fIsDailyDate(date) || !fIsSafeReplayKey(key)) return std::nullopt;
  return fDownloadFolder(mode) + "/daily_" + date + "_" + key;
}

std::optional<SReplayInfo> fStoredDownloadedDaily(int mode, const std::string& date, const std::string& key) {
  const auto path = fDownloadedDailyPath(mode, date, key);
  if (!path || !fFileExists(*path)) return std::nullopt;
  return fPlaybackOf(*path);
}

SDownloadResult fDownloadDaily(const std::string& server, int mode, const std::string& date, const std::string& key) {
  const auto path = fDownloadedDailyPath(mode, date, key);
  if (!path || server.empty()) return fDownloadFailed();
  return fDownloadReplayTo(fDownloadDailyUrl(server, mode, date, key), mode, *path);
}
