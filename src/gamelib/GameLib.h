// The game library: every window, drawing, model, font, sound, input and
// clock call the game makes. The calls keep the names and argument order the
// game was designed against; they forward to the installed backend (the SDL2 +
// OpenGL one for play, the headless one for tests and replay checking).
#pragma once

#include <cstdint>

// ---- value types -----------------------------------------------------------

struct VECTOR {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct COLOR_F {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float a = 0.0f;
};

inline VECTOR VGet(float x, float y, float z) { return VECTOR{x, y, z}; }
inline COLOR_F GetColorF(float r, float g, float b, float a) { return COLOR_F{r, g, b, a}; }

// ---- constants -------------------------------------------------------------

constexpr int DX_SCREEN_BACK = -2;

constexpr int DX_BLENDMODE_NOBLEND = 0;
constexpr int DX_BLENDMODE_ALPHA = 1;
constexpr int DX_BLENDMODE_ADD = 2;

constexpr int DX_DRAWMODE_NEAREST = 0;
constexpr int DX_DRAWMODE_BILINEAR = 1;

constexpr int DX_FONTTYPE_NORMAL = 0;
constexpr int DX_FONTTYPE_EDGE = 1;
constexpr int DX_FONTTYPE_ANTIALIASING = 2;
constexpr int DX_FONTTYPE_ANTIALIASING_EDGE = 3;

constexpr int DX_PLAYTYPE_NORMAL = 0;
constexpr int DX_PLAYTYPE_BACK = 1;
constexpr int DX_PLAYTYPE_LOOP = 3;

constexpr int DX_SOUNDDATATYPE_MEMNOPRESS = 0;
constexpr int DX_SOUNDDATATYPE_MEMPRESS = 2;

constexpr int DX_INPUT_PAD1 = 1;

// Pad state word: directions in the low nibble, then one bit per button.
constexpr int PAD_INPUT_DOWN = 0x1;
constexpr int PAD_INPUT_LEFT = 0x2;
constexpr int PAD_INPUT_RIGHT = 0x4;
constexpr int PAD_INPUT_UP = 0x8;
constexpr int PAD_INPUT_1 = 0x10;
constexpr int PAD_INPUT_2 = 0x20;
constexpr int PAD_INPUT_3 = 0x40;
constexpr int PAD_INPUT_4 = 0x80;
constexpr int PAD_INPUT_5 = 0x100;
constexpr int PAD_INPUT_6 = 0x200;
constexpr int PAD_INPUT_7 = 0x400;
constexpr int PAD_INPUT_8 = 0x800;
constexpr int PAD_INPUT_9 = 0x1000;
constexpr int PAD_INPUT_10 = 0x2000;

constexpr int MOUSE_INPUT_LEFT = 0x1;
constexpr int MOUSE_INPUT_RIGHT = 0x2;
constexpr int MOUSE_INPUT_MIDDLE = 0x4;

// Keyboard codes (the classic scan-code numbering).
constexpr int KEY_INPUT_ESCAPE = 0x01;
constexpr int KEY_INPUT_1 = 0x02;
constexpr int KEY_INPUT_2 = 0x03;
constexpr int KEY_INPUT_3 = 0x04;
constexpr int KEY_INPUT_4 = 0x05;
constexpr int KEY_INPUT_5 = 0x06;
constexpr int KEY_INPUT_6 = 0x07;
constexpr int KEY_INPUT_7 = 0x08;
constexpr int KEY_INPUT_8 = 0x09;
constexpr int KEY_INPUT_9 = 0x0A;
constexpr int KEY_INPUT_0 = 0x0B;
constexpr int KEY_INPUT_MINUS = 0x0C;
constexpr int KEY_INPUT_BACK = 0x0E;
constexpr int KEY_INPUT_TAB = 0x0F;
constexpr int KEY_INPUT_Q = 0x10;
constexpr int KEY_INPUT_W = 0x11;
constexpr int KEY_INPUT_E = 0x12;
constexpr int KEY_INPUT_R = 0x13;
constexpr int KEY_INPUT_T = 0x14;
constexpr int KEY_INPUT_Y = 0x15;
constexpr int KEY_INPUT_U = 0x16;
constexpr int KEY_INPUT_I = 0x17;
constexpr int KEY_INPUT_O = 0x18;
constexpr int KEY_INPUT_P = 0x19;
constexpr int KEY_INPUT_LBRACKET = 0x1A;
constexpr int KEY_INPUT_RBRACKET = 0x1B;
constexpr int KEY_INPUT_RETURN = 0x1C;
constexpr int KEY_INPUT_LCONTROL = 0x1D;
constexpr int KEY_INPUT_A = 0x1E;
constexpr int KEY_INPUT_S = 0x1F;
constexpr int KEY_INPUT_D = 0x20;
constexpr int KEY_INPUT_F = 0x21;
constexpr int KEY_INPUT_G = 0x22;
constexpr int KEY_INPUT_H = 0x23;
constexpr int KEY_INPUT_J = 0x24;
constexpr int KEY_INPUT_K = 0x25;
constexpr int KEY_INPUT_L = 0x26;
constexpr int KEY_INPUT_SEMICOLON = 0x27;
constexpr int KEY_INPUT_LSHIFT = 0x2A;
constexpr int KEY_INPUT_BACKSLASH = 0x2B;
constexpr int KEY_INPUT_Z = 0x2C;
constexpr int KEY_INPUT_X = 0x2D;
constexpr int KEY_INPUT_C = 0x2E;
constexpr int KEY_INPUT_V = 0x2F;
constexpr int KEY_INPUT_B = 0x30;
constexpr int KEY_INPUT_N = 0x31;
constexpr int KEY_INPUT_M = 0x32;
constexpr int KEY_INPUT_COMMA = 0x33;
constexpr int KEY_INPUT_PERIOD = 0x34;
constexpr int KEY_INPUT_SLASH = 0x35;
constexpr int KEY_INPUT_RSHIFT = 0x36;
constexpr int KEY_INPUT_LALT = 0x38;
constexpr int KEY_INPUT_SPACE = 0x39;
constexpr int KEY_INPUT_F1 = 0x3B;
constexpr int KEY_INPUT_F2 = 0x3C;
constexpr int KEY_INPUT_F3 = 0x3D;
constexpr int KEY_INPUT_F4 = 0x3E;
constexpr int KEY_INPUT_F5 = 0x3F;
constexpr int KEY_INPUT_F6 = 0x40;
constexpr int KEY_INPUT_F7 = 0x41;
constexpr int KEY_INPUT_F8 = 0x42;
constexpr int KEY_INPUT_F9 = 0x43;
constexpr int KEY_INPUT_F10 = 0x44;
constexpr int KEY_INPUT_F11 = 0x57;
constexpr int KEY_INPUT_F12 = 0x58;
constexpr int KEY_INPUT_NUMPADENTER = 0x9C;
constexpr int KEY_INPUT_RCONTROL = 0x9D;
constexpr int KEY_INPUT_RALT = 0xB8;
constexpr int KEY_INPUT_PAUSE = 0xC5;
constexpr int KEY_INPUT_HOME = 0xC7;
constexpr int KEY_INPUT_UP = 0xC8;
constexpr int KEY_INPUT_PGUP = 0xC9;
constexpr int KEY_INPUT_LEFT = 0xCB;
constexpr int KEY_INPUT_RIGHT = 0xCD;
constexpr int KEY_INPUT_END = 0xCF;
constexpr int KEY_INPUT_DOWN = 0xD0;
constexpr int KEY_INPUT_PGDN = 0xD1;
constexpr int KEY_INPUT_INSERT = 0xD2;
constexpr int KEY_INPUT_DELETE = 0xD3;
constexpr int KEY_CODE_COUNT = 256;

// ---- set-up and frame ------------------------------------------------------

int SetOutApplicationLogValidFlag(int flag);
int SetWindowIconID(int id);
int SetMainWindowText(const char* text);
int SetGraphMode(int width, int height, int colourBits, int refreshRate);
// Before DxLib_Init it chooses the first window; afterwards it switches at once.
int ChangeWindowMode(int windowed);
// The window's size as a multiple of the screen's (1.0, 1.5, 2.0); windowed only.
int SetWindowSizeExtendRate(double rate);
// 1 while the window has the keyboard focus.
int GetWindowActiveFlag();
int SetUseFPUPreserveFlag(int flag);
int SetWaitVSyncFlag(int flag);
int DxLib_Init();
int DxLib_End();
int ProcessMessage();
int SetDrawScreen(int screen);
int ClsDrawScreen();
int ClearDrawScreen();
int ScreenFlip();
// Ours: renders the drawn picture into the window's back buffer now and
// waits until it is done, so that the ScreenFlip after it only shows it and
// can be timed to the moment the picture is due.
int FinishDrawScreen();
int SetTransColor(int r, int g, int b);
int SetDrawMode(int mode);
// Writes the back screen's rectangle (x1, y1)-(x2, y2) as a PNG file.
int SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path);

