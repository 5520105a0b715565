// The box of cells, indexed (a, b, h) with h = 0 the floor layer. A cell
// holds the slot of its ball in the rules' ball pool, or kEmpty.
#pragma once

#include <vector>

#include "util/Assert.h"

class CRuleGrid {
 public:
  static constexpr int kEmpty = -1;

  CRuleGrid() = default;
  CRuleGrid(int width, int depth, int height)
      : mWidth(width), mDepth(depth), mHeight(height),
        mCells(static_cast<std::size_t>(width * depth * height), kEmpty) {}

  bool fIsInside(int a, int b, int h) const {
    return a >= 0 && a < mWidth && b >= 0 && b < mDepth && h >= 0 && h < mHeight;
  }
  // Indexes outside the grid are a programming error.
  int fAt(int a, int b, int h) const { return mCells[fIndex(a, b, h)]; }
  void fSet(int a, int b, int h, int slot) { mCells[fIndex(a, b, h)] = slot; }
  int fWidth() const { return mWidth; }
  int fDepth() const { return mDepth; }
  int fHeight() const { return mHeight; }
  // Every cell, in index order (a, then b, then h).
  const std::vector<int>& fCells() const { return mCells; }
  std::size_t fIndex(int a, int b, int h) const {
    PLIMO_ASSERT(fIsInside(a, b, h), "grid index out of range");
    return static_cast<std::size_t>((a * mDepth + b) * mHeight + h);
  }

 private:
  int mWidth = 0;
  int mDepth = 0;
  int mHeight = 0;
  std::vector<int> mCells;
};
