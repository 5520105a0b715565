#include "app/GameMain.h"

#include <cstdio>

#include "app/CProfiler.h"
#include "app/Display.h"
#include "app/FrameStats.h"
#include "app/GameLog.h"
#include "app/Globals.h"
#include "app/SceneFactory.h"
#include "gamelib/FileSystem.h"
#include "gamelib/FrameTiming.h"
#include "gamelib/GameLib.h"
#include "gamelib/ProcessStats.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManager.h"
#include "persist/Records.h"
#include "persist/Settings.h"
#include "text/Language.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"
#include "util/CRandom.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kColourBits = 32;
constexpr int kRefreshRate = 60;
constexpr int kIconId = 100;
constexpr const char* kWindowTitle = "PlimoBall";

SConfig gConfig;
SLaunchOptions gOptions;
std::unique_ptr<CFrameStats> gFrameStats;
double gFirstFrameSeconds = 0.0;
// With no wait the game runs many frames per refresh of the display; it
// shows one a refresh, counted from the end of the last shown one, so that
// however slow drawing is, the game gets at least as much time.
constexpr int kShowEveryMilliseconds = 16;
int gLastShown = 0;

void fDeleteIfExists(const char* path) {
  if (fFileExists(path)) fDeleteFile(path);
}

// Leftovers of old installations.
void fDeleteDummies() {
  fDeleteIfExists("dat/replay/dummy");
  fDeleteIfExists("downloaded_replay/dummy");
}

void fCreateFonts() {
  gFontSmall = CreateFontToHandle("Arial Black", 12, 0, DX_FONTTYPE_NORMAL, -1, -1, 0, -1);
  gFontLarge = CreateFontToHandle("Arial Black", 36, 0, DX_FONTTYPE_ANTIALIASING, 0, -1, 0, -1);
  gFontMenu = CreateFontToHandle(nullptr, 24, 0, DX_FONTTYPE_ANTIALIASING, -1, -1, 0, -1);
  gFontTitle = CreateFontToHandle(nullptr, 28, 9, DX_FONTTYPE_ANTIALIASING_EDGE, -1, -1, 0, -1);
  gFontText = CreateFontToHandle(nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING, -1, -1, 0, -1);
}

}  // namespace

const SConfig& fCurrentConfig() { return gConfig; }
void fSetConfigWindowMode(bool windowed) { gConfig.bWindowMode = windowed; }

void fInitGame() {
  gQuitRequested = false;
  fCreateFonts();
  gFpsTimer = std::make_unique<CFpsTimer>(false, true);
  gImageManager = std::make_unique<CImageManager>();
  gSoundManager = std::make_unique<CSoundManager>(gConfig.bSound);
  if (gSettings.musicVolume != kMaxVolume || gSettings.effectVolume != kMaxVolume) {
    gSoundManager->fSetVolumes(gSettings.musicVolume, gSettings.effectVolume);
  }
  gRandom = std::make_unique<CRandom>();
  gKeyManager = std::make_unique<CKeyManager>();
  gProfiler = std::make_unique<CProfiler>();
  fLoadHighScore();
  gCurrentScene = fMakeTitleScene();
  if (gOptions.firstScene) gCurrentScene = gOptions.firstScene();
  if (gOptions.noWait || gOptions.fastForward > 0) gFpsTimer->fSetNoWait(true);
  fDeleteDummies();
}

void fRunFrameLogic() {
  if (gOptions.testFrameSleepMs > 0) Sleep(gOptions.testFrameSleepMs);
  fCheckDisplayKeys();
  if (gCurrentScene->fIsPausedFrame()) return;
  gKeyManager->fUpdateKeyState();
  gCurrentScene->fUpdate();
  // Read again: a scene installed by fUpdate gets its first fAnimate now.
  gCurrentScene->fAnimate();
}

