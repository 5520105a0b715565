// The ranking's web site beside the game's scripts: the pages, the JSON and
// the static files, answered on the event thread from the list cache and
// the static file cache; a page deeper than the cache is read from the
// store (on a blocking thread: see fNeedsStore).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "server/StaticFiles.h"
#include "server/WebRoute.h"

class CRankingService;
struct SRankingSnapshot;

struct SWebAnswer {
  int status = 200;
  std::string contentType;
  std::shared_ptr<const std::string> body;
  std::string headers;  // further header lines, each ending in CRLF
};

class CRankingSite {
 public:
  // An empty web root serves no static files.
  CRankingSite(CRankingService& service, std::filesystem::path webRoot);

  // ifNoneMatch: the request's If-None-Match header, empty when none.
  // Throws CGameError when the store fails.
  SWebAnswer fAnswer(const SWebRequest& request, std::string_view ifNoneMatch);
  // Whether the request's page lies past what the list cache holds: it is
  // then read from the store, off the event thread.
  static bool fNeedsStore(const SWebRequest& request, const SRankingSnapshot& ranking);
  // 405 for a method other than GET or HEAD.
  static SWebAnswer fWrongMethod(const SWebRequest& request);

 private:
  SWebAnswer fIndex();
  SWebAnswer fRanking(const SWebRequest& request);
  // "/daily", "/daily/MODE/DAY", "/api/daily", "/api/daily/MODE/DAY" and a
  // daily entry's watch page.
  SWebAnswer fDaily(const SWebRequest& request);
  SWebAnswer fStatic(const SWebRequest& request, std::string_view ifNoneMatch);

  CRankingService& mService;
  CStaticFiles mFiles;
};
