// What the ranking scripts answer, apart from HTTP: the list, the upload
// (checked by replaying the archive with the game's own rules) and the
// replay download.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "server/CRankingDatabase.h"

struct SServiceAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=utf-8";
};

class CRankingService {
 public:
  static constexpr std::size_t kMaxArchiveBytes = 4u * 1024 * 1024;

  // clock gives the registration time; tests pass a fixed one.
  explicit CRankingService(CRankingDatabase& database, std::function<std::time_t()> clock = {});

  // One request to ranking_<mode>.cgi with its decoded arguments.
  SServiceAnswer fHandle(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);

  SServiceAnswer fList(const std::string& mode) const;
  SServiceAnswer fUpload(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);
  SServiceAnswer fDownload(const std::string& mode, const std::string& replayKey) const;

 private:
  CRankingDatabase& mDatabase;
  std::function<std::time_t()> mClock;
};
