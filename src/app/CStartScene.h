// A plain opening scene: the game's name, the frame-rate read-out, and
// Escape to quit. It stands in for the title until the title is built.
#pragma once

#include "app/CScene.h"

class CStartScene : public CScene {
 public:
  void fAnimate() override { ++mFrameCount; }
  void fUpdate() override;
  void fDraw() override;

 private:
  int mFrameCount = 0;
};
