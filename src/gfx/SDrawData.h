// How one picture (or an animation of several) is drawn: brightness,
// transparency, scale, rotation, mirror flip, size, anchor offset, clipping.
// SDrawData is the value form scenes keep in their own records; CDrawData
// (CDrawData.h) is the shared reference form of the window toolkit.
#pragma once

#include <string>
#include <vector>

#include "util/CPoint.h"

struct SAnimationInfo {
  int graph = -1;
  SPoint offset;
};

struct SDrawData {
  int red = 255;
  int green = 255;
  int blue = 255;
  bool turn = false;
  bool trans = true;
  double alpha = 255.0;
  bool rotate = false;
  double angle = 0.0;  // degrees, clockwise on screen
  std::vector<SAnimationInfo> frames;
  int drawWidth = 0;
  int drawHeight = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  SPoint offset;
  double fineOffsetX = 0.0;
  double fineOffsetY = 0.0;
  int frameWait = 0;  // negative: the animation stands still
  int waitDivisor = 1;
  int animCount = 0;
  int currentFrame = 0;
  bool loop = true;
  bool finished = false;
  double scale = 1.0;
  bool extend = false;
  bool visible = true;
  bool clip = false;
  // Centre relative to the centre of the drawn picture.
  SRectExT<double> clipRect;

  void fSetRed(int value) { red = value; }
  void fSetGreen(int value) { green = value; }
  void fSetBlue(int value) { blue = value; }
  void fSetTurn(bool value) { turn = value; }
  bool fGetTurn() const { return turn; }
  void fSetRotate(bool value) { rotate = value; }
  void fSetAngle(double degrees) { angle = degrees; }
  bool fGetRotate() const { return rotate; }
  double fGetAngle() const { return angle; }
  void fSetTrans(bool value) { trans = value; }
  bool fGetTrans() const { return trans; }
  void fSetAlpha(double value);
  double fGetAlpha() const { return alpha; }
  int fFrameCount() const { return static_cast<int>(frames.size()); }
  void fSetFrameWait(int value) { frameWait = value; }
  void fSetWaitDivisor(int value) { waitDivisor = value; }
  int fGetAnimCount() const { return animCount; }
  void fSetAnimCount(int value) { animCount = value; }
  SPoint fGetOffset() const { return offset; }
  void fSetExtend(bool value) { extend = value; }
  bool fGetExtend() const { return extend; }
  void fSetVisible(bool value) { visible = value; }
  bool fGetVisible() const { return visible; }
  int fGetDrawWidth() const { return drawWidth; }
  int fGetDrawHeight() const { return drawHeight; }
  int fGetSourceWidth() const { return sourceWidth; }
  int fGetSourceHeight() const { return sourceHeight; }
  void fSetOffset(int x, int y) { offset = SPoint(x, y); }
  void fSizeFromImage();
  void fSetDrawSize(int width, int height);  // also turns extend on
  void fSizeFromImageExtended();
  // The position then names the picture's centre.
  void fCentreOffset();
  void fSetDrawSizeAndCentre(int width, int height);
  void fSizeFromImageAndCentre();
  double fGetScale() const { return scale; }
  void fSetScale(double value) { scale = value; }
  void fSourceSizeFromImage();
  void fSetSourceSize(int width, int height);
  void fAddFrame(int graph) { fAddFrame(graph, SPoint(0, 0)); }
  void fAddFrame(int graph, SPoint frameOffset) { frames.push_back(SAnimationInfo{graph, frameOffset}); }
  void fClearFrames() { frames.clear(); }
  void fReset();
  void fUpdateAnimation();
  int fCurrentGraph() const;
  SPoint fCurrentFrameOffset() const;
  void fSetLoop(bool value) { loop = value; }
  // Copies everything but brightness and turn; frames are appended.
  void fCopyTo(SDrawData& target) const;

  const SAnimationInfo& fFrame(int index) const;
};

// A still picture: one frame, frame wait -1. Graph -1 (a failed load) is a
// programming error.
SDrawData fMakeDrawData(int graph);
// The picture the image manager loaded under name, as a draw item.
SDrawData fGetDrawData(const std::string& name);

// Draws the item's current frame at position + offset + the frame's offset,
// and leaves blending, brightness and draw area neutral.
void fDrawAt(SPointD position, const SDrawData& item);
