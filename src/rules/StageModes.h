// The three modes with their constants, and the colour table.
// (The music each mode plays belongs to the scene: stage/CPlimoStage.)
#pragma once

constexpr int kModeCount = 3;
constexpr int kColourRed = 0;
constexpr int kColourLightBlue = 5;  // has models, but is never dealt
constexpr int kColourOzyama = 6;     // garbage: never forms a group
constexpr int kColourCount = 7;

struct SModeInfo {
  const char* name;
  int groupSize;
  int maxColour;  // highest colour index dealt
  int width;      // W: cells along a
  int depth;      // D: cells along b
  int height;     // H: two hidden layers above the visible box
  int ballLimit;
  int clearedPerLevel;
};

// A mode outside 0..2 is a programming error.
const SModeInfo& fModeInfo(int mode);
const char* fModeName(int mode);
// A colour outside 0..6 is a programming error.
const char* fColourName(int colour);
