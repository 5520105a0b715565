#include "server/WebRoute.h"

#include "rules/StageModes.h"
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
  } else if (fStartsWith(path, "/ranking/")) {
    request.kind = EKind::Ranking;
    fReadRankingTarget(path.substr(9), query, request);
  } else if (fStartsWith(path, "/api/")) {
    request.kind = EKind::Api;
    if (fStartsWith(path, "/api/ranking/")) {
      fReadRankingTarget(path.substr(13), query, request);
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
    const auto key = fPercentDecode(rest.substr(slash + 1));
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
