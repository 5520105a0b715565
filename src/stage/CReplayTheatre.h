// The replay theatre: the scene every replay plays in. It paces the replay's
// stage itself, so a replay can be paused, stepped a frame at a time either
// way, jumped to any frame or piece, played at five speeds, and taken over
// as a practice game. The pass that finds the timeline's marks when the
// replay opens also keeps a snapshot of the stage every kSnapshotEvery
// frames: a jump restores the nearest snapshot at or before its frame and
// plays silently from there, so any frame is at most that many frames away,
// and the frame reached is exactly the one straight play reaches.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/CScene.h"
#include "input/CKeyManagerBase.h"
#include "input/CKeyManager.h"
#include "replay/ReplayScan.h"
#include "stage/StageReplay.h"

class CPlimoStage;
class CKeyPlayer;

// "Speed x1/4" ... "Speed x4" (in the current language) for a speed index.
std::string fTheatreSpeedText(int index);

class CReplayTheatre : public CScene {
 public:
  // Speeds in quarters of the normal pace: keys 1 to 5.
  static constexpr std::array<int, 5> kSpeedQuarters = {1, 2, 4, 8, 16};
  static constexpr int kNormalSpeed = 2;
  static constexpr long long kFramesPerTenSeconds = 10000 / 17;
  // Frames between two snapshots: a jump plays at most this many.
  static constexpr long long kSnapshotEvery = 1024;
  // How long the timeline stays after a jump: 2 s.
  static constexpr int kTimelineFrames = 2000 / 17;
  // How long the speed shows after it was chosen: 1.5 s.
  static constexpr int kSpeedLabelFrames = 1500 / 17;

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
  // A jump to the frame before.
  void fStepBack();
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
  bool fIsSpeedShown() const { return mSpeedLabelLeft > 0; }
  const SReplayMarks& fMarks() const { return mMarks; }
  const std::vector<SStageSnapshot>& fSnapshots() const { return mSnapshots; }
  CPlimoStage& fStage() const { return *mStage; }
  // The first screen row below the timeline and its legend.
  static int fBelowTimeline();

 private:
  CKeyPlayer& fPlayer() const;
  void fReadKeys();
  bool fPressed(int keyCode);  // down now, up in the last frame read
  // The same for a game key's pad button, as the option menu assigned it.
  bool fPadPressed(EGameKey key);
  bool fPadPausePressed();
  void fDrawTimeline() const;
  void fDrawBanner() const;
  // The player's name and the date of a downloaded replay.
  void fDrawWho() const;
  void fDrawHelp() const;
  void fDrawEndLine() const;
  void fDrawTimelineLegend() const;
  void fDrawSpeed() const;

  SReplayInfo mInfo;
  std::shared_ptr<const SCheckedReplay> mReplay;
  SReplayMarks mMarks;
  std::vector<SStageSnapshot> mSnapshots;  // by frame, the first at frame 0
  std::unique_ptr<CPlimoStage> mStage;
  long long mFrame = 0;
  bool mBuildFrameAnimated = false;
  bool mPaused = false;
  int mSpeed = kNormalSpeed;
  int mQuarters = 0;  // the pace's carry between frames
  int mTimelineLeft = 0;
  int mSpeedLabelLeft = 0;
  std::array<bool, 256> mWasDown{};
  // The pad as assigned in the option menu, read for the theatre's controls
  // (a replay's game keys come from its log, so the pad is free).
  CKeyManager mPad;
  std::array<bool, kGameKeyCount> mPadWasDown{};
  bool mPadPauseWasDown = true;
  // The legend's own small font: the system face, which has the Japanese
  // letters the HUD's small font lacks.
  int mLegendFont = -1;
};
