// How a focused text label is highlighted: a filled box and/or an outline
// behind the text. One record is shared by all labels of a menu, and so is
// the width behind it, so every row's box is as wide as the widest row.
#pragma once

#include <memory>

class CFocusBgInfo {
 public:
  CFocusBgInfo() = default;
  CFocusBgInfo(bool fillBox, bool frameBox, unsigned int fillColourValue, unsigned int frameColourValue,
               int fillAlphaValue, int frameAlphaValue, int marginValue)
      : fill(fillBox),
        frame(frameBox),
        fillColour(fillColourValue),
        frameColour(frameColourValue),
        fillAlpha(fillAlphaValue),
        frameAlpha(frameAlphaValue),
        margin(marginValue) {}
  virtual ~CFocusBgInfo() = default;

  virtual void fSetWidthRef(std::shared_ptr<int> widthRef) { width = std::move(widthRef); }
  // The inner width of the box; 0 while no width is shared.
  int fGetWidth() const { return width ? *width : 0; }

  bool fill = false;
  bool frame = false;
  std::shared_ptr<int> width;
  unsigned int fillColour = 0;
  unsigned int frameColour = 0;
  int fillAlpha = 0;
  int frameAlpha = 0;
  // Pixels by which both boxes are inset.
  int margin = 0;
};
