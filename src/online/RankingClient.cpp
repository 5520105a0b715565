#include "online/RankingClient.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "app/GameMain.h"
#include "gamelib/FileSystem.h"
#include "online/RankingUrl.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "replay/ReplayArchiveCheck.h"
#include "rules/StageModes.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

// Requests that carry no data name this body file; it never exists.
constexpr const char* kEmptyBodyFile = "a.txt";
constexpr std::size_t kMaxReplayKeyLength = 64;
constexpr std::size_t kListFields = 5;

std::string fDownloadFolder(int mode) { return std::string("dat/downloaded_replay_") + fModeName(mode); }

SDownloadResult fDownloadFailed() {
  SDownloadResult result;
  result.message = fText(ETextId::RankingConnectionFailed);
  return result;
}

CHighScoreInfo& fHighScoreOf(int mode) {
  const auto index = static_cast<std::size_t>(mode);
  PLIMO_ASSERT(index < gHighScores.size() && gHighScores[index], "no high-score record for the mode");
  return *gHighScores[index];
}

}  // namespace

std::string fRankingServer() { return fCurrentConfig().serverAddress; }

// ---- ranking list ----

SRankingListResult fReadRankingListResponse(const SHttpResponse& response) {
  SRankingListResult result;
  if (!response.fIsOk()) {
    result.outcome = SRankingListResult::EOutcome::ConnectionFailed;
    result.message = fText(ETextId::RankingConnectionFailed);
    return result;
  }
  // The server answers an empty ranking with an empty body.
  const std::string firstLine = response.body.substr(0, response.body.find('\n'));
  if (fSplitFields(firstLine, '?').size() == kListFields) result.entries = fParseRankingList(response.body);
  if (result.entries.empty()) {
    result.outcome = SRankingListResult::EOutcome::NoData;
    result.message = fText(ETextId::RankingNoData);
    return result;
  }
  result.outcome = SRankingListResult::EOutcome::Listed;
  return result;
}

SRankingListResult fRequestRankingList(const std::string& server, int mode) {
  return fReadRankingListResponse(CCurlWrapper::fPostFile(fRankingListUrl(server, mode), kEmptyBodyFile));
}

SRankingListResult fRequestRankingList(int mode) { return fRequestRankingList(fRankingServer(), mode); }

// ---- upload ----

std::optional<int> fParseUploadAnswer(const std::string& text) {
  const auto fields = fSplitFields(text, '?');
  if (fields.size() != 2 || fields[0] != "UploadSuccess") return std::nullopt;
  // Digits only: the server never sends a sign, and rank 0 does not exist.
  if (fields[1].empty() || fields[1].front() < '0' || fields[1].front() > '9') return std::nullopt;
  const auto rank = fParseDecimalInt(fields[1]);
  if (!rank || *rank < 1) return std::nullopt;
  return *rank;
}

std::optional<std::string> fParseUploadRefusal(const std::string& text) {
  static constexpr std::string_view kPrefix = "UploadFailed?";
  constexpr std::size_t kMaxReason = 60;
  if (text.compare(0, kPrefix.size(), kPrefix) != 0) return std::nullopt;
  std::string reason = text.substr(kPrefix.size(), kMaxReason);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  if (reason.empty()) return std::nullopt;
  for (const char c : reason) {
    if (c < 0x20 || c > 0x7e) return std::nullopt;
  }
  return reason;
}

SUploadResult fUploadRanking(const std::string& server, int mode, const std::string& name) {
  const CHighScoreInfo& record = fHighScoreOf(mode);
  const std::string replay = fReplayFilePath(mode, "replay");
  SUploadResult result;
  result.message = fText(ETextId::RankingConnectionFailed);
  // Without its replay the server could only refuse the score: nothing is
  // sent, and the player is told why.
  if (!fFileExists(replay)) {
    result.message = fText(ETextId::NoReplay);
    return result;
  }

  const SHttpResponse response =
      CCurlWrapper::fPostFile(fUploadRankingUrl(server, mode, name, record.score, record.maxRensa), replay);
  const auto rank = response.fIsOk() ? fParseUploadAnswer(response.body) : std::nullopt;
  if (!rank) {
    // The server answered and refused: say why, not that it could not be reached.
    if (const auto reason = response.fIsOk() ? fParseUploadRefusal(response.body) : std::nullopt) {
      result.message = fFormatText(ETextId::RankingUploadRefusedFormat, reason->c_str());
    }
    return result;
  }

  fHighScoreOf(mode).isRegistered = true;
  fSaveHighScore();
  fLoadHighScore();
  result.success = true;
  result.rank = *rank;
  result.message = fFormatText(ETextId::RankingUploadSuccessFormat, *rank);
  return result;
}

SUploadResult fUploadRanking(int mode, const std::string& name) { return fUploadRanking(fRankingServer(), mode, name); }

// ---- replay download ----

bool fIsSafeReplayKey(const std::string& key) {
  if (key.empty() || key.size() > kMaxReplayKeyLength) return false;
  if (key.front() == '.' || key.find("..") != std::string::npos) return false;
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

std::optional<std::string> fDownloadedReplayPath(int mode, const std::string& key) {
  fModeInfo(mode);  // range check
  if (!fIsSafeReplayKey(key)) return std::nullopt;
  return fDownloadFolder(mode) + "/" + key;
}

std::optional<SReplayInfo> fStoredDownloadedReplay(int mode, const std::string& key) {
  const auto path = fDownloadedReplayPath(mode, key);
  if (!path || !fFileExists(*path)) return std::nullopt;
  return fPlaybackOf(*path);
}

SDownloadResult fDownloadReplay(const std::string& server, int mode, const std::string& replayKey) {
  const auto path = fDownloadedReplayPath(mode, replayKey);
  if (!path) return fDownloadFailed();
  return fDownloadReplayTo(fDownloadReplayUrl(server, mode, replayKey), mode, *path);
}

SDownloadResult fDownloadReplayTo(const std::string& url, int mode, const std::string& path) {
  const SHttpResponse response = CCurlWrapper::fPostFile(url, kEmptyBodyFile);
  if (!response.fIsOk() || !fIsReplayArchiveOfMode(response.body, mode)) return fDownloadFailed();
  try {
    fCreateDirectories(fDownloadFolder(mode));
    fWriteWholeFile(path, response.body);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: cannot store the downloaded replay %s: %s\n", path.c_str(), error.what());
    return fDownloadFailed();
  }
  SDownloadResult result;
  result.success = true;
  result.replay = fPlaybackOf(path);
  return result;
}

SReplayInfo fPlaybackOf(const std::string& path) {
  SReplayInfo info;
  info.mode = SReplayInfo::EMode::Replay;
  info.path = path;
  info.isDebug = false;
  return info;
}

SDownloadResult fDownloadReplay(int mode, const std::string& replayKey) {
  return fDownloadReplay(fRankingServer(), mode, replayKey);
}
