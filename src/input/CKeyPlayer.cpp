#include "input/CKeyPlayer.h"

#include <algorithm>

#include "gamelib/FileSystem.h"
#include "util/Assert.h"

namespace {

bool fIsLiveKey(EGameKey key) { return key == EGameKey::KeyEsc || key == EGameKey::KeyF1; }

bool fIsLiveTrigger(EGameKey key) { return fIsLiveKey(key) || key == EGameKey::KeyF2; }

}  // namespace

CKeyPlayer::CKeyPlayer(const std::string& keyLogPath)
    : mLogFile(std::make_unique<CBinaryFile>(keyLogPath, CBinaryFile::EOpen::Read)) {
  CBinaryFile* file = mLogFile.get();
  mKeys = CRecordedKeys([file](unsigned char* out, std::size_t count) { return file->fRead(out, count); },
                        file->fSize());
}

CKeyPlayer::CKeyPlayer(SKeyLogBytes keyLog)
    : CKeyPlayer(std::make_shared<const CCompactLog>(keyLog.bytes)) {}

CKeyPlayer::CKeyPlayer(std::shared_ptr<const CCompactLog> keyLog) : mKeys(std::move(keyLog)) {}

CKeyPlayer::~CKeyPlayer() = default;

bool CKeyPlayer::fIsLogFinished() const { return mKeys.fIsLogFinished(); }

bool CKeyPlayer::fHasWholeFrame() const { return mKeys.fHasWholeFrame(); }

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
  return mKeys.fIsDown(key) ? 1 : 0;
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

int CKeyPlayer::fIsRecordedTrigger(EGameKey key) { return mKeys.fIsPush(key, true) ? 1 : 0; }

bool CKeyPlayer::fIsLiveDownExact(EGameKey key) { return fIsLiveDown(key) == 1; }

bool CKeyPlayer::fIsLivePush(EGameKey key, bool once) {
  if (once) return fIsLiveDown(key) == 1;
  return fIsPressed(key);
}

void CKeyPlayer::fStart() { mPlaying = true; }

void CKeyPlayer::fStop() { mPlaying = false; }

void CKeyPlayer::fEnd() {
  mPlaying = false;
  mKeys.fClose();
  if (mLogFile != nullptr) mLogFile->fClose();
}
