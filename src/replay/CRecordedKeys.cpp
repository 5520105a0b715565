#include "replay/CRecordedKeys.h"

#include <algorithm>
#include <utility>

#include "input/TriggerLatch.h"
#include "replay/KeyLog.h"
#include "util/Assert.h"

namespace {

// A frame is read only while more than this many bytes remain; a shorter
// tail is not a frame.
constexpr std::uint64_t kFrameTailSlack = 10;

}  // namespace

CRecordedKeys::CRecordedKeys() { mLatch.fill(true); }

CRecordedKeys::CRecordedKeys(std::shared_ptr<const CCompactLog> log) : mLog(std::move(log)) {
  PLIMO_ASSERT(mLog != nullptr, "recorded keys need a key log");
  mLatch.fill(true);
  mOpen = true;
  mLogSize = mLog->fSize();
}

CRecordedKeys::CRecordedKeys(FSequentialRead read, std::uint64_t size) : mRead(std::move(read)) {
  mLatch.fill(true);
  mOpen = true;
  mLogSize = size;
}

bool CRecordedKeys::fIsLogFinished() const { return !mOpen || mLogPosition + kFrameTailSlack >= mLogSize; }

bool CRecordedKeys::fHasWholeFrame() const { return mOpen && mLogSize >= mLogPosition + kKeyLogFrameBytes; }

std::size_t CRecordedKeys::fReadLog(unsigned char* buffer, std::size_t size) {
  if (mLog != nullptr) return mLog->fRead(mLogPosition, buffer, size);
  return mRead(buffer, size);
}

void CRecordedKeys::fReadFrame() {
  if (fIsLogFinished()) {
    mRecorded.fill(false);
    return;
  }
  // A whole frame of a packed log: a bit a key.
  if (mLog != nullptr && mLog->fReadWordBits(mLogPosition, kGameKeyCount, mRecorded.data())) {
    mLogPosition += kKeyLogFrameBytes;
    return;
  }
  std::array<unsigned char, kKeyLogFrameBytes> frame{};
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(kKeyLogFrameBytes, mLogSize - mLogPosition));
  const std::size_t got = fReadLog(frame.data(), wanted);
  // A file that came up short of its own size has ended too.
  mLogPosition = got == wanted ? mLogPosition + got : mLogSize;
  for (int k = 0; k < kGameKeyCount; ++k) mRecorded[k] = fGetInt32LE(&frame[k * kKeyLogValueBytes]) != 0;
}

bool CRecordedKeys::fIsPush(EGameKey key, bool once) {
  const auto k = static_cast<std::size_t>(fKeyIndex(key));
  if (!once) return mRecorded[k];
  return fLatchPush(mRecorded[k], mLatch[k]);
}

void CRecordedKeys::fClose() {
  mOpen = false;
  mLog.reset();
  mRead = nullptr;
}

void CRecordedKeys::fSetPosition(const SPosition& position) {
  PLIMO_ASSERT(mLog != nullptr && mOpen, "only a key log in memory is set back");
  PLIMO_ASSERT(position.logPosition <= mLogSize, "a key log position past the log's end");
  mLatch = position.latch;
  mRecorded = position.recorded;
  mLogPosition = position.logPosition;
}
