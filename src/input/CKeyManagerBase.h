// The input source every scene reads: the live keyboard and pad
// (CKeyManager) or a recorded key log (CKeyPlayer).
#pragma once

#include "input/GameKey.h"
#include "rules/IRuleKeys.h"

class CKeyManagerBase : public IRuleKeys {
 public:
  ~CKeyManagerBase() override = default;

  // Takes this frame's snapshot (a player reads the next recorded frame).
  virtual void fUpdateKeyState() = 0;
  virtual EDirectionTenkey fGetDirection() = 0;
  // 1 if the key is down at this moment, else 0.
  virtual int fIsDownNow(EGameKey key) = 0;
  // 1 once per press, asked of the live keyboard.
  virtual int fIsTriggered(EGameKey key) = 0;
  // Down in this frame's snapshot.
  virtual bool fIsPressed(EGameKey key) = 0;
  // once = false: as fIsPressed; once = true: true once per press.
  bool fIsPush(EGameKey key, bool once) override = 0;
  // The lowest pad button bit that is down, or -1.
  virtual int fGetPressedJoypadButton() = 0;
  virtual void fSetupPadButtonFromSetting() = 0;
};
