// For the record-file targets: the fuzz input becomes the file, the game
// loads it, and whatever was set aside as damaged is cleared for the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "gamelib/FileSystem.h"

// Writes the input as path inside the fuzz directory, after removing what
// an earlier input left in "dat/".
inline void fPlaceRecordFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  fEnterFuzzDirectory();
  for (const std::string& name : fListDirectory("dat")) fDeleteFile("dat/" + name);
  fWriteWholeFile(path, fFuzzText(data, size));
}

// Whether loading set the file aside as damaged.
inline bool fRecordFileSetAside(const std::string& path) { return !fFileExists(path); }
