// The replay theatre: the scene every replay plays in. It paces the replay's
// stage itself, so a replay can be paused, stepped a frame at a time either
// way, jumped to any frame or piece, played at five speeds, and taken over
// as a practice game. A jump back builds the replay again from its start and
// plays it silently up to the frame: the rules are fast enough that no
// snapshots are needed, and the frame reached is exactly the one straight
// play reaches.
#pragma once

#include <array>
#include <memory>

#include "app/CScene.h"
#include "input/CKeyManagerBase.h"
#include "util/CRandom.h"
#include "stage/ReplayScan.h"
#include "stage/StageReplay.h"

class CPlimoStage;
class CKeyPlayer;

class CReplayTheatre : public CScene {
 public:
  // Speeds in quarters of the normal pace: keys 1 to 5.
  static constexpr std::array<int, 5> kSpeedQuarters = {1, 2, 4, 8, 16};
  static constexpr int kNormalSpeed = 2;
  static constexpr long long kFramesPerTenSeconds = 10000 / 17;
  // Frames a paused theatre plays ahead each frame to have the frame before
  // ready for a step back (a few milliseconds' work).
  static constexpr long long kPrepareFramesPerFrame = 10000;
  // The same while the replay plays: a lighter share of each frame, so that
  // a pause after a moment of watching finds the frame before ready.
  static constexpr long long kPrepareFramesWhilePlaying = 2000;
  // How long the timeline stays after a jump: 2 s.
  static constexpr int kTimelineFrames = 2000 / 17;

  // Builds the replay's stage (throws CGameError, having changed nothing,
  // when the archive cannot be played) and the theatre around it.
  CReplayTheatre(int mode, const SReplayInfo& info);
  ~CReplayTheatre() override;
  CReplayTheatre(const CReplayTheatre&) = delete;
  CReplayTheatre& operator=(const CReplayTheatre&) = delete;

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;

  // ---- the controls, as the keys use them ----
  void fSetPaused(bool paused) { mPaused = paused; }
  // Plays one more frame; false when the replay left its stage (its end).
  bool fStepForward();
  // At once when a paused frame had time to prepare it; otherwise a jump.
  void fStepBack();
  // Whether the frame before is prepared (for tests and benchmarks).
  bool fIsStepBackReady() const { return mPrepared.stage != nullptr && mPrepared.frame == mFrame - 1; }
  // Any frame from 0 (the stage as built) to the last one before the
  // recorded end; beyond that is clamped.
  void fJumpTo(long long frame);
  // The next or the previous piece's first frame (direction +1 or -1).
  void fJumpPiece(int direction);
  void fSetSpeed(int index);
  // The replay as it stands becomes a practice game, which becomes the scene.
  void fTakeOver();

  // ---- what it shows ----
  bool fIsPaused() const { return mPaused; }
  long long fFrame() const { return mFrame; }
  long long fLastFrame() const;
  int fSpeedIndex() const { return mSpeed; }
  bool fIsTimelineShown() const { return mPaused || mTimelineLeft > 0; }
  const SReplayMarks& fMarks() const { return mMarks; }
  CPlimoStage& fStage() const { return *mStage; }

 private:
  CKeyPlayer& fPlayer() const;
  void fRebuild();
  void fReadKeys();
  bool fPressed(int keyCode);  // down now, up in the last frame read
  void fDrawTimeline() const;
  void fDrawBanner() const;
  void fDrawHelp() const;

  // A second build of the replay, played silently up to the frame before
  // the current one while the theatre is paused, with its own key player and
  // generator (put in place only while it plays) and a copy of the model
  // table that it does not own.
  struct SPrepared {
    std::unique_ptr<CPlimoStage> stage;
    std::unique_ptr<CKeyManagerBase> keys;
    std::unique_ptr<CRandom> random;
    long long frame = 0;
  };
  void fPrepareStepBack(long long budget);
  void fDropPrepared();

  SReplayInfo mInfo;
  std::shared_ptr<const SCheckedReplay> mReplay;
  SReplayMarks mMarks;
  std::unique_ptr<CPlimoStage> mStage;
  long long mFrame = 0;
  bool mBuildFrameAnimated = false;
  bool mPaused = false;
  int mSpeed = kNormalSpeed;
  int mQuarters = 0;  // the pace's carry between frames
  int mTimelineLeft = 0;
  std::array<bool, 256> mWasDown{};
  SPrepared mPrepared;
};
