// A window: a position, background layers rendered once at build time, and
// named widgets of which at most one has the focus. Windows read no input:
// the owning scene moves the focus with fMoveFocus and acts on fGetFocus.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gfx/CDrawData.h"
#include "gui/CFocusBgInfo.h"
#include "gui/CWidget.h"
#include "gui/CWindowBgInfo.h"
#include "util/CPoint.h"

class CMainWindow {
 public:
  CMainWindow() = default;
  // Deletes the images of rendered layers.
  virtual ~CMainWindow();
  CMainWindow(const CMainWindow&) = delete;
  CMainWindow& operator=(const CMainWindow&) = delete;

  // Renders every layer (nine-slice) into an image of its own size. Layers
  // must have their final size: build-time -1 sizes are settled by
  // fCreateWindow. Width = max(minWidth, last layer's width), height likewise.
  virtual void fSetupBackground(const std::vector<CWindowBgInfo>& layers, int minWidth, int minHeight);
  // Follows the focused widget's link (0 left, 1 up, 2 right, 3 down); an
  // empty link blocks. Needs a focused widget.
  virtual void fMoveFocus(int direction);
  virtual void fSetPosition(SPointD point) { position = point; }
  virtual SPointD fGetPosition() const { return position; }
  virtual int fGetWidth() const { return width; }
  virtual int fGetHeight() const { return height; }
  virtual void fSetAlphaSpeed(double value) { alphaSpeed = value; }
  // One picture as the background instead of rendered layers.
  virtual void fSetImageBackground(std::shared_ptr<CDrawData> image, int alpha, bool trans);
  virtual void fSetUserValue(std::uint64_t value) { userValue = value; }
  virtual std::uint64_t fGetUserValue() const { return userValue; }
  virtual void fSetSpareInt(int value) { spareInt = value; }
  virtual void fSetSpareFlag(bool value) { spareFlag = value; }
  virtual bool fIsNull() const { return false; }
  virtual void fDraw();
  virtual void fUpdate();
  virtual std::string fGetFocus() const { return focus; }
  virtual void fAddButton(const std::string& name);
  virtual void fAddTextLabel(const std::string& name);
  // nullptr when there is no such widget.
  virtual CWidget* fGetWidget(const std::string& name) const;
  // True if the name was in the drawing order.
  virtual bool fRemoveWidget(const std::string& name);
  virtual void fSetWidgetPosition(const std::string& name, SPointD point);
  virtual void fSetWidgetVelocity(const std::string& name, SPointD point);
  virtual void fSetWidgetLink(const std::string& name, int direction, const std::string& target);
  // False if there is no such widget. Focusing makes name the window's
  // focus; the widget that had it keeps its flag until the next fMoveFocus.
  virtual bool fSetFocus(const std::string& name, bool focused);
  virtual void fSetupButtonByName(const std::string& name, std::shared_ptr<CDrawData> normal,
                                  std::shared_ptr<CDrawData> focusedImage, int alpha, bool flag);
  virtual void fSetupLabelByName(const std::string& name, unsigned int normalColour, unsigned int focusedColour,
                                 int font, const std::string& note, double alpha,
                                 std::shared_ptr<CFocusBgInfo> highlight);
  virtual void fSetLabelText(const std::string& name, const std::string& text);

  int fGetSpareInt() const { return spareInt; }
  bool fGetSpareFlag() const { return spareFlag; }
  const std::vector<std::string>& fGetOrder() const { return order; }
  const std::vector<std::shared_ptr<CDrawData>>& fGetBackgrounds() const { return backgrounds; }

 private:
  CWidget& fWidgetOrDie(const std::string& name) const;
  template <typename TWidget>
  TWidget& fWidgetOfKind(const std::string& name) const;

  bool ownsBackgrounds = false;
  std::uint64_t userValue = 0;
  SPointD position;
  int width = 0;
  int height = 0;
  std::vector<std::shared_ptr<CDrawData>> backgrounds;
  std::shared_ptr<CDrawData> imageBackground;
  double imageAlpha = 255.0;
  bool imageTrans = false;
  double alphaSpeed = 0.0;
  int spareInt = 0;
  bool spareFlag = true;
  std::map<std::string, std::shared_ptr<CWidget>> widgets;
  std::string focus;
  std::vector<std::string> order;
};

// A window that draws and updates nothing: the stand-in before a dialog
// has built its real window.
class CMainWindowNull : public CMainWindow {
 public:
  bool fIsNull() const override { return true; }
  void fDraw() override {}
  void fUpdate() override {}
};
