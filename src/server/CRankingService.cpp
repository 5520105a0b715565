#include "server/CRankingService.h"

#include "online/SRankingData.h"
#include "replay/ReplayArchiveCheck.h"
#include "server/RankingRequest.h"
#include "server/Sha256.h"
#include "util/Assert.h"

namespace {

SServiceAnswer fRefuse(const std::string& reason) { return SServiceAnswer{200, "UploadFailed?" + reason}; }

SServiceAnswer fBadRequest() { return SServiceAnswer{400, "bad request\n"}; }

int fModeIndex(const std::string& mode) {
  for (int index = 0; index < kModeCount; ++index) {
    if (mode == fModeName(index)) return index;
  }
  PLIMO_ASSERT(false, "the script's mode is one of the three");
  return 0;
}

}  // namespace

CRankingService::CRankingService(IRankingStore& store, IReplayVerifier& verifier, std::function<std::time_t()> clock,
                                 std::chrono::milliseconds listMaxAge, std::size_t listLimit)
    : mStore(store), mVerifier(verifier), mClock(std::move(clock)), mListMaxAge(listMaxAge), mListLimit(listLimit) {
  if (!mClock) mClock = [] { return std::time(nullptr); };
}

SServiceAnswer CRankingService::fHandle(const std::string& mode, const std::vector<std::string>& arguments,
                                        const std::string& body) {
  if (arguments.empty()) return fBadRequest();
  const std::string& request = arguments.front();
  if (request == "GetRankingList") {
    // The client ends the request with "?": one empty argument may follow.
    if (arguments.size() > 2 || (arguments.size() == 2 && !arguments[1].empty())) return fBadRequest();
    return fList(mode);
  }
  if (request == "UploadRanking") return fUpload(mode, arguments, body);
  if (request == "DownloadReplay") {
    if (arguments.size() != 2) return fBadRequest();
    return fDownload(mode, arguments[1]);
  }
  return fBadRequest();
}

SRankingSnapshot CRankingService::fBuildRanking(const std::string& mode) const {
  std::vector<SRankingEntry> entries = mStore.fList(mode);
  std::string body;
  // The game's list: the best entries only (the web pages page through all).
  for (std::size_t i = 0; i < entries.size() && i < mListLimit; ++i) {
    const SRankingEntry& entry = entries[i];
    body += entry.name + "?" + std::to_string(entry.score) + "?" + std::to_string(entry.maxRensa) + "?" +
            entry.replayKey + "?" + entry.date + "\n";
  }
  return fMakeRankingSnapshot(std::move(entries), std::move(body));
}

std::shared_ptr<const SRankingSnapshot> CRankingService::fRanking(const std::string& mode) {
  const int index = fModeIndex(mode);
  SCachedList& cached = mLists[static_cast<std::size_t>(index)];
  unsigned generation;
  {
    std::lock_guard lock(mListMutex);
    const bool fresh = std::chrono::steady_clock::now() - cached.built < mListMaxAge;
    if (cached.ranking && fresh) return cached.ranking;
    generation = cached.generation;
  }
  auto ranking = std::make_shared<const SRankingSnapshot>(fBuildRanking(mode));
  std::lock_guard lock(mListMutex);
  if (cached.generation == generation) {
    cached.ranking = ranking;
    cached.built = std::chrono::steady_clock::now();
  }
  return ranking;
}

std::shared_ptr<const std::string> CRankingService::fListBody(const std::string& mode) {
  auto ranking = fRanking(mode);
  return std::shared_ptr<const std::string>(ranking, &ranking->listBody);
}

void CRankingService::fInvalidateList(int mode) {
  std::lock_guard lock(mListMutex);
  SCachedList& cached = mLists[static_cast<std::size_t>(mode)];
  cached.ranking.reset();
  ++cached.generation;
}

SServiceAnswer CRankingService::fList(const std::string& mode) { return SServiceAnswer{200, *fListBody(mode)}; }

SServiceAnswer CRankingService::fUpload(const std::string& mode, const std::vector<std::string>& arguments,
                                        const std::string& body) {
  if (arguments.size() != 4) return fRefuse("bad request");
  const std::string& name = arguments[1];
  if (!fIsValidRankingName(name)) return fRefuse("bad name");
  const auto score = fParseCount(arguments[2]);
  const auto maxRensa = fParseCount(arguments[3]);
  if (!score || !maxRensa) return fRefuse("bad score");
  if (body.empty()) return fRefuse("no replay");
  if (body.size() > kMaxArchiveBytes) return fRefuse("replay too large");

  // Cheap refusals first: a check plays a whole game.
  const std::string hash = fSha256Hex(body);
  if (mStore.fHasArchive(hash)) return fRefuse("replay already registered");
  const int modeIndex = fModeIndex(mode);
  if (!fIsReplayArchiveOfMode(body, modeIndex)) return fRefuse("not a replay of this mode");

  const SVerifyOutcome outcome = mVerifier.fVerify(body);
  if (outcome.kind == SVerifyOutcome::EKind::Unplayable) return fRefuse("replay cannot be played");
  if (outcome.kind == SVerifyOutcome::EKind::Failed) return fRefuse("replay check failed");
  const SReplayCheckResult& result = outcome.result;
  if (result.mode != mode) return fRefuse("not a replay of this mode");
  if (!result.confirmed) return fRefuse("game not finished");
  if (result.score != *score || result.maxRensa != *maxRensa) return fRefuse("score does not match replay");

  SNewRankingEntry entry;
  entry.mode = mode;
  entry.name = name;
  entry.score = *score;
  entry.maxRensa = *maxRensa;
  entry.date = fFormatUtcDate(mClock());
  entry.archiveHash = hash;
  entry.archive = body;
  // The game, not the archive: a re-packed copy of a registered game breaks
  // the store's unique constraint on it.
  entry.gameId = result.gameId;
  // Only a committed entry is answered as a success.
  const auto added = mStore.fAdd(entry);
  if (!added) return fRefuse("replay already registered");
  fInvalidateList(modeIndex);
  return SServiceAnswer{200, "UploadSuccess?" + std::to_string(added->rank)};
}

SServiceAnswer CRankingService::fDownload(const std::string& mode, const std::string& replayKey) const {
  auto archive = mStore.fArchive(mode, replayKey);
  if (!archive) return SServiceAnswer{404, "no such replay\n"};
  return SServiceAnswer{200, std::move(*archive), "application/zip"};
}

SServiceAnswer CRankingService::fHealth() const {
  mStore.fPing();
  return SServiceAnswer{200, "ok\n"};
}
