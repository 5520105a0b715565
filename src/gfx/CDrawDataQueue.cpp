#include "gfx/CDrawDataQueue.h"

#include <algorithm>

void CDrawDataQueue::fPush(SPointD position, const SDrawData& state, int priority) {
  mRequests.push_back(SDrawInfoForQueue{position, state, priority});
}

void CDrawDataQueue::fFlush() {
  std::stable_sort(mRequests.begin(), mRequests.end(),
                   [](const SDrawInfoForQueue& a, const SDrawInfoForQueue& b) { return a.priority < b.priority; });
  for (const auto& request : mRequests) fDrawAt(request.position, request.state);
  mRequests.clear();
}
