#include "gamelib/headless/HeadlessBackend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string_view>
#include <type_traits>

#include "gamelib/FileSystem.h"
#include "gamelib/ImageHeader.h"
#include "gamelib/TextMeasure.h"
#include "gamelib/sdl/Camera3D.h"

namespace {

void fAppendArg(std::string& out, int value) { out += std::to_string(value); }
void fAppendArg(std::string& out, unsigned int value) { out += std::to_string(value); }
void fAppendArg(std::string& out, double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  out += buffer;
}
void fAppendArg(std::string& out, float value) { fAppendArg(out, static_cast<double>(value)); }
void fAppendArg(std::string& out, const char* text) {
  out += '"';
  out += text == nullptr ? "" : text;
  out += '"';
}
void fAppendArg(std::string& out, const VECTOR& v) {
  out += '(';
  fAppendArg(out, v.x);
  out += ", ";
  fAppendArg(out, v.y);
  out += ", ";
  fAppendArg(out, v.z);
  out += ')';
}
void fAppendArg(std::string& out, const COLOR_F& c) {
  out += '(';
  fAppendArg(out, c.r);
  out += ", ";
  fAppendArg(out, c.g);
  out += ", ";
  fAppendArg(out, c.b);
  out += ", ";
  fAppendArg(out, c.a);
  out += ')';
}

std::string_view fPrefix(const char* text, int length) {
  const std::string_view whole(text);
  return length < 0 ? whole : whole.substr(0, static_cast<std::size_t>(length));
}

}  // namespace

CHeadlessBackend::CHeadlessBackend() = default;

template <typename... TArgs>
void CHeadlessBackend::fRecord(const char* name, const TArgs&... args) {
  if (!mLogging) return;
  std::string entry = name;
  entry += '(';
  bool first = true;
  ((entry += first ? "" : ", ", first = false, fAppendArg(entry, args)), ...);
  entry += ')';
  mLog.push_back(std::move(entry));
}

std::vector<std::string> CHeadlessBackend::fLogOf(const std::vector<std::string>& names) const {
  std::vector<std::string> out;
  for (const auto& entry : mLog) {
    const std::string name = entry.substr(0, entry.find('('));
    if (std::find(names.begin(), names.end(), name) != names.end()) out.push_back(entry);
  }
  return out;
}

void CHeadlessBackend::fSetKey(int keyCode, bool down) {
  if (keyCode >= 0 && keyCode < KEY_CODE_COUNT) mKeys[static_cast<std::size_t>(keyCode)] = down;
}

void CHeadlessBackend::fReleaseAllKeys() { mKeys.fill(false); }

void CHeadlessBackend::fTypeText(const std::string& text) {
  auto it = mKeyInputs.find(mActiveKeyInput);
  if (it == mKeyInputs.end() || it->second.state != 0) return;
  for (char c : text) {
    if (it->second.singleByteOnly && static_cast<unsigned char>(c) >= 0x80) continue;
    if (static_cast<int>(it->second.text.size()) >= it->second.maxLength) break;
    it->second.text += c;
  }
}

void CHeadlessBackend::fSetInputState(int state) {
  auto it = mKeyInputs.find(mActiveKeyInput);
  if (it != mKeyInputs.end() && it->second.state == 0) it->second.state = state;
}

void CHeadlessBackend::fNoteText(int x, int y, const char* text, const STextFace& face, unsigned int colour) {
  if (!mLogging || text[0] == '\0') return;
  const int margin = fTextEdgeMargin(face);
  SDrawnItem item;
  item.kind = SDrawnItem::EKind::Text;
  item.x1 = x - margin;
  item.y1 = y - margin;
  item.x2 = x + fConservativeTextWidth(text, face) + margin;
  item.y2 = y + face.size + margin;
  item.text = text;
  item.colour = colour;
  item.fontSize = face.size;
  item.blendMode = mState.blendMode;
  item.blendParam = mState.blendParam;
  item.clipX1 = mState.areaX1, item.clipY1 = mState.areaY1, item.clipX2 = mState.areaX2, item.clipY2 = mState.areaY2;
  mDrawn.push_back(std::move(item));
}

