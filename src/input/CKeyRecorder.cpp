#include "input/CKeyRecorder.h"

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
    mBuffer.clear();
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
  mBuffer.insert(mBuffer.end(), snapshot.begin(), snapshot.end());
}

void CKeyRecorder::fWriteBuffer() {
  std::vector<unsigned char> bytes(mBuffer.size() * kKeyLogValueBytes);
  for (std::size_t i = 0; i < mBuffer.size(); ++i) fPutInt32LE(mBuffer[i], &bytes[i * kKeyLogValueBytes]);
  mFile->fWrite(bytes.data(), bytes.size());
  mBuffer.clear();
}
