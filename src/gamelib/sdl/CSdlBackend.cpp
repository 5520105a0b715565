#include "gamelib/sdl/CSdlBackend.h"

#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gamelib/ProcessStats.h"
#include "gamelib/QuitSignals.h"
#include "gamelib/sdl/DisplayWatch.h"
#include "gamelib/sdl/SdlBackend.h"

namespace {

constexpr int kProgramIconId = 100;
constexpr const char* kProgramIconPicture = "dat/icon/plimoball-64.png";

bool fIsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// SDL quietly falls back to a driver without a screen when no display can
// be reached; only a caller who asked for one of those gets it.
bool fIsScreenlessDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

std::unique_ptr<CGameLibBackend> fMakeSdlBackend() { return std::make_unique<CSdlBackend>(); }

CSdlBackend::CSdlBackend() = default;

CSdlBackend::~CSdlBackend() { DxLib_End(); }

// ---- set-up and frame ----

int CSdlBackend::SetOutApplicationLogValidFlag(int) { return 0; }
int CSdlBackend::SetWindowIconID(int id) {
  // The program's one icon resource is the picture the desktop's menus show too.
  if (id != kProgramIconId) return -1;
  return mWindow.fSetIcon(kProgramIconPicture) ? 0 : -1;
}
int CSdlBackend::SetMainWindowText(const char* text) {
  mWindow.fSetTitle(text);
  return 0;
}
int CSdlBackend::SetGraphMode(int width, int height, int, int) {
  if (mInitialised || width <= 0 || height <= 0) return -1;
  mScreenWidth = width;
  mScreenHeight = height;
  mWindow.fSetSize(width, height);
  return 0;
}
int CSdlBackend::ChangeWindowMode(int windowed) {
  mWindow.fSetWindowed(windowed != 0);
  return 0;
}
int CSdlBackend::SetWindowSizeExtendRate(double rate) {
  if (rate <= 0.0) return -1;
  mWindow.fSetScale(rate);
  return 0;
}
int CSdlBackend::GetWindowActiveFlag() { return mActive ? 1 : 0; }
int CSdlBackend::SetUseFPUPreserveFlag(int) { return 0; }
int CSdlBackend::SetWaitVSyncFlag(int flag) {
  mWindow.fSetVSync(flag != 0);
  return 0;
}

bool CSdlBackend::fStartSdl() {
  const bool driverAsked = fIsSet("SDL_VIDEODRIVER");
  if (!driverAsked && !fIsSet("DISPLAY") && !fIsSet("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "PlimoBall: no display found (DISPLAY is not set). Run it on a desktop, or set "
                 "SDL_VIDEODRIVER=offscreen to run without one.\n");
    return false;
  }
  // The game's own handlers (gamelib/QuitSignals.h) answer SIGTERM and SIGINT.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    std::fprintf(stderr, "PlimoBall: cannot start SDL: %s\n", SDL_GetError());
    return false;
  }
  fWatchDisplay();
  if (!driverAsked && fIsScreenlessDriver(SDL_GetCurrentVideoDriver())) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "PlimoBall: cannot open the display \"%s\". Run it on a desktop, or set "
                 "SDL_VIDEODRIVER=offscreen to run without one.\n",
                 display == nullptr ? "" : display);
    SDL_Quit();
    return false;
  }
  // Pads are a bonus: the game plays on without them.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    std::fprintf(stderr, "PlimoBall: gamepads unavailable: %s\n", SDL_GetError());
  }
  return true;
}

int CSdlBackend::DxLib_Init() {
  if (mInitialised) return 0;
  if (!fStartSdl()) return -1;
  std::string error;
  IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
  if (!mWindow.fOpen(error) || !mRenderer.fInit(mScreenWidth, mScreenHeight, error) || !mFonts.fInit(error) ||
      !mModels.fInit(error)) {
    std::fprintf(stderr, "PlimoBall: %s\n", error.c_str());
    mInitialised = true;  // so DxLib_End undoes the part that was done
    DxLib_End();
    return -1;
  }
  mKeyInput.fInit();
  mSound.fInit();  // runs silent rather than fail
  mInitialised = true;
  mClosed = false;
  ScreenFlip();  // a black window rather than garbage until the first frame
  return 0;
}