void CHeadlessBackend::fNoteRect(SDrawnItem::EKind kind, int x1, int y1, int x2, int y2, int graph,
                                 unsigned int colour) {
  if (!mLogging) return;
  SDrawnItem item;
  item.kind = kind;
  item.x1 = x1, item.y1 = y1, item.x2 = x2, item.y2 = y2;
  item.graph = graph;
  item.colour = colour;
  item.blendMode = mState.blendMode;
  item.blendParam = mState.blendParam;
  item.clipX1 = mState.areaX1, item.clipY1 = mState.areaY1, item.clipX2 = mState.areaX2, item.clipY2 = mState.areaY2;
  mDrawn.push_back(std::move(item));
}

bool CHeadlessBackend::fIsStateNeutral() const {
  return mState.blendMode == DX_BLENDMODE_NOBLEND && mState.brightR == 255 && mState.brightG == 255 &&
         mState.brightB == 255 && mState.areaX1 == 0 && mState.areaY1 == 0 && mState.areaX2 == 640 &&
         mState.areaY2 == 480;
}

bool CHeadlessBackend::fIsSoundPlaying(int sound) const {
  auto it = mSounds.find(sound);
  return it != mSounds.end() && it->second;
}

int CHeadlessBackend::fNewGraph(int width, int height) {
  const int handle = mNextHandle++;
  mGraphs[handle] = SGraph{width, height};
  return handle;
}

// ---- set-up and frame ----

int CHeadlessBackend::SetOutApplicationLogValidFlag(int flag) {
  fRecord("SetOutApplicationLogValidFlag", flag);
  return 0;
}
int CHeadlessBackend::SetWindowIconID(int id) {
  fRecord("SetWindowIconID", id);
  return 0;
}
int CHeadlessBackend::SetMainWindowText(const char* text) {
  fRecord("SetMainWindowText", text);
  return 0;
}
int CHeadlessBackend::SetGraphMode(int width, int height, int colourBits, int refreshRate) {
  fRecord("SetGraphMode", width, height, colourBits, refreshRate);
  return 0;
}
int CHeadlessBackend::ChangeWindowMode(int windowed) {
  fRecord("ChangeWindowMode", windowed);
  return 0;
}
int CHeadlessBackend::SetWindowSizeExtendRate(double rate) {
  fRecord("SetWindowSizeExtendRate", rate);
  return 0;
}
int CHeadlessBackend::GetWindowActiveFlag() { return mWindowActive ? 1 : 0; }
int CHeadlessBackend::SetUseFPUPreserveFlag(int flag) {
  fRecord("SetUseFPUPreserveFlag", flag);
  return 0;
}
int CHeadlessBackend::SetWaitVSyncFlag(int flag) {
  fRecord("SetWaitVSyncFlag", flag);
  mVSync = flag != 0 && mVSyncWorks ? 1 : 0;
  return 0;
}
int CHeadlessBackend::DxLib_Init() {
  fRecord("DxLib_Init");
  return mFailInit ? -1 : 0;
}
int CHeadlessBackend::DxLib_End() {
  fRecord("DxLib_End");
  return 0;
}
int CHeadlessBackend::ProcessMessage() { return mWindowClosed ? -1 : 0; }
int CHeadlessBackend::SetDrawScreen(int screen) {
  fRecord("SetDrawScreen", screen);
  return 0;
}
int CHeadlessBackend::ClsDrawScreen() {
  fRecord("ClsDrawScreen");
  return 0;
}
int CHeadlessBackend::ClearDrawScreen() {
  fRecord("ClearDrawScreen");
  return 0;
}
int CHeadlessBackend::ScreenFlip() {
  fRecord("ScreenFlip");
  ++mFlips;
  if (mVSync != 0 && mRefreshHertz > 0.0) {
    // Refresh n is at n / hertz seconds; the swap returns at the next one.
    const double period = 1e6 / mRefreshHertz;
    const double next = std::floor(static_cast<double>(mNow) / period) + 1.0;
    mNow = static_cast<std::int64_t>(std::ceil(next * period));
  }
  return 0;
}
int CHeadlessBackend::SetTransColor(int r, int g, int b) {
  fRecord("SetTransColor", r, g, b);
  return 0;
}
int CHeadlessBackend::SetDrawMode(int mode) {
  fRecord("SetDrawMode", mode);
  mState.drawMode = mode;
  return 0;
}
int CHeadlessBackend::SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path) {
  fRecord("SaveDrawScreenToPNG", x1, y1, x2, y2, path);
  return -1;  // nothing was drawn to save
}

