// What the operating system knows about this process, for the frame
// measurements: its peak memory and how long ago it started.
#pragma once

#include <cstdint>

// The most resident memory the process has had, in bytes (0 when unknown).
std::int64_t fPeakResidentBytes();
// Microseconds since the process's image was loaded (close to its start).
std::int64_t fMicrosecondsSinceStart();
