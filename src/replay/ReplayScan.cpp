#include "replay/ReplayScan.h"

#include <algorithm>
#include <memory>

#include "replay/ReplayGame.h"
#include "util/Assert.h"

const SStageSnapshot& fSnapshotAtOrBefore(const std::vector<SStageSnapshot>& snapshots, long long frame) {
  const auto after = std::upper_bound(snapshots.begin(), snapshots.end(), frame,
                                      [](long long at, const SStageSnapshot& shot) { return at < shot.frame; });
  PLIMO_ASSERT(after != snapshots.begin(), "no snapshot at or before a frame");
  return *(after - 1);
}

SReplayMarks fScanReplay(const SCheckedReplay& replay, std::vector<SStageSnapshot>* snapshots, long long every) {
  PLIMO_ASSERT(snapshots == nullptr || every > 0, "snapshots need an interval");
  SReplayMarks marks;
  marks.length = replay.frames;
  CStageRules rules = fReplayRules(replay);
  CRecordedKeys keys = fReplayKeys(replay);
  rules.fAnimate();
  rules.fClearEvents();
  auto keep = [&](long long frame) {
    if (snapshots != nullptr && frame % every == 0) snapshots->push_back({frame, rules, keys.fPosition()});
  };
  keep(0);
  // The last frame is not played: it may confirm the end and leave.
  for (long long frame = 1; frame < marks.length; ++frame) {
    if (!fPlayRecordedFrame(rules, keys)) break;
    for (const SRuleEvent& event : rules.fEvents()) {
      switch (event.kind) {
        case ERuleEvent::PieceSpawned: marks.spawns.push_back(frame); break;
        case ERuleEvent::ChainStep:
          if (event.value >= 2) marks.chains.push_back({frame, event.value});
          break;
        case ERuleEvent::LevelUp:
          if (marks.levelUps.empty() || marks.levelUps.back() != frame) marks.levelUps.push_back(frame);
          break;
        default: break;
      }
    }
    rules.fClearEvents();
    keep(frame);
  }
  return marks;
}
