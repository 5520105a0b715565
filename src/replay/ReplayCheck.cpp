#include "replay/ReplayCheck.h"

#include <cstdio>
#include <utility>

#include "rules/StageModes.h"

namespace {

std::shared_ptr<const SCheckedReplay> fChecked(const std::string& archiveBytes, const std::string& label) {
  return std::make_shared<const SCheckedReplay>(fCheckReplayArchive(archiveBytes, label));
}

}  // namespace

CReplayRun::CReplayRun(const std::string& archiveBytes, const std::string& label)
    : CReplayRun(fChecked(archiveBytes, label)) {}

CReplayRun::CReplayRun(std::shared_ptr<const SCheckedReplay> replay)
    : mReplay(std::move(replay)),
      mRules(fReplayRules(*mReplay)),
      mKeys(std::shared_ptr<const CCompactLog>(mReplay, &mReplay->keyLog)) {
  mResult.mode = fModeName(mReplay->mode);
  mResult.seed = mReplay->seed;
  // The frame in which the replay's stage is built animates it once; its
  // first recorded keys come in the next frame.
  mRules.fAnimate();
  mRules.fClearEvents();
}

const SReplayCheckResult& CReplayRun::fRun() {
  // A cut-off last frame is not played: the game is checked on whole frames.
  while (mKeys.fHasWholeFrame()) {
    ++mResult.frames;
    const bool playing = fPlayRecordedFrame(mRules, mKeys);
    mPlay.fFeed(mRules.fEvents());
    mRules.fClearEvents();
    if (!playing) {
      // The end was confirmed: the replay leaves its stage.
      mResult.confirmed = true;
      break;
    }
  }
  mResult.state = fRuleStateName(mRules.state);
  mResult.score = mRules.score;
  mResult.maxRensa = mRules.maxRensa;
  mResult.cleared = mRules.cleared;
  mResult.dealt = mRules.dealt;
  mResult.level = mRules.level;
  mResult.gameId = fGameId(mResult.mode, mResult.seed, mPlay.fPlay());
  mResult.openingId = fOpeningId(mResult.mode, mResult.seed, mPlay.fOpening());
  mResult.placements = mPlay.fPlacements();
  return mResult;
}

SReplayCheckResult fCheckReplayBytes(const std::string& archiveBytes, const std::string& label) {
  CReplayRun run(archiveBytes, label);
  return run.fRun();
}

std::string fReplayCheckJson(const SReplayCheckResult& result) {
  char line[512];
  std::snprintf(line, sizeof line,
                "{\"mode\":\"%s\",\"seed\":%d,\"frames\":%lld,\"state\":\"%s\",\"score\":%d,\"maxRensa\":%d,"
                "\"cleared\":%d,\"dealt\":%d,\"level\":%d}",
                result.mode.c_str(), result.seed, result.frames, result.state.c_str(), result.score, result.maxRensa,
                result.cleared, result.dealt, result.level);
  return line;
}
