// Plays a replay archive's game with the rules alone and reports how it
// ended: for players (verify-replay), for the ranking server and for tests.
// A check is a loop in memory: the archive is unpacked once and the rules
// are stepped frame by frame with its key log. Nothing else is read or
// written and no global is touched, so checks may run on several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "replay/CRecordedKeys.h"
#include "replay/PlayRecord.h"
#include "replay/ReplayArchiveCheck.h"
#include "replay/ReplayGame.h"
#include "rules/CStageRules.h"

struct SReplayCheckResult {
  std::string mode;  // "plimo", "yoiko" or "wanpaku"
  std::int32_t seed = 0;
  long long frames = 0;  // key-log frames played after the game was built
  std::string state;     // the game's state when the run stopped
  int score = 0;
  int maxRensa = 0;
  int cleared = 0;
  int dealt = 0;
  int level = 0;
  bool confirmed = false;  // the finished game was confirmed and left
  // The game itself, whatever archive or key log carried it: SHA-256 hex of
  // the mode, the seed and the play (each placed ball's colour and cell, and
  // the holds); and of its opening, which later copies share.
  std::string gameId;
  std::string openingId;
  int placements = 0;
};

// One check, in two steps so the simulation can be timed on its own: the
// constructor unpacks and checks the archive and builds the game; fRun plays
// the key log to its end. Throws CGameError for a damaged or foreign archive.
class CReplayRun {
 public:
  // label names the archive in error messages.
  CReplayRun(const std::string& archiveBytes, const std::string& label);
  explicit CReplayRun(std::shared_ptr<const SCheckedReplay> replay);
  const SReplayCheckResult& fRun();

 private:
  std::shared_ptr<const SCheckedReplay> mReplay;
  CStageRules mRules;
  CRecordedKeys mKeys;
  SReplayCheckResult mResult;
  CPlayRecord mPlay;
};

// The whole check of an archive held in memory.
SReplayCheckResult fCheckReplayBytes(const std::string& archiveBytes,
                                     const std::string& label = "the uploaded replay");

// {"mode":"plimo","seed":123,"frames":4567,"state":"GameOver",...}
std::string fReplayCheckJson(const SReplayCheckResult& result);
