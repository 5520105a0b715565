#include "stage/CModel.h"

#include <utility>

CModel::CModel(int handle, VECTOR position, VECTOR velocity)
    : mHandle(handle), mPosition(position), mVelocity(velocity) {
  if (mHandle != -1) MV1SetPosition(mHandle, mPosition);
}

CModel::CModel(CModel&& other) noexcept
    : mHandle(std::exchange(other.mHandle, -1)), mPosition(other.mPosition), mVelocity(other.mVelocity) {}

CModel& CModel::operator=(CModel&& other) noexcept {
  if (this != &other) {
    mHandle = std::exchange(other.mHandle, -1);
    mPosition = other.mPosition;
    mVelocity = other.mVelocity;
  }
  return *this;
}

void CModel::fDraw() {
  if (mHandle != -1) MV1DrawModel(mHandle);
}

void CModel::fApplyVelocity() {
  mPosition.x += mVelocity.x;
  mPosition.y += mVelocity.y;
  mPosition.z += mVelocity.z;
  if (mHandle != -1) MV1SetPosition(mHandle, mPosition);
}

void CModel::fSetPosition(VECTOR position) {
  // Balls at rest are placed again every frame; the library already has it.
  if (position.x == mPosition.x && position.y == mPosition.y && position.z == mPosition.z) return;
  mPosition = position;
  if (mHandle != -1) MV1SetPosition(mHandle, mPosition);
}

void CModel::fDelete() {
  if (mHandle == -1) return;
  MV1DeleteModel(mHandle);
  mHandle = -1;
}
