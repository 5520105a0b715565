// A widget drawn as one of two pictures: the focused one while it has the
// focus, the normal one otherwise.
#pragma once

#include <memory>

#include "gfx/CDrawData.h"
#include "gui/CWidget.h"

class CButton : public CWidget {
 public:
  using CWidget::CWidget;

  // fMove, then one animation step of both pictures.
  void fUpdate() override;
  void fDraw() override;
  // The button's own alpha and that of both pictures: the only way the
  // alpha reaches them, so a button's alpha speed does not fade it.
  void fSetAlpha(double value) override;
  virtual void fSetupButton(std::shared_ptr<CDrawData> normal, std::shared_ptr<CDrawData> focusedPicture,
                            double alphaValue, bool flagValue);
  virtual void fSetFlag(bool value) { flag = value; }

  bool fGetFlag() const { return flag; }
  const std::shared_ptr<CDrawData>& fGetNormalImage() const { return normalImage; }
  const std::shared_ptr<CDrawData>& fGetFocusedImage() const { return focusedImage; }

 private:
  std::shared_ptr<CDrawData> normalImage;
  std::shared_ptr<CDrawData> focusedImage;
  // Stored for the owner; the toolkit does not read it.
  bool flag = false;
};
