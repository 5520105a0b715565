// A simple player for recording whole games headless: it steers each piece
// to the lowest column, drops some, lets others fall, holds and turns the
// camera now and then, and confirms the end. Used to make replay fixtures and
// long games for benchmarks.
#pragma once

#include <cstdint>
#include <string>

#include "gamelib/headless/HeadlessBackend.h"

struct SBotGame {
  long long frames = 0;  // frames after the stage was built, the confirming one included
  int seed = 0;
  std::string state;
  int score = 0;
  int maxRensa = 0;
  int cleared = 0;
  int dealt = 0;
  int level = 0;
};

struct SBotStyle {
  int dropEvery = 2;   // drop every n-th piece, let the others fall
  int holdEvery = 7;   // hold every n-th piece
  int turnEvery = 5;   // turn the camera for every n-th piece
  // Pause with P every n-th frame (0: never) for this many frames, pressing
  // X and Space while paused; paused frames are not counted.
  int pauseEvery = 0;
  int pauseFrames = 30;
};

// Plays one normal game of the mode on the installed headless backend with
// the game's globals set up (sound manager, frame timer, key manager, high
// scores), starting with the given clock so the seed is utcMillis % 1000.
// The game's replay is stored by the game itself when the score is a new best.
SBotGame fPlayBotGame(CHeadlessBackend& backend, int mode, std::int64_t utcMillis, SBotStyle style);
// The same with the stage that is the current scene (a daily game, say),
// up to its confirmed end; the stage was built by a frame (a menu's), so it
// has had that frame's animation.
SBotGame fPlayBotStage(CHeadlessBackend& backend, SBotStyle style);
