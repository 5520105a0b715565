// A named element of a window: a button or a text label. Widgets know their
// four neighbours by name, so moving the focus needs no geometry.
#pragma once

#include <array>
#include <string>

#include "util/CPoint.h"

class CMainWindow;

class CWidget {
 public:
  // Link indices: the values of the direction keys of EGameKey.
  static constexpr int kLinkLeft = 0;
  static constexpr int kLinkUp = 1;
  static constexpr int kLinkRight = 2;
  static constexpr int kLinkDown = 3;

  explicit CWidget(CMainWindow* owner) : window(owner) {}
  virtual ~CWidget() = default;
  CWidget(const CWidget&) = delete;
  CWidget& operator=(const CWidget&) = delete;

  // position += velocity; alpha += alpha speed, kept inside 0..255.
  virtual void fMove();
  virtual void fSetPosition(SPointD point) { position = point; }
  virtual SPointD fGetPosition() const { return position; }
  virtual void fSetVelocity(SPointD point) { velocity = point; }
  // Not clamped: fMove clamps.
  virtual void fSetAlpha(double value) { alpha = value; }
  virtual void fSetVisible(bool value) { visible = value; }
  virtual void fSetAlphaSpeed(double value) { alphaSpeed = value; }
  virtual void fUpdate() = 0;
  virtual void fDraw() = 0;
  virtual void fSetFocused(bool value) { focused = value; }
  // direction 0..3 (left, up, right, down); an empty name means no neighbour.
  virtual void fSetLink(int direction, const std::string& name);
  virtual std::string fGetLink(int direction) const;

  double fGetAlpha() const { return alpha; }
  bool fIsVisible() const { return visible; }
  bool fIsFocused() const { return focused; }
  CMainWindow* fGetOwner() const { return window; }

 protected:
  // The window's top-left corner plus this widget's position.
  SPointD fScreenPosition() const;

  SPointD position;
  SPointD velocity;
  double alpha = 255.0;
  bool visible = true;
  double alphaSpeed = 0.0;
  bool focused = false;
  std::array<std::string, 4> links;
  CMainWindow* window;
};
