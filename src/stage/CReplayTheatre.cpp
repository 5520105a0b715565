#include "stage/CReplayTheatre.h"

#include <algorithm>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyPlayer.h"
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

// The prepared stage's key player and generator in place while it plays.
class CPreparedInPlace {
 public:
  CPreparedInPlace(std::unique_ptr<CKeyManagerBase>& keys, std::unique_ptr<CRandom>& random)
      : mKeys(keys), mRandom(random) {
    fSwap();
  }
  ~CPreparedInPlace() { fSwap(); }
  CPreparedInPlace(const CPreparedInPlace&) = delete;
  CPreparedInPlace& operator=(const CPreparedInPlace&) = delete;

 private:
  void fSwap() {
    std::swap(mKeys, gKeyManager);
    std::swap(mRandom, gRandom);
  }
  std::unique_ptr<CKeyManagerBase>& mKeys;
  std::unique_ptr<CRandom>& mRandom;
};

}  // namespace

CReplayTheatre::CReplayTheatre(int mode, const SReplayInfo& info) : mInfo(info) {
  mReplay = fCheckStageReplay(mode, info);
  mMarks = fScanReplay(mode, info, mReplay);
  mStage = std::make_unique<CPlimoStage>(mode, info, mReplay);
  // Played frame by frame from here: the frame loop's key snapshot must not
  // read the log.
  fPlayer().fStop();
  // The keys that opened the replay must be let go before they count.
  mWasDown.fill(true);
}

CReplayTheatre::~CReplayTheatre() { fDropPrepared(); }

void CReplayTheatre::fDropPrepared() {
  if (mPrepared.stage == nullptr) return;
  // Its models but not the table: that belongs to the shown stage.
  mPrepared.stage->fTakeModelTable();
  mPrepared.stage->fReleaseModels();
  mPrepared = SPrepared{};
}

void CReplayTheatre::fPrepareStepBack(long long budget) {
  const long long wanted = mFrame - 1;
  // Never up to the recorded end, which would leave the stage.
  if (wanted < 0 || wanted >= mMarks.length - 1) return;
  if (mPrepared.stage != nullptr && mPrepared.frame > wanted) fDropPrepared();
  const CMutedEffects quiet;
  if (mPrepared.stage == nullptr) {
    // The build puts its player and generator in place; leaving the scope
    // hands them to the prepared stage and puts the shown stage's back.
    const CPreparedInPlace inPlace(mPrepared.keys, mPrepared.random);
    mPrepared.stage = std::make_unique<CPlimoStage>(mStage->mode, mInfo, mReplay, CModelTable(mStage->mModelTable));
    dynamic_cast<CKeyPlayer&>(*gKeyManager).fStop();
    mPrepared.stage->fAnimate();
    mPrepared.frame = 0;
  }
  {
    const CPreparedInPlace inPlace(mPrepared.keys, mPrepared.random);
    auto& player = dynamic_cast<CKeyPlayer&>(*gKeyManager);
    for (long long i = 0; i < budget && mPrepared.frame < wanted; ++i) {
      player.fPlayRecordedFrame();
      mPrepared.stage->fUpdate();
      mPrepared.stage->fAnimate();
      ++mPrepared.frame;
    }
  }
  mStage->fApplyView();
}

void CReplayTheatre::fStepBack() {
  if (!fIsStepBackReady()) {
    fDropPrepared();
    fJumpTo(mFrame - 1);
    return;
  }
  CModelTable models = mStage->fTakeModelTable();
  mStage->fReleaseModels();
  mPrepared.stage->fTakeModelTable();
  mPrepared.stage->mModelTable = std::move(models);
  mStage = std::move(mPrepared.stage);
  gKeyManager = std::move(mPrepared.keys);
  gRandom = std::move(mPrepared.random);
  mPrepared = SPrepared{};
  mFrame -= 1;
  mStage->fApplyView();
  mTimelineLeft = kTimelineFrames;
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

void CReplayTheatre::fRebuild() {
  CModelTable models = mStage->fTakeModelTable();
  mStage->fReleaseModels();
  mStage = std::make_unique<CPlimoStage>(mStage->mode, mInfo, mReplay, std::move(models));
  fPlayer().fStop();
  mStage->fAnimate();  // the build frame's
  mFrame = 0;
}

void CReplayTheatre::fJumpTo(long long frame) {
  const long long target = std::clamp(frame, 0LL, fLastFrame());
  mTimelineLeft = kTimelineFrames;
  if (target == mFrame) return;
  const CMutedEffects quiet;
  if (target < mFrame) fRebuild();
  while (mFrame < target) {
    if (!fStepForward()) return;
  }
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
}

void CReplayTheatre::fTakeOver() {
  fDropPrepared();
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

// Escape, F1 and F2 do what they do in every replay; the rest is the theatre's.
void CReplayTheatre::fReadKeys() {
  const bool shift = CheckHitKey(KEY_INPUT_LSHIFT) != 0 || CheckHitKey(KEY_INPUT_RSHIFT) != 0;
  // Every key is read every frame, so that each press counts once.
  const bool escape = fPressed(KEY_INPUT_ESCAPE);
  const bool f1 = fPressed(KEY_INPUT_F1);
  const bool f2 = fPressed(KEY_INPUT_F2);
  const bool space = fPressed(KEY_INPUT_SPACE);
  const bool pKey = fPressed(KEY_INPUT_P);
  const bool pause = space || pKey;
  const bool right = fPressed(KEY_INPUT_RIGHT);
  const bool left = fPressed(KEY_INPUT_LEFT);
  const bool pageDown = fPressed(KEY_INPUT_PGDN);
  const bool pageUp = fPressed(KEY_INPUT_PGUP);
  const bool home = fPressed(KEY_INPUT_HOME);
  const bool end = fPressed(KEY_INPUT_END);
  const bool takeOver = fPressed(KEY_INPUT_T);
  constexpr std::array<int, 5> kSpeedKeys = {KEY_INPUT_1, KEY_INPUT_2, KEY_INPUT_3, KEY_INPUT_4, KEY_INPUT_5};
  int speed = -1;
  for (std::size_t i = 0; i < kSpeedKeys.size(); ++i) {
    if (fPressed(kSpeedKeys[i])) speed = static_cast<int>(i);
  }

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
  if (shift && (right || left)) {
    fJumpPiece(right ? 1 : -1);
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
  fReadKeys();
  if (gCurrentScene.fGet() != this) return;
  if (mPaused) {
    fPrepareStepBack(kPrepareFramesPerFrame);
    return;
  }
  mQuarters += kSpeedQuarters[static_cast<std::size_t>(mSpeed)];
  const int frames = mQuarters / 4;
  mQuarters %= 4;
  for (int i = 0; i < frames; ++i) {
    if (!fStepForward()) return;
  }
  if (frames > 0) fPrepareStepBack(kPrepareFramesWhilePlaying);
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
  if (fIsTimelineShown()) fDrawTimeline();
  if (mPaused) fDrawHelp();
}
