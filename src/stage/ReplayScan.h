// One pass over a whole replay, made when the replay opens, that finds what
// the theatre's timeline marks and its piece jumps land on. It runs on a
// private headless game library, so nothing shows, sounds or loads.
#pragma once

#include <memory>
#include <vector>

#include "stage/StageReplay.h"

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

struct SStageSnapshot;

// Frames count key-log frames played after the stage was built: frame 0 is
// the stage as built, frame n has played n recorded frames. Given a list, the
// same pass keeps a snapshot of the stage at frame 0 and every `every` frames.
SReplayMarks fScanReplay(int mode, const SReplayInfo& info, const std::shared_ptr<const SCheckedReplay>& replay,
                         std::vector<SStageSnapshot>* snapshots = nullptr, long long every = 0);
