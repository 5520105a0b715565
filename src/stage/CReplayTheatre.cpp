#include "stage/CReplayTheatre.h"

#include <algorithm>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyPlayer.h"
#include "input/PauseKeys.h"
#include "stage/CPlimoStage.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"

namespace {

// Effects stay silent while frames are played only to reach a jump's frame.
class CMutedEffects {
 public:
  CMutedEffects() { fSet(true); }
  ~CMutedEffects() { fSet(false); }
  CMutedEffects(const CMutedEffects&) = delete;
  CMutedEffects& operator=(const CMutedEffects&) = delete;

 private:
  static void fSet(bool muted) {
    if (gSoundManager) gSoundManager->fSetEffectsMuted(muted);
  }
};

}  // namespace

CReplayTheatre::CReplayTheatre(int mode, const SReplayInfo& info) : mInfo(info) {
  mReplay = fCheckStageReplay(mode, info);
  mMarks = fScanReplay(*mReplay, &mSnapshots, kSnapshotEvery);
  PLIMO_ASSERT(!mSnapshots.empty() && mSnapshots.front().frame == 0, "a replay's scan keeps its first frame");
  mStage = std::make_unique<CPlimoStage>(mode, info, mReplay);
  mStage->fSetFieldMapTop(fBelowTimeline());
  // Played frame by frame from here: the frame loop's key snapshot must not
  // read the log.
  fPlayer().fStop();
  // The keys that opened the replay must be let go before they count.
  mWasDown.fill(true);
  mPadWasDown.fill(true);
  mLegendFont = CreateFontToHandle(nullptr, 13, 0, DX_FONTTYPE_ANTIALIASING);
}

CReplayTheatre::~CReplayTheatre() {
  if (mLegendFont != -1) DeleteFontToHandle(mLegendFont);
}

void CReplayTheatre::fStepBack() {
  fJumpTo(mFrame - 1);
}

CKeyPlayer& CReplayTheatre::fPlayer() const {
  auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get());
  PLIMO_ASSERT(player != nullptr, "a replay theatre plays with a key player");
  return *player;
}

long long CReplayTheatre::fLastFrame() const { return std::max(0LL, mMarks.length - 1); }

bool CReplayTheatre::fStepForward() {
  fPlayer().fPlayRecordedFrame();
  mStage->fUpdate();
  // The replay's end (or its Escape) left for the menu.
  if (gCurrentScene.fGet() != this) return false;
  mStage->fAnimate();
  ++mFrame;
  return true;
}

void CReplayTheatre::fJumpTo(long long frame) {
  const long long target = std::clamp(frame, 0LL, fLastFrame());
  mTimelineLeft = kTimelineFrames;
  if (target == mFrame) return;
  const CMutedEffects quiet;
  // The last snapshot at or before the target; played on from there unless
  // the stage already stands between it and the target.
  const SStageSnapshot& from = fSnapshotAtOrBefore(mSnapshots, target);
  // The models follow the game once, at the frame reached.
  mStage->fSetModelsDeferred(true);
  if (target < mFrame || from.frame > mFrame) {
    mStage->fRestoreRules(from.rules);
    fPlayer().fSetPosition(from.keys);
    mFrame = from.frame;
  }
  while (mFrame < target) {
    if (!fStepForward()) break;
  }
  mStage->fSetModelsDeferred(false);
}

void CReplayTheatre::fJumpPiece(int direction) {
  const auto& spawns = mMarks.spawns;
  if (direction > 0) {
    const auto next = std::upper_bound(spawns.begin(), spawns.end(), mFrame);
    if (next != spawns.end()) fJumpTo(*next);
  } else {
    const auto here = std::lower_bound(spawns.begin(), spawns.end(), mFrame);
    if (here != spawns.begin()) fJumpTo(*(here - 1));
  }
}

void CReplayTheatre::fSetSpeed(int index) {
  PLIMO_ASSERT(index >= 0 && index < static_cast<int>(kSpeedQuarters.size()), "replay speed out of range");
  mSpeed = index;
  mQuarters = 0;
  mSpeedLabelLeft = kSpeedLabelFrames;
}

void CReplayTheatre::fTakeOver() {
  fTakeOverReplay(*mStage);
  // The stage is the scene from now on; this theatre ends with the frame.
  gCurrentScene = std::move(mStage);
}

bool CReplayTheatre::fPressed(int keyCode) {
  const bool down = CheckHitKey(keyCode) != 0;
  bool& was = mWasDown[static_cast<std::size_t>(keyCode)];
  const bool pressed = down && !was;
  was = down;
  return pressed;
}

bool CReplayTheatre::fPadPressed(EGameKey key) {
  const bool down = mPad.fIsPadDown(key) != 0;
  bool& was = mPadWasDown[static_cast<std::size_t>(fKeyIndex(key))];
  const bool pressed = down && !was;
  was = down;
  return pressed;
}

bool CReplayTheatre::fPadPausePressed() {
  const int mask = fPausePadMask();
  const bool down = mask != 0 && (GetJoypadInputState(DX_INPUT_PAD1) & mask) != 0;
  const bool pressed = down && !mPadPauseWasDown;
  mPadPauseWasDown = down;
  return pressed;
}

