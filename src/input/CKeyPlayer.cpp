#include "input/CKeyPlayer.h"

#include <algorithm>

#include "gamelib/FileSystem.h"
#include "input/KeyLog.h"
#include "input/TriggerLatch.h"
#include "util/Assert.h"

namespace {

// A frame is read only while more than this many bytes remain; a shorter
// tail is not a frame.
constexpr std::uint64_t kFrameTailSlack = 10;

bool fIsLiveKey(EGameKey key) { return key == EGameKey::KeyEsc || key == EGameKey::KeyF1; }

bool fIsLiveTrigger(EGameKey key) { return fIsLiveKey(key) || key == EGameKey::KeyF2; }

}  // namespace

CKeyPlayer::CKeyPlayer(const std::string& keyLogPath)
    : mLogFile(std::make_unique<CBinaryFile>(keyLogPath, CBinaryFile::EOpen::Read)) {
  mLatch.fill(true);
  mLogOpen = true;
  mLogSize = mLogFile->fSize();
}

CKeyPlayer::CKeyPlayer(SKeyLogBytes keyLog)
    : CKeyPlayer(std::make_shared<const CCompactLog>(keyLog.bytes)) {}

CKeyPlayer::CKeyPlayer(std::shared_ptr<const CCompactLog> keyLog) : mLogCompact(std::move(keyLog)) {
  PLIMO_ASSERT(mLogCompact != nullptr, "a key player needs a key log");
  mLatch.fill(true);
  mLogOpen = true;
  mLogSize = mLogCompact->fSize();
}

CKeyPlayer::~CKeyPlayer() = default;

bool CKeyPlayer::fIsLogFinished() const { return !mLogOpen || mLogPosition + kFrameTailSlack >= mLogSize; }

bool CKeyPlayer::fHasWholeFrame() const {
  return mLogOpen && mLogSize >= mLogPosition + kKeyLogFrameBytes;
}

std::size_t CKeyPlayer::fReadLog(unsigned char* buffer, std::size_t size) {
  if (mLogFile != nullptr) return mLogFile->fRead(buffer, size);
  return mLogCompact->fRead(mLogPosition, buffer, size);
}

// A log that has ended plays on with no key held. A last frame cut short
// (more than 10 but fewer than 112 bytes) is read as far as it goes and the
// missing bytes count as zero, i.e. keys up; the log has then ended.
void CKeyPlayer::fReadFrame() {
  if (fIsLogFinished()) {
    mRecorded.fill(false);
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

void CKeyPlayer::fUpdateKeyState() {
  if (!mPlaying) return;
  fReadFrame();
  // Only Escape, F1 and F2 are ever read from the live snapshot.
  mLive.fUpdateKeysOnly({EGameKey::KeyEsc, EGameKey::KeyF1, EGameKey::KeyF2});
}

EDirectionTenkey CKeyPlayer::fGetDirection() {
  return fDirectionFromKeys(fIsPush(EGameKey::Left, false), fIsPush(EGameKey::Up, false),
                            fIsPush(EGameKey::Right, false), fIsPush(EGameKey::Down, false));
}

int CKeyPlayer::fIsDownNow(EGameKey key) {
  if (fIsLiveKey(key)) return mLive.fIsDownNow(key);
  return mRecorded[fKeyIndex(key)] ? 1 : 0;
}

int CKeyPlayer::fIsTriggered(EGameKey key) {
  if (fIsLiveTrigger(key)) return mLive.fIsPush(key, true) ? 1 : 0;
  return fIsRecordedTrigger(key);
}

bool CKeyPlayer::fIsPressed(EGameKey key) { return fIsDownNow(key) == 1; }

bool CKeyPlayer::fIsPush(EGameKey key, bool once) {
  if (once) return fIsRecordedTrigger(key) == 1;
  return fIsPressed(key);
}

int CKeyPlayer::fGetPressedJoypadButton() {
  PLIMO_ASSERT(false, "CKeyManager`s fGetPressedJoypadButton mus'nt call");
  return -1;
}

void CKeyPlayer::fSetupPadButtonFromSetting() {
  PLIMO_ASSERT(false, "CKeyManager`s fSetupPadButtonFromSetting mus'nt call");
}

int CKeyPlayer::fIsLiveDown(EGameKey key) { return mLive.fIsDownNow(key); }

int CKeyPlayer::fIsRecordedTrigger(EGameKey key) {
  const int k = fKeyIndex(key);
  return fLatchPush(mRecorded[k], mLatch[k]) ? 1 : 0;
}

bool CKeyPlayer::fIsLiveDownExact(EGameKey key) { return fIsLiveDown(key) == 1; }

bool CKeyPlayer::fIsLivePush(EGameKey key, bool once) {
  if (once) return fIsLiveDown(key) == 1;
  return fIsPressed(key);
}

CKeyPlayer::SPosition CKeyPlayer::fPosition() const { return SPosition{mLatch, mRecorded, mLogPosition}; }

void CKeyPlayer::fSetPosition(const SPosition& position) {
  PLIMO_ASSERT(mLogCompact != nullptr && mLogOpen, "only a key log in memory is set back");
  PLIMO_ASSERT(position.logPosition <= mLogSize, "a key log position past the log's end");
  mLatch = position.latch;
  mRecorded = position.recorded;
  mLogPosition = position.logPosition;
}

void CKeyPlayer::fStart() { mPlaying = true; }

void CKeyPlayer::fStop() { mPlaying = false; }

void CKeyPlayer::fEnd() {
  mPlaying = false;
  if (mLogFile != nullptr) mLogFile->fClose();
  mLogCompact.reset();
  mLogOpen = false;
}
