// "dat/setting.dat" as the game loads it at start: a damaged file is set
// aside, a sound one gives all fifteen pad buttons, the option menu can name
// each, and saving them reads back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "RecordFileSupport.h"
#include "input/PadButtonSetting.h"
#include "persist/Records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fPlaceRecordFile(kSettingFile, data, size);
  fLoadOptionInfo();

  FUZZ_CHECK(gOptionInfo != nullptr);
  FUZZ_CHECK(gOptionInfo->padButtons.size() >= static_cast<std::size_t>(kOptionPadButtonCount));
  for (int i = 0; i < kOptionPadButtonCount; ++i) FUZZ_CHECK(!gOptionInfo->fGetButtonName(i).empty());
  const auto buttons = fCurrentPadButtons();
  for (int i = 0; i < kPadButtonEntryCount; ++i) {
    FUZZ_CHECK(buttons[static_cast<std::size_t>(i)] == gOptionInfo->padButtons[static_cast<std::size_t>(i)]);
  }
  if (fRecordFileSetAside(kSettingFile)) return 0;

  // The option menu saves what it loaded; the next start reads it back.
  const std::vector<int> loaded = gOptionInfo->padButtons;
  fSaveOptionInfo();
  fLoadOptionInfo();
  FUZZ_CHECK(!fRecordFileSetAside(kSettingFile));
  FUZZ_CHECK(gOptionInfo->padButtons == loaded);
  return 0;
}
