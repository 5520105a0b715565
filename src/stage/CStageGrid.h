// The box of cells, indexed (a, b, h) with h = 0 the floor layer. Cells hold
// non-owning references to the balls of the stage's ball list.
#pragma once

#include <vector>

class CPlimoBall;

class CStageGrid {
 public:
  CStageGrid() = default;
  CStageGrid(int width, int depth, int height);

  bool fIsInside(int a, int b, int h) const {
    return a >= 0 && a < mWidth && b >= 0 && b < mDepth && h >= 0 && h < mHeight;
  }
  // Indexes outside the grid are a programming error.
  CPlimoBall* fAt(int a, int b, int h) const;
  void fSet(int a, int b, int h, CPlimoBall* ball);
  int fWidth() const { return mWidth; }
  int fDepth() const { return mDepth; }
  int fHeight() const { return mHeight; }
  // Every cell, in index order (a, then b, then h).
  const std::vector<CPlimoBall*>& fCells() const { return mCells; }

 private:
  int fIndex(int a, int b, int h) const;

  int mWidth = 0;
  int mDepth = 0;
  int mHeight = 0;
  std::vector<CPlimoBall*> mCells;
};

// One cell of the group search's work grid: the ball and its group's counter.
struct SInfoForChainCheck {
  CPlimoBall* ball = nullptr;
  int* mark = nullptr;  // shared by every cell of one group; null: no group yet
};

// A snapshot of the grid for one group search, with the groups' counters.
class CWorkGrid {
 public:
  explicit CWorkGrid(const CStageGrid& grid);

  bool fIsInside(int a, int b, int h) const { return mGrid.fIsInside(a, b, h); }
  SInfoForChainCheck& fAt(int a, int b, int h);
  // A new counter at 0; it lives as long as the work grid.
  int* fNewCounter();

 private:
  const CStageGrid& mGrid;
  std::vector<SInfoForChainCheck> mCells;
  // Reserved for one counter per cell and the preview's own: never grows, so
  // the counters' addresses stay put.
  std::vector<int> mCounters;
};