int CSdlBackend::DxLib_End() {
  if (!mInitialised) return 0;
  mKeyInput.fClear();
  mSound.fShutdown();
  mMasks.fClear();
  mModels.fShutdown();
  mFonts.fShutdown();
  mImages.fClear();
  mRenderer.fShutdown();
  mWindow.fClose();
  mInput.fCloseAll();
  IMG_Quit();
  SDL_Quit();
  mInitialised = false;
  return 0;
}

int CSdlBackend::ProcessMessage() {
  if (!mInitialised) return -1;
  fCheckDisplay(mWindow.fHandle());
  if (fQuitSignalled()) mClosed = true;
  mInput.fBeginPump();
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    if (event.type == SDL_QUIT) {
      mClosed = true;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
               event.window.windowID == mWindow.fId()) {
      mClosed = true;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
      mActive = false;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
      mActive = true;
    } else {
      mInput.fHandleEvent(event);
      mKeyInput.fHandleEvent(event);
    }
  }
  return mClosed ? -1 : 0;
}

int CSdlBackend::SetDrawScreen(int screen) {
  // The back screen is the only one there is.
  return screen == DX_SCREEN_BACK ? 0 : -1;
}
int CSdlBackend::ClsDrawScreen() {
  mRenderer.fClear();
  return 0;
}
int CSdlBackend::ClearDrawScreen() { return ClsDrawScreen(); }
int CSdlBackend::FinishDrawScreen() {
  if (!mInitialised) return -1;
  if (!mFinished) {
    int width = 0, height = 0;
    mWindow.fDrawableSize(width, height);
    mRenderer.fPresent(width, height);
    // A software renderer rasterises at the flush: done here, the swap that
    // follows is a copy of the finished picture.
    mRenderer.fFinish();
    mFinished = true;
  }
  return 0;
}

int CSdlBackend::ScreenFlip() {
  if (!mInitialised) return -1;
  if (!mFinished) {
    int width = 0, height = 0;
    mWindow.fDrawableSize(width, height);
    mRenderer.fPresent(width, height);
  }
  mFinished = false;
  mWindow.fSwap();
  mFonts.fEndFrame();
  // Four times a second at 60 frames: the renderer's pieces leave holes
  // behind, and the sooner they go the lower the peak.
  if (++mFramesSinceRelease >= kFramesBetweenReleases) {
    mFramesSinceRelease = 0;
    fReleaseFreeMemory();
  }
  return 0;
}
int CSdlBackend::SetTransColor(int r, int g, int b) {
  mImages.fSetTransColour(r, g, b);
  return 0;
}
int CSdlBackend::SetDrawMode(int mode) {
  mRenderer.fSetBilinear(mode == DX_DRAWMODE_BILINEAR);
  return 0;
}
int CSdlBackend::SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) {
  if (!mInitialised || path == nullptr) return -1;
  std::vector<std::uint8_t> pixels;
  const int width = x2 - x1;
  const int height = y2 - y1;
  if (!mRenderer.fReadPixels(x1, y1, width, height, pixels)) return -1;
  // A screenshot is what the window shows: opaque.
  for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0xFF;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return -1;
  const int result = IMG_SavePNG(surface, path);
  SDL_FreeSurface(surface);
  return result == 0 ? 0 : -1;
}

// ---- 2D drawing ----

