#include "rules/StageModes.h"

#include "util/Assert.h"

namespace {

constexpr SModeInfo kModes[kModeCount] = {
    {"plimo", 2, 3, 2, 2, 9, 200, 30},
    {"yoiko", 3, 3, 2, 3, 10, 300, 40},
    {"wanpaku", 4, 4, 3, 3, 10, 300, 40},
};

constexpr const char* kColourNames[kColourCount] = {"red",    "green",     "blue",  "yellow",
                                                    "purple", "lightblue", "ozyama"};

}  // namespace

const SModeInfo& fModeInfo(int mode) {
  PLIMO_ASSERT(mode >= 0 && mode < kModeCount, "stage mode out of range");
  return kModes[mode];
}

const char* fModeName(int mode) { return fModeInfo(mode).name; }

const char* fColourName(int colour) {
  PLIMO_ASSERT(colour >= 0 && colour < kColourCount, "ball colour out of range");
  return kColourNames[colour];
}
