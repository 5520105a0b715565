// What the ranking scripts answer, apart from HTTP: the list, the upload
// (checked by replaying the archive with the game's own rules) and the
// replay download.
#pragma once

#include <array>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/IRankingStore.h"
#include "server/IReplayVerifier.h"
#include "server/RankingPaging.h"
#include "rules/StageModes.h"

struct SServiceAnswer {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=utf-8";
};

class CRankingService {
 public:
  static constexpr std::size_t kMaxArchiveBytes = 4u * 1024 * 1024;

  // clock gives the registration time; tests pass a fixed one. A list
  // answer is built once and kept until an upload is accepted here, or
  // until it is older than listMaxAge: other server processes may share the
  // store and accept uploads of their own.
  // The game's list answer holds at most the mode's top listLimit entries.
  CRankingService(IRankingStore& store, IReplayVerifier& verifier, std::function<std::time_t()> clock = {},
                  std::chrono::milliseconds listMaxAge = std::chrono::milliseconds(1000),
                  std::size_t listLimit = 1000);

  // One request to ranking_<mode>.cgi with its decoded arguments.
  SServiceAnswer fHandle(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);

  // The list answer's body, shared: a list request copies nothing.
  std::shared_ptr<const std::string> fListBody(const std::string& mode);
  // The mode's entries as cached for the list answer; the web pages read
  // them so that they cost the store no more than the game's lists do.
  std::shared_ptr<const SRankingSnapshot> fRanking(const std::string& mode);
  SServiceAnswer fList(const std::string& mode);
  SServiceAnswer fUpload(const std::string& mode, const std::vector<std::string>& arguments, const std::string& body);
  SServiceAnswer fDownload(const std::string& mode, const std::string& replayKey) const;
  // "ok" when the store answers; throws CGameError when it does not.
  SServiceAnswer fHealth() const;

  IRankingStore& fStore() { return mStore; }

 private:
  struct SCachedList {
    std::shared_ptr<const SRankingSnapshot> ranking;
    std::chrono::steady_clock::time_point built;
    unsigned generation = 0;  // counts invalidations, so a slow rebuild cannot undo one
  };

  SRankingSnapshot fBuildRanking(const std::string& mode) const;
  void fInvalidateList(int mode);

  IRankingStore& mStore;
  IReplayVerifier& mVerifier;
  std::function<std::time_t()> mClock;
  std::chrono::milliseconds mListMaxAge;
  std::size_t mListLimit;
  std::array<SCachedList, kModeCount> mLists;
  std::mutex mListMutex;
};
