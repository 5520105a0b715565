// Collects draw requests with a priority and draws them lowest priority
// first (equal priorities keep the order they were pushed in).
#pragma once

#include <vector>

#include "gfx/SDrawData.h"

struct SDrawInfoForQueue {
  SPointD position;
  SDrawData state;
  int priority = 0;
};

class CDrawDataQueue {
 public:
  virtual ~CDrawDataQueue() = default;
  virtual void fPush(SPointD position, const SDrawData& state, int priority);
  virtual void fFlush();

  int fSize() const { return static_cast<int>(mRequests.size()); }

 private:
  std::vector<SDrawInfoForQueue> mRequests;
};
