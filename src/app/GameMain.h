// The program's spine: start-up, game initialisation, the frame loop, the
// exception log and the orderly shutdown.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CScene.h"
#include "app/Config.h"

struct SLaunchOptions {
  // End the loop after this many frames (negative: run until closed).
  long long frameLimit = -1;
  // Write the last drawn frame here as PNG when the loop ends.
  std::string screenshotPath;
  // A scene to start on instead of the title (a direct game, a test scene).
  std::function<std::unique_ptr<CScene>()> firstScene;
  // End the loop once the first scene has been left (a replay watched).
  bool endWithFirstScene = false;
  // Start with the frame timer's no-wait mode on.
  bool noWait = false;
  // Frames run with no wait before the ones measured (and paced, unless noWait).
  long long fastForward = 0;
  // Measure every frame; the per-frame figures go here as CSV, the summary
  // to standard output.
  std::string frameStatsPath;
  // For the window tests of ending: every frame takes this much longer.
  int testFrameSleepMs = 0;
  // For tests: called before each game frame with the number of frames run.
  std::function<void(long long frame)> beforeFrame;
};

// The whole run on the installed backend: returns the process exit status.
int fGameMain(const SLaunchOptions& options);

// The pieces, for tests.
void fInitGame();
// Paced by CFramePacer: 60 game frames a second of wall time, the latest
// drawn and shown each pass, then a sleep until the next is due.
void fMainLoop();
// The part of a frame that decides the game: input snapshot, update, animate.
void fRunFrameLogic();
// The current scene keeps what it must not lose before the program ends:
// once the loop has ended, and from the display-lost handler, which ends
// the process without returning. Failures are reported, never thrown.
void fKeepSceneBeforeExit();
void fCleanupGame();
void fRunGame();
// Drops every process-wide object (between runs in one process, and at exit).
void fReleaseGlobals();

const SConfig& fCurrentConfig();
// The window mode switched while running.
void fSetConfigWindowMode(bool windowed);
// The ranking server to ask from now on (tests point the game at their own).
void fSetConfigServerAddress(const std::string& address);
