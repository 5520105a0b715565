#include "input/PadButtonSetting.h"

#include <algorithm>

#include "persist/Records.h"

std::array<int, kPadButtonEntryCount> fPadButtonsFrom(const std::vector<int>& stored) {
  std::array<int, kPadButtonEntryCount> buttons = kDefaultPadButtons;
  const std::size_t count = std::min(stored.size(), buttons.size());
  std::copy_n(stored.begin(), count, buttons.begin());
  return buttons;
}

std::array<int, kPadButtonEntryCount> fCurrentPadButtons() {
  if (gOptionInfo == nullptr) return kDefaultPadButtons;
  return fPadButtonsFrom(gOptionInfo->padButtons);
}
