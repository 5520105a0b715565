// The three ranking requests as the title menu and the ranking window make
// them: each blocks until the server answers (or the request times out) and
// returns what to show. Message windows and scene changes stay with the
// callers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "online/CCurlWrapper.h"
#include "online/SRankingData.h"
#include "replay/ReplayArchiveCheck.h"
#include "stage/StageReplay.h"


// The server named by the fourth line of "config.dat".
std::string fRankingServer();

// ---- ranking list ----

struct SRankingListResult {
  enum class EOutcome { Listed, ConnectionFailed, NoData };
  EOutcome outcome = EOutcome::ConnectionFailed;
  std::vector<SRankingData> entries;  // Listed: at least one, in the server's order
  std::string message;                // the failure text to show; empty when listed

  bool fIsListed() const { return outcome == EOutcome::Listed; }
};

SRankingListResult fRequestRankingList(int mode);
SRankingListResult fRequestRankingList(const std::string& server, int mode);
// How an answer to the list request reads: anything but HTTP 200 is a failed
// connection; an empty list, a first line without five fields, or a list of
// which no line can be read, is "no data".
SRankingListResult fReadRankingListResponse(const SHttpResponse& response);

// ---- upload ----

struct SUploadResult {
  bool success = false;
  int rank = 0;
  std::string message;  // the text to show either way
};

// The rank in "UploadSuccess?RANK"; nothing for any other answer.
std::optional<int> fParseUploadAnswer(const std::string& text);
// The reason in "UploadFailed?REASON", as the player may be shown it
// (printable ASCII, at most 60 characters); nothing for any other answer.
std::optional<std::string> fParseUploadRefusal(const std::string& text);
// Sends the mode's high score under name with its replay archive as the
// body. When the server accepts it, the record is marked registered, saved
// and read back.
SUploadResult fUploadRanking(int mode, const std::string& name);
SUploadResult fUploadRanking(const std::string& server, int mode, const std::string& name);

// ---- replay download ----

struct SDownloadResult {
  bool success = false;
  SReplayInfo replay;   // on success: the stored download, ready to play
  std::string message;  // the failure text to show
};

// Keys come from the server: only a plain file name may become a path
// (1 to 64 characters, no "/", "\", "..", control characters, no leading ".").
bool fIsSafeReplayKey(const std::string& key);
// "dat/downloaded_replay_<mode>/<key>", or nothing for a key that is unsafe.
std::optional<std::string> fDownloadedReplayPath(int mode, const std::string& key);
// The playback of an entry's replay that was downloaded before, if its file
// is on disk: the ranking window plays it without asking the server.
std::optional<SReplayInfo> fStoredDownloadedReplay(int mode, const std::string& key);
// Fetches the entry's replay; only a valid archive of the mode, answered
// with HTTP 200, is written and offered for playback. Anything else writes
// nothing and reports a failed connection.
SDownloadResult fDownloadReplay(int mode, const std::string& replayKey);
SDownloadResult fDownloadReplay(const std::string& server, int mode, const std::string& replayKey);
// The fetch behind every download (a ranked entry's, a day's entry's): the
// answer of `url` is written to `path` only when it is an archive of the mode.
SDownloadResult fDownloadReplayTo(const std::string& url, int mode, const std::string& path);
// How a stored replay file is played.
SReplayInfo fPlaybackOf(const std::string& path);
