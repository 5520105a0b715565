#include "input/PauseKeys.h"

#include "gamelib/GameLib.h"
#include "persist/Records.h"

namespace {

bool fIsPadMaskInUse(int mask) {
  if (!gOptionInfo) return mask == PAD_INPUT_8;  // the designed hold button
  for (const int used : gOptionInfo->padButtons) {
    if (used == mask) return true;
  }
  return false;
}

}  // namespace

int fPausePadMask() {
  for (const int mask : {PAD_INPUT_8, PAD_INPUT_7}) {
    if (!fIsPadMaskInUse(mask)) return mask;
  }
  return 0;
}

bool fIsPauseKeyDown() {
  if (CheckHitKey(KEY_INPUT_P) != 0 || CheckHitKey(KEY_INPUT_PAUSE) != 0) return true;
  const int mask = fPausePadMask();
  return mask != 0 && (GetJoypadInputState(DX_INPUT_PAD1) & mask) != 0;
}

std::string fPauseKeyNames() {
  const int mask = fPausePadMask();
  std::string names = "P / Pause";
  if (mask == PAD_INPUT_8) names += " / Button8";
  if (mask == PAD_INPUT_7) names += " / Button7";
  return names;
}
