#include "server/WebRoute.h"

#include "rules/StageModes.h"
#include "server/DailyBoard.h"
#include "server/RankingRequest.h"

namespace {

bool fStartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

void fReadRankingTarget(const std::string& mode, const std::string& query, SWebRequest& request) {
  if (!fIsModeName(mode)) {
    request.refusal = 404;
    return;
  }
  request.mode = mode;
  const auto parsed = fParseRankingQuery(query);
  if (!parsed) {
    request.refusal = 400;
    return;
  }
  request.query = *parsed;
}

// "MODE/DAY" of a daily board's page.
void fReadDailyTarget(const std::string& rest, const std::string& query, SWebRequest& request) {
  request.daily = true;
  const std::size_t slash = rest.find('/');
  if (slash == std::string::npos || !fDayStart(rest.substr(slash + 1))) {
    request.refusal = 404;
    return;
  }
  request.day = rest.substr(slash + 1);
  fReadRankingTarget(rest.substr(0, slash), query, request);
}

// "/daily?date=YYYY-MM-DD", as the day picker sends it; no date: today.
void fReadDailyIndex(std::string_view query, SWebRequest& request) {
  request.daily = true;
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view field = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (!field.starts_with("date=")) continue;
    const auto day = fPercentDecode(std::string(field.substr(5)));
    if (!day || !fDayStart(*day)) {
      request.refusal = 400;
      return;
    }
    request.day = *day;
  }
}

}  // namespace

bool fIsModeName(const std::string& name) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (name == fModeName(mode)) return true;
  }
  return false;
}

std::optional<SWebRequest> fParseWebTarget(const std::string& target) {
  const std::size_t pathEnd = target.find_first_of("?#");
  const std::string path = target.substr(0, pathEnd);
  std::string query;
  if (pathEnd != std::string::npos && target[pathEnd] == '?') {
    const std::size_t hash = target.find('#', pathEnd);
    query = target.substr(pathEnd + 1, hash == std::string::npos ? std::string::npos : hash - pathEnd - 1);
  }
  using EKind = SWebRequest::EKind;
  SWebRequest request;
  if (path == "/") {
    request.kind = EKind::Index;
  } else if (path == "/daily" || path == "/daily/") {
    request.kind = EKind::Index;
    fReadDailyIndex(query, request);
  } else if (fStartsWith(path, "/daily/")) {
    request.kind = EKind::Ranking;
    fReadDailyTarget(path.substr(7), query, request);
  } else if (fStartsWith(path, "/ranking/")) {
    request.kind = EKind::Ranking;
    fReadRankingTarget(path.substr(9), query, request);
  } else if (fStartsWith(path, "/api/")) {
    request.kind = EKind::Api;
    if (fStartsWith(path, "/api/ranking/")) {
      fReadRankingTarget(path.substr(13), query, request);
    } else if (path == "/api/daily") {
      request.daily = true;
    } else if (fStartsWith(path, "/api/daily/")) {
      fReadDailyTarget(path.substr(11), query, request);
    } else {
      request.refusal = 404;
    }
  } else if (fStartsWith(path, "/watch/")) {
    request.kind = EKind::Watch;
    const std::string rest = path.substr(7);
    const std::size_t slash = rest.find('/');
    const std::string mode = rest.substr(0, slash);
    if (!fIsModeName(mode) || slash == std::string::npos) {
      request.refusal = 404;
      return request;
    }
    request.mode = mode;
    std::string keyPart = rest.substr(slash + 1);
    // "/watch/MODE/DAY/KEY": an entry of a daily board.
    if (const std::size_t daySlash = keyPart.find('/');
        daySlash != std::string::npos && fDayStart(keyPart.substr(0, daySlash))) {
      request.daily = true;
      request.day = keyPart.substr(0, daySlash);
      keyPart = keyPart.substr(daySlash + 1);
    }
    const auto key = fPercentDecode(keyPart);
    if (!key || key->empty() || key->find('/') != std::string::npos) {
      request.refusal = key ? 404 : 400;
      return request;
    }
    request.key = *key;
  } else if (fStartsWith(path, "/static/")) {
    request.kind = EKind::Static;
    const auto file = fPercentDecode(path.substr(8));
    if (!file) {
      request.refusal = 404;
      return request;
    }
    request.path = *file;
  } else {
    return std::nullopt;
  }
  return request;
}
