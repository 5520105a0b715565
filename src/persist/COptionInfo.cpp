#include "persist/COptionInfo.h"

#include "persist/Serializer.h"
#include "util/Assert.h"

void COptionInfo::fDescribe(Serializer& s) { s.describe(padButtons); }

std::string COptionInfo::fGetButtonName(int i) const {
  PLIMO_ASSERT(i >= 0 && i < kOptionPadButtonCount && static_cast<std::size_t>(i) < padButtons.size(),
               "pad button entry out of range");
  const int buttons = padButtons[static_cast<std::size_t>(i)] >> 4;
  for (int n = 0; n < 16; ++n) {
    if (buttons == (1 << n)) return "Button" + std::to_string(n + 1);
  }
  return "Button?";
}