// ---- 2D drawing ----

unsigned int CHeadlessBackend::GetColor(int r, int g, int b) {
  return (static_cast<unsigned int>(r & 0xFF) << 16) | (static_cast<unsigned int>(g & 0xFF) << 8) |
         static_cast<unsigned int>(b & 0xFF);
}
int CHeadlessBackend::LoadGraph(const char* path, int notUse3DFlag) {
  fRecord("LoadGraph", path, notUse3DFlag);
  int width = 0, height = 0;
  if (!fReadImageSize(path, width, height)) return -1;
  return fNewGraph(width, height);
}
int CHeadlessBackend::LoadMask(const char* path) {
  fRecord("LoadMask", path);
  int width = 0, height = 0;
  if (!fReadImageSize(path, width, height)) return -1;
  return fNewGraph(width, height);
}
int CHeadlessBackend::GetGraphSize(int graph, int* width, int* height) {
  auto it = mGraphs.find(graph);
  if (it == mGraphs.end()) return -1;
  if (width != nullptr) *width = it->second.width;
  if (height != nullptr) *height = it->second.height;
  return 0;
}
int CHeadlessBackend::DeleteGraph(int graph, int logOutFlag) {
  fRecord("DeleteGraph", graph, logOutFlag);
  return mGraphs.erase(graph) == 1 ? 0 : -1;
}
int CHeadlessBackend::MakeGraph(int width, int height, int notUse3DFlag) {
  fRecord("MakeGraph", width, height, notUse3DFlag);
  const int graph = fNewGraph(width, height);
  mGraphs[graph].made = true;
  return graph;
}
int CHeadlessBackend::GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph, int useClientFlag) {
  fRecord("GetDrawScreenGraph", x1, y1, x2, y2, graph, useClientFlag);
  return mGraphs.count(graph) == 1 ? 0 : -1;
}
int CHeadlessBackend::DerivationGraph(int srcX, int srcY, int width, int height, int srcGraph) {
  fRecord("DerivationGraph", srcX, srcY, width, height, srcGraph);
  if (mGraphs.count(srcGraph) == 0) return -1;
  return fNewGraph(width, height);
}
int CHeadlessBackend::DrawGraph(int x, int y, int graph, int trans) {
  fRecord("DrawGraph", x, y, graph, trans);
  if (const auto it = mGraphs.find(graph); it != mGraphs.end()) {
    fNoteRect(SDrawnItem::EKind::Picture, x, y, x + it->second.width, y + it->second.height, graph);
  }
  return 0;
}
int CHeadlessBackend::DrawTurnGraph(int x, int y, int graph, int trans) {
  fRecord("DrawTurnGraph", x, y, graph, trans);
  return 0;
}
int CHeadlessBackend::DrawExtendGraph(int x1, int y1, int x2, int y2, int graph, int trans) {
  fRecord("DrawExtendGraph", x1, y1, x2, y2, graph, trans);
  fNoteRect(SDrawnItem::EKind::Picture, x1, y1, x2, y2, graph);
  return 0;
}
int CHeadlessBackend::DrawRotaGraph(int x, int y, double rate, double angle, int graph, int trans, int turn) {
  fRecord("DrawRotaGraph", x, y, rate, angle, graph, trans, turn);
  return 0;
}
int CHeadlessBackend::DrawBox(int x1, int y1, int x2, int y2, unsigned int colour, int fill) {
  fRecord("DrawBox", x1, y1, x2, y2, colour, fill);
  if (fill != 0) fNoteRect(SDrawnItem::EKind::Box, x1, y1, x2, y2, -1, colour);
  return 0;
}
int CHeadlessBackend::SetDrawBlendMode(int mode, int param) {
  fRecord("SetDrawBlendMode", mode, param);
  mState.blendMode = mode;
  mState.blendParam = param;
  return 0;
}
int CHeadlessBackend::SetDrawBright(int r, int g, int b) {
  fRecord("SetDrawBright", r, g, b);
  mState.brightR = r;
  mState.brightG = g;
  mState.brightB = b;
  return 0;
}
int CHeadlessBackend::SetDrawArea(int x1, int y1, int x2, int y2) {
  fRecord("SetDrawArea", x1, y1, x2, y2);
  mState.areaX1 = x1;
  mState.areaY1 = y1;
  mState.areaX2 = x2;
  mState.areaY2 = y2;
  return 0;
}

