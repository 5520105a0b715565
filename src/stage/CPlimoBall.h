// One ball: the piece the player steers, a garbage ball, or a ball at rest.
#pragma once

#include "gamelib/GameLib.h"
#include "input/GameKey.h"
#include "stage/CModel.h"

class CPlimoStage;

class CPlimoBall {
 public:
  enum class EState : int { Falling = 0, Dropping, Vanishing, Landed, Locked, Settled };

  // Starts Falling at progress 0 with the stage's current fall speed.
  CPlimoBall(CPlimoStage& stage, int serial, int a, int b, int h, int colour, bool fromHold);
  virtual ~CPlimoBall() = default;
  CPlimoBall(const CPlimoBall&) = delete;
  CPlimoBall& operator=(const CPlimoBall&) = delete;

  virtual void fSetHighlight(bool on);
  // One frame of the ball.
  virtual void fUpdate();
  virtual void fDraw();
  // One cell sideways, when fCanMoveTo allows it.
  virtual void fMove(EDirection4 dir);
  virtual void fDrop();
  virtual void fStartVanish();
  // Scores and counts the ball and frees its models; the caller empties its cell.
  virtual void fFinishVanish();

  bool fCanMoveTo(int toA, int toB) const;
  // Places both models where the ball is now.
  void fUpdateModelPosition();
  VECTOR fWorldPosition() const;
  // Where the models were last placed: part of a snapshot of the stage.
  struct SPlacement {
    int a = 0;
    int b = 0;
    int h = 0;
    int progress = -1;  // -1: not placed since the ball was made
  };
  SPlacement fPlacement() const { return {mPlacedA, mPlacedB, mPlacedH, mPlacedProgress}; }
  // The placement a snapshot found (the models are placed by the caller).
  void fRestorePlacement(const SPlacement& placement);
  // The top-out look: both models nearly black.
  void fDarken();
  void fReleaseModels();

  // Grid bookkeeping: a ball occupies its cell from its first step down on.
  void fEnterGrid();
  void fLeaveGrid();
  bool fIsInGrid() const;

  int serial;  // -1 for garbage
  CPlimoStage& mStage;
  int a;
  int b;
  int h;
  int progress = 0;  // 512ths of a cell towards the cell below
  int colour;
  CModel model;
  CModel highlightModel;
  bool fromHold;
  int speed;
  int vanishCount = 0;
  int lockCount = 0;
  bool alive = true;
  EState state = EState::Falling;
  bool highlighted = false;
  bool mDarkened = false;  // the dark look of a finished game replaces any glow for good

 private:
  void fPlainLook();
  void fUpdateFalling();
  void fUpdateDropping();
  void fUpdateLanded();
  void fUpdateResting();
  void fUpdateVanishing();
  // Came to rest after falling.
  void fLand();
  // True when the ball rests in the top-out cell: the stage tops out.
  bool fTopOutTest();

  // Where the models were last placed (progress -1: not yet).
  int mPlacedA = 0;
  int mPlacedB = 0;
  int mPlacedH = 0;
  int mPlacedProgress = -1;
};
