// Plays a replay archive without a window, sound or fonts and reports how
// its game ended: for players, for the ranking server and for tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SReplayCheckResult {
  std::string mode;   // "plimo", "yoiko" or "wanpaku"
  std::int32_t seed = 0;
  long long frames = 0;  // frames simulated after the stage was built
  std::string state;  // the stage's state when the run stopped
  int score = 0;
  int maxRensa = 0;
  int cleared = 0;
  int dealt = 0;
  int level = 0;
  bool confirmed = false;  // the finished game was confirmed and left
};

class CPlimoStage;

// One check, in two steps so the simulation can be timed on its own: the
// constructor unpacks the archive privately and builds the stage; fRun plays
// the key log to its end. Throws CGameError for a damaged or foreign archive.
class CReplayRun {
 public:
  // label names the archive in error messages.
  CReplayRun(const std::string& archiveBytes, const std::string& label);
  ~CReplayRun();
  CReplayRun(const CReplayRun&) = delete;
  CReplayRun& operator=(const CReplayRun&) = delete;
  const SReplayCheckResult& fRun();

 private:
  struct SPrivate;
  std::unique_ptr<SPrivate> mPrivate;
  CPlimoStage* mStage = nullptr;
  SReplayCheckResult mResult;
};

// Runs the archive's game through the game's own frame loop on the headless
// backend, inside a private temporary directory (the player's files are never
// touched). Throws CGameError for a damaged or foreign archive.
SReplayCheckResult fCheckReplay(const std::string& archivePath);
// The same for an archive held in memory.
SReplayCheckResult fCheckReplayBytes(const std::string& archiveBytes,
                                     const std::string& label = "the uploaded replay");

// {"mode":"plimo","seed":123,"frames":4567,"state":"GameOver",...}
std::string fReplayCheckJson(const SReplayCheckResult& result);

// The command: prints the JSON line and returns 0, or prints one error line
// on stderr and returns 2.
int fVerifyReplayMain(const std::string& archivePath);
