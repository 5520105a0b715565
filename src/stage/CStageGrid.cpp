#include "stage/CStageGrid.h"

#include "util/Assert.h"

CStageGrid::CStageGrid(int width, int depth, int height)
    : mWidth(width), mDepth(depth), mHeight(height),
      mCells(static_cast<std::size_t>(width * depth * height), nullptr) {
  PLIMO_ASSERT(width > 0 && depth > 0 && height > 0, "grid extents must be positive");
}

int CStageGrid::fIndex(int a, int b, int h) const {
  PLIMO_ASSERT(fIsInside(a, b, h), "grid cell out of range");
  return (a * mDepth + b) * mHeight + h;
}

CPlimoBall* CStageGrid::fAt(int a, int b, int h) const {
  return mCells[static_cast<std::size_t>(fIndex(a, b, h))];
}

void CStageGrid::fSet(int a, int b, int h, CPlimoBall* ball) {
  mCells[static_cast<std::size_t>(fIndex(a, b, h))] = ball;
}

CWorkGrid::CWorkGrid(const CStageGrid& grid) : mGrid(grid) {
  // Both grids share one index order.
  const auto& cells = grid.fCells();
  mCells.resize(cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) mCells[i].ball = cells[i];
  mCounters.reserve(cells.size() + 1);
}

SInfoForChainCheck& CWorkGrid::fAt(int a, int b, int h) {
  PLIMO_ASSERT(fIsInside(a, b, h), "work grid cell out of range");
  const int index = (a * mGrid.fDepth() + b) * mGrid.fHeight() + h;
  return mCells[static_cast<std::size_t>(index)];
}

int* CWorkGrid::fNewCounter() {
  PLIMO_ASSERT(mCounters.size() < mCounters.capacity(), "more group counters than cells");
  mCounters.push_back(0);
  return &mCounters.back();
}
