// The rules of one game as a plain value: the field and its balls, the piece,
// queue and hold, chains, score, garbage, level, the camera's quarter-turns
// (the keys follow them) and the stage's flow from the opening to game over
// or stage clear. Given its key source each frame and its random generator
// at the start, it touches nothing else: no game library, global, file or
// clock. Copy it to keep a game as it stands; step the copy and it plays on
// exactly as the original would. Each step reports what happened as events.
#pragma once

#include <array>
#include <vector>

#include "input/GameKey.h"
#include "rules/CRuleGrid.h"
#include "rules/IRuleKeys.h"
#include "rules/RuleBall.h"
#include "rules/RuleEvents.h"
#include "util/CRandom.h"

// The stage's chain phase.
enum class EStateForRensa : int {
  Still = 0,     // nothing vanishing, nothing but the piece falling
  Clearing = 1,  // some ball is vanishing
  Moving = 2     // some ball other than the piece is falling
};

class CStageRules {
 public:
  enum class EState : int { Ready = 0, Playing, ToppingOut, Finishing, GameOver, StageClear };

  // One entry of the piece queue or of the hold slot.
  struct SAppairInfo {
    int colour = 0;
    int serial = 0;
    bool fromHold = false;
    bool isEnd = false;  // the mode's ball limit has been dealt

    SAppairInfo() = default;
    SAppairInfo(int colour_, int serial_, bool fromHold_) : colour(colour_), serial(serial_), fromHold(fromHold_) {}
    bool operator==(const SAppairInfo&) const = default;
  };

  static constexpr int kQueueLength = 4;
  static constexpr int kNoBall = CRuleGrid::kEmpty;

  // A new game of the mode (0..2): the grid, the camera at rest, and the
  // first four queue entries dealt with the generator.
  CStageRules(int mode, CRandom random);

  // ---- one frame ----
  // The keys' part of the frame, by state: the player's moves, drop, camera
  // turns and hold while Playing or Finishing; on the end screens, Z or X
  // confirms the end (returns true; the frame then ends for the rules).
  bool fInput(IRuleKeys& keys);
  // The rest of the frame: spawning, the balls, chains and the flow.
  void fAnimate();
  // What happened since the events were last cleared, in order.
  const CRuleEvents& fEvents() const { return mEvents; }
  void fClearEvents() { mEvents.clear(); }
  const CRandom& fRandom() const { return mRandom; }
  // Where the camera stands (degrees round the box), as the last camera step
  // left it.
  double fCameraAngle() const { return cameraAngle; }
  // The camera angle for a camera direction of directionDegree at rest or
  // part-way through a turn.
  static double fViewAngle(double directionDegree);
  // What a copy of the game holds in memory, its own size included.
  std::size_t fMemoryBytes() const;

  // ---- field ----
  bool fIsInside(int a, int b, int h) const { return grid.fIsInside(a, b, h); }
  // Outside the grid (walls, floor) or holding a ball.
  bool fIsBlocked(int a, int b, int h) const { return !grid.fIsInside(a, b, h) || grid.fAt(a, b, h) != kNoBall; }
  // The layer a ball in column (a, b) comes to rest on, falling from h.
  int fLandingLayer(int a, int b, int h) const;
  bool fIsTopOutCell(int a, int b, int h) const { return a == 1 && b == 1 && h == H - 2; }
  // A ball by its slot (its place in the pool, as grid cells and `balls` name it).
  SRuleBall& fBall(int slot) { return mPool[static_cast<std::size_t>(slot)]; }
  const SRuleBall& fBall(int slot) const { return mPool[static_cast<std::size_t>(slot)]; }
  // The ball in a cell, or null.
  const SRuleBall* fBallAt(int a, int b, int h) const;
  // The piece, or null.
  SRuleBall* fPiece() { return piece == kNoBall ? nullptr : &fBall(piece); }
  const SRuleBall* fPiece() const { return piece == kNoBall ? nullptr : &fBall(piece); }
  // Appends a ball (its id is given here) to the list; returns its slot.
  int fAddBall(SRuleBall ball);

