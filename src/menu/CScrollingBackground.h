// A tiled picture drifting steadily across an area: the title menu's
// background.
#pragma once

#include "gfx/SDrawData.h"
#include "util/CPoint.h"

class CScrollingBackground {
 public:
  // angle: the drift's direction in degrees (0 is straight up, clockwise).
  CScrollingBackground(SDrawData tile, SPointD origin, SPointD area, double angle, double speed);

  void fAnimate();
  void fDraw() const;

  SPointD fOffset() const { return mOffset; }
  SPointD fVelocity() const { return mVelocity; }

 private:
  SDrawData mTile;
  SPointD mOrigin;
  SPointD mArea;
  SPointD mVelocity;
  SPointD mOffset;
  double mTileWidth = 0.0;
  double mTileHeight = 0.0;
};
