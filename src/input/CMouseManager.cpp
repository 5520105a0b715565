#include "input/CMouseManager.h"

#include "gamelib/GameLib.h"
#include "input/TriggerLatch.h"
#include "util/Assert.h"

void CMouseManager::fUpdate() {
  mValues[Left] = GetMouseInput() & MOUSE_INPUT_LEFT;
  mValues[Middle] = GetMouseInput() & MOUSE_INPUT_MIDDLE;
  mValues[Right] = GetMouseInput() & MOUSE_INPUT_RIGHT;
  mValues[Wheel] = GetMouseWheelRotVol(1);
  GetMousePoint(&mX, &mY);
}

bool CMouseManager::fIsPush(int button, bool once) {
  PLIMO_ASSERT(button >= 0 && button < 4, "mouse button out of range");
  const bool down = mValues[button] > 0;
  if (!once) return down;
  return fLatchPush(down, mLatch[button]);
}
