#include "input/CKeyRepeatManager.h"

CKeyRepeatManager::CRepeatInfo::CRepeatInfo(EGameKey key, int firstDelay, int interval)
    : mKey(key),
      mFirstDelay(firstDelay),
      mInterval(interval),
      mFirstDelayCounter(firstDelay),
      mIntervalCounter(interval) {}

void CKeyRepeatManager::CRepeatInfo::fUpdate(CKeyManagerBase& keys) {
  if (keys.fIsPush(mKey, false)) {
    if (mFirstDelayCounter >= 0) {
      --mFirstDelayCounter;
    } else {
      --mIntervalCounter;
    }
  } else {
    mFirstDelayCounter = mFirstDelay;
    mIntervalCounter = mInterval;
  }
}

bool CKeyRepeatManager::CRepeatInfo::fIsRepeat(CKeyManagerBase&) {
  if (mIntervalCounter >= 0) return false;
  mIntervalCounter = mInterval;
  return true;
}

void CKeyRepeatManager::fUpdate(CKeyManagerBase& keys) {
  for (CRepeatInfo& info : mInfos) info.fUpdate(keys);
}

void CKeyRepeatManager::fAddKey(EGameKey key) {
  fKeyIndex(key);  // a key outside the table stops here, not at the first update
  mInfos.emplace_back(key, mFirstDelay, mInterval);
}

bool CKeyRepeatManager::fIsRepeat(CKeyManagerBase& keys, EGameKey key) {
  for (CRepeatInfo& info : mInfos) {
    if (info.fGetKey() == key && info.fIsRepeat(keys)) return true;
  }
  return false;
}
