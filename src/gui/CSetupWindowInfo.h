// A vertical text menu described in one record and built in one call:
// rows of labels, their colours and font, margins and background layers.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/CMainWindow.h"
#include "gui/CWindowBgInfo.h"

struct SLabelInfo {
  std::string name;  // the widget's name
  std::string text;  // what the row shows
  unsigned int normalColour = 0;
  unsigned int focusedColour = 0;
};

class CSetupWindowInfo {
 public:
  CSetupWindowInfo() = default;
  virtual ~CSetupWindowInfo() = default;

  virtual void fSet(SPointD positionValue, int fontHandle, unsigned int normalColourValue,
                    unsigned int focusedColourValue, int left, int right, int top, int bottom);
  virtual void fSet(SPointD positionValue, int fontHandle, unsigned int normalColourValue,
                    unsigned int focusedColourValue, int horizontal, int vertical);
  // With the record's two colours.
  virtual void fAddLabel(const std::string& name, const std::string& text);
  virtual void fAddLabel(const std::string& name, const std::string& text, unsigned int normalColourValue,
                         unsigned int focusedColourValue);
  // Sized to the menu's content.
  virtual void fAddBackground(int image, int left, int top, int right, int bottom, int alpha, bool trans);
  virtual void fAddBackground(int image, int left, int top, int right, int bottom, int alpha, bool trans,
                              int width, int height);

  SPointD position;
  int font = -1;
  unsigned int normalColour = 0;
  unsigned int focusedColour = 0;
  int leftMargin = 0;
  int rightMargin = 0;
  int topMargin = 0;
  int bottomMargin = 0;
  std::vector<SLabelInfo> labels;
  std::vector<CWindowBgInfo> backgrounds;
};

// Builds the menu: one row per label, spaced by 1.5 times the font size,
// linked up and down in a cycle, the first row focused. A given width or
// height replaces the size computed from the content. With no highlight the
// menu gets a blue box with a dark outline.
std::unique_ptr<CMainWindow> fCreateWindow(const CSetupWindowInfo& info,
                                           std::shared_ptr<CFocusBgInfo> highlight = nullptr,
                                           std::optional<int> width = std::nullopt,
                                           std::optional<int> height = std::nullopt);
