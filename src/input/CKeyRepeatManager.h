// Auto-repeat for menus: a held key answers after a first delay and then at
// a fixed interval. The first press itself is not a repeat; menus ask
// fIsPush(k, true) for it.
#pragma once

#include <vector>

#include "input/CKeyManagerBase.h"

class CKeyRepeatManager {
 public:
  static constexpr int kFirstDelay = 12;
  static constexpr int kInterval = 8;

  class CRepeatInfo {
   public:
    CRepeatInfo(EGameKey key, int firstDelay, int interval);
    virtual ~CRepeatInfo() = default;

    // Counts a held frame, or rearms when the key is up.
    virtual void fUpdate(CKeyManagerBase& keys);
    // True once the interval has run out; rearms the interval.
    virtual bool fIsRepeat(CKeyManagerBase& keys);
    virtual EGameKey fGetKey() const { return mKey; }

   private:
    EGameKey mKey;
    int mFirstDelay;
    int mInterval;
    int mFirstDelayCounter;
    int mIntervalCounter;
  };

  CKeyRepeatManager() = default;
  virtual ~CKeyRepeatManager() = default;

  // Once a frame, before asking fIsRepeat.
  virtual void fUpdate(CKeyManagerBase& keys);
  virtual void fAddKey(EGameKey key);
  // With the defaults, a held key repeats on its 22nd held frame and then
  // on every 9th; false for a key never added.
  virtual bool fIsRepeat(CKeyManagerBase& keys, EGameKey key);

 private:
  std::vector<CRepeatInfo> mInfos;
  int mFirstDelay = kFirstDelay;
  int mInterval = kInterval;
};
