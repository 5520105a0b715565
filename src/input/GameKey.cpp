#include "input/GameKey.h"

#include <numbers>

#include "util/Assert.h"

int fKeyIndex(EGameKey key) {
  const int index = static_cast<int>(key);
  PLIMO_ASSERT(index >= 0 && index < kGameKeyCount, "EGameKey out of range");
  return index;
}

EDirection4 fRotateDirection(EDirection4 dir, EDirection4 turn, int times) {
  PLIMO_ASSERT(turn == EDirection4::Left || turn == EDirection4::Right, "fRotateDirection turns only Left or Right");
  const int from = static_cast<int>(dir);
  PLIMO_ASSERT(from >= 0 && from < 4, "EDirection4 out of range");
  if (times <= 0) return dir;
  // The values run clockwise (Left, Up, Right, Down), so a quarter to the
  // right is +1 and a quarter to the left is +3; four quarters are a full turn.
  const int step = turn == EDirection4::Right ? 1 : 3;
  return static_cast<EDirection4>((from + step * (times % 4)) % 4);
}

double fDirectionToDegree(EDirection4 dir) {
  switch (dir) {
    case EDirection4::Left:
      return 270.0;
    case EDirection4::Up:
      return 0.0;
    case EDirection4::Right:
      return 90.0;
    case EDirection4::Down:
      return 180.0;
  }
  PLIMO_ASSERT(false, "EDirection4 out of range");
  return 0.0;
}

double fDegreeToRadian(double degree) { return degree * std::numbers::pi / 180.0; }