unsigned int CSdlBackend::GetColor(int r, int g, int b) {
  return (static_cast<unsigned int>(r & 0xFF) << 16) | (static_cast<unsigned int>(g & 0xFF) << 8) |
         static_cast<unsigned int>(b & 0xFF);
}
int CSdlBackend::LoadGraph(const char* path, int) { return mInitialised ? mImages.fLoad(path) : -1; }
int CSdlBackend::LoadMask(const char* path) { return mInitialised ? mMasks.fLoad(path) : -1; }
int CSdlBackend::GetGraphSize(int graph, int* width, int* height) { return mImages.fSize(graph, width, height); }
int CSdlBackend::DeleteGraph(int graph, int) { return mImages.fDelete(graph); }
int CSdlBackend::MakeGraph(int width, int height, int) { return mInitialised ? mImages.fMake(width, height) : -1; }
int CSdlBackend::GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int) {
  return mImages.fCopyFromScreen(x1, y1, x2, y2, graph);
}
int CSdlBackend::DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph) {
  return mImages.fDerive(srcX, srcY, width, height, srcGraph);
}
int CSdlBackend::DrawGraph(int x, int y, int graph, int trans) { return mImages.fDraw(x, y, graph, trans != 0, false); }
int CSdlBackend::DrawTurnGraph(int x, int y, int graph, int trans) {
  return mImages.fDraw(x, y, graph, trans != 0, true);
}
int CSdlBackend::DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) {
  return mImages.fDrawExtend(x1, y1, x2, y2, graph, trans != 0);
}
int CSdlBackend::DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn) {
  return mImages.fDrawRota(x, y, rate, angle, graph, trans != 0, turn != 0);
}
int CSdlBackend::DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill) {
  const int left = std::min(x1, x2), right = std::max(x1, x2);
  const int top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (fill != 0 || right - left <= 2 || bottom - top <= 2) {
    mRenderer.fFillRect(left, top, right, bottom, colour);
    return 0;
  }
  // Four strips that do not overlap, so a translucent outline is even.
  mRenderer.fFillRect(left, top, right, top + 1, colour);
  mRenderer.fFillRect(left, bottom - 1, right, bottom, colour);
  mRenderer.fFillRect(left, top + 1, left + 1, bottom - 1, colour);
  mRenderer.fFillRect(right - 1, top + 1, right, bottom - 1, colour);
  return 0;
}
int CSdlBackend::SetDrawBlendMode(int mode, int param) {
  mRenderer.fSetBlendMode(mode, param);
  return 0;
}
int CSdlBackend::SetDrawBright(int r, int g, int b) {
  mRenderer.fSetBright(r, g, b);
  return 0;
}
int CSdlBackend::SetDrawArea(int x1, int y1, int x2, int y2) {
  mRenderer.fSetDrawArea(x1, y1, x2, y2);
  return 0;
}

// ---- text ----

int CSdlBackend::CreateFontToHandle(const char* faceName, int size, int thick, int fontType, int, int, int, int) {
  return mFonts.fCreate(faceName, size, thick, fontType);
}
int CSdlBackend::DeleteFontToHandle(int font) { return mFonts.fDelete(font); }
int CSdlBackend::DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font,
                                    unsigned int edgeColour, int) {
  // Vertical writing is never asked for; text always runs across.
  return mFonts.fDraw(x, y, text, colour, font, edgeColour);
}
int CSdlBackend::DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) {
  return mFonts.fDrawDefault(x, y, text, colour, edgeColour);
}
int CSdlBackend::GetDrawStringWidthToHandle(const char* text, int length, int font, int) {
  return mFonts.fTextWidth(text, length, font);
}
int CSdlBackend::GetFontStateToHandle(char* faceName, int* size, int* thick, int font) {
  return mFonts.fState(faceName, size, thick, font);
}
int CSdlBackend::SetFontSize(int size) { return mFonts.fSetDefaultSize(size); }
int CSdlBackend::SetFontThickness(int thick) { return mFonts.fSetDefaultThickness(thick); }

// ---- text input ----

int CSdlBackend::MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag) {
  return mKeyInput.fMake(maxLength, cancelValidFlag != 0, singleCharOnlyFlag != 0, numCharOnlyFlag != 0);
}
int CSdlBackend::SetActiveKeyInput(int input) { return mKeyInput.fActivate(input); }
int CSdlBackend::CheckKeyInput(int input) { return mKeyInput.fCheck(input); }
int CSdlBackend::GetKeyInputString(char* buffer, int input) { return mKeyInput.fGetText(buffer, input); }
int CSdlBackend::DrawKeyInputString(int x, int y, int input) {
  return mInitialised ? mKeyInput.fDraw(x, y, input) : -1;
}
// Text comes through SDL's text input, which has no mode to show.
int CSdlBackend::DrawKeyInputModeString(int, int) { return 0; }
int CSdlBackend::DeleteKeyInput(int input) { return mKeyInput.fDelete(input); }
int CSdlBackend::SetKeyInputString(const char* text, int input) { return mKeyInput.fSetText(text, input); }

// ---- 3D ----

