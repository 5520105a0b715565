// The shared reference form of a draw item, used by the window toolkit. It
// behaves exactly as SDrawData, whose fields it holds.
#pragma once

#include <memory>

#include "gfx/SDrawData.h"

class CDrawData {
 public:
  CDrawData() = default;
  virtual ~CDrawData() = default;

  virtual void fSetRed(int value) { data.fSetRed(value); }
  virtual void fSetGreen(int value) { data.fSetGreen(value); }
  virtual void fSetBlue(int value) { data.fSetBlue(value); }
  virtual void fSetTurn(bool value) { data.fSetTurn(value); }
  virtual bool fGetTurn() const { return data.fGetTurn(); }
  virtual void fSetRotate(bool value) { data.fSetRotate(value); }
  virtual void fSetAngle(double degrees) { data.fSetAngle(degrees); }
  virtual bool fGetRotate() const { return data.fGetRotate(); }
  virtual double fGetAngle() const { return data.fGetAngle(); }
  virtual void fSetTrans(bool value) { data.fSetTrans(value); }
  virtual bool fGetTrans() const { return data.fGetTrans(); }
  virtual void fSetAlpha(double value) { data.fSetAlpha(value); }
  virtual double fGetAlpha() const { return data.fGetAlpha(); }
  virtual int fFrameCount() const { return data.fFrameCount(); }
  virtual void fSetFrameWait(int value) { data.fSetFrameWait(value); }
  virtual void fSetWaitDivisor(int value) { data.fSetWaitDivisor(value); }
  virtual int fGetAnimCount() const { return data.fGetAnimCount(); }
  virtual void fSetAnimCount(int value) { data.fSetAnimCount(value); }
  virtual SPoint fGetOffset() const { return data.fGetOffset(); }
  virtual void fSetExtend(bool value) { data.fSetExtend(value); }
  virtual bool fGetExtend() const { return data.fGetExtend(); }
  virtual void fSetVisible(bool value) { data.fSetVisible(value); }
  virtual bool fGetVisible() const { return data.fGetVisible(); }
  virtual int fGetDrawWidth() const { return data.fGetDrawWidth(); }
  virtual int fGetDrawHeight() const { return data.fGetDrawHeight(); }
  virtual int fGetSourceWidth() const { return data.fGetSourceWidth(); }
  virtual int fGetSourceHeight() const { return data.fGetSourceHeight(); }
  virtual void fSetOffset(int x, int y) { data.fSetOffset(x, y); }
  virtual void fSizeFromImage() { data.fSizeFromImage(); }
  virtual void fSetDrawSize(int width, int height) { data.fSetDrawSize(width, height); }
  virtual void fSizeFromImageExtended() { data.fSizeFromImageExtended(); }
  virtual void fCentreOffset() { data.fCentreOffset(); }
  virtual void fSetDrawSizeAndCentre(int width, int height) { data.fSetDrawSizeAndCentre(width, height); }
  virtual void fSizeFromImageAndCentre() { data.fSizeFromImageAndCentre(); }
  virtual double fGetScale() const { return data.fGetScale(); }
  virtual void fSetScale(double value) { data.fSetScale(value); }
  virtual void fSourceSizeFromImage() { data.fSourceSizeFromImage(); }
  virtual void fSetSourceSize(int width, int height) { data.fSetSourceSize(width, height); }
  virtual void fAddFrame(int graph) { data.fAddFrame(graph); }
  virtual void fAddFrame(int graph, SPoint offset) { data.fAddFrame(graph, offset); }
  virtual void fClearFrames() { data.fClearFrames(); }
  virtual void fReset() { data.fReset(); }
  virtual void fUpdateAnimation() { data.fUpdateAnimation(); }
  virtual int fCurrentGraph() const { return data.fCurrentGraph(); }
  virtual SPoint fCurrentFrameOffset() const { return data.fCurrentFrameOffset(); }
  virtual void fSetLoop(bool value) { data.fSetLoop(value); }
  virtual void fCopyTo(CDrawData& target) const { data.fCopyTo(target.data); }
  // A fresh item with the defaults, then fCopyTo: brightness 255 and no turn.
  virtual std::shared_ptr<CDrawData> fClone() const;

  // The fields; fine offsets, finished and clipping are set directly.
  SDrawData data;
};

std::shared_ptr<CDrawData> fMakeCDrawData(int graph);
inline void fDrawAt(SPointD position, const CDrawData& item) { fDrawAt(position, item.data); }