  // ---- piece control ----
  SAppairInfo fDeal();
  void fSpawn();
  void fHold();
  void fPlayerInput(IRuleKeys& keys);
  bool fCanMoveTo(int slot, int toA, int toB) const;
  // One cell sideways, when fCanMoveTo allows it.
  void fMove(int slot, EDirection4 dir);
  void fDrop(int slot) { fBall(slot).state = EBallState::Dropping; }
  // One frame of a ball.
  void fUpdateBall(int slot);
  // Grid bookkeeping: a ball occupies its cell from its first step down on.
  void fEnterGrid(int slot);
  void fLeaveGrid(int slot);
  bool fIsInGrid(int slot) const;

  // ---- chains and score ----
  void fCheckChains();
  void fClearAdjacentOzyama(int a, int b, int h);
  void fStartVanish(int slot);
  // Scores and counts the ball; the caller empties its cell.
  void fFinishVanish(int slot);
  void fUpdateChainPhase();
  void fOnBallCleared();
  bool fGarbageDue();
  void fUpdatePreview();

  // ---- flow ----
  void fEnterState(EState next, int timer);
  // Ball updates, chain phase, sort and removal: the shared part of Playing
  // and Finishing.
  void fRunField();
  void fCameraStep();
  void fAnimateToppingOut();
  void fStartCameraTurn(EDirection4 way);
  void fAnimateCamera();

  // ---- fields, in the stage's order ----
  int fallSpeed = 1;
  int lockFrames = 30;
  int vanishFrames = 80;
  int frameCount = 0;
  std::vector<int> balls;  // slots, kept sorted by h, lowest first
  int piece = kNoBall;     // the piece's slot
  int spawnDelay = 15;
  int spawnWait = 0;
  int groupSize = 0;
  int maxColour = 0;
  int W = 0;
  int D = 0;
  int H = 0;
  CRuleGrid grid;
  int garbageMeter = 0;
  int garbageLimit = 5;
  std::array<SAppairInfo, kQueueLength> queue{};
  std::vector<SAppairInfo> hold;  // at most one entry
  EDirection4 cameraDir = EDirection4::Right;
  int turnFrames = 9;
  int turnStep = 0;
  bool turning = false;
  EDirection4 turnWay = EDirection4::Left;
  EDirection4 turnTarget = EDirection4::Right;
  double cameraAngle = 0.0;
  EState state = EState::Ready;
  int stateTimer = 0;
  EStateForRensa chainPhase = EStateForRensa::Still;
  int mode = 0;
  int level = 0;
  int score = 0;
  int dealt = 0;
  int ballLimit = 0;
  int cleared = 0;
  int rensa = 0;
  int maxRensa = 0;

 private:
  void fShiftQueue();
  void fEmit(ERuleEvent kind, int value = 0) { mEvents.push_back(SRuleEvent{kind, value}); }
  void fEmitBall(ERuleEvent kind, const SRuleBall& ball, int value = 0);
  void fUpdateFalling(int slot);
  void fUpdateDropping(int slot);
  void fUpdateLanded(int slot);
  void fUpdateResting(int slot);
  void fUpdateVanishing(int slot);
  // Came to rest after falling.
  void fLand(int slot);
  // True when the ball rests in the top-out cell: the stage tops out.
  bool fTopOutTest(int slot);
  // The group search from one cell, depth first, as the design orders it.
  void fFloodGroup(int colour, EBallState startState, int a, int b, int h, int counter);
  // The landing preview's search.
  void fFloodPreview(int colour, int a, int b, int h, int counter);
  void fResetWork();
  // Balls no longer listed leave the pool; their slots are used again.
  void fFreeSlot(int slot) { mFree.push_back(slot); }

  CRandom mRandom;
  std::vector<SRuleBall> mPool;
  std::vector<int> mFree;
  int mNextId = 1;
  int mRemovedInList = 0;  // balls removed but still listed until the next field run
  CRuleEvents mEvents;
  // The group search's work grid: each cell's ball and group counter (-1:
  // none yet), and the counters' values. Kept between searches for reuse.
  std::vector<int> mWorkBall;
  std::vector<int> mWorkMark;
  std::vector<int> mCounters;
};

const char* fRuleStateName(CStageRules::EState state);