// ---- text ----

int CHeadlessBackend::CreateFontToHandle(const char* faceName, int size, int thick, int fontType, int charSet,
                                         int edgeSize, int italic, int handle) {
  fRecord("CreateFontToHandle", faceName == nullptr ? "(default)" : faceName, size, thick, fontType, charSet,
          edgeSize, italic, handle);
  const int font = mNextHandle++;
  const bool named = faceName != nullptr && faceName[0] != '\0';
  mFonts[font] = STextFace{named, size > 0 ? size : 16, thick, fontType < 0 ? DX_FONTTYPE_NORMAL : fontType};
  return font;
}
int CHeadlessBackend::DeleteFontToHandle(int font) {
  fRecord("DeleteFontToHandle", font);
  return mFonts.erase(font) == 1 ? 0 : -1;
}
int CHeadlessBackend::DrawStringToHandle(int x, int y, const char* text, unsigned int colour, int font,
                                         unsigned int edgeColour, int verticalFlag) {
  fRecord("DrawStringToHandle", x, y, text, colour, font, edgeColour, verticalFlag);
  auto it = mFonts.find(font);
  if (it == mFonts.end() || text == nullptr) return -1;
  fNoteText(x, y, text, it->second, colour);
  return 0;
}
int CHeadlessBackend::DrawString(int x, int y, const char* text, unsigned int colour, unsigned int edgeColour) {
  fRecord("DrawString", x, y, text, colour, edgeColour);
  if (text != nullptr) fNoteText(x, y, text, STextFace{false, mDefaultFontSize, 0, DX_FONTTYPE_NORMAL}, colour);
  return 0;
}
int CHeadlessBackend::GetDrawStringWidthToHandle(const char* text, int length, int font, int verticalFlag) {
  fRecord("GetDrawStringWidthToHandle", text, length, font, verticalFlag);
  auto it = mFonts.find(font);
  if (it == mFonts.end() || text == nullptr) return -1;
  return fConservativeTextWidth(fPrefix(text, length), it->second);
}
int CHeadlessBackend::GetFontStateToHandle(char* faceName, int* size, int* thick, int font) {
  auto it = mFonts.find(font);
  if (it == mFonts.end()) return -1;
  if (faceName != nullptr) faceName[0] = '\0';
  if (size != nullptr) *size = it->second.size;
  if (thick != nullptr) *thick = it->second.thick;
  return 0;
}
int CHeadlessBackend::SetFontSize(int size) {
  fRecord("SetFontSize", size);
  mDefaultFontSize = size;
  return 0;
}
int CHeadlessBackend::SetFontThickness(int thick) {
  fRecord("SetFontThickness", thick);
  return 0;
}

// ---- text input ----

int CHeadlessBackend::MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag,
                                   int numCharOnlyFlag) {
  fRecord("MakeKeyInput", maxLength, cancelValidFlag, singleCharOnlyFlag, numCharOnlyFlag);
  const int input = mNextHandle++;
  mKeyInputs[input] = SKeyInput{maxLength, singleCharOnlyFlag != 0, "", 0};
  return input;
}
int CHeadlessBackend::SetActiveKeyInput(int input) {
  fRecord("SetActiveKeyInput", input);
  mActiveKeyInput = input;
  return 0;
}
int CHeadlessBackend::CheckKeyInput(int input) {
  auto it = mKeyInputs.find(input);
  return it == mKeyInputs.end() ? -1 : it->second.state;
}
int CHeadlessBackend::GetKeyInputString(char* buffer, int input) {
  auto it = mKeyInputs.find(input);
  if (it == mKeyInputs.end() || buffer == nullptr) return -1;
  std::memcpy(buffer, it->second.text.c_str(), it->second.text.size() + 1);
  return 0;
}
int CHeadlessBackend::DrawKeyInputString(int x, int y, int input) {
  fRecord("DrawKeyInputString", x, y, input);
  if (const auto it = mKeyInputs.find(input); it != mKeyInputs.end()) {
    fNoteText(x, y, it->second.text.c_str(), STextFace{false, mDefaultFontSize, 0, DX_FONTTYPE_NORMAL});
  }
  return 0;
}
int CHeadlessBackend::DrawKeyInputModeString(int x, int y) {
  fRecord("DrawKeyInputModeString", x, y);
  return 0;
}
int CHeadlessBackend::SetKeyInputString(const char* text, int input) {
  fRecord("SetKeyInputString", text, input);
  auto it = mKeyInputs.find(input);
  if (it == mKeyInputs.end() || text == nullptr) return -1;
  it->second.text.clear();
  for (const char* c = text; *c != '\0'; ++c) {
    if (it->second.singleByteOnly && static_cast<unsigned char>(*c) >= 0x80) continue;
    if (static_cast<int>(it->second.text.size()) >= it->second.maxLength) break;
    it->second.text += *c;
  }
  return 0;
}
int CHeadlessBackend::DeleteKeyInput(int input) {
  fRecord("DeleteKeyInput", input);
  if (mActiveKeyInput == input) mActiveKeyInput = -1;
  return mKeyInputs.erase(input) == 1 ? 0 : -1;
}

