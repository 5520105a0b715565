// The one question the rules ask of their key source: was this key pushed
// in this frame's snapshot (once = true: once per press, by the latch rule).
// The live key manager, the key player and the check's log reader answer it.
#pragma once

#include "input/GameKey.h"

class IRuleKeys {
 public:
  virtual ~IRuleKeys() = default;
  virtual bool fIsPush(EGameKey key, bool once) = 0;
};
