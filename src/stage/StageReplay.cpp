#include "stage/StageReplay.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "input/GameKey.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "persist/Serializer.h"
#include "replay/KeyLog.h"
#include "replay/ReplayFormat.h"
#include "stage/CPlimoStage.h"
#include "stage/DailyGame.h"
#include "rules/StageModes.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"

namespace {

constexpr int kNewGameSeedRange = 1000;  // a new game's seed is the clock's milliseconds

// The live key manager of a normal game; null when another source stands in.
CKeyManager* fRecorder() { return dynamic_cast<CKeyManager*>(gKeyManager.get()); }
CKeyPlayer* fPlayer() { return dynamic_cast<CKeyPlayer*>(gKeyManager.get()); }

void fEndRecording() {
  if (CKeyManager* keys = fRecorder()) keys->fEndRecord();
}

void fEndPlayback() {
  if (CKeyPlayer* player = fPlayer()) player->fEnd();
  gKeyManager = std::make_unique<CKeyManager>();
}

// The seed archive: the seed as one signed 32-bit integer.
void fWriteSeed(const std::string& path, std::int32_t seed) {
  fDeleteFile(path);
  Serializer archive(path, EFileMode::Out);
  std::printf("Seed = %d\n", seed);
  archive.describe(seed);
}

CHighScoreInfo& fHighScoreEntry(int mode) {
  fModeInfo(mode);  // range check
  const auto index = static_cast<std::size_t>(mode);
  while (gHighScores.size() <= index) gHighScores.push_back(std::make_shared<CHighScoreInfo>());
  if (!gHighScores[index]) gHighScores[index] = std::make_shared<CHighScoreInfo>();
  return *gHighScores[index];
}

void fLeaveForTitle(CPlimoStage& stage) {
  stage.fReleaseModels();
  // A daily game leads back to the daily screen.
  if (stage.replayInfo.fIsDaily()) fReturnToDailyAfterGame(SDailyReturn{stage.rules.mode, stage.dailyKept});
  if (stage.replayInfo.endsProgram) gQuitRequested = true;
  gCurrentScene = fMakeTitleMenuScene();
}

}  // namespace

SReplayInfo SReplayInfo::fNormal(int mode) {
  return SReplayInfo{EMode::Normal, fReplayFilePath(mode, "replay"), false};
}

SReplayInfo SReplayInfo::fReplay(int mode) {
  return SReplayInfo{EMode::Replay, fReplayFilePath(mode, "replay"), false};
}

SReplayInfo SReplayInfo::fDebugReplay(int mode) {
  return SReplayInfo{EMode::Replay, fReplayFilePath(mode, "debug_replay"), true};
}

SReplayInfo SReplayInfo::fDaily(int mode, std::int32_t seed, const std::string& date) {
  SReplayInfo info = fNormal(mode);
  info.dailySeed = seed;
  info.dailyDate = date;
  return info;
}

SReplayInfo SReplayInfo::fRace(std::shared_ptr<const SCheckedReplay> ghost) {
  PLIMO_ASSERT(ghost != nullptr, "a race needs its ghost's checked replay");
  SReplayInfo info = fNormal(ghost->mode);
  info.dailySeed = ghost->seed;
  info.raceGhost = std::move(ghost);
  return info;
}

std::string fReplayFilePath(int mode, const std::string& file) { return fReplayFolderOf(mode) + file; }

int fModeHighScore(int mode) {
  fModeInfo(mode);  // range check
  const auto index = static_cast<std::size_t>(mode);
  if (index >= gHighScores.size() || !gHighScores[index]) return 0;
  return gHighScores[index]->score;
}

namespace {

// Unpacked piece by piece: the whole log as bytes would be many megabytes
// held for a moment, which the heap then keeps.
void fWriteKeyLog(const std::string& path, const CCompactLog& log) {
  fWriteFileThrough(path, [&log](CBinaryFile& file) {
    std::array<unsigned char, 64 * 1024> piece{};
    for (std::uint64_t at = 0; at < log.fSize();) {
      const std::size_t got = log.fRead(at, piece.data(), piece.size());
      file.fWrite(piece.data(), got);
      at += got;
    }
  });
}

}  // namespace

CRandom fNewGameRandom(const SReplayInfo& info, const SCheckedReplay* replay) {
  if (info.mode == SReplayInfo::EMode::Replay) {
    PLIMO_ASSERT(replay != nullptr, "a replay stage is built on a checked archive");
    return CRandom(replay->seed);
  }
  if (info.fIsDaily() || info.raceGhost) return CRandom(info.dailySeed);
  return CRandom(static_cast<std::int32_t>(fGetUtcMilliseconds() % kNewGameSeedRange));
}