// ---- 3D: models are handles only; nothing is read or drawn ----

CHeadlessBackend::SModel* CHeadlessBackend::fModel(int handle) {
  auto it = mModels.find(handle);
  return it == mModels.end() ? nullptr : &it->second;
}

int CHeadlessBackend::MV1LoadModel(const char* path) {
  fRecord("MV1LoadModel", path);
  const int model = mNextHandle++;
  mModels[model].path = path == nullptr ? "" : path;
  return model;
}
int CHeadlessBackend::MV1DuplicateModel(int model) {
  fRecord("MV1DuplicateModel", model);
  auto it = mModels.find(model);
  if (it == mModels.end()) return -1;
  const int copy = mNextHandle++;
  mModels[copy] = it->second;
  return copy;
}
int CHeadlessBackend::MV1DeleteModel(int model) {
  fRecord("MV1DeleteModel", model);
  return mModels.erase(model) == 1 ? 0 : -1;
}
int CHeadlessBackend::MV1SetPosition(int model, VECTOR position) {
  fRecord("MV1SetPosition", model, position);
  if (SModel* state = fModel(model)) state->position = position;
  return 0;
}
int CHeadlessBackend::MV1SetRotationXYZ(int model, VECTOR rotation) {
  fRecord("MV1SetRotationXYZ", model, rotation);
  if (SModel* state = fModel(model)) state->rotation = rotation;
  return 0;
}
int CHeadlessBackend::MV1SetOpacityRate(int model, float rate) {
  fRecord("MV1SetOpacityRate", model, rate);
  if (SModel* state = fModel(model)) state->opacity = rate;
  return 0;
}
int CHeadlessBackend::MV1SetDifColorScale(int model, COLOR_F scale) {
  fRecord("MV1SetDifColorScale", model, scale);
  if (SModel* state = fModel(model)) state->colour = scale;
  return 0;
}
int CHeadlessBackend::MV1DrawModel(int model) {
  fRecord("MV1DrawModel", model);
  return 0;
}

std::string CHeadlessBackend::fDescribeModel(int handle) const {
  const auto it = mModels.find(handle);
  if (it == mModels.end()) return "no model";
  const SModel& state = it->second;
  std::string text;
  fAppendArg(text, state.path.c_str());
  fAppendArg(text, state.position);
  fAppendArg(text, state.rotation);
  text += ' ';
  fAppendArg(text, state.opacity);
  fAppendArg(text, state.colour);
  return text;
}
int CHeadlessBackend::SetupCamera_Perspective(float fov) {
  fRecord("SetupCamera_Perspective", fov);
  mCamera.fieldOfView = fov;
  return 0;
}
int CHeadlessBackend::SetCameraPositionAndTargetAndUpVec(VECTOR position, VECTOR target, VECTOR up) {
  fRecord("SetCameraPositionAndTargetAndUpVec", position, target, up);
  mCamera.eye = position;
  mCamera.target = target;
  mCamera.up = up;
  return 0;
}
int CHeadlessBackend::SetCameraScreenCenter(float x, float y) {
  fRecord("SetCameraScreenCenter", x, y);
  mCamera.centreX = x;
  mCamera.centreY = y;
  return 0;
}
int CHeadlessBackend::ChangeLightTypeDir(VECTOR direction) {
  fRecord("ChangeLightTypeDir", direction);
  mCamera.lightDirection = direction;
  return 0;
}