// ---- 2D drawing ------------------------------------------------------------

unsigned int GetColor(int r, int g, int b);
int LoadGraph(const char* path, int notUse3DFlag = 0);
int LoadMask(const char* path);
int GetGraphSize(int graph, int* width, int* height);
int DeleteGraph(int graph, int logOutFlag = 0);
int MakeGraph(int width, int height, int notUse3DFlag = 0);
int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int useClientFlag = 1);
int DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph);
int DrawGraph(int x, int y, int graph, int trans);
int DrawTurnGraph(int x, int y, int graph, int trans);
int DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans);
int DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn = 0);
int DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill);
int SetDrawBlendMode(int mode, int param);
int SetDrawBright(int r, int g, int b);
int SetDrawArea(int x1, int y1, int x2, int y2);

// ---- text ------------------------------------------------------------------

// A null face name asks for the default face (one that draws Japanese).
int CreateFontToHandle(const char* faceName, int size, int thick, int fontType = -1,
                       int charSet = -1, int edgeSize = -1, int italic = 0, int handle = -1);
int DeleteFontToHandle(int font);
int DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font,
                       unsigned int edgeColour = 0, int verticalFlag = 0);
int DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour = 0);
int GetDrawStringWidthToHandle(const char* text, int length, int font, int verticalFlag = 0);
int GetFontStateToHandle(char* faceName, int* size, int* thick, int font);
int SetFontSize(int size);
int SetFontThickness(int thick);

