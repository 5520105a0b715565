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
#include "util/CFramePacer.h"
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
constexpr int kShowEveryMilliseconds = 16;
int gLastShown = 0;
// The scene the loop began with, for endWithFirstScene.
const CScene* gFirstScene = nullptr;

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
void fSetConfigServerAddress(const std::string& address) { gConfig.serverAddress = address; }

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

namespace {

CFramePacer::EPace fWantedPace() {
  if (gFpsTimer->noWait) return CFramePacer::EPace::NoWait;
  return gFpsTimer->slowMotion ? CFramePacer::EPace::Slow : CFramePacer::EPace::Normal;
}

// Follows the frame timer's modes (the stage toggles them in replays). With
// no wait the swaps must not wait for the display either.
void fFollowPace(CFramePacer& pacer) {
  const CFramePacer::EPace wanted = fWantedPace();
  if (wanted == pacer.fPace()) return;
  const bool wasNoWait = pacer.fPace() == CFramePacer::EPace::NoWait;
  const bool noWait = wanted == CFramePacer::EPace::NoWait;
  if (wasNoWait != noWait) SetWaitVSyncFlag(noWait ? 0 : 1);
  pacer.fSetVSync(GetWaitVSyncFlag() != 0);
  pacer.fSetPace(wanted, GetNowHiPerformanceCount());
}

// Draws the latest state (unless the timer skips it), renders it and
// swaps when it is due: swaps a frame apart, however long rendering took.
void fShowFrame(const CFramePacer& pacer, CFrameStats* stats) {
  if (!gFpsTimer->fIsSkipFrame()) {
    ClsDrawScreen();
    gCurrentScene->fDraw();
  }
  if (stats) stats->fDrawDone(GetNowHiPerformanceCount());
  FinishDrawScreen();
  const std::int64_t presentAt = pacer.fPresentTime();
  if (presentAt > 0) {
    // Whole milliseconds, rounded down: a swap a little early beats one
    // late.
    const std::int64_t before = GetNowHiPerformanceCount();
    const std::int64_t wait = presentAt - before;
    if (wait >= 1000) Sleep(static_cast<int>(wait / 1000));
    if (stats) stats->fWaited(GetNowHiPerformanceCount() - before);
  }
  ScreenFlip();
  gLastShown = GetNowCount();
  // The first picture of the run, measured or not.
  if (gFirstFrameSeconds == 0.0) gFirstFrameSeconds = static_cast<double>(fMicrosecondsSinceStart()) / 1e6;
}

// One pass of the loop: the game frames due (input snapshot, update,
// animate each), then the last of them drawn and shown. False when the loop
// is to end (after showing the last frame).
bool fRunFrames(CFramePacer& pacer, long long& frames) {
  fFollowPace(pacer);
  const int due = pacer.fFramesDue(GetNowHiPerformanceCount());
  if (due == 0) return true;  // woken early: nothing new to show
  CFrameStats* stats = gFrameStats.get();
  if (stats) stats->fFrameBegin(GetNowHiPerformanceCount(), due);
  bool goOn = true;
  for (int i = 0; i < due && goOn; ++i) {
    if (gOptions.beforeFrame) gOptions.beforeFrame(frames);
    fRunFrameLogic();
    gFpsTimer->fCountFrame();
    ++frames;
    if (gQuitRequested) goOn = false;
    if (gOptions.frameLimit >= 0 && frames >= gOptions.frameLimit) goOn = false;
    if (gOptions.endWithFirstScene && gCurrentScene.fGet() != gFirstScene) goOn = false;
  }
  if (stats) stats->fUpdateDone(GetNowHiPerformanceCount());
  // With no wait many frames pass per refresh of the display; one is shown
  // a refresh, counted from the end of the last shown one, so that however
  // slow drawing is, the game gets at least as much time.
  const bool show = pacer.fPace() != CFramePacer::EPace::NoWait || GetNowCount() - gLastShown >= kShowEveryMilliseconds;
  if (show) {
    fShowFrame(pacer, stats);
    pacer.fPresented(GetNowHiPerformanceCount());
  } else if (stats) {
    stats->fDrawDone(GetNowHiPerformanceCount());
  }
  if (stats) stats->fPresentDone(GetNowHiPerformanceCount(), show);
  // Scenes replaced during these frames are no longer on the stack.
  gCurrentScene.fReleaseRetired();
  return goOn;
}

void fWriteFrameStats(const CFramePacer& pacer) {
  if (!gFrameStats) return;
  try {
    fWriteWholeFile(gOptions.frameStatsPath, gFrameStats->fCsv());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "PlimoBall: could not write the frame figures: %s\n", error.what());
  }
  gFrameStats->fSetStalls(pacer.fStalls(), pacer.fDroppedMicroseconds());
  std::printf("%s", gFrameStats->fSummary(gFirstFrameSeconds, fPeakResidentBytes()).c_str());
  gFrameStats.reset();
}

}  // namespace

void fMainLoop() {
  long long frames = 0;
  gFirstScene = gCurrentScene.fGet();
  gFirstFrameSeconds = 0.0;
  gLastShown = GetNowCount() - kShowEveryMilliseconds;
  CFramePacer pacer(GetNowHiPerformanceCount());
  pacer.fSetVSync(GetWaitVSyncFlag() != 0);
  bool paced = false;
  while (ProcessMessage() == 0) {
    if (frames == gOptions.fastForward && !paced) {
      paced = true;
      if (gOptions.fastForward > 0) gFpsTimer->fSetNoWait(gOptions.noWait);
      if (!gOptions.frameStatsPath.empty()) gFrameStats = std::make_unique<CFrameStats>();
    }
    if (!fRunFrames(pacer, frames)) break;
    const std::int64_t wait = pacer.fWaitBefore(GetNowHiPerformanceCount());
    // Whole milliseconds, rounded up: waking early would only ask again.
    if (wait > 0) Sleep(static_cast<int>((wait + 999) / 1000));
  }
  fKeepSceneBeforeExit();
  fWriteFrameStats(pacer);
  gFirstScene = nullptr;
  if (!gOptions.screenshotPath.empty() &&
      SaveDrawScreenToPNG(0, 0, kScreenWidth, kScreenHeight, gOptions.screenshotPath.c_str()) != 0) {
    std::fprintf(stderr, "PlimoBall: could not write the screenshot %s\n", gOptions.screenshotPath.c_str());
  }
}

void fKeepSceneBeforeExit() {
  // The display may go while the scene keeps; it keeps once.
  static bool keeping = false;
  if (keeping || !gCurrentScene) return;
  keeping = true;
  try {
    gCurrentScene->fKeepBeforeExit();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "PlimoBall: could not keep the game before ending: %s\n", error.what());
  }
  keeping = false;
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
  // Swaps wait for the display where the driver grants it (no tearing); the
  // frame pacer keeps the game at 60 frames a second either way.
  SetWaitVSyncFlag(1);
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
