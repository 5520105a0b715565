// The process-wide services every scene reaches directly. Tests replace
// them freely (a headless backend, a scripted key source, a seeded generator).
#pragma once

#include <memory>

#include "app/CSceneSlot.h"

class CFpsTimer;
class CImageManager;
class CSoundManager;
class CRandom;
class CKeyManagerBase;
class CProfiler;

extern CSceneSlot gCurrentScene;
extern bool gQuitRequested;
extern std::unique_ptr<CFpsTimer> gFpsTimer;
extern std::unique_ptr<CImageManager> gImageManager;
extern std::unique_ptr<CSoundManager> gSoundManager;
extern std::unique_ptr<CRandom> gRandom;
extern std::unique_ptr<CKeyManagerBase> gKeyManager;
extern std::unique_ptr<CProfiler> gProfiler;
extern int gFontSmall;
extern int gFontLarge;
extern int gFontMenu;
extern int gFontTitle;
// Smaller text: help pages, hints.
extern int gFontText;
