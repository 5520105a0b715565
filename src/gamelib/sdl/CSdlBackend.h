// The game library on SDL2, SDL2_mixer and OpenGL 3.3: the window, the back
// screen with 2D drawing and 3D models, fonts, text input, sound, keyboard,
// pads and mouse, and the clock. Every kind of handle comes from one
// counter, so a handle of one kind is never mistaken for another.
#pragma once

#include <cstdint>
#include <string>

#include "gamelib/GameLibBackend.h"
#include "gamelib/sdl/CGlModels.h"
#include "gamelib/sdl/CGlRenderer.h"
#include "gamelib/sdl/CSdlFonts.h"
#include "gamelib/sdl/CSdlImages.h"
#include "gamelib/sdl/CSdlInput.h"
#include "gamelib/sdl/CSdlKeyInput.h"
#include "gamelib/sdl/CSdlMasks.h"
#include "gamelib/sdl/CSdlSound.h"
#include "gamelib/sdl/CSdlWindow.h"

class CSdlBackend : public CGameLibBackend {
 public:
  CSdlBackend();
  ~CSdlBackend() override;
  CSdlBackend(const CSdlBackend&) = delete;
  CSdlBackend& operator=(const CSdlBackend&) = delete;

  // ---- the game library ----
  int SetOutApplicationLogValidFlag(int flag) override;
  int SetWindowIconID(int id) override;
  int SetMainWindowText(const char* text) override;
  int SetGraphMode(int width, int height, int colourBits, int refreshRate) override;
  int ChangeWindowMode(int windowed) override;
  int SetWindowSizeExtendRate(double rate) override;
  int GetWindowActiveFlag() override;
  int SetUseFPUPreserveFlag(int flag) override;
  int SetWaitVSyncFlag(int flag) override;
  int DxLib_Init() override;
  int DxLib_End() override;
  int ProcessMessage() override;
  int SetDrawScreen(int screen) override;
  int ClsDrawScreen() override;
  int ClearDrawScreen() override;
  int ScreenFlip() override;
  int FinishDrawScreen() override;
  int SetTransColor(int r, int g, int b) override;
  int SetDrawMode(int mode) override;
  int SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) override;
  unsigned int GetColor(int r, int g, int b) override;
  int LoadGraph(const char* path, int notUse3DFlag) override;
  int LoadMask(const char* path) override;
  int GetGraphSize(int graph, int* width, int* height) override;
  int DeleteGraph(int graph, int logOutFlag) override;
  int MakeGraph(int width, int height, int notUse3DFlag) override;
  int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int useClientFlag) override;
  int DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph) override;
  int DrawGraph(int x, int y, int graph, int trans) override;
  int DrawTurnGraph(int x, int y, int graph, int trans) override;
  int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) override;
  int DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn) override;
  int DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill) override;
  int SetDrawBlendMode(int mode, int param) override;
  int SetDrawBright(int r, int g, int b) override;
  int SetDrawArea(int x1, int y1, int x2, int y2) override;
  int CreateFontToHandle(const char* faceName, int size, int thick, int fontType, int charSet,
                         int edgeSize, int italic, int handle) override;
  int DeleteFontToHandle(int font) override;
  int DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font,
                         unsigned int edgeColour, int verticalFlag) override;
  int DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) override;
  int GetDrawStringWidthToHandle(const char* text, int length, int font, int verticalFlag) override;
  int GetFontStateToHandle(char* faceName, int* size, int* thick, int font) override;
  int SetFontSize(int size) override;
  int SetFontThickness(int thick) override;
  int MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag) override;
  int SetActiveKeyInput(int input) override;
  int CheckKeyInput(int input) override;
  int GetKeyInputString(char* buffer, int input) override;
  int DrawKeyInputString(int x, int y, int input) override;
  int DrawKeyInputModeString(int x, int y) override;
  int DeleteKeyInput(int input) override;
  int SetKeyInputString(const char* text, int input) override;
  int MV1LoadModel(const char* path) override;
  int MV1DuplicateModel(int model) override;
  int MV1DeleteModel(int model) override;
  int MV1SetPosition(int model, VECTOR position) override;
  int MV1SetRotationXYZ(int model, VECTOR rotation) override;
  int MV1SetOpacityRate(int model, float rate) override;
  int MV1SetDifColorScale(int model, COLOR_F scale) override;
  int MV1DrawModel(int model) override;
  int SetupCamera_Perspective(float fov) override;
  int SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up) override;
  int SetCameraScreenCenter(float x, float y) override;
  int ChangeLightTypeDir(VECTOR direction) override;
  VECTOR ConvWorldPosToScreenPos(VECTOR position) override;
  int SetCreateSoundDataType(int type) override;
  int LoadSoundMem(const char* path, int bufferNum, int unionHandle) override;
  int PlaySoundMem(int sound, int playType, int topPositionFlag) override;
  int StopSoundMem(int sound) override;
  int CheckSoundMem(int sound) override;
  int ChangeVolumeSoundMem(int volume, int sound) override;
  int SetFrequencySoundMem(int frequency, int sound) override;
  int DeleteSoundMem(int sound, int logOutFlag) override;
  int CheckHitKey(int keyCode) override;
  int GetJoypadInputState(int inputType) override;
  int GetJoypadNum() override;
  int GetMouseInput() override;
  int GetMousePoint(int* x, int* y) override;
  int GetMouseWheelRotVol(int clearFlag) override;
  int GetNowCount(int useRDTSCFlag) override;
  int Sleep(int milliseconds) override;
  std::int64_t GetNowHiPerformanceCount() override;
  int GetWaitVSyncFlag() override;
  std::int64_t fGetUtcMilliseconds() override;

  // For tests and tools: the open window, the number of live pictures and
  // cached strings.
  SDL_Window* fWindow() const { return mWindow.fHandle(); }
  int fGraphCount() const { return mImages.fCount(); }
  int fGraphTextureCount() const { return mImages.fTextureCount(); }
  long fPiecesSent() const { return mRenderer.fPiecesSent(); }
  std::size_t fCachedTextCount() const { return mFonts.fCachedTextCount(); }
  int fModelCount() const { return mModels.fCount(); }
  int fSoundCount() const { return mSound.fCount(); }
  int fDecodedSoundCount() const { return mSound.fDecodedCount(); }
  int fOpenSoundStreamCount() const { return mSound.fOpenStreamCount(); }

 private:
  static constexpr int kFramesBetweenReleases = 15;
  int mFramesSinceRelease = 0;

  bool fStartSdl();

  bool mInitialised = false;
  bool mFinished = false;  // the picture is in the window's back buffer already
  // Only a focus event clears it: a window under a bare X server never gets one.
  bool mActive = true;
  bool mClosed = false;
  int mScreenWidth = 640;
  int mScreenHeight = 480;
  int mNextHandle = 1;
  CSdlWindow mWindow;
  CGlRenderer mRenderer;
  CSdlImages mImages{mRenderer, mNextHandle};
  CSdlFonts mFonts{mRenderer, mNextHandle};
  CSdlInput mInput;
  CGlModels mModels{mRenderer, mNextHandle};
  CSdlSound mSound{mNextHandle};
  CSdlKeyInput mKeyInput{mRenderer, mFonts, mNextHandle};
  CSdlMasks mMasks{mNextHandle};
};
