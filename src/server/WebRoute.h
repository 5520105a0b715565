// Where a request for the ranking's web site goes: the front page, a
// mode's ranking page or its JSON, a replay's watch page, or a static file.
#pragma once

#include <optional>
#include <string>

#include "server/RankingPaging.h"

struct SWebRequest {
  enum class EKind { Index, Ranking, Api, Watch, Static };
  EKind kind = EKind::Index;
  // 404 or 400 when the path or query cannot be served; 0 otherwise.
  int refusal = 0;
  std::string mode;  // one of the three modes, or empty
  std::string key;   // Watch: the replay key, percent-decoded
  std::string path;  // Static: the file's path under the web root, percent-decoded, not yet checked
  SRankingQuery query;
  // The daily challenge's: "/daily" (Index), "/daily/MODE/DAY" (Ranking),
  // "/api/daily" and "/api/daily/MODE/DAY" (Api), "/watch/MODE/DAY/KEY".
  bool daily = false;
  std::string day;  // "YYYY-MM-DD" when given; empty for today on "/daily"
};

// Nothing when the target's path is none of the site's ("/", "/ranking/",
// "/daily", "/api/", "/watch/", "/static/").
std::optional<SWebRequest> fParseWebTarget(const std::string& target);

// The mode's name when it is one of the three.
bool fIsModeName(const std::string& name);
