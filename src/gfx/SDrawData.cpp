#include "gfx/SDrawData.h"

#include <algorithm>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "util/Assert.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr double kOpaque = 255.0;

int fTrunc(double value) { return static_cast<int>(value); }

void fDrawPlain(SPointD p, const SDrawData& item, int graph) {
  const int trans = item.trans ? 1 : 0;
  const double fx = item.fineOffsetX;
  const double fy = item.fineOffsetY;
  if (item.extend) {
    int left = fTrunc(p.x + fx);
    int right = fTrunc(p.x + item.drawWidth + fx);
    if (item.turn) std::swap(left, right);  // exchanged edges mirror the picture
    DrawExtendGraph(left, fTrunc(p.y + fy), right, fTrunc(p.y + item.drawHeight + fy), graph, trans);
  } else if (item.turn) {
    DrawTurnGraph(fTrunc(p.x + fx), fTrunc(p.y + fy), graph, trans);
  } else {
    DrawGraph(fTrunc(p.x + fx), fTrunc(p.y + fy), graph, trans);
  }
}

void fDrawRotated(SPointD p, const SDrawData& item, int graph) {
  const int centreX = fTrunc(p.x + item.sourceWidth / 2 + item.fineOffsetX);
  const int centreY = fTrunc(p.y + item.sourceHeight / 2 + item.fineOffsetY);
  const double rate =
      item.extend ? static_cast<double>(item.drawWidth) / static_cast<double>(item.sourceWidth) : item.scale;
  DrawRotaGraph(centreX, centreY, rate, item.angle * kDegreeToRadian, graph, item.trans ? 1 : 0,
                item.turn ? 1 : 0);
}

}  // namespace

void SDrawData::fSetAlpha(double value) { alpha = std::clamp(value, 0.0, kOpaque); }

const SAnimationInfo& SDrawData::fFrame(int index) const {
  PLIMO_ASSERT(index >= 0 && index < static_cast<int>(frames.size()), "draw item: frame index out of range");
  return frames[static_cast<std::size_t>(index)];
}

void SDrawData::fSizeFromImage() { GetGraphSize(fFrame(0).graph, &drawWidth, &drawHeight); }

void SDrawData::fSetDrawSize(int width, int height) {
  drawWidth = width;
  drawHeight = height;
  extend = true;
}

void SDrawData::fSizeFromImageExtended() {
  fSizeFromImage();
  extend = true;
}

void SDrawData::fCentreOffset() { offset = SPoint(-(drawWidth / 2), -(drawHeight / 2)); }

void SDrawData::fSetDrawSizeAndCentre(int width, int height) {
  drawWidth = width;
  drawHeight = height;
  fCentreOffset();
}

void SDrawData::fSizeFromImageAndCentre() {
  fSizeFromImage();
  fCentreOffset();
}

void SDrawData::fSourceSizeFromImage() { GetGraphSize(fFrame(0).graph, &sourceWidth, &sourceHeight); }

void SDrawData::fSetSourceSize(int width, int height) {
  sourceWidth = width;
  sourceHeight = height;
}

void SDrawData::fReset() {
  animCount = 0;
  currentFrame = 0;
  alpha = kOpaque;
}

void SDrawData::fUpdateAnimation() {
  if (finished || frameWait < 0) return;
  if (animCount < frameWait / waitDivisor) {
    ++animCount;
  } else if (currentFrame < fFrameCount() - 1) {
    animCount = 0;
    ++currentFrame;
  } else if (loop) {
    animCount = 0;
    currentFrame = 0;
  } else {
    finished = true;
  }
}

int SDrawData::fCurrentGraph() const { return fFrame(currentFrame).graph; }

SPoint SDrawData::fCurrentFrameOffset() const { return fFrame(currentFrame).offset; }

void SDrawData::fCopyTo(SDrawData& target) const {
  const int r = target.red, g = target.green, b = target.blue;
  const bool targetTurn = target.turn;
  std::vector<SAnimationInfo> targetFrames = std::move(target.frames);
  target = *this;
  target.red = r;
  target.green = g;
  target.blue = b;
  target.turn = targetTurn;
  targetFrames.insert(targetFrames.end(), frames.begin(), frames.end());
  target.frames = std::move(targetFrames);
}

SDrawData fMakeDrawData(int graph) {
  PLIMO_ASSERT(graph != -1, "draw item made from a picture that could not be loaded");
  SDrawData item;
  item.fAddFrame(graph);
  item.frameWait = -1;
  return item;
}

SDrawData fGetDrawData(const std::string& name) { return fMakeDrawData(gImageManager->fGetImage(name)); }

void fDrawAt(SPointD position, const SDrawData& item) {
  if (!item.visible) return;
  const SPoint frameOffset = item.fCurrentFrameOffset();
  const SPointD p(position.x + item.offset.x + frameOffset.x, position.y + item.offset.y + frameOffset.y);
  if (item.clip) {
    const double cx = p.x + item.drawWidth / 2;
    const double cy = p.y + item.drawHeight / 2;
    SetDrawArea(fTrunc(cx + item.clipRect.fLeft()), fTrunc(cy + item.clipRect.fTop()),
                fTrunc(cx + item.clipRect.fRight()), fTrunc(cy + item.clipRect.fBottom()));
  }
  const int a = fTrunc(item.alpha);
  const bool bright = item.red != 255 || item.green != 255 || item.blue != 255;
  if (bright) SetDrawBright(item.red, item.green, item.blue);
  const int graph = item.fCurrentGraph();
  const bool plain = !item.rotate && item.scale == 1.0;
  if (plain && a >= 255) {
    fDrawPlain(p, item, graph);
  } else if (plain) {
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, a);
    fDrawPlain(p, item, graph);
    SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  } else {
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, a);
    fDrawRotated(p, item, graph);
    SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  }
  if (bright) SetDrawBright(255, 255, 255);
  if (item.clip) SetDrawArea(0, 0, kScreenWidth, kScreenHeight);
}
