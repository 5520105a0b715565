// Mask handles: pictures kept on the CPU as 8-bit coverage (see
// MaskPixels.h). The game loads its masks but draws with none yet.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CSdlMasks {
 public:
  // nextHandle: the backend's handle counter, shared with the other handles.
  explicit CSdlMasks(int& nextHandle) : mNextHandle(nextHandle) {}
  CSdlMasks(const CSdlMasks&) = delete;
  CSdlMasks& operator=(const CSdlMasks&) = delete;

  int fLoad(const char* path);
  int fDelete(int mask);
  void fClear() { mMasks.clear(); }
  int fSize(int mask, int* width, int* height) const;
  // Coverage 0..255 at (x, y); 0 outside the mask or for an unknown handle.
  int fCoverage(int mask, int x, int y) const;
  int fCount() const { return static_cast<int>(mMasks.size()); }

 private:
  struct SMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
  };

  int& mNextHandle;
  std::map<int, SMask> mMasks;
};
