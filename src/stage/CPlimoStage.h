// The puzzle scene: a game's rules (rules/CStageRules.h) fed with the
// frame's keys, and how they look and sound: the box, its balls, the ghost,
// the queue panel, the head-up display and the stage's sounds and music.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CScene.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "menu/CYesNoWindow.h"
#include "rules/CStageRules.h"
#include "stage/CModel.h"
#include "stage/CPlimoBall.h"
#include "stage/ModelTable.h"
#include "stage/RaceGhost.h"
#include "stage/StageEffects.h"
#include "stage/StageReplay.h"

// Where the landing ghost shows on screen: its centre and radius in pixels
// (radius 0 when it does not show).
struct SGhostOutline {
  int x = 0;
  int y = 0;
  int radius = 0;
};

class CPlimoStage : public CScene {
 public:
  using EState = CStageRules::EState;
  using SAppairInfo = CStageRules::SAppairInfo;
  static constexpr int kQueueLength = CStageRules::kQueueLength;

  CPlimoStage(int mode, SReplayInfo info);
  // The same from a replay archive already checked (null for a normal game).
  CPlimoStage(int mode, SReplayInfo info, std::shared_ptr<const SCheckedReplay> replay);
  ~CPlimoStage() override;
  CPlimoStage(const CPlimoStage&) = delete;
  CPlimoStage& operator=(const CPlimoStage&) = delete;

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;
  // P, Pause or the pad's pause button in a normal or practice game; losing
  // the window's focus pauses too. Escape in a running game asks whether to
  // leave it ("no" first); the frames it asks are paused frames.
  bool fIsPausedFrame() override;
  // The question, while it is asked.
  CYesNoWindow* fLeaveQuestion() const { return mLeaveQuestion.get(); }
  // A new record shows and sounds in a normal game only: never in a
  // practice game or a replay (someone else's best is no record of ours).
  bool fBeatsHighScore() const;
  // Game over or stage clear: the end screen, and the moment it stays after
  // the end was confirmed.
  bool fIsFinished() const { return rules.state == EState::GameOver || rules.state == EState::StageClear; }
  // The best the HIGH SCORE panel shows: at the end of a normal game that
  // beat it, the new one.
  int fShownHighScore() const;
  // Closing the window, a quit signal or the display going away at the end
  // screen keep the game as the confirming keys do.
  void fKeepBeforeExit() override;
  // Deletes every model the stage, its balls and the ghost hold.
  virtual void fReleaseModels();
  // The game as it stands becomes `restored` (a copy kept earlier, as the
  // replay theatre keeps them); the models follow at the next draw.
  void fRestoreRules(const CStageRules& restored);

  // ---- presentation ----
  static const char* fColourName(int colour);
  // Where the camera stands (degrees round the box) for a camera direction
  // of directionDegree, at rest or part-way through a turn.
  static double fViewAngle(double directionDegree) { return CStageRules::fViewAngle(directionDegree); }
  void fSetCamera(double angle);
  // The vertical field of view (radians) and the screen row of the floor's
  // centre for a mode: each box as large as the space beside the panel allows.
  static double fFieldOfView(int mode);
  static float fScreenCentreY(int mode);
  // Sets the camera and light where this stage has them: after another
  // stage was played on the same game library.
  void fApplyView();
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
  // The models of every ball of the rules, made, moved and freed to match,
  // and the ghost in the piece's landing cell: after every step, so that a
  // draw only draws.
  void fSyncBallModels();
  // While deferred (frames played only to reach another), the models are
  // not synced after each step; ending it syncs them once.
  void fSetModelsDeferred(bool deferred);
  // The models of a ball of the rules (null before the first draw that shows it).
  CPlimoBall* fBallModels(const SRuleBall& ball);
  // What answers the rules' events on screen (bursts, points, chain pop-up,
  // level-up banner); nothing of frames a jump skipped.
  const CStageEffects& fEffects() const { return mEffects; }
  void fClearEffects() { mEffects.fClear(); }
  // Drawn over the field: the live effects; beside it, the map of the
  // columns; in the panel, the garbage meter and its warning.
  void fDrawEffects();
  void fDrawFieldMap();
  // The map's top edge on screen: the theatre moves it below its timeline.
  void fSetFieldMapTop(int y) { mFieldMapTop = y; }
  void fDrawGarbageMeter();
  // With the "Ball symbols" option: every ball (and the ghost) turned so that
  // the symbol on its top stands upright for the camera.
  void fTurnSymbolsToCamera();
  bool fShowsBallSymbols() const { return mBallSymbols; }
  // The ghost's outline as the next draw places it.
  SGhostOutline fGhostOutline() const;

  // ---- the game ----
  CStageRules rules;
  // ---- the scene's own fields ----
  double originA = 0.0;
  double originB = 0.0;
  VECTOR cameraPos{};
  std::vector<CModel> scenery;
  std::unique_ptr<CModel> ghost;
  int ghostColour = -1;  // the colour the ghost was made in
  SReplayInfo replayInfo;
  // A replay's archive, checked whole before the stage was built.
  std::shared_ptr<const SCheckedReplay> checkedReplay;
  // A race's ghost, stepped in fAnimate: only the frames this stage plays.
  std::unique_ptr<CRaceGhost> race;
  // ---- the end of a normal game ----
  // Its record and replay are kept by the first way out (StageReplay.h).
  bool endKept = false;
  // The mode's best as it stood before this game was kept.
  int bestBeforeKeep = 0;
  // A daily game that became the day's kept game (DailyGame.h).
  bool dailyKept = false;
  // Frames the end stays on screen after it was confirmed (0: not holding).
  int endHoldLeft = 0;
  bool paused = false;
  bool pauseKeyDown = true;  // a key held as the stage starts does not pause it
  // The loaded models every placed model is duplicated from.
  CModelTable mModelTable;

 private:
  // The rules' events of the step just made: their sounds.
  void fSoundEvents();
  // The camera where the rules' last camera step left it.
  void fFollowCamera();
  // The landing ghost: the piece's colour, in its landing cell.
  void fPlaceGhost();

  // A font of the given pixel size for the effects, made when first needed.
  int fEffectFont(int size);
  // The level-up banner's text row.
  int fBannerY() const;
  // The solid balls, nearest first; then those that hide the piece,
  // see-through, farthest first (both as fDrawBalls last found them).
  void fDrawBalls(bool inPlay);
  void fDrawHidingBalls(bool inPlay);
  void fDrawGhostOutline();

  CStageEffects mEffects;
  std::map<int, int> mEffectFonts;  // font handles by size
  std::vector<const SRuleBall*> mHidingBalls;  // this draw's see-through balls, farthest first
  std::map<int, CPlimoBall> mBallModels;  // by ball id
  unsigned mSyncStamp = 0;
  bool mModelsDeferred = false;
  double mShownAngle = 0.0;
  double mGhostLayer = -1.0;  // where the ghost was placed last
  int mFieldMapTop = 140;
  bool mBallSymbols = false;  // the option as it stood when the stage was built
  void fOpenLeaveQuestion();
  bool fAskLeave();
  std::unique_ptr<CYesNoWindow> mLeaveQuestion;
  enum class ELeaveAnswer { None, Yes, No } mLeaveAnswer = ELeaveAnswer::None;
  bool mPausedBeforeQuestion = false;
  bool mWaitAnswerRelease = false;
};

// Decimal digits with a "," between groups of three: 12000 -> "12,000".
std::string fWithThousandsSeparators(int value);
