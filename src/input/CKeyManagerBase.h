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
  // Return or keypad Enter went down at this frame's snapshot (not with Alt,
  // which switches the display); true for the first asker only. Enter is no
  // game key: it is never recorded, and a key log never presses it.
  virtual bool fIsEnterPush() { return false; }
};

// What confirms in menus and on the title: Z, or Enter. Both are asked, so
// Z's once-per-press latch follows it whichever fired.
inline bool fIsConfirmPush(CKeyManagerBase& keys) {
  const bool z = keys.fIsPush(EGameKey::KeyZ, true);
  const bool enter = keys.fIsEnterPush();
  return z || enter;
}