void fRunFrame() {
  CFrameStats* stats = gFrameStats.get();
  if (stats) stats->fFrameBegin(GetNowHiPerformanceCount());
  fRunFrameLogic();
  if (stats) stats->fUpdateDone(GetNowHiPerformanceCount());
  const bool show = !gFpsTimer->noWait || GetNowCount() - gLastShown >= kShowEveryMilliseconds;
  if (!gFpsTimer->fIsSkipFrame() && show) {
    ClsDrawScreen();
    gCurrentScene->fDraw();
  }
  if (stats) stats->fDrawDone(GetNowHiPerformanceCount());
  if (show) {
    ScreenFlip();
    gLastShown = GetNowCount();
    // The first picture of the run, measured or not.
    if (gFirstFrameSeconds == 0.0) gFirstFrameSeconds = static_cast<double>(fMicrosecondsSinceStart()) / 1e6;
  }
  if (stats) stats->fPresentDone(GetNowHiPerformanceCount());
  gFpsTimer->fWait();
  // Scenes replaced during this frame are no longer on the stack.
  gCurrentScene.fReleaseRetired();
}

void fWriteFrameStats() {
  if (!gFrameStats) return;
  try {
    fWriteWholeFile(gOptions.frameStatsPath, gFrameStats->fCsv());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "PlimoBall: could not write the frame figures: %s\n", error.what());
  }
  std::printf("%s", gFrameStats->fSummary(gFirstFrameSeconds, fPeakResidentBytes()).c_str());
  gFrameStats.reset();
}

void fMainLoop() {
  long long frames = 0;
  const CScene* first = gCurrentScene.fGet();
  gFirstFrameSeconds = 0.0;
  gLastShown = GetNowCount() - kShowEveryMilliseconds;
  while (ProcessMessage() == 0) {
    if (frames == gOptions.fastForward) {
      if (gOptions.fastForward > 0) gFpsTimer->fSetNoWait(gOptions.noWait);
      if (!gOptions.frameStatsPath.empty()) gFrameStats = std::make_unique<CFrameStats>();
    }
    fRunFrame();
    ++frames;
    if (gQuitRequested) break;
    if (gOptions.frameLimit >= 0 && frames >= gOptions.frameLimit) break;
    if (gOptions.endWithFirstScene && gCurrentScene.fGet() != first) break;
  }
  fWriteFrameStats();
  if (!gOptions.screenshotPath.empty() &&
      SaveDrawScreenToPNG(0, 0, kScreenWidth, kScreenHeight, gOptions.screenshotPath.c_str()) != 0) {
    std::fprintf(stderr, "PlimoBall: could not write the screenshot %s\n", gOptions.screenshotPath.c_str());
  }
}

void fCleanupGame() {
  fDeleteIfExists("dat/replay/replay.dat");
  fDeleteIfExists("dat/replay/replay_key.dat");
  if (gProfiler) std::printf("%s\n", gProfiler->fGetReport().c_str());
  std::fflush(stdout);
}

void fRunGame() {
  try {
    SetDrawScreen(DX_SCREEN_BACK);
    fInitGame();
    fMainLoop();
  } catch (const std::exception& error) {
    fWriteLog(0, std::string("exception:") + error.what());
  }
  fCleanupGame();
}

void fReleaseGlobals() {
  gCurrentScene.fClear();
  gKeyManager.reset();
  gRandom.reset();
  gSoundManager.reset();
  gImageManager.reset();
  gFpsTimer.reset();
  gProfiler.reset();
}

int fGameMain(const SLaunchOptions& options) {
  gOptions = options;
  fDeleteDummies();
  fLoadOptionInfo();
  fLoadSettings();
  fSetLanguage(fSettingsLanguage(gSettings));
  gConfig = fReadConfig();
  fRegisterHighScoreInfo();
  gRandom = std::make_unique<CRandom>();

  SetOutApplicationLogValidFlag(0);
  SetWindowIconID(kIconId);
  SetMainWindowText(kWindowTitle);
  SetGraphMode(kScreenWidth, kScreenHeight, kColourBits, kRefreshRate);
  if (gConfig.bWindowMode) ChangeWindowMode(1);
  SetWindowSizeExtendRate(kWindowScales[static_cast<std::size_t>(gSettings.windowScale)]);
  SetUseFPUPreserveFlag(1);
  SetWaitVSyncFlag(0);
  // The backend has told the player why (no display, no GL).
  if (DxLib_Init() == -1) return 1;
  SetTransColor(255, 0, 255);
  SetDrawMode(DX_DRAWMODE_BILINEAR);

  int status = 0;
  try {
    fRunGame();
  } catch (const CFatalError& error) {
    std::fprintf(stderr, "PlimoBall: fatal error: %s\n", error.fMessage().c_str());
    status = 3;
  }
  fReleaseGlobals();
  DxLib_End();
  return status;
}
