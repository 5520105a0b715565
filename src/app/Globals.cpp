#include "app/Globals.h"

#include "app/CProfiler.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManagerBase.h"
#include "util/CFpsTimer.h"
#include "util/CRandom.h"

CSceneSlot gCurrentScene;
bool gQuitRequested = false;
std::unique_ptr<CFpsTimer> gFpsTimer;
std::unique_ptr<CImageManager> gImageManager;
std::unique_ptr<CSoundManager> gSoundManager;
std::unique_ptr<CRandom> gRandom;
std::unique_ptr<CKeyManagerBase> gKeyManager;
std::unique_ptr<CProfiler> gProfiler;
int gFontSmall = -1;
int gFontLarge = -1;
int gFontMenu = -1;
int gFontTitle = -1;
int gFontText = -1;
