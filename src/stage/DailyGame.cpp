#include "stage/DailyGame.h"

#include <cstdio>

#include "gamelib/FileSystem.h"
#include "persist/CArchiver.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayFormat.h"
#include "rules/StageModes.h"
#include "util/Assert.h"

namespace {

constexpr const char* kDailyPrefix = "daily_";
constexpr const char* kSentSuffix = "_sent";

std::optional<SDailyReturn>& fDailyReturn() {
  static std::optional<SDailyReturn> place;
  return place;
}

}  // namespace

std::string fDailyGamePath(int mode, const std::string& date, bool sent) {
  return fReplayFolderOf(mode) + kDailyPrefix + date + (sent ? kSentSuffix : "");
}

std::optional<SKeptDaily> fKeptDailyGame(int mode, const std::string& date) {
  for (const bool sent : {false, true}) {
    const std::string path = fDailyGamePath(mode, date, sent);
    if (!fFileExists(path)) continue;
    try {
      const SReplayCheckResult checked = fCheckReplayBytes(fReadWholeFile(path), path);
      if (checked.mode != fModeName(mode)) throw CGameError(path + " is a game of another mode.");
      SKeptDaily kept;
      kept.path = path;
      kept.date = date;
      kept.sent = sent;
      kept.score = checked.score;
      kept.maxRensa = checked.maxRensa;
      return kept;
    } catch (const CGameError& error) {
      std::fprintf(stderr, "PlimoBall: the kept daily game cannot be played, deleted: %s\n", error.what());
      fDeleteFile(path);
    }
  }
  return std::nullopt;
}

void fMarkDailySent(int mode, const std::string& date) {
  const std::string unsent = fDailyGamePath(mode, date, false);
  if (!fFileExists(unsent)) return;
  fRenameFile(unsent, fDailyGamePath(mode, date, true));
}

bool fKeepDailyGame(int mode, const std::string& date, int score, const std::string& seedFile,
                    const std::string& keyLogFile) {
  const auto kept = fKeptDailyGame(mode, date);
  // A tie never replaces a game the ranking took: it would only be refused.
  if (kept && (kept->score > score || (kept->sent && kept->score == score))) return false;
  // The archive first, then the old one goes: a failed write keeps the old.
  const std::string path = fDailyGamePath(mode, date, false);
  CArchiver::fArchive({keyLogFile, seedFile}, path, true);
  if (kept && kept->path != path) fDeleteFile(kept->path);
  // Earlier days' games can no longer be sent. A later day's stays: a game
  // begun before midnight may end after a game of the new day was kept.
  const std::string folder = fReplayFolderOf(mode);
  for (const std::string& name : fListDirectory(folder)) {
    if (name.rfind(kDailyPrefix, 0) != 0) continue;
    const std::string day = name.substr(std::string(kDailyPrefix).size(), date.size());
    if (day < date) fDeleteFile(folder + name);
  }
  return true;
}

void fReturnToDailyAfterGame(std::optional<SDailyReturn> place) { fDailyReturn() = place; }

std::optional<SDailyReturn> fTakeDailyReturn() {
  auto place = fDailyReturn();
  fDailyReturn().reset();
  return place;
}
