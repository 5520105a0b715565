#include <utility>

#include "gamelib/FrameTiming.h"
#include "gamelib/GameLibBackend.h"
#include "util/Assert.h"

namespace {
// Not owned: a backend tears down the window system, which must never happen
// in a static destructor (after the display went away, say).
CGameLibBackend* gBackend = nullptr;
}

CGameLibBackend* fInstallBackend(CGameLibBackend* backend) { return std::exchange(gBackend, backend); }

CGameLibBackend& fBackend() {
  PLIMO_ASSERT(gBackend != nullptr, "game library used before a backend was installed");
  return *gBackend;
}

bool fHasBackend() { return gBackend != nullptr; }

int SetOutApplicationLogValidFlag(int flag) { return fBackend().SetOutApplicationLogValidFlag(flag); }
int SetWindowIconID(int id) { return fBackend().SetWindowIconID(id); }
int SetMainWindowText(const char* text) { return fBackend().SetMainWindowText(text); }
int SetGraphMode(int width, int height, int colourBits, int refreshRate) { return fBackend().SetGraphMode(width, height, colourBits, refreshRate); }
int ChangeWindowMode(int windowed) { return fBackend().ChangeWindowMode(windowed); }
int SetWindowSizeExtendRate(double rate) { return fBackend().SetWindowSizeExtendRate(rate); }
int GetWindowActiveFlag() { return fBackend().GetWindowActiveFlag(); }
int SetUseFPUPreserveFlag(int flag) { return fBackend().SetUseFPUPreserveFlag(flag); }
int SetWaitVSyncFlag(int flag) { return fBackend().SetWaitVSyncFlag(flag); }
int DxLib_Init() { return fBackend().DxLib_Init(); }
int DxLib_End() { return fBackend().DxLib_End(); }
int ProcessMessage() { return fBackend().ProcessMessage(); }
int SetDrawScreen(int screen) { return fBackend().SetDrawScreen(screen); }
int ClsDrawScreen() { return fBackend().ClsDrawScreen(); }
int ClearDrawScreen() { return fBackend().ClearDrawScreen(); }
int ScreenFlip() { return fBackend().ScreenFlip(); }
int FinishDrawScreen() { return fBackend().FinishDrawScreen(); }
int SetTransColor(int r, int g, int b) { return fBackend().SetTransColor(r, g, b); }
int SetDrawMode(int mode) { return fBackend().SetDrawMode(mode); }
int SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) { return fBackend().SaveDrawScreenToPNG(x1, y1, x2, y2, path); }
unsigned int GetColor(int r, int g, int b) { return fBackend().GetColor(r, g, b); }
int LoadGraph(const char* path, int notUse3DFlag) { return fBackend().LoadGraph(path, notUse3DFlag); }
int LoadMask(const char* path) { return fBackend().LoadMask(path); }
int GetGraphSize(int graph, int* width, int* height) { return fBackend().GetGraphSize(graph, width, height); }
int DeleteGraph(int graph, int logOutFlag) { return fBackend().DeleteGraph(graph, logOutFlag); }
int MakeGraph(int width, int height, int notUse3DFlag) { return fBackend().MakeGraph(width, height, notUse3DFlag); }
int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int useClientFlag) { return fBackend().GetDrawScreenGraph(x1, y1, x2, y2, graph, useClientFlag); }
int DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph) { return fBackend().DerivationGraph(srcX, srcY, width, height, srcGraph); }
int DrawGraph(int x, int y, int graph, int trans) { return fBackend().DrawGraph(x, y, graph, trans); }
int DrawTurnGraph(int x, int y, int graph, int trans) { return fBackend().DrawTurnGraph(x, y, graph, trans); }
int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) { return fBackend().DrawExtendGraph(x1, y1, x2, y2, graph, trans); }
int DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn) { return fBackend().DrawRotaGraph(x, y, rate, angle, graph, trans, turn); }
int DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill) { return fBackend().DrawBox(x1, y1, x2, y2, colour, fill); }
int SetDrawBlendMode(int mode, int param) { return fBackend().SetDrawBlendMode(mode, param); }
int SetDrawBright(int r, int g, int b) { return fBackend().SetDrawBright(r, g, b); }
int SetDrawArea(int x1, int y1, int x2, int y2) { return fBackend().SetDrawArea(x1, y1, x2, y2); }
int CreateFontToHandle(const char* faceName, int size, int thick, int fontType, int charSet, int edgeSize, int italic, int handle) { return fBackend().CreateFontToHandle(faceName, size, thick, fontType, charSet, edgeSize, italic, handle); }
int DeleteFontToHandle(int font) { return fBackend().DeleteFontToHandle(font); }
int DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font, unsigned int edgeColour, int verticalFlag) { return fBackend().DrawStringToHandle(x, y, text, colour, font, edgeColour, verticalFlag); }
int DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) { return fBackend().DrawString(x, y, text, colour, edgeColour); }
int GetDrawStringWidthToHandle(const char* text, int length, int font, int verticalFlag) { return fBackend().GetDrawStringWidthToHandle(text, length, font, verticalFlag); }
int GetFontStateToHandle(char* faceName, int* size, int* thick, int font) { return fBackend().GetFontStateToHandle(faceName, size, thick, font); }
int SetFontSize(int size) { return fBackend().SetFontSize(size); }
int SetFontThickness(int thick) { return fBackend().SetFontThickness(thick); }
int MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag) { return fBackend().MakeKeyInput(maxLength, cancelValidFlag, singleCharOnlyFlag, numCharOnlyFlag); }
int SetActiveKeyInput(int input) { return fBackend().SetActiveKeyInput(input); }
int CheckKeyInput(int input) { return fBackend().CheckKeyInput(input); }
int GetKeyInputString(char* buffer, int input) { return fBackend().GetKeyInputString(buffer, input); }
int DrawKeyInputString(int x, int y, int input) { return fBackend().DrawKeyInputString(x, y, input); }
int DrawKeyInputModeString(int x, int y) { return fBackend().DrawKeyInputModeString(x, y); }
int SetKeyInputString(const char* text, int input) { return fBackend().SetKeyInputString(text, input); }
int DeleteKeyInput(int input) { return fBackend().DeleteKeyInput(input); }
int MV1LoadModel(const char* path) { return fBackend().MV1LoadModel(path); }
int MV1DuplicateModel(int model) { return fBackend().MV1DuplicateModel(model); }
int MV1DeleteModel(int model) { return fBackend().MV1DeleteModel(model); }
int MV1SetPosition(int model, VECTOR position) { return fBackend().MV1SetPosition(model, position); }
int MV1SetRotationXYZ(int model, VECTOR rotation) { return fBackend().MV1SetRotationXYZ(model, rotation); }
int MV1SetOpacityRate(int model, float rate) { return fBackend().MV1SetOpacityRate(model, rate); }
int MV1SetDifColorScale(int model, COLOR_F scale) { return fBackend().MV1SetDifColorScale(model, scale); }
int MV1DrawModel(int model) { return fBackend().MV1DrawModel(model); }
int SetupCamera_Perspective(float fov) { return fBackend().SetupCamera_Perspective(fov); }
int SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up) { return fBackend().SetCameraPositionAndTargetAndUpVec(position, target, up); }
int SetCameraScreenCenter(float x, float y) { return fBackend().SetCameraScreenCenter(x, y); }
int ChangeLightTypeDir(VECTOR direction) { return fBackend().ChangeLightTypeDir(direction); }
VECTOR ConvWorldPosToScreenPos(VECTOR position) { return fBackend().ConvWorldPosToScreenPos(position); }
int SetCreateSoundDataType(int type) { return fBackend().SetCreateSoundDataType(type); }
int LoadSoundMem(const char* path, int bufferNum, int unionHandle) { return fBackend().LoadSoundMem(path, bufferNum, unionHandle); }
int PlaySoundMem(int sound, int playType, int topPositionFlag) { return fBackend().PlaySoundMem(sound, playType, topPositionFlag); }
int StopSoundMem(int sound) { return fBackend().StopSoundMem(sound); }
int CheckSoundMem(int sound) { return fBackend().CheckSoundMem(sound); }
int ChangeVolumeSoundMem(int volume, int sound) { return fBackend().ChangeVolumeSoundMem(volume, sound); }
int SetFrequencySoundMem(int frequency, int sound) { return fBackend().SetFrequencySoundMem(frequency, sound); }
int DeleteSoundMem(int sound, int logOutFlag) { return fBackend().DeleteSoundMem(sound, logOutFlag); }
int CheckHitKey(int keyCode) { return fBackend().CheckHitKey(keyCode); }
int GetJoypadInputState(int inputType) { return fBackend().GetJoypadInputState(inputType); }
int GetJoypadNum() { return fBackend().GetJoypadNum(); }
int GetMouseInput() { return fBackend().GetMouseInput(); }
int GetMousePoint(int* x, int* y) { return fBackend().GetMousePoint(x, y); }
int GetMouseWheelRotVol(int clearFlag) { return fBackend().GetMouseWheelRotVol(clearFlag); }
int GetNowCount(int useRDTSCFlag) { return fBackend().GetNowCount(useRDTSCFlag); }
int Sleep(int milliseconds) { return fBackend().Sleep(milliseconds); }
std::int64_t GetNowHiPerformanceCount() { return fBackend().GetNowHiPerformanceCount(); }
int GetWaitVSyncFlag() { return fBackend().GetWaitVSyncFlag(); }
std::int64_t fGetUtcMilliseconds() { return fBackend().fGetUtcMilliseconds(); }