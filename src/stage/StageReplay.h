// How a stage runs (a normal, recorded game or the playback of a replay) and
// the hand-overs to the key recorder, key player and high-score records.
#pragma once

#include <memory>
#include <string>

#include "persist/ReplayArchiveFile.h"
#include "util/CRandom.h"

// What every failed replay start shows the player.
inline constexpr const char* kUnreadableReplayText = "リプレイファイルを読み込めませんでした";

struct SReplayInfo {
  // Practice: a replay taken over at some frame and played on live; it is
  // never recorded, saved or uploaded.
  enum class EMode : int { Normal = 0, Replay = 1, Practice = 2 };

  SReplayInfo() = default;
  SReplayInfo(EMode mode_, std::string path_, bool isDebug_) : mode(mode_), path(std::move(path_)), isDebug(isDebug_) {}

  EMode mode = EMode::Normal;
  std::string path;      // the replay archive; read only in Replay mode
  bool isDebug = false;  // Replay mode: play the "debug_" files
  // A replay from the ranking: whose game it was and when, for the banner.
  std::string player;
  std::string date;
  // Started from the command line: leaving the replay ends the program.
  bool endsProgram = false;

  // The values the title menu passes for a mode's game and replay.
  static SReplayInfo fNormal(int mode);
  static SReplayInfo fReplay(int mode);
  static SReplayInfo fDebugReplay(int mode);
};

class CPlimoStage;

// "dat/replay_<mode name>/" + file.
std::string fReplayFilePath(int mode, const std::string& file);

// The whole check of the replay a stage is about to play, made before the
// stage changes anything: the archive must be sound and of that mode and kind.
// Throws CGameError.
std::shared_ptr<const SCheckedReplay> fCheckStageReplay(int mode, const SReplayInfo& info);

// The generator a stage's game deals with: seeded from the clock in a
// normal game, with the recorded seed in a replay.
CRandom fNewGameRandom(const SReplayInfo& info, const SCheckedReplay* replay);
// At the end of construction: starts recording, or unpacks the replay where
// the design keeps it and installs the key player.
void fSetupReplay(CPlimoStage& stage);
// The player confirmed the end of a finished game: store a new best with its
// replay, then play again (or, after a replay, go back to the title menu).
void fFinishReplay(CPlimoStage& stage);
// F12 in a normal game: packs the game so far as the mode's debug replay and
// leaves for the title menu.
void fSaveDebugReplay(CPlimoStage& stage);
// T in a paused replay: the stage plays on as a practice game under the
// live keys, recording nothing.
void fTakeOverReplay(CPlimoStage& stage);
// Escape: ends the recording or the playback and leaves for the title menu.
void fLeaveReplay(CPlimoStage& stage);
// The mode's stored best score.
int fModeHighScore(int mode);
