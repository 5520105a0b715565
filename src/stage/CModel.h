// One placed 3D model: a duplicate handle with its position. The handle is
// owned: moving hands it over, and fDelete frees it once.
#pragma once

#include "gamelib/GameLib.h"

class CModel {
 public:
  CModel() = default;
  CModel(int handle, VECTOR position, VECTOR velocity);
  CModel(CModel&& other) noexcept;
  CModel& operator=(CModel&& other) noexcept;
  CModel(const CModel&) = delete;
  CModel& operator=(const CModel&) = delete;
  virtual ~CModel() = default;

  virtual void fDraw();
  // Stage models never move by themselves: this only re-applies the position.
  virtual void fApplyVelocity();

  void fSetPosition(VECTOR position);
  // Frees the handle; later calls and draws do nothing.
  void fDelete();
  int fHandle() const { return mHandle; }
  const VECTOR& fPosition() const { return mPosition; }

 private:
  int mHandle = -1;
  VECTOR mPosition{};
  VECTOR mVelocity{};
};