void fSetupReplay(CPlimoStage& stage) {
  const int mode = stage.rules.mode;
  if (stage.replayInfo.mode == SReplayInfo::EMode::Normal) {
    if (CKeyManager* keys = fRecorder()) {
      keys->fStartRecord(fReplayFilePath(mode, "replay_key.tmp"), false, false, 0);
      keys->fResumeRecord();
    }
    return;
  }
  PLIMO_ASSERT(stage.checkedReplay != nullptr, "a replay stage is built on a checked archive");
  const SCheckedReplay& replay = *stage.checkedReplay;
  // Unpacked where the design keeps them; a failure here (a missing folder)
  // still leaves the key source untouched.
  const std::string prefix = replay.isDebug ? "debug_" : "";
  fWriteKeyLog(fReplayFilePath(mode, prefix + "replay_key.dat"), replay.keyLog);
  fWriteWholeFile(fReplayFilePath(mode, prefix + "replay.dat"), replay.seedArchive);
  std::printf("Seed = %d\n", replay.seed);
  // Played from memory: the same bytes the file holds.
  auto player = std::make_unique<CKeyPlayer>(std::shared_ptr<const CCompactLog>(stage.checkedReplay, &replay.keyLog));
  player->fStart();
  // Nothing can fail from here on.
  gKeyManager = std::move(player);
}

std::shared_ptr<const SCheckedReplay> fCheckStageReplay(int mode, const SReplayInfo& info) {
  PLIMO_ASSERT(info.mode == SReplayInfo::EMode::Replay, "only a replay has an archive to check");
  auto checked = std::make_shared<SCheckedReplay>(fCheckReplayArchiveFile(info.path));
  if (checked->mode != mode) {
    throw CGameError("The replay archive " + info.path + " is a game of " + fModeName(checked->mode) + ", not of " +
                     fModeName(mode) + ".");
  }
  if (checked->isDebug != info.isDebug) {
    throw CGameError("The replay archive " + info.path + (info.isDebug ? " is no debug save." : " is a debug save."));
  }
  return checked;
}

namespace {

// The keys that confirm an end, added to the log of a game left another
// way: a frame with every key up (Z and X are let go first, as the rules
// want), then one with Z alone.
void fAppendConfirmation(const std::string& keyLog) {
  std::array<unsigned char, 2 * kKeyLogFrameBytes> frames{};
  fPutInt32LE(1, &frames[kKeyLogFrameBytes + static_cast<std::size_t>(fKeyIndex(EGameKey::KeyZ)) * kKeyLogValueBytes]);
  CBinaryFile file(keyLog, CBinaryFile::EOpen::Append);
  file.fWrite(frames.data(), frames.size());
  file.fClose();
}

}  // namespace

namespace {

// A daily game is packed under the names every archive uses, then kept as
// the day's game when it is the day's best; its files never stay behind.
void fKeepDaily(CPlimoStage& stage, bool addConfirmation, const std::string& temporary) {
  const int mode = stage.rules.mode;
  if (!fFileExists(temporary)) return;
  if (addConfirmation) fAppendConfirmation(temporary);
  const std::string seed = fReplayFilePath(mode, "replay.dat");
  const std::string keyLog = fReplayFilePath(mode, "replay_key.dat");
  fWriteSeed(seed, stage.rules.fRandom().fGetSeed());
  fDeleteFile(keyLog);
  fRenameFile(temporary, keyLog);
  try {
    stage.dailyKept = fKeepDailyGame(mode, stage.replayInfo.dailyDate, stage.rules.score, seed, keyLog);
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: the daily game could not be kept: %s\n", error.what());
  }
  fDeleteFile(seed);
  fDeleteFile(keyLog);
}

}  // namespace

