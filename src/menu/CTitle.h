// The title screen: the title picture and a blinking "Press Z Key".
#pragma once

#include "app/CScene.h"

class CTitle : public CScene {
 public:
  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;

  int frameCount = 0;
};