int CSdlBackend::MV1LoadModel(const char* path) { return mInitialised ? mModels.fLoad(path) : -1; }
int CSdlBackend::MV1DuplicateModel(int model) { return mModels.fDuplicate(model); }
int CSdlBackend::MV1DeleteModel(int model) { return mModels.fDelete(model); }
int CSdlBackend::MV1SetPosition(int model, VECTOR position) { return mModels.fSetPosition(model, position); }
int CSdlBackend::MV1SetRotationXYZ(int model, VECTOR rotation) { return mModels.fSetRotation(model, rotation); }
int CSdlBackend::MV1SetOpacityRate(int model, float rate) { return mModels.fSetOpacity(model, rate); }
int CSdlBackend::MV1SetDifColorScale(int model, COLOR_F scale) { return mModels.fSetColourScale(model, scale); }
int CSdlBackend::MV1DrawModel(int model) { return mInitialised ? mModels.fDraw(model) : -1; }
int CSdlBackend::SetupCamera_Perspective(float fov) {
  mModels.fSetFieldOfView(fov);
  return 0;
}
int CSdlBackend::SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up) {
  mModels.fSetCamera(position, target, up);
  return 0;
}
int CSdlBackend::SetCameraScreenCenter(float x, float y) {
  mModels.fSetScreenCentre(x, y);
  return 0;
}
int CSdlBackend::ChangeLightTypeDir(VECTOR direction) {
  mModels.fSetLightDirection(direction);
  return 0;
}

VECTOR CSdlBackend::ConvWorldPosToScreenPos(VECTOR position) {
  return fWorldToScreen(mModels.fCamera(), position, static_cast<float>(mRenderer.fWidth()),
                        static_cast<float>(mRenderer.fHeight()));
}

// ---- sound ----

// Sounds are always decoded into memory when loaded, whatever type is asked.
int CSdlBackend::SetCreateSoundDataType(int) { return 0; }
int CSdlBackend::LoadSoundMem(const char* path, int, int) { return mInitialised ? mSound.fLoad(path) : -1; }
int CSdlBackend::PlaySoundMem(int sound, int playType, int topPositionFlag) {
  return mSound.fPlay(sound, playType, topPositionFlag != 0);
}
int CSdlBackend::StopSoundMem(int sound) { return mSound.fStop(sound); }
int CSdlBackend::CheckSoundMem(int sound) { return mSound.fIsPlaying(sound); }
int CSdlBackend::ChangeVolumeSoundMem(int volume, int sound) { return mSound.fSetVolume(volume, sound); }
int CSdlBackend::SetFrequencySoundMem(int frequency, int sound) { return mSound.fSetFrequency(frequency, sound); }
int CSdlBackend::DeleteSoundMem(int sound, int) { return mSound.fDelete(sound); }

// ---- input and time ----

int CSdlBackend::CheckHitKey(int keyCode) { return mInitialised ? mInput.fCheckHitKey(keyCode) : 0; }
int CSdlBackend::GetJoypadInputState(int inputType) {
  return mInitialised && inputType == DX_INPUT_PAD1 ? mInput.fPadWord() : 0;
}
int CSdlBackend::GetJoypadNum() { return mInitialised ? mInput.fPadCount() : 0; }
int CSdlBackend::GetMouseInput() { return mInitialised ? mInput.fMouseButtons() : 0; }
int CSdlBackend::GetMousePoint(int* x, int* y) {
  if (!mInitialised) {
    if (x != nullptr) *x = 0;
    if (y != nullptr) *y = 0;
    return -1;
  }
  mInput.fMousePoint(mWindow.fHandle(), mScreenWidth, mScreenHeight, x, y);
  return 0;
}
int CSdlBackend::GetMouseWheelRotVol(int clearFlag) { return mInput.fWheel(clearFlag != 0); }
int CSdlBackend::GetNowCount(int) { return static_cast<int>(SDL_GetTicks()); }
int CSdlBackend::Sleep(int milliseconds) {
  if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
  return 0;
}
std::int64_t CSdlBackend::GetNowHiPerformanceCount() {
  static const double kMicrosecondsPerTick = 1e6 / static_cast<double>(SDL_GetPerformanceFrequency());
  return static_cast<std::int64_t>(static_cast<double>(SDL_GetPerformanceCounter()) * kMicrosecondsPerTick);
}
int CSdlBackend::GetWaitVSyncFlag() { return mWindow.fIsVSyncActive() ? 1 : 0; }
std::int64_t CSdlBackend::fGetUtcMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}
