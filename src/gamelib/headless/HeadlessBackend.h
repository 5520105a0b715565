// The headless game library: no window, no GPU, no audio. A manual clock,
// scripted keyboard, pad, mouse and text input, and an optional log of every
// call ("SetDrawBlendMode(1, 128)"), so tests can check what was drawn and a
// whole game can be simulated at full speed with the log switched off.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gamelib/GameLibBackend.h"
#include "gamelib/TextMeasure.h"

class CHeadlessBackend : public CGameLibBackend {
 public:
  struct SDrawState {
    int blendMode = DX_BLENDMODE_NOBLEND;
    int blendParam = 0;
    int brightR = 255, brightG = 255, brightB = 255;
    int areaX1 = 0, areaY1 = 0, areaX2 = 640, areaY2 = 480;
    int drawMode = DX_DRAWMODE_NEAREST;
  };

  // The 3D view as last set, so that tests can project what the stage
  // places with the renderer's own maths.
  struct SCameraState {
    float fieldOfView = 0.0f;  // radians
    VECTOR eye{};
    VECTOR target{};
    VECTOR up{};
    float centreX = 320.0f;
    float centreY = 240.0f;
    VECTOR lightDirection{};
  };

  // What a logged frame put on the screen, in drawing order: each string's
  // box as the conservative measure gives it (an edge included), each
  // picture's and each filled box's rectangle, with the clip in force.
  struct SDrawnItem {
    enum class EKind { Text, Picture, Box };
    EKind kind = EKind::Text;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;  // Text
    int graph = -1;    // Picture
    int blendMode = DX_BLENDMODE_NOBLEND;
    int blendParam = 0;
    int clipX1 = 0, clipY1 = 0, clipX2 = 640, clipY2 = 480;
    unsigned int colour = 0;  // a text's or a box's colour (0xRRGGBB)
    int fontSize = 0;         // a text's
  };

  CHeadlessBackend();

  // ---- scripting, for tests and simulations ----
  void fSetLogging(bool on) { mLogging = on; }
  const std::vector<std::string>& fLog() const { return mLog; }
  void fClearLog() {
    mLog.clear();
    mDrawn.clear();
  }
  const std::vector<SDrawnItem>& fDrawn() const { return mDrawn; }
  void fClearDrawn() { mDrawn.clear(); }
  // A picture made with MakeGraph (a window's rendered background), not loaded.
  bool fIsMadeGraph(int graph) const {
    const auto it = mGraphs.find(graph);
    return it != mGraphs.end() && it->second.made;
  }
  // The logged calls whose name is one of the given ones, in order.
  std::vector<std::string> fLogOf(const std::vector<std::string>& names) const;

  // The clock runs in microseconds; GetNowCount reads whole milliseconds.
  void fSetNow(int milliseconds) { mNow = std::int64_t{milliseconds} * 1000; }
  void fAdvanceClock(int milliseconds) { mNow += std::int64_t{milliseconds} * 1000; }
  void fAdvanceClockMicroseconds(std::int64_t microseconds) { mNow += microseconds; }
  // Whether buffer swaps wait for the display, as a GL with vsync would.
  void fSetVSyncWorks(bool works) { mVSyncWorks = works; }
  // A display refreshing this often (0: none): while vsync is granted, a
  // flip moves the clock on to the display's next refresh.
  void fSetRefreshRate(double hertz) { mRefreshHertz = hertz; }
  int fNow() const { return static_cast<int>(mNow / 1000); }
  std::int64_t fNowMicroseconds() const { return mNow; }
  void fSetUtcBase(std::int64_t milliseconds) { mUtcBase = milliseconds; }
  int fTotalSlept() const { return mTotalSlept; }

  void fSetKey(int keyCode, bool down);
  void fReleaseAllKeys();
  void fSetPad(int padWord) { mPad = padWord; }
  void fSetPadCount(int count) { mPadCount = count; }
  void fSetMouse(int x, int y, int buttons) { mMouseX = x, mMouseY = y, mMouseButtons = buttons; }
  void fAddWheel(int notches) { mWheel += notches; }
  void fCloseWindow() { mWindowClosed = true; }
  void fSetWindowActive(bool active) { mWindowActive = active; }
  void fFailInit(bool fail) { mFailInit = fail; }

  // Text input: typed into the active key-input field.
  void fTypeText(const std::string& text);
  void fFinishTyping() { fSetInputState(1); }
  void fCancelTyping() { fSetInputState(2); }

  const SDrawState& fDrawState() const { return mState; }
  const SCameraState& fCameraState() const { return mCamera; }
  bool fIsStateNeutral() const;
  int fLiveModelCount() const { return static_cast<int>(mModels.size()); }
  int fLiveGraphCount() const { return static_cast<int>(mGraphs.size()); }
  bool fIsSoundPlaying(int sound) const;
  int fFlipCount() const { return mFlips; }
  // A model as it stands: its file, position, rotation, opacity and colour.
  std::string fDescribeModel(int handle) const;
  // The camera and light as last set, as text: what a 3D frame is seen from.
  std::string fDescribeView() const;

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
  int FinishDrawScreen() override { return 0; }
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
  int GetJoypadNum() override { return mPadCount; }
  int GetMouseInput() override;
  int GetMousePoint(int* x, int* y) override;
  int GetMouseWheelRotVol(int clearFlag) override;
  int GetNowCount(int useRDTSCFlag) override;
  int Sleep(int milliseconds) override;
  std::int64_t GetNowHiPerformanceCount() override { return mNow; }
  int GetWaitVSyncFlag() override { return mVSync; }
  std::int64_t fGetUtcMilliseconds() override;

 private:
  struct SGraph {
    int width = 0;
    int height = 0;
    bool made = false;
  };
  struct SKeyInput {
    int maxLength = 0;
    bool singleByteOnly = false;
    std::string text;
    int state = 0;
  };

  template <typename... TArgs>
  void fRecord(const char* name, const TArgs&... args);
  void fSetInputState(int state);
  void fNoteText(int x, int y, const char* text, const STextFace& face, unsigned int colour = 0xFFFFFF);
  void fNoteRect(SDrawnItem::EKind kind, int x1, int y1, int x2, int y2, int graph, unsigned int colour = 0);
  int fNewGraph(int width, int height);

  bool mLogging = false;
  std::vector<std::string> mLog;
  std::int64_t mNow = 0;  // microseconds
  int mVSync = 0;
  bool mVSyncWorks = false;
  double mRefreshHertz = 0.0;
  int mTotalSlept = 0;
  std::int64_t mUtcBase = 1'700'000'000'000;
  std::array<bool, KEY_CODE_COUNT> mKeys{};
  int mPad = 0;
  int mPadCount = 0;
  int mMouseX = 0, mMouseY = 0, mMouseButtons = 0, mWheel = 0;
  bool mWindowClosed = false;
  bool mWindowActive = true;
  bool mFailInit = false;
  int mFlips = 0;
  SDrawState mState;
  SCameraState mCamera;
  int mNextHandle = 1;
  std::map<int, SGraph> mGraphs;
  std::map<int, STextFace> mFonts;
  std::vector<SDrawnItem> mDrawn;
  std::map<int, SKeyInput> mKeyInputs;
  int mActiveKeyInput = -1;
  int mDefaultFontSize = 16;
  struct SModel {
    std::string path;
    VECTOR position{};
    VECTOR rotation{};
    float opacity = 1.0f;
    COLOR_F colour{1.0f, 1.0f, 1.0f, 1.0f};
  };
  SModel* fModel(int handle);
  std::map<int, SModel> mModels;
  std::map<int, bool> mSounds;  // handle -> playing
};
