#include "server/CRankingService.h"

#include <mutex>

#include "app/ReplayCheck.h"
#include "online/RankingClient.h"
#include "server/RankingRequest.h"
#include "server/Sha256.h"
#include "stage/StageModes.h"
#include "util/Assert.h"

namespace {

SServiceAnswer fRefuse(const std::string& reason) { return SServiceAnswer{200, "UploadFailed?" + reason}; }

// A check takes over the process's working directory and the game's globals
// while it runs: one at a time in the whole process, whatever the service.
std::mutex gCheckMutex;

SServiceAnswer fBadRequest() { return SServiceAnswer{400, "bad request\n"}; }

int fModeIndex(const std::string& mode) {
  for (int index = 0; index < kModeCount; ++index) {
    if (mode == fModeName(index)) return index;
  }
  PLIMO_ASSERT(false, "the script's mode is one of the three");
  return 0;
}

// The game of the archive, played through; a reason when it cannot be.
std::string fCheck(const std::string& archive, SReplayCheckResult& result) {
  try {
    result = fCheckReplayBytes(archive);
    return {};
  } catch (const CGameError&) {
  } catch (const CFatalError&) {
  } catch (const std::exception&) {
  }
  return "replay cannot be played";
}

}  // namespace

CRankingService::CRankingService(CRankingDatabase& database, std::function<std::time_t()> clock)
    : mDatabase(database), mClock(std::move(clock)) {
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

SServiceAnswer CRankingService::fList(const std::string& mode) const {
  SServiceAnswer answer;
  for (const SRankingEntry& entry : mDatabase.fList(mode)) {
    answer.body += entry.name + "?" + std::to_string(entry.score) + "?" + std::to_string(entry.maxRensa) + "?" +
                   entry.replayKey + "?" + entry.date + "\n";
  }
  return answer;
}

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
  if (mDatabase.fHasArchive(hash)) return fRefuse("replay already registered");
  if (!fIsReplayArchiveOfMode(body, fModeIndex(mode))) return fRefuse("not a replay of this mode");

  SReplayCheckResult result;
  {
    std::lock_guard lock(gCheckMutex);
    const std::string problem = fCheck(body, result);
    if (!problem.empty()) return fRefuse(problem);
  }
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
  const auto added = mDatabase.fAdd(entry);
  if (!added) return fRefuse("replay already registered");
  return SServiceAnswer{200, "UploadSuccess?" + std::to_string(added->rank)};
}

SServiceAnswer CRankingService::fDownload(const std::string& mode, const std::string& replayKey) const {
  auto archive = mDatabase.fArchive(mode, replayKey);
  if (!archive) return SServiceAnswer{404, "no such replay\n"};
  return SServiceAnswer{200, std::move(*archive), "application/zip"};
}
