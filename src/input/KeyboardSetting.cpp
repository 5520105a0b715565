#include "input/KeyboardSetting.h"

#include "persist/Settings.h"

int fAssignedKeyboardCode(EGameKey key) {
  for (std::size_t i = 0; i < kAssignableKeys.size(); ++i) {
    if (kAssignableKeys[i] == key) return gSettings.keys[i];
  }
  return -1;
}
