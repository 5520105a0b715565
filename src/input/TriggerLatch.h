// The one-answer-per-press rule shared by every input source.
#pragma once

// True once per press. The latch is set by the answer and cleared only when
// the key is asked about while up, so a key that was never seen released
// (latch still set) gives no answer.
inline bool fLatchPush(bool down, bool& latch) {
  if (down) {
    if (latch) return false;
    latch = true;
    return true;
  }
  latch = false;
  return false;
}
