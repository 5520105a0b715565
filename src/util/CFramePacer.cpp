#include "util/CFramePacer.h"

#include <algorithm>

CFramePacer::CFramePacer(std::int64_t now) { fAnchor(0, now); }

void CFramePacer::fAnchor(long long frame, std::int64_t at) {
  mAnchorFrame = frame;
  mAnchorTime = at;
}

void CFramePacer::fSetPace(EPace pace, std::int64_t now) {
  mPace = pace;
  if (pace == EPace::Slow) {
    mNumerator = kSlowFrameMicroseconds;
    mDenominator = 1;
  } else {
    mNumerator = 1'000'000;
    mDenominator = kFramesPerSecond;
  }
  fAnchor(mStepped, now);
  mPhaseSet = false;
}

void CFramePacer::fSetVSync(bool swapsWait) {
  if (swapsWait == mVSync) return;
  mVSync = swapsWait;
  mPhaseSet = false;
}

// Rounded up, so that a frame is due (fDueBy) from its due time on exactly.
std::int64_t CFramePacer::fDueTime(long long frame) const {
  return mAnchorTime + ((frame - mAnchorFrame) * mNumerator + mDenominator - 1) / mDenominator;
}

long long CFramePacer::fDueBy(std::int64_t now) const {
  if (now < mAnchorTime) return mAnchorFrame;
  return mAnchorFrame + (now - mAnchorTime) * mDenominator / mNumerator + 1;
}

int CFramePacer::fFramesDue(std::int64_t now) {
  if (mPace == EPace::NoWait) {
    ++mStepped;
    return 1;
  }
  long long due = fDueBy(now) - mStepped;
  if (due <= 0) return 0;
  if (due > kMaxCatchUp) {
    // The backlog beyond the limit is dropped; the last frame stepped now
    // is the one due now.
    ++mStalls;
    mDropped += (due - kMaxCatchUp) * mNumerator / mDenominator;
    fAnchor(mStepped + kMaxCatchUp - 1, now);
    mPhaseSet = false;
    due = kMaxCatchUp;
  }
  mStepped += due;
  return static_cast<int>(due);
}

void CFramePacer::fPresented(std::int64_t now) {
  if (!mVSync || mPhaseSet || mPace != EPace::Normal || now < mAnchorTime) return;
  // Shifts the due times by under half a frame so that this swap falls
  // half-way between two of them: swaps a refresh apart then meet one frame
  // each at 60 Hz, however unevenly they return.
  const std::int64_t phase = (now - mAnchorTime) * mDenominator % mNumerator / mDenominator;
  mAnchorTime += phase - mNumerator / (2 * mDenominator);
  mPhaseSet = true;
}

std::int64_t CFramePacer::fPresentTime() const {
  if (mPace == EPace::NoWait || mVSync || mStepped == 0) return 0;
  return fDueTime(mStepped - 1) + kPresentDelayMicroseconds;
}

std::int64_t CFramePacer::fWaitBefore(std::int64_t now) const {
  if (mPace == EPace::NoWait) return 0;
  return std::max<std::int64_t>(0, fDueTime(mStepped) - now);
}
