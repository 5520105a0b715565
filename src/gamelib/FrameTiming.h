// The game library's calls for pacing and measuring frames beyond the
// millisecond clock of GameLib.h.
#pragma once

#include <cstdint>

// Microseconds of the same monotonic clock as GetNowCount, for measuring frames.
std::int64_t GetNowHiPerformanceCount();
// 1 when buffer swaps really wait for the display (asked for with
// SetWaitVSyncFlag, and the GL does it); the frame loop then leaves the
// waiting to them.
int GetWaitVSyncFlag();
