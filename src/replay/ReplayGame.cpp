#include "replay/ReplayGame.h"

#include <memory>

CStageRules fReplayRules(const SCheckedReplay& replay) {
  return CStageRules(replay.mode, CRandom(replay.seed, CRandom::kQuiet));
}

bool fPlayRecordedFrame(CStageRules& rules, CRecordedKeys& keys) {
  keys.fReadFrame();
  if (rules.fInput(keys)) return false;
  rules.fAnimate();
  return true;
}

CRecordedKeys fReplayKeys(const SCheckedReplay& replay) {
  // Not owned: an aliasing pointer with no owner.
  return CRecordedKeys(std::shared_ptr<const CCompactLog>(std::shared_ptr<const CCompactLog>{}, &replay.keyLog));
}
