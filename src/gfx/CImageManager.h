// Every picture under "dat/image/" and mask under "dat/mask/", loaded once.
#pragma once

#include <string>
#include <vector>

#include "gfx/CResourceCollector.h"

class CImageManager {
 public:
  CImageManager();
  virtual ~CImageManager() = default;

  virtual int fGetImage(const std::string& name) const { return mImages.fGet(name); }
  virtual int fGetMask(const std::string& name) const { return mMasks.fGet(name); }
  virtual std::vector<std::string> fGetImageNames() const;

 private:
  CResourceCollector mMasks{"dat/mask/"};
  CResourceCollector mImages{"dat/image/"};
};
