#include "input/CKeyManager.h"

#include "gamelib/GameLib.h"
#include "input/KeyboardSetting.h"
#include "input/PadButtonSetting.h"
#include "input/TriggerLatch.h"
#include "persist/Settings.h"

namespace {

// Bit 31 marks a key that no pad button answers.
constexpr std::int32_t kNoPadButton = static_cast<std::int32_t>(0x80000000u);

constexpr std::array<std::int32_t, kGameKeyCount> kKeyboardCodes = {
    KEY_INPUT_J,    KEY_INPUT_I,  KEY_INPUT_L,     KEY_INPUT_K,     // Left Up Right Down
    KEY_INPUT_LEFT, KEY_INPUT_UP, KEY_INPUT_RIGHT, KEY_INPUT_DOWN,  // the cursor keys
    KEY_INPUT_Z,    KEY_INPUT_X,  KEY_INPUT_C,     KEY_INPUT_A,    KEY_INPUT_S,   KEY_INPUT_D,     KEY_INPUT_SPACE,
    KEY_INPUT_F1,   KEY_INPUT_F2, KEY_INPUT_F3,    KEY_INPUT_F4,   KEY_INPUT_F5,  KEY_INPUT_F6,    KEY_INPUT_F7,
    KEY_INPUT_F8,   KEY_INPUT_F9, KEY_INPUT_F10,   KEY_INPUT_F11,  KEY_INPUT_F12, KEY_INPUT_ESCAPE};

constexpr std::array<std::int32_t, kGameKeyCount> kDefaultPadMasks = {
    0x2,          0x8,          0x4,          0x1,          0x2,          0x8,          0x4,
    0x1,          0x10,         0x20,         0x40,         0x80,         0x100,        0x200,
    0x800,        kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton,
    kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton};

// The pad's own direction bits, which Left..Down always accept.
constexpr std::array<std::int32_t, 4> kPadDirectionBits = {PAD_INPUT_LEFT, PAD_INPUT_UP, PAD_INPUT_RIGHT,
                                                           PAD_INPUT_DOWN};

// Buttons 1 to 16, the ones the option menu can assign.
constexpr int kFirstPadButton = PAD_INPUT_1;
constexpr int kLastPadButton = 0x80000;

int fReadPad() { return GetJoypadInputState(DX_INPUT_PAD1); }

}  // namespace

EDirectionTenkey fDirectionFromKeys(bool left, bool up, bool right, bool down) {
  if (left) {
    if (up) return EDirectionTenkey::UpLeft;
    if (down) return EDirectionTenkey::DownLeft;
    return EDirectionTenkey::Left;
  }
  if (up) return right ? EDirectionTenkey::UpRight : EDirectionTenkey::Up;
  if (right) return down ? EDirectionTenkey::DownRight : EDirectionTenkey::Right;
  if (down) return EDirectionTenkey::Down;
  return EDirectionTenkey::Neutral;
}

CKeyManager::CKeyManager() : mKeyboardCodes(kKeyboardCodes), mPadMasks(kDefaultPadMasks) {
  // Latches start set: a key already held when the manager appears (say at
  // the end of a replay) must be released before it counts as a press.
  mLatch.fill(true);
  fSetupPadButtonFromSetting();
  fSetupKeyboardFromSettings();
}

void CKeyManager::fSetupKeyboardFromSettings() {
  for (std::size_t i = 0; i < kAssignableKeys.size(); ++i) {
    mKeyboardCodes[static_cast<std::size_t>(fKeyIndex(kAssignableKeys[i]))] = gSettings.keys[i];
  }
}

int CKeyManager::fIsKeyboardDown(EGameKey key) {
  const int k = fKeyIndex(key);
  int down = CheckHitKey(mKeyboardCodes[k]);
  if (k < 4) down |= CheckHitKey(mKeyboardCodes[k + 4]);
  return down != 0 ? 1 : 0;
}

