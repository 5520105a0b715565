// How a stage runs (a normal, recorded game or the playback of a replay) and
// the hand-overs to the key recorder, key player and high-score records.
#pragma once

#include <cstdint>
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
  // A daily challenge game (Normal mode, recorded): the day's seed for the
  // mode and the day ("YYYY-MM-DD"). Kept apart from the mode's records.
  // A race deals with the same seed field (its ghost's), with no day.
  std::int32_t dailySeed = 0;
  std::string dailyDate;

  bool fIsDaily() const { return mode == EMode::Normal && !dailyDate.empty(); }
  // A race (Normal mode, recorded and kept as any game): the ghost's checked
  // replay; the game deals with its seed, given as a daily game's is.
  std::shared_ptr<const SCheckedReplay> raceGhost;

  // The values the title menu passes for a mode's game and replay.
  static SReplayInfo fNormal(int mode);
  static SReplayInfo fReplay(int mode);
  static SReplayInfo fDebugReplay(int mode);
  static SReplayInfo fDaily(int mode, std::int32_t seed, const std::string& date);
  static SReplayInfo fRace(std::shared_ptr<const SCheckedReplay> ghost);
};

class CPlimoStage;

// "dat/replay_<mode name>/" + file.
std::string fReplayFilePath(int mode, const std::string& file);

// The whole check of the replay a stage is about to play, made before the
// stage changes anything: the archive must be sound and of that mode and kind.
// Throws CGameError.
std::shared_ptr<const SCheckedReplay> fCheckStageReplay(int mode, const SReplayInfo& info);

// The generator a stage's game deals with: seeded from the clock in a
// normal game, with the day's seed in a daily game, with the ghost's in a
// race, with the recorded seed in a replay.
CRandom fNewGameRandom(const SReplayInfo& info, const SCheckedReplay* replay);
// At the end of construction: starts recording, or unpacks the replay where
// the design keeps it and installs the key player.
void fSetupReplay(CPlimoStage& stage);
// How long the final field and result stay on screen once the end was
// confirmed, before the next game (or the menu): a player still pressing
// the drop key sees how the game ended. Frames at 60 a second: 1.5 s.
inline constexpr int kEndHoldFrames = 90;

// The player confirmed the end of a finished game: the game is kept
// (fKeepFinishedGame), the end stays on screen for kEndHoldFrames, then the
// next game starts (after a practice game, the title menu). A replay goes
// back to the title menu at once.
void fFinishReplay(CPlimoStage& stage);
// A frame of that hold; the last one starts the next game.
void fHoldEnd(CPlimoStage& stage);
// Every way out of a normal game's end screen keeps it, the first one only:
// a new best (or a tie) is stored with its replay, anything less drops the
// key log. `confirmed`: the keys that confirmed the end are in the log;
// otherwise they are added to it, so that the replay ends as a confirmed
// one does (the ranking takes only those). Nothing of a game still running,
// a practice game or a replay is kept.
void fKeepFinishedGame(CPlimoStage& stage, bool confirmed);
// F12 in a normal game still running: packs the game so far as the mode's
// debug replay and leaves for the title menu.
void fSaveDebugReplay(CPlimoStage& stage);
// T in a paused replay: the stage plays on as a practice game under the
// live keys, recording nothing.
void fTakeOverReplay(CPlimoStage& stage);
// Escape: ends the recording or the playback and leaves for the title menu;
// at the end screen the game is kept first.
void fLeaveReplay(CPlimoStage& stage);
// The mode's stored best score.
int fModeHighScore(int mode);
