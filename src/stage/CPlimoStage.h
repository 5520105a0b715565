// The puzzle scene: the box, its balls, the piece and its queue, chains and
// score, the stage's flow from the opening to game over or stage clear, and
// how it all looks and sounds.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CScene.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/GameKey.h"
#include "stage/CModel.h"
#include "stage/CPlimoBall.h"
#include "stage/CStageGrid.h"
#include "stage/ModelTable.h"
#include "stage/StageReplay.h"

// The stage's chain phase.
enum class EStateForRensa : int {
  Still = 0,     // nothing vanishing, nothing but the piece falling
  Clearing = 1,  // some ball is vanishing
  Moving = 2     // some ball other than the piece is falling
};

class CPlimoStage : public CScene {
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
  };

  static constexpr int kQueueLength = 4;

  CPlimoStage(int mode, SReplayInfo info);
  // The same from a replay archive already checked (null for a normal game).
  CPlimoStage(int mode, SReplayInfo info, std::shared_ptr<const SCheckedReplay> replay);
  // A second build of a replay already playing (the theatre's scan for marks
  // and snapshots): from its checked archive, with the given models (loaded
  // here when empty), nothing unpacked and the music left as it is.
  CPlimoStage(int mode, SReplayInfo info, std::shared_ptr<const SCheckedReplay> replay, CModelTable models);
  ~CPlimoStage() override = default;
  CPlimoStage(const CPlimoStage&) = delete;
  CPlimoStage& operator=(const CPlimoStage&) = delete;

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;
  // P, Pause or the pad's pause button in a normal game; losing the window's
  // focus pauses too.
  bool fIsPausedFrame() override;
  virtual void fSetMode(int mode);
  // The loaded models, handed to the next build of the same replay.
  CModelTable fTakeModelTable() { return std::exchange(mModelTable, CModelTable{}); }
  // A new record shows and sounds, except in a practice game.
  bool fBeatsHighScore() const;
  // Deletes every model the stage, its balls and the ghost hold.
  virtual void fReleaseModels();

  // ---- field ----
  static const char* fColourName(int colour);
  bool fIsInside(int a, int b, int h) const { return grid.fIsInside(a, b, h); }
  // Outside the grid (walls, floor) or holding a ball.
  bool fIsBlocked(int a, int b, int h) const;
  CWorkGrid fMakeWorkGrid() const { return CWorkGrid(grid); }
  // The layer a ball in column (a, b) comes to rest on, falling from h.
  int fLandingLayer(int a, int b, int h) const;
  bool fIsTopOutCell(int a, int b, int h) const { return a == 1 && b == 1 && h == H - 2; }
  // Appends a ball to the list; the list owns it.
  CPlimoBall& fAddBall(std::unique_ptr<CPlimoBall> ball);

  // ---- piece control ----
  SAppairInfo fDeal();
  void fSpawn();
  void fHold();
  void fPlayerInput();

  // ---- chains and score ----
  void fCheckChains();
  void fFloodGroup(int colour, CPlimoBall::EState startState, int a, int b, int h, int* counter,
                   CWorkGrid& work);
  void fClearAdjacentOzyama(int a, int b, int h);
  void fUpdateChainPhase();
  void fOnBallCleared();
  bool fGarbageDue();
  void fUpdatePreview();

  // ---- flow ----
  void fEnterState(EState next, int timer);
  // Ball updates, ghost, chain phase, sort and removal: the shared part of
  // Playing and Finishing.
  void fRunField();
  void fCameraStep();
  // The top-out darkening and its end.
  void fAnimateToppingOut();

  // ---- presentation ----
  // Where the camera stands (degrees round the box) for a camera direction
  // of directionDegree, at rest or part-way through a turn.
  static double fViewAngle(double directionDegree);
  void fSetCamera(double angle);
  // Sets the camera and light where this stage has them: after another
  // stage was played on the same game library.
  void fApplyView();
  void fStartCameraTurn(EDirection4 way);
  void fAnimateCamera();
  void fCreateGhost();
  // A ghost of that colour at that place, replacing any earlier one.
  void fMakeGhost(int colour, VECTOR at);
  void fUpdateGhost();
  void fBuildScenery();
  void fDrawQueuePanel();
  // A wall brick whose outer side faces the camera (drawn see-through).
  bool fIsNearWall(const CModel& part) const;
  void fDrawTexts();
  static void fPlaySound(ESoundEffect effect);
  void fSetPaused(bool on);
  void fDrawPaused();
  // The keys that play again and leave, under the end pictures.
  void fDrawEndHint();

  // ---- fields, in the stage's order ----
  double originA = 0.0;
  double originB = 0.0;
  int fallSpeed = 1;
  int lockFrames = 30;
  int vanishFrames = 80;
  int frameCount = 0;
  std::vector<std::unique_ptr<CPlimoBall>> balls;  // kept sorted by h, lowest first
  CPlimoBall* piece = nullptr;
  VECTOR cameraPos{};
  int spawnDelay = 15;
  int spawnWait = 0;
  int groupSize = 0;
  int maxColour = 0;
  int W = 0;
  int D = 0;
  int H = 0;
  CStageGrid grid;
  std::vector<CModel> scenery;
  std::unique_ptr<CModel> ghost;
  int ghostColour = -1;  // the colour the ghost was made in
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
  SReplayInfo replayInfo;
  // A replay's archive, checked whole before the stage was built.
  std::shared_ptr<const SCheckedReplay> checkedReplay;
  bool secondBuild = false;  // built by the constructor that takes a model table
  bool paused = false;
  bool pauseKeyDown = true;  // a key held as the stage starts does not pause it
  // The loaded models every placed model is duplicated from.
  CModelTable mModelTable;

 private:
  void fShiftQueue();
  void fApplyModeConstants(int mode);
  // Everything after the mode: grid, camera, models, replay, first deal.
  void fBuild();
  // The landing preview's search from the landing cell.
  void fFloodPreview(int colour, int a, int b, int h, int* counter, CWorkGrid& work);
};

// Decimal digits with a "," between groups of three: 12000 -> "12,000".
std::string fWithThousandsSeparators(int value);
