// One pass over a whole replay, made when the replay opens, that finds what
// the theatre's timeline marks and its piece jumps land on, and keeps copies
// of the game along the way. It steps the rules alone: nothing shows,
// sounds, loads or changes anywhere else.
#pragma once

#include <vector>

#include "replay/CRecordedKeys.h"
#include "replay/ReplayArchiveCheck.h"
#include "rules/CStageRules.h"

struct SReplayMarks {
  struct SChain {
    long long frame = 0;
    int count = 0;
  };
  long long length = 0;             // whole frames in the key log
  std::vector<long long> spawns;    // frames at which a new piece has appeared
  std::vector<SChain> chains;       // frames at which a chain reached 2 or more
  std::vector<long long> levelUps;  // frames at which the level rose
};

// The game at one frame of a replay: a copy of its rules (generator
// included) and where its key log stands. Restoring both gives exactly the
// game that playing up to that frame gives.
struct SStageSnapshot {
  long long frame = 0;  // key-log frames played since the stage was built
  CStageRules rules;
  CRecordedKeys::SPosition keys;
};

// Frames count key-log frames played after the stage was built: frame 0 is
// the stage as built, frame n has played n recorded frames. Given a list, the
// same pass keeps a snapshot at frame 0 and every `every` frames.
// The last snapshot at or before the frame (the first is at frame 0).
const SStageSnapshot& fSnapshotAtOrBefore(const std::vector<SStageSnapshot>& snapshots, long long frame);

SReplayMarks fScanReplay(const SCheckedReplay& replay, std::vector<SStageSnapshot>* snapshots = nullptr,
                         long long every = 0);
