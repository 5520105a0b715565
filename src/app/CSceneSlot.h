// Holds the current scene. Assigning a new scene keeps the old one alive
// until the end of the frame: the old scene's fUpdate is usually still
// running when it hands over.
#pragma once

#include <memory>
#include <vector>

#include "app/CScene.h"

class CSceneSlot {
 public:
  CSceneSlot& operator=(std::unique_ptr<CScene> next);
  CScene* operator->() const { return mCurrent.get(); }
  CScene* fGet() const { return mCurrent.get(); }
  explicit operator bool() const { return mCurrent != nullptr; }
  // Called by the frame loop once no scene operation is on the stack.
  void fReleaseRetired() { mRetired.clear(); }
  void fClear();

 private:
  std::unique_ptr<CScene> mCurrent;
  std::vector<std::unique_ptr<CScene>> mRetired;
};