// ---- text input ------------------------------------------------------------

// CheckKeyInput: 0 while typing, 1 when finished with Enter, 2 when cancelled.
int MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag);
int SetActiveKeyInput(int input);
int CheckKeyInput(int input);
int GetKeyInputString(char* buffer, int input);
int DrawKeyInputString(int x, int y, int input);
int DrawKeyInputModeString(int x, int y);
int DeleteKeyInput(int input);
// Replaces the field's text (cut to its length, by its rules).
int SetKeyInputString(const char* text, int input);

// ---- 3D --------------------------------------------------------------------

int MV1LoadModel(const char* path);
int MV1DuplicateModel(int model);
int MV1DeleteModel(int model);
int MV1SetPosition(int model, VECTOR position);
int MV1SetRotationXYZ(int model, VECTOR rotation);
int MV1SetOpacityRate(int model, float rate);
int MV1SetDifColorScale(int model, COLOR_F scale);
int MV1DrawModel(int model);
int SetupCamera_Perspective(float fov);
int SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up);
int SetCameraScreenCenter(float x, float y);
int ChangeLightTypeDir(VECTOR direction);
// Where a world point shows on the screen with the camera as last set: x and y
// in screen pixels, z from 0 (near) to 1 (far); z outside 0..1 when the point
// is not in front of the camera.
VECTOR ConvWorldPosToScreenPos(VECTOR position);

// ---- sound -----------------------------------------------------------------

int SetCreateSoundDataType(int type);
int LoadSoundMem(const char* path, int bufferNum = 3, int unionHandle = -1);
int PlaySoundMem(int sound, int playType, int topPositionFlag = 1);
int StopSoundMem(int sound);
int CheckSoundMem(int sound);
int ChangeVolumeSoundMem(int volume, int sound);
int SetFrequencySoundMem(int frequency, int sound);
int DeleteSoundMem(int sound, int logOutFlag = 0);

// ---- input -----------------------------------------------------------------

int CheckHitKey(int keyCode);
int GetJoypadInputState(int inputType);
// How many pads are plugged in.
int GetJoypadNum();
int GetMouseInput();
int GetMousePoint(int* x, int* y);
int GetMouseWheelRotVol(int clearFlag = 1);

// ---- time ------------------------------------------------------------------

// Milliseconds of a monotonic clock.
int GetNowCount(int useRDTSCFlag = 0);
int Sleep(int milliseconds);
// Wall-clock time, milliseconds since 1970-01-01 UTC.
std::int64_t fGetUtcMilliseconds();
