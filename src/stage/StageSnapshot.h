// A stage's whole state at one frame of a replay, taken without its models:
// the replay theatre keeps one every so many frames, so that any frame is a
// restore and a few hundred played frames away. Restoring gives exactly the
// stage, key log position and generator that playing up to that frame gives.
#pragma once

#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

#include "stage/CPlimoBall.h"
#include "stage/CPlimoStage.h"
#include "util/CRandom.h"
#include "input/CKeyPlayer.h"

namespace stage_snapshot_detail {

// Every stage field a frame can change, listed once for taking and restoring.
inline auto fChangingFields(CPlimoStage& s) {
  return std::tie(s.fallSpeed, s.lockFrames, s.vanishFrames, s.frameCount, s.cameraPos, s.spawnDelay, s.spawnWait,
                  s.garbageMeter, s.garbageLimit, s.queue, s.hold, s.cameraDir, s.turnFrames, s.turnStep, s.turning,
                  s.turnWay, s.turnTarget, s.state, s.stateTimer, s.chainPhase, s.level, s.score, s.dealt,
                  s.ballLimit, s.cleared, s.rensa, s.maxRensa, s.paused, s.pauseKeyDown);
}

template <class Tuple>
struct SValues;
template <class... Refs>
struct SValues<std::tuple<Refs...>> {
  using Type = std::tuple<std::remove_cvref_t<Refs>...>;
};

}  // namespace stage_snapshot_detail

struct SStageSnapshot {
  struct SBall {
    int serial = 0;
    int a = 0;
    int b = 0;
    int h = 0;
    int progress = 0;
    int colour = 0;
    bool fromHold = false;
    int speed = 0;
    int vanishCount = 0;
    int lockCount = 0;
    bool alive = true;
    CPlimoBall::EState state = CPlimoBall::EState::Falling;
    bool highlighted = false;
    bool darkened = false;
    CPlimoBall::SPlacement placement;
    VECTOR modelPosition{};
    VECTOR highlightPosition{};
  };

  using Fields = stage_snapshot_detail::SValues<
      decltype(stage_snapshot_detail::fChangingFields(std::declval<CPlimoStage&>()))>::Type;

  long long frame = 0;  // key-log frames played since the stage was built
  int mode = 0;
  Fields fields;
  std::vector<SBall> balls;  // in the stage's list order
  int pieceIndex = -1;       // the piece's place in balls, or -1
  std::vector<int> cells;    // each grid cell's ball (index into balls), or -1
  bool hasGhost = false;
  int ghostColour = -1;
  VECTOR ghostPosition{};
  CKeyPlayer::SPosition keys;
  CRandom random;
};

// The stage as it stands, with the key player and generator it plays with.
SStageSnapshot fTakeStageSnapshot(CPlimoStage& stage, long long frame, const CKeyPlayer& keys, const CRandom& random);
// Puts stage, key player and generator back as the snapshot found them. The
// stage must be a build of the same replay (same mode) with its models loaded;
// its ball and ghost models are made again from its model table.
void fRestoreStageSnapshot(CPlimoStage& stage, const SStageSnapshot& snapshot, CKeyPlayer& keys, CRandom& random);
