// A few database connections shared by a store's calls: a call takes a free
// one (waiting for one until its deadline), so calls run side by side.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

#include "util/Assert.h"

template <typename TConnection>
class CConnectionPool {
 public:
  using Clock = std::chrono::steady_clock;

  struct SSlot {
    TConnection* connection = nullptr;
  };

  explicit CConnectionPool(int size) : mSlots(static_cast<std::size_t>(size)) {
    PLIMO_ASSERT(size > 0, "a pool has a connection at least");
    for (std::size_t i = 0; i < mSlots.size(); ++i) mFree.push_back(i);
  }
  CConnectionPool(const CConnectionPool&) = delete;
  CConnectionPool& operator=(const CConnectionPool&) = delete;

  // A free slot, or null when none came free by the deadline.
  SSlot* fTake(Clock::time_point deadline) {
    std::unique_lock lock(mMutex);
    if (deadline == Clock::time_point::max()) {
      mFreed.wait(lock, [this] { return !mFree.empty(); });
    } else if (!mFreed.wait_until(lock, deadline, [this] { return !mFree.empty(); })) {
      return nullptr;
    }
    const std::size_t index = mFree.back();
    mFree.pop_back();
    return &mSlots[index];
  }
  void fGive(SSlot* slot) {
    {
      std::lock_guard lock(mMutex);
      mFree.push_back(static_cast<std::size_t>(slot - mSlots.data()));
    }
    mFreed.notify_one();
  }
  // Every slot, for closing them all: no call may run.
  std::vector<SSlot>& fSlots() { return mSlots; }

 private:
  std::mutex mMutex;
  std::condition_variable mFreed;
  std::vector<SSlot> mSlots;
  std::vector<std::size_t> mFree;
};