void fKeepFinishedGame(CPlimoStage& stage, bool confirmed) {
  if (stage.endKept || stage.replayInfo.mode != SReplayInfo::EMode::Normal || !stage.fIsFinished()) return;
  // Once, even if writing fails: a second try would add to a log already ended.
  stage.endKept = true;
  const int mode = stage.rules.mode;
  stage.bestBeforeKeep = fModeHighScore(mode);
  const std::string temporary = fReplayFilePath(mode, "replay_key.tmp");
  const bool recorded = fRecorder() != nullptr && fRecorder()->fIsRecording();
  fEndRecording();
  if (stage.replayInfo.fIsDaily()) {
    fKeepDaily(stage, recorded && !confirmed, temporary);
    return;
  }
  CHighScoreInfo& best = fHighScoreEntry(mode);
  if (stage.rules.score >= best.score) {
    if (recorded && !confirmed) fAppendConfirmation(temporary);
    const std::string seed = fReplayFilePath(mode, "replay.dat");
    const std::string keyLog = fReplayFilePath(mode, "replay_key.dat");
    fWriteSeed(seed, stage.rules.fRandom().fGetSeed());
    best.score = stage.rules.score;
    best.maxRensa = stage.rules.maxRensa;
    best.isRegistered = false;
    fSaveHighScore();
    fDeleteFile(keyLog);
    if (fFileExists(temporary)) fRenameFile(temporary, keyLog);
    CArchiver::fArchive({keyLog, seed}, fReplayFilePath(mode, "replay"), true);
  } else {
    fDeleteFile(temporary);
  }
}

void fFinishReplay(CPlimoStage& stage) {
  if (stage.replayInfo.mode == SReplayInfo::EMode::Replay) {
    fEndPlayback();
    fLeaveForTitle(stage);
    return;
  }
  // Nothing of a practice game is kept.
  fKeepFinishedGame(stage, true);
  stage.endHoldLeft = kEndHoldFrames;
}

void fHoldEnd(CPlimoStage& stage) {
  PLIMO_ASSERT(stage.endHoldLeft > 0, "the end is held only once confirmed");
  if (--stage.endHoldLeft > 0) return;
  if (stage.replayInfo.mode == SReplayInfo::EMode::Practice || stage.replayInfo.fIsDaily()) {
    fLeaveForTitle(stage);
    return;
  }
  stage.fReleaseModels();
  gCurrentScene = std::make_unique<CPlimoStage>(stage.rules.mode, stage.replayInfo);
}

bool CPlimoStage::fBeatsHighScore() const {
  // A daily game is no record of the mode.
  if (replayInfo.mode != SReplayInfo::EMode::Normal || replayInfo.fIsDaily()) return false;
  // Once kept, the stored best is this game's own.
  return rules.score > (endKept ? bestBeforeKeep : fModeHighScore(rules.mode));
}

int CPlimoStage::fShownHighScore() const {
  const int best = fModeHighScore(rules.mode);
  if (replayInfo.mode != SReplayInfo::EMode::Normal || replayInfo.fIsDaily() || !fIsFinished()) return best;
  return std::max(best, rules.score);
}

void CPlimoStage::fKeepBeforeExit() { fKeepFinishedGame(*this, false); }

void fTakeOverReplay(CPlimoStage& stage) {
  PLIMO_ASSERT(stage.replayInfo.mode == SReplayInfo::EMode::Replay, "only a replay can be taken over");
  if (CKeyPlayer* player = fPlayer()) player->fEnd();
  stage.replayInfo.mode = SReplayInfo::EMode::Practice;
  // Live keys that record nothing; the game's generator plays on from where
  // the replay stands, so the practice deals what the replay would have.
  gKeyManager = std::make_unique<CKeyManager>();
  if (gFpsTimer) gFpsTimer->fResetPace();
  if (gSoundManager) gSoundManager->fSetEffectsMuted(false);
}

void fSaveDebugReplay(CPlimoStage& stage) {
  const int mode = stage.rules.mode;
  fEndRecording();
  const std::string seed = fReplayFilePath(mode, "debug_replay.dat");
  const std::string keyLog = fReplayFilePath(mode, "debug_replay_key.dat");
  const std::string temporary = fReplayFilePath(mode, "replay_key.tmp");
  fWriteSeed(seed, stage.rules.fRandom().fGetSeed());
  fDeleteFile(keyLog);
  if (fFileExists(temporary)) fRenameFile(temporary, keyLog);
  CArchiver::fArchive({keyLog, seed}, fReplayFilePath(mode, "debug_replay"), true);
  fLeaveForTitle(stage);
}

void fLeaveReplay(CPlimoStage& stage) {
  if (stage.replayInfo.mode == SReplayInfo::EMode::Replay) {
    fEndPlayback();
  } else if (stage.replayInfo.mode == SReplayInfo::EMode::Normal) {
    fKeepFinishedGame(stage, false);
    // A game still running: the temporary key log keeps the frames so far
    // until the next game.
    fEndRecording();
  }
  fLeaveForTitle(stage);
}
