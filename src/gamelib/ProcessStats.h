// What the operating system knows about this process, for the frame
// measurements: its memory and how long ago it started; and handing memory
// that is free back to it.
#pragma once

#include <cstdint>

// The most resident memory the process has had, in bytes (0 when unknown).
std::int64_t fPeakResidentBytes();
// Microseconds since the process's image was loaded (close to its start).
std::int64_t fMicrosecondsSinceStart();
// The memory resident now, in bytes (0 when unknown).
std::int64_t fResidentBytes();
// Hands the pages of freed memory inside the heap back to the system. The
// allocator keeps them otherwise: a software renderer's frames allocate
// and free megabytes in small blocks, and the holes they leave between
// blocks still in use would stay resident for good.
void fReleaseFreeMemory();
