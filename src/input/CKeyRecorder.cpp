#include "input/CKeyRecorder.h"

#include <algorithm>

#include "gamelib/FileSystem.h"
#include "replay/KeyLog.h"
#include "util/Assert.h"

CKeyRecorder::CKeyRecorder() = default;

// Frames still buffered are not written here: only fEnd makes a key log
// complete, and a destructor has no good way to report a failed write.
CKeyRecorder::~CKeyRecorder() = default;

bool CKeyRecorder::fIsOpen() const { return mFile != nullptr && mFile->fIsOpen(); }

void CKeyRecorder::fStart(const std::string& path, bool append, bool stopWhenIdle, int idleLimit) {
  if (fIsOpen()) fEnd();
  mFile.reset();
  mRecording = false;
  mPath = path;
  mStopWhenIdle = stopWhenIdle;
  mIdleLimit = idleLimit;
  mIdleFrames = 0;
  mFile = std::make_unique<CBinaryFile>(path, append ? CBinaryFile::EOpen::Append : CBinaryFile::EOpen::Truncate);
}

void CKeyRecorder::fResume() {
  PLIMO_ASSERT(fIsOpen(), "fResumeRecord before fStartRecord");
  mRecording = true;
}

void CKeyRecorder::fPause() { mRecording = false; }

void CKeyRecorder::fFlush() {
  if (!fIsOpen()) return;
  fWriteBuffer();
  mFile->fFlush();
}

void CKeyRecorder::fEnd() {
  mRecording = false;
  if (!fIsOpen()) {
    mBits.clear();
    mWide.clear();
    mValues = 0;
    mPacked = true;
    return;
  }
  fWriteBuffer();
  mFile->fClose();
  mFile.reset();
}

void CKeyRecorder::fRecordFrame(const std::array<std::int32_t, kGameKeyCount>& snapshot) {
  if (!mRecording) return;
  bool anyDown = false;
  for (std::int32_t value : snapshot) anyDown = anyDown || value != 0;
  if (anyDown) {
    mIdleFrames = 0;
  } else {
    ++mIdleFrames;
    if (mStopWhenIdle && mIdleFrames >= mIdleLimit) return;
  }
  if (mPacked) {
    for (std::int32_t value : snapshot) {
      if (value != 0 && value != 1) {
        fUnpack();
        break;
      }
    }
  }
  if (!mPacked) {
    mWide.insert(mWide.end(), snapshot.begin(), snapshot.end());
    mValues += snapshot.size();
    return;
  }
  for (std::int32_t value : snapshot) {
    if (mValues % 64 == 0) mBits.push_back(0);
    if (value == 1) mBits.back() |= std::uint64_t{1} << (mValues % 64);
    ++mValues;
  }
}

// A value other than 0 or 1 (never from keys): the buffer holds whole values
// from here on.
void CKeyRecorder::fUnpack() {
  mWide.reserve(mValues + kGameKeyCount);
  for (std::size_t i = 0; i < mValues; ++i) mWide.push_back(static_cast<std::int32_t>((mBits[i / 64] >> (i % 64)) & 1u));
  mBits.clear();
  mBits.shrink_to_fit();
  mPacked = false;
}

void CKeyRecorder::fWriteBuffer() {
  // Written a piece at a time, so the bytes are never all in memory at once.
  constexpr std::size_t kPieceValues = 16384;
  std::vector<unsigned char> bytes;
  for (std::size_t first = 0; first < mValues; first += kPieceValues) {
    const std::size_t count = std::min(kPieceValues, mValues - first);
    bytes.assign(count * kKeyLogValueBytes, 0);
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t i = first + k;
      const std::int32_t value = mPacked ? static_cast<std::int32_t>((mBits[i / 64] >> (i % 64)) & 1u) : mWide[i];
      fPutInt32LE(value, &bytes[k * kKeyLogValueBytes]);
    }
    mFile->fWrite(bytes.data(), bytes.size());
  }
  // Written frames leave memory.
  std::vector<std::uint64_t>().swap(mBits);
  std::vector<std::int32_t>().swap(mWide);
  mValues = 0;
  mPacked = true;
}
