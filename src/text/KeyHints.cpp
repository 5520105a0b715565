#include "text/KeyHints.h"

#include "gamelib/GameLib.h"
#include "input/KeyNames.h"
#include "input/KeyboardSetting.h"
#include "persist/Records.h"

namespace {
constexpr int kFixedKeys[] = {KEY_INPUT_LEFT, KEY_INPUT_UP, KEY_INPUT_RIGHT, KEY_INPUT_DOWN};
}

std::string fKeyboardKeyName(EGameKey key) {
  const int assigned = fAssignedKeyboardCode(key);
  if (assigned >= 0) return fKeyName(assigned);
  const int index = fKeyIndex(key);
  if (index >= 4 && index < 8) return fKeyName(kFixedKeys[index - 4]);
  if (key == EGameKey::KeyEsc) return fKeyName(KEY_INPUT_ESCAPE);
  if (index >= fKeyIndex(EGameKey::KeyF1) && index <= fKeyIndex(EGameKey::KeyF12)) {
    return "F" + std::to_string(index - fKeyIndex(EGameKey::KeyF1) + 1);
  }
  static const char* const kLetters[] = {"A", "S", "D"};
  return kLetters[index - fKeyIndex(EGameKey::KeyA)];
}

std::string fPadButtonName(EGameKey key) {
  const int index = fKeyIndex(key);
  if (!gOptionInfo || index >= kOptionPadButtonCount) return "";
  const std::string name = gOptionInfo->fGetButtonName(index);
  return name == "Button?" ? "" : name;
}

std::string fKeyAndButtonName(EGameKey key) {
  const std::string button = fPadButtonName(key);
  return button.empty() ? fKeyboardKeyName(key) : fKeyboardKeyName(key) + " / " + button;
}
