// The live input source: the keyboard and the first gamepad, read once a
// frame into a snapshot of the 28 logical keys, which it can also record.
#pragma once

#include <array>
#include <initializer_list>
#include <cstdint>
#include <string>

#include "input/CKeyManagerBase.h"
#include "input/CKeyRecorder.h"

class CKeyManager : public CKeyManagerBase {
 public:
  // Takes the pad masks from the option record (defaults while none is loaded).
  CKeyManager();

  void fUpdateKeyState() override;
  // Snapshots only these keys (and Enter) and records nothing: for a key
  // player, whose live manager is asked about a few keys only.
  void fUpdateKeysOnly(std::initializer_list<EGameKey> keys);
  EDirectionTenkey fGetDirection() override;
  int fIsDownNow(EGameKey key) override;
  int fIsTriggered(EGameKey key) override;
  bool fIsPressed(EGameKey key) override;
  bool fIsPush(EGameKey key, bool once) override;
  int fGetPressedJoypadButton() override;
  void fSetupPadButtonFromSetting() override;
  bool fIsEnterPush() override;
  // Copies the keyboard keys of the eight assignable keys from the settings.
  void fSetupKeyboardFromSettings();

  // 1 if the key's keyboard key is down now (Left..Down also take the cursor keys).
  virtual int fIsKeyboardDown(EGameKey key);
  // 1 if the key's pad mask is down now (Left..Down also take the pad's directions).
  virtual int fIsPadDown(EGameKey key);
  virtual int fGetKeyboardCode(EGameKey key);
  virtual int fGetPadButton(EGameKey key);

  virtual void fStartRecord(const std::string& path, bool append, bool stopWhenIdle, int idleLimit);
  virtual void fResumeRecord();
  virtual void fPauseRecord();
  virtual void fFlushRecord();
  virtual void fEndRecord();

  bool fIsRecording() const { return mRecorder.fIsRecording(); }
  const CKeyRecorder& fRecorder() const { return mRecorder; }

 private:
  void fUpdateEnter();

  std::array<std::int32_t, kGameKeyCount> mSnapshot{};
  std::array<std::int32_t, kGameKeyCount> mKeyboardCodes{};
  std::array<std::int32_t, kGameKeyCount> mPadMasks{};
  std::array<bool, kGameKeyCount> mLatch{};
  // Enter, beside the logical keys. Down at the start, as the latches.
  bool mEnterDown = true;
  bool mEnterPushed = false;
  CKeyRecorder mRecorder;
};

// The direction from the four play keys: Left wins over Right and Up over
// Down, so opposite keys never cancel out.
EDirectionTenkey fDirectionFromKeys(bool left, bool up, bool right, bool down);
