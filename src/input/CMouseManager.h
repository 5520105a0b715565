// The mouse: buttons, wheel and cursor, read once a frame by its owner.
#pragma once

#include <array>

class CMouseManager {
 public:
  enum EButton : int { Left = 0, Middle = 1, Right = 2, Wheel = 3 };

  CMouseManager() = default;
  virtual ~CMouseManager() = default;

  virtual void fUpdate();
  // button 0 left, 1 middle, 2 right, 3 the wheel turned forwards.
  // once = true: true once per press. Latches start clear, so a button held
  // when the manager is made counts at once.
  virtual bool fIsPush(int button, bool once);
  virtual bool fIsPushLeft(bool once) { return fIsPush(Left, once); }
  virtual bool fIsPushMiddle(bool once) { return fIsPush(Middle, once); }
  virtual bool fIsPushRight(bool once) { return fIsPush(Right, once); }
  // Wheel turn during the last frame, positive forwards.
  virtual int fGetWheel() const { return mValues[Wheel]; }
  virtual int fGetX() const { return mX; }
  virtual int fGetY() const { return mY; }

 private:
  int mX = 0;
  int mY = 0;
  std::array<int, 4> mValues{};
  std::array<bool, 4> mLatch{};
};
