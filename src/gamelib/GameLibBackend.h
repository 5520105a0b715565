// The interface a game-library backend implements. GameLib.h's free
// functions forward to the backend installed with fInstallBackend.
#pragma once

#include <cstdint>
#include <memory>

#include "gamelib/GameLib.h"

class CGameLibBackend {
 public:
  virtual ~CGameLibBackend() = default;

  virtual int SetOutApplicationLogValidFlag(int flag) = 0;
  virtual int SetWindowIconID(int id) = 0;
  virtual int SetMainWindowText(const char* text) = 0;
  virtual int SetGraphMode(int width, int height, int colourBits, int refreshRate) = 0;
  virtual int ChangeWindowMode(int windowed) = 0;
  virtual int SetWindowSizeExtendRate(double rate) = 0;
  virtual int GetWindowActiveFlag() = 0;
  virtual int SetUseFPUPreserveFlag(int flag) = 0;
  virtual int SetWaitVSyncFlag(int flag) = 0;
  virtual int DxLib_Init() = 0;
  virtual int DxLib_End() = 0;
  virtual int ProcessMessage() = 0;
  virtual int SetDrawScreen(int screen) = 0;
  virtual int ClsDrawScreen() = 0;
  virtual int ClearDrawScreen() = 0;
  virtual int ScreenFlip() = 0;
  virtual int FinishDrawScreen() = 0;
  virtual int SetTransColor(int r, int g, int b) = 0;
  virtual int SetDrawMode(int mode) = 0;
  virtual int SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) = 0;
  virtual unsigned int GetColor(int r, int g, int b) = 0;
  virtual int LoadGraph(const char* path, int notUse3DFlag) = 0;
  virtual int LoadMask(const char* path) = 0;
  virtual int GetGraphSize(int graph, int* width, int* height) = 0;
  virtual int DeleteGraph(int graph, int logOutFlag) = 0;
  virtual int MakeGraph(int width, int height, int notUse3DFlag) = 0;
  virtual int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int useClientFlag) = 0;
  virtual int DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph) = 0;
  virtual int DrawGraph(int x, int y, int graph, int trans) = 0;
  virtual int DrawTurnGraph(int x, int y, int graph, int trans) = 0;
  virtual int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) = 0;
  virtual int DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn) = 0;
  virtual int DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill) = 0;
  virtual int SetDrawBlendMode(int mode, int param) = 0;
  virtual int SetDrawBright(int r, int g, int b) = 0;
  virtual int SetDrawArea(int x1, int y1, int x2, int y2) = 0;
  virtual int CreateFontToHandle(const char* faceName, int size, int thick, int fontType, int charSet, int edgeSize, int italic, int handle) = 0;
  virtual int DeleteFontToHandle(int font) = 0;
  virtual int DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font, unsigned int edgeColour, int verticalFlag) = 0;
  virtual int DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) = 0;
  virtual int GetDrawStringWidthToHandle(const char* text, int length, int font, int verticalFlag) = 0;
  virtual int GetFontStateToHandle(char* faceName, int* size, int* thick, int font) = 0;
  virtual int SetFontSize(int size) = 0;
  virtual int SetFontThickness(int thick) = 0;
  virtual int MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag) = 0;
  virtual int SetActiveKeyInput(int input) = 0;
  virtual int CheckKeyInput(int input) = 0;
  virtual int GetKeyInputString(char* buffer, int input) = 0;
  virtual int DrawKeyInputString(int x, int y, int input) = 0;
  virtual int DrawKeyInputModeString(int x, int y) = 0;
  virtual int DeleteKeyInput(int input) = 0;
  virtual int SetKeyInputString(const char* text, int input) = 0;
  virtual int MV1LoadModel(const char* path) = 0;
  virtual int MV1DuplicateModel(int model) = 0;
  virtual int MV1DeleteModel(int model) = 0;
  virtual int MV1SetPosition(int model, VECTOR position) = 0;
  virtual int MV1SetRotationXYZ(int model, VECTOR rotation) = 0;
  virtual int MV1SetOpacityRate(int model, float rate) = 0;
  virtual int MV1SetDifColorScale(int model, COLOR_F scale) = 0;
  virtual int MV1DrawModel(int model) = 0;
  virtual int SetupCamera_Perspective(float fov) = 0;
  virtual int SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up) = 0;
  virtual int SetCameraScreenCenter(float x, float y) = 0;
  virtual int ChangeLightTypeDir(VECTOR direction) = 0;
  virtual VECTOR ConvWorldPosToScreenPos(VECTOR position) = 0;
  virtual int SetCreateSoundDataType(int type) = 0;
  virtual int LoadSoundMem(const char* path, int bufferNum, int unionHandle) = 0;
  virtual int PlaySoundMem(int sound, int playType, int topPositionFlag) = 0;
  virtual int StopSoundMem(int sound) = 0;
  virtual int CheckSoundMem(int sound) = 0;
  virtual int ChangeVolumeSoundMem(int volume, int sound) = 0;
  virtual int SetFrequencySoundMem(int frequency, int sound) = 0;
  virtual int DeleteSoundMem(int sound, int logOutFlag) = 0;
  virtual int CheckHitKey(int keyCode) = 0;
  virtual int GetJoypadInputState(int inputType) = 0;
  virtual int GetJoypadNum() = 0;
  virtual int GetMouseInput() = 0;
  virtual int GetMousePoint(int* x, int* y) = 0;
  virtual int GetMouseWheelRotVol(int clearFlag) = 0;
  virtual int GetNowCount(int useRDTSCFlag) = 0;
  virtual int Sleep(int milliseconds) = 0;
  virtual std::int64_t GetNowHiPerformanceCount() = 0;
  virtual int GetWaitVSyncFlag() = 0;
  virtual std::int64_t fGetUtcMilliseconds() = 0;};

// Installs the backend every game-library call goes to; returns the previous one.
CGameLibBackend* fInstallBackend(CGameLibBackend* backend);
// The installed backend; calling the library without one is a programming error.
CGameLibBackend& fBackend();
bool fHasBackend();
