// The logical keys every scene reads, and the direction helpers.
#pragma once

enum class EGameKey : int {
  Left = 0,
  Up,
  Right,
  Down,
  CursorLeft,
  CursorUp,
  CursorRight,
  CursorDown,
  KeyZ,
  KeyX,
  KeyC,
  KeyA,
  KeyS,
  KeyD,
  KeySpace,
  KeyF1,
  KeyF2,
  KeyF3,
  KeyF4,
  KeyF5,
  KeyF6,
  KeyF7,
  KeyF8,
  KeyF9,
  KeyF10,
  KeyF11,
  KeyF12,
  KeyEsc
};
constexpr int kGameKeyCount = 28;

// The key's table index, 0..27; any other value is a programming error.
int fKeyIndex(EGameKey key);

enum class EDirection4 : int { Left = 0, Up = 1, Right = 2, Down = 3 };

// The nine stick positions laid out like a numeric keypad, digit minus one.
enum class EDirectionTenkey : int {
  DownLeft = 0,
  Down,
  DownRight,
  Left,
  Neutral,
  Right,
  UpLeft,
  Up,
  UpRight
};

// Turns dir a quarter `times` times towards `turn` (Left or Right).
EDirection4 fRotateDirection(EDirection4 dir, EDirection4 turn, int times);
double fDirectionToDegree(EDirection4 dir);
double fDegreeToRadian(double degree);