// Escape, F1 and F2 do what they do in every replay; the rest is the
// theatre's. The pad's buttons serve the theatre by their game-key
// assignments: pause, directions step (left/right, paused) and jump 10 s
// (up/down), the camera turns jump a piece, hold changes the speed and drop
// takes over.
void CReplayTheatre::fReadKeys() {
  const bool shift = CheckHitKey(KEY_INPUT_LSHIFT) != 0 || CheckHitKey(KEY_INPUT_RSHIFT) != 0;
  // Every key is read every frame, so that each press counts once.
  const bool escape = fPressed(KEY_INPUT_ESCAPE);
  const bool f1 = fPressed(KEY_INPUT_F1);
  const bool f2 = fPressed(KEY_INPUT_F2);
  const bool space = fPressed(KEY_INPUT_SPACE);
  const bool pKey = fPressed(KEY_INPUT_P);
  const bool padPause = fPadPausePressed();
  const bool pause = space || pKey || padPause;
  const bool rightKey = fPressed(KEY_INPUT_RIGHT);
  const bool leftKey = fPressed(KEY_INPUT_LEFT);
  const bool padRight = fPadPressed(EGameKey::Right);
  const bool padLeft = fPadPressed(EGameKey::Left);
  const bool padNextPiece = fPadPressed(EGameKey::KeyC);
  const bool padPreviousPiece = fPadPressed(EGameKey::KeyZ);
  const bool pageDown = fPressed(KEY_INPUT_PGDN) || fPadPressed(EGameKey::Down);
  const bool pageUp = fPressed(KEY_INPUT_PGUP) || fPadPressed(EGameKey::Up);
  const bool home = fPressed(KEY_INPUT_HOME);
  const bool end = fPressed(KEY_INPUT_END);
  const bool tKey = fPressed(KEY_INPUT_T);
  const bool takeOver = fPadPressed(EGameKey::KeyX) || tKey;
  const bool nextSpeed = fPadPressed(EGameKey::KeySpace);
  constexpr std::array<int, 5> kSpeedKeys = {KEY_INPUT_1, KEY_INPUT_2, KEY_INPUT_3, KEY_INPUT_4, KEY_INPUT_5};
  int speed = -1;
  for (std::size_t i = 0; i < kSpeedKeys.size(); ++i) {
    if (fPressed(kSpeedKeys[i])) speed = static_cast<int>(i);
  }
  if (speed < 0 && nextSpeed) speed = (mSpeed + 1) % static_cast<int>(kSpeedQuarters.size());
  const bool right = rightKey || padRight;
  const bool left = leftKey || padLeft;

  if (escape) {
    fLeaveReplay(*mStage);
    return;
  }
  if (f1 && gFpsTimer) gFpsTimer->fToggleNoWait();
  if (f2 && gFpsTimer) gFpsTimer->fToggleSlowMotion();
  if (speed >= 0) fSetSpeed(speed);
  if (pause) mPaused = !mPaused;
  if (mPaused && takeOver) {
    fTakeOver();
    return;
  }
  int pieceWay = 0;
  if ((shift && rightKey) || padNextPiece) {
    pieceWay = 1;
  } else if ((shift && leftKey) || padPreviousPiece) {
    pieceWay = -1;
  }
  if (pieceWay != 0) {
    fJumpPiece(pieceWay);
  } else if (mPaused && right) {
    fStepForward();
  } else if (mPaused && left) {
    fStepBack();
  }
  if (gCurrentScene.fGet() != this) return;
  if (pageDown) fJumpTo(mFrame + kFramesPerTenSeconds);
  if (pageUp) fJumpTo(mFrame - kFramesPerTenSeconds);
  if (home) fJumpTo(0);
  if (end) fJumpTo(fLastFrame());
}

void CReplayTheatre::fUpdate() {
  // A theatre that is the first scene gets its fUpdate before its build
  // frame's fAnimate: that frame plays nothing, as in every other start.
  if (!mBuildFrameAnimated) return;
  if (mTimelineLeft > 0) --mTimelineLeft;
  if (mSpeedLabelLeft > 0) --mSpeedLabelLeft;
  fReadKeys();
  if (gCurrentScene.fGet() != this) return;
  if (mPaused) return;
  mQuarters += kSpeedQuarters[static_cast<std::size_t>(mSpeed)];
  const int frames = mQuarters / 4;
  mQuarters %= 4;
  for (int i = 0; i < frames; ++i) {
    if (!fStepForward()) return;
  }
  // From the command line the program ends with the recorded game.
  if (mInfo.endsProgram && mFrame >= mMarks.length) fLeaveReplay(*mStage);
}

void CReplayTheatre::fAnimate() {
  // The stage's own first animation, in the frame that built it; every later
  // one belongs to a played frame.
  if (mBuildFrameAnimated) return;
  mBuildFrameAnimated = true;
  mStage->fAnimate();
}

void CReplayTheatre::fDraw() {
  mStage->fDraw();
  fDrawBanner();
  fDrawEndLine();
  if (fIsTimelineShown()) fDrawTimeline();
  if (fIsSpeedShown()) fDrawSpeed();
  if (mPaused) fDrawHelp();
  fDrawWho();
}
