#include "menu/CScrollingBackground.h"

#include "gamelib/GameLib.h"

CScrollingBackground::CScrollingBackground(SDrawData tile, SPointD origin, SPointD area, double angle, double speed)
    : mTile(std::move(tile)),
      mOrigin(origin),
      mArea(area),
      mVelocity(SPointD(0.0, -1.0 * speed).fRotate(angle)),
      mOffset(origin) {
  int width = 0, height = 0;
  GetGraphSize(mTile.fCurrentGraph(), &width, &height);
  mTileWidth = width;
  mTileHeight = height;
}

void CScrollingBackground::fAnimate() {
  mOffset = mOffset + mVelocity;
  if (mVelocity.x > 0 && mOffset.x > mOrigin.x + mArea.x) mOffset.x -= 2 * mTileWidth;
  if (mVelocity.x < 0 && mOffset.x < mOrigin.x) mOffset.x += 2 * mTileWidth;
  if (mVelocity.y > 0 && mOffset.y > mOrigin.y + mArea.y) mOffset.y -= 2 * mTileHeight;
  if (mVelocity.y < 0 && mOffset.y < mOrigin.y) mOffset.y += 2 * mTileHeight;
}

void CScrollingBackground::fDraw() const {
  // A picture without size cannot tile the area.
  if (mTileWidth <= 0 || mTileHeight <= 0) return;
  double x0 = mOffset.x, x1 = mOffset.x, y0 = mOffset.y, y1 = mOffset.y;
  while (x0 > mOrigin.x - 2 * mTileWidth) x0 -= mTileWidth;
  while (x1 < mOrigin.x + mArea.x + 2 * mTileWidth) x1 += mTileWidth;
  while (y0 > mOrigin.y - 2 * mTileHeight) y0 -= mTileHeight;
  while (y1 < mOrigin.y + mArea.y + 2 * mTileHeight) y1 += mTileHeight;
  for (double x = x0; x < x1; x += mTileWidth) {
    for (double y = y0; y < y1; y += mTileHeight) fDrawAt(SPointD(x, y), mTile);
  }
}
