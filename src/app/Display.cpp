#include "app/Display.h"

#include <cstdio>

#include "app/GameMain.h"
#include "gamelib/GameLib.h"
#include "persist/Settings.h"
#include "util/Assert.h"

namespace {
bool gAltEnterDown = true;  // a press already down at start does not count
}

bool fIsWindowed() { return fCurrentConfig().bWindowMode; }

void fSetWindowed(bool windowed) {
  fSetConfigWindowMode(windowed);
  ChangeWindowMode(windowed ? 1 : 0);
  try {
    fWriteWindowMode(windowed);
  } catch (const CGameError& error) {
    // The switch itself worked; only the next start forgets it.
    std::fprintf(stderr, "PlimoBall: could not save the window mode: %s\n", error.what());
  }
}

void fSetWindowScale(int index) {
  PLIMO_ASSERT(index >= 0 && index < static_cast<int>(kWindowScales.size()), "window scale out of range");
  gSettings.windowScale = index;
  SetWindowSizeExtendRate(kWindowScales[static_cast<std::size_t>(index)]);
}

void fCheckDisplayKeys() {
  const bool alt = CheckHitKey(KEY_INPUT_LALT) != 0 || CheckHitKey(KEY_INPUT_RALT) != 0;
  const bool down = alt && CheckHitKey(KEY_INPUT_RETURN) != 0;
  if (down && !gAltEnterDown) fSetWindowed(!fIsWindowed());
  gAltEnterDown = down;
}
