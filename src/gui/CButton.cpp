#include "gui/CButton.h"

#include "util/Assert.h"

void CButton::fUpdate() {
  fMove();
  if (normalImage) normalImage->fUpdateAnimation();
  if (focusedImage) focusedImage->fUpdateAnimation();
}

void CButton::fDraw() {
  if (!visible) return;
  const auto& image = focused ? focusedImage : normalImage;
  PLIMO_ASSERT(image != nullptr, "button drawn before it was set up");
  fDrawAt(fScreenPosition(), *image);
}

void CButton::fSetAlpha(double value) {
  CWidget::fSetAlpha(value);
  if (normalImage) normalImage->fSetAlpha(value);
  if (focusedImage) focusedImage->fSetAlpha(value);
}

void CButton::fSetupButton(std::shared_ptr<CDrawData> normal, std::shared_ptr<CDrawData> focusedPicture,
                           double alphaValue, bool flagValue) {
  normalImage = std::move(normal);
  focusedImage = std::move(focusedPicture);
  fSetAlpha(alphaValue);
  flag = flagValue;
}
