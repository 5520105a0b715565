// The keys that pause and resume a normal game: P and Pause on the keyboard,
// and on the pad Start (button 8) unless a game key uses it, else Back
// (button 7). They are read live: a paused frame takes no snapshot.
#pragma once

#include <string>

// The pad mask that pauses, or 0 when both buttons serve game keys.
int fPausePadMask();
bool fIsPauseKeyDown();
// "P / Pause / Button7", for hints.
std::string fPauseKeyNames();
