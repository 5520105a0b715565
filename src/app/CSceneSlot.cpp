#include "app/CSceneSlot.h"

CSceneSlot& CSceneSlot::operator=(std::unique_ptr<CScene> next) {
  if (mCurrent) mRetired.push_back(std::move(mCurrent));
  mCurrent = std::move(next);
  return *this;
}

void CSceneSlot::fClear() {
  if (mCurrent) mRetired.push_back(std::move(mCurrent));
  mRetired.clear();
}