VECTOR CHeadlessBackend::ConvWorldPosToScreenPos(VECTOR position) {
  // The renderer's own maths, on the headless screen's size.
  SCamera3D camera;
  if (mCamera.fieldOfView > 0.0f) camera.fieldOfView = mCamera.fieldOfView;
  camera.eye = SVector3{mCamera.eye.x, mCamera.eye.y, mCamera.eye.z};
  camera.target = SVector3{mCamera.target.x, mCamera.target.y, mCamera.target.z};
  camera.up = SVector3{mCamera.up.x, mCamera.up.y, mCamera.up.z};
  camera.centreX = mCamera.centreX;
  camera.centreY = mCamera.centreY;
  return fWorldToScreen(camera, position, 640.0f, 480.0f);
}

std::string CHeadlessBackend::fDescribeView() const {
  std::string text = "camera ";
  fAppendArg(text, mCamera.eye);
  fAppendArg(text, mCamera.target);
  fAppendArg(text, mCamera.up);
  text += " light ";
  fAppendArg(text, mCamera.lightDirection);
  return text;
}

// ---- sound: handles and a playing flag, no audio ----

int CHeadlessBackend::SetCreateSoundDataType(int type) {
  fRecord("SetCreateSoundDataType", type);
  return 0;
}
int CHeadlessBackend::LoadSoundMem(const char* path, int bufferNum, int unionHandle) {
  fRecord("LoadSoundMem", path, bufferNum, unionHandle);
  if (path == nullptr || !fFileExists(path)) return -1;
  const int sound = mNextHandle++;
  mSounds[sound] = false;
  return sound;
}
int CHeadlessBackend::PlaySoundMem(int sound, int playType, int topPositionFlag) {
  fRecord("PlaySoundMem", sound, playType, topPositionFlag);
  auto it = mSounds.find(sound);
  if (it == mSounds.end()) return -1;
  it->second = true;
  return 0;
}
int CHeadlessBackend::StopSoundMem(int sound) {
  fRecord("StopSoundMem", sound);
  auto it = mSounds.find(sound);
  if (it == mSounds.end()) return -1;
  it->second = false;
  return 0;
}
int CHeadlessBackend::CheckSoundMem(int sound) { return fIsSoundPlaying(sound) ? 1 : 0; }
int CHeadlessBackend::ChangeVolumeSoundMem(int volume, int sound) {
  fRecord("ChangeVolumeSoundMem", volume, sound);
  return 0;
}
int CHeadlessBackend::SetFrequencySoundMem(int frequency, int sound) {
  fRecord("SetFrequencySoundMem", frequency, sound);
  return 0;
}
int CHeadlessBackend::DeleteSoundMem(int sound, int logOutFlag) {
  fRecord("DeleteSoundMem", sound, logOutFlag);
  return mSounds.erase(sound) == 1 ? 0 : -1;
}

// ---- input and time ----

int CHeadlessBackend::CheckHitKey(int keyCode) {
  if (keyCode < 0 || keyCode >= KEY_CODE_COUNT) return 0;
  return mKeys[static_cast<std::size_t>(keyCode)] ? 1 : 0;
}
int CHeadlessBackend::GetJoypadInputState(int inputType) { return inputType == DX_INPUT_PAD1 ? mPad : 0; }
int CHeadlessBackend::GetMouseInput() { return mMouseButtons; }
int CHeadlessBackend::GetMousePoint(int* x, int* y) {
  if (x != nullptr) *x = mMouseX;
  if (y != nullptr) *y = mMouseY;
  return 0;
}
int CHeadlessBackend::GetMouseWheelRotVol(int clearFlag) {
  const int wheel = mWheel;
  if (clearFlag != 0) mWheel = 0;
  return wheel;
}
int CHeadlessBackend::GetNowCount(int) { return static_cast<int>(mNow / 1000); }
int CHeadlessBackend::Sleep(int milliseconds) {
  fRecord("Sleep", milliseconds);
  if (milliseconds > 0) {
    mNow += std::int64_t{milliseconds} * 1000;
    mTotalSlept += milliseconds;
  }
  return 0;
}
std::int64_t CHeadlessBackend::fGetUtcMilliseconds() { return mUtcBase + mNow / 1000; }