int CKeyManager::fIsPadDown(EGameKey key) {
  const int k = fKeyIndex(key);
  if (k < 4) {
    if ((fReadPad() & kPadDirectionBits[k]) != 0) return 1;
    return (fReadPad() & mPadMasks[k]) != 0 ? 1 : 0;
  }
  if (mPadMasks[k] == kNoPadButton) return 0;
  return (fReadPad() & mPadMasks[k]) != 0 ? 1 : 0;
}

int CKeyManager::fIsDownNow(EGameKey key) { return fIsKeyboardDown(key) != 0 || fIsPadDown(key) != 0 ? 1 : 0; }

void CKeyManager::fUpdateKeyState() {
  for (int k = 0; k < kGameKeyCount; ++k) mSnapshot[k] = fIsDownNow(static_cast<EGameKey>(k));
  mRecorder.fRecordFrame(mSnapshot);
  fUpdateEnter();
}

void CKeyManager::fUpdateEnter() {
  const bool enter = CheckHitKey(KEY_INPUT_RETURN) != 0 || CheckHitKey(KEY_INPUT_NUMPADENTER) != 0;
  const bool alt = CheckHitKey(KEY_INPUT_LALT) != 0 || CheckHitKey(KEY_INPUT_RALT) != 0;
  mEnterPushed = enter && !mEnterDown && !alt;
  mEnterDown = enter;
}

bool CKeyManager::fIsEnterPush() {
  const bool pushed = mEnterPushed;
  mEnterPushed = false;
  return pushed;
}

void CKeyManager::fUpdateKeysOnly(std::initializer_list<EGameKey> keys) {
  for (EGameKey key : keys) mSnapshot[fKeyIndex(key)] = fIsDownNow(key);
  // A question asked over a paused game confirms with Enter too.
  fUpdateEnter();
}

bool CKeyManager::fIsPressed(EGameKey key) { return mSnapshot[fKeyIndex(key)] == 1; }

bool CKeyManager::fIsPush(EGameKey key, bool once) {
  if (!once) return fIsPressed(key);
  const int k = fKeyIndex(key);
  return fLatchPush(mSnapshot[k] == 1, mLatch[k]);
}

int CKeyManager::fIsTriggered(EGameKey key) {
  const int k = fKeyIndex(key);
  return fLatchPush(fIsKeyboardDown(key) != 0, mLatch[k]) ? 1 : 0;
}

EDirectionTenkey CKeyManager::fGetDirection() {
  return fDirectionFromKeys(fIsPush(EGameKey::Left, false), fIsPush(EGameKey::Up, false),
                            fIsPush(EGameKey::Right, false), fIsPush(EGameKey::Down, false));
}

int CKeyManager::fGetPressedJoypadButton() {
  for (int bit = kFirstPadButton; bit <= kLastPadButton; bit <<= 1) {
    if ((fReadPad() & bit) != 0) return bit;
  }
  return -1;
}

void CKeyManager::fSetupPadButtonFromSetting() {
  const std::array<int, kPadButtonEntryCount> buttons = fCurrentPadButtons();
  for (int k = 0; k < kPadButtonEntryCount; ++k) {
    // The cursor keys keep the pad directions whatever the record says.
    if (k >= 4 && k < 8) continue;
    mPadMasks[k] = buttons[k];
  }
}

int CKeyManager::fGetKeyboardCode(EGameKey key) { return mKeyboardCodes[fKeyIndex(key)]; }

int CKeyManager::fGetPadButton(EGameKey key) { return mPadMasks[fKeyIndex(key)]; }

void CKeyManager::fStartRecord(const std::string& path, bool append, bool stopWhenIdle, int idleLimit) {
  mRecorder.fStart(path, append, stopWhenIdle, idleLimit);
  // A replay's key player starts with every latch set; the recorded game must
  // start from the same latches, or a key held from the menu into the game
  // would fire in the game and not in its replay.
  mLatch.fill(true);
}

void CKeyManager::fResumeRecord() { mRecorder.fResume(); }

void CKeyManager::fPauseRecord() { mRecorder.fPause(); }

void CKeyManager::fFlushRecord() { mRecorder.fFlush(); }

void CKeyManager::fEndRecord() { mRecorder.fEnd(); }
