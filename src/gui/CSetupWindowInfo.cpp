#include "gui/CSetupWindowInfo.h"

#include <algorithm>

#include "gamelib/GameLib.h"
#include "gui/Window.h"

void CSetupWindowInfo::fSet(SPointD positionValue, int fontHandle, unsigned int normalColourValue,
                            unsigned int focusedColourValue, int left, int right, int top, int bottom) {
  position = positionValue;
  font = fontHandle;
  normalColour = normalColourValue;
  focusedColour = focusedColourValue;
  leftMargin = left;
  rightMargin = right;
  topMargin = top;
  bottomMargin = bottom;
}

void CSetupWindowInfo::fSet(SPointD positionValue, int fontHandle, unsigned int normalColourValue,
                            unsigned int focusedColourValue, int horizontal, int vertical) {
  fSet(positionValue, fontHandle, normalColourValue, focusedColourValue, horizontal, horizontal, vertical, vertical);
}

void CSetupWindowInfo::fAddLabel(const std::string& name, const std::string& text) {
  fAddLabel(name, text, normalColour, focusedColour);
}

void CSetupWindowInfo::fAddLabel(const std::string& name, const std::string& text, unsigned int normalColourValue,
                                 unsigned int focusedColourValue) {
  labels.push_back(SLabelInfo{name, text, normalColourValue, focusedColourValue});
}

void CSetupWindowInfo::fAddBackground(int image, int left, int top, int right, int bottom, int alpha, bool trans) {
  fAddBackground(image, left, top, right, bottom, alpha, trans, -1, -1);
}

void CSetupWindowInfo::fAddBackground(int image, int left, int top, int right, int bottom, int alpha, bool trans,
                                      int width, int height) {
  backgrounds.emplace_back(image, width, height, left, top, right, bottom, alpha, trans);
}

std::unique_ptr<CMainWindow> fCreateWindow(const CSetupWindowInfo& info, std::shared_ptr<CFocusBgInfo> highlight,
                                           std::optional<int> width, std::optional<int> height) {
  int s = 0;
  GetFontStateToHandle(nullptr, &s, nullptr, info.font);
  const int h = s / 2;
  const int n = static_cast<int>(info.labels.size());

  int widest = 0;
  for (const auto& label : info.labels) {
    widest = std::max(widest, GetDrawStringWidthToHandle(label.text.c_str(), static_cast<int>(label.text.size()),
                                                         info.font, 0));
  }
  int contentWidth = widest + info.leftMargin + info.rightMargin;
  int contentHeight = (s + h) * n - h + info.topMargin + info.bottomMargin;
  if (width) contentWidth = *width;
  if (height) contentHeight = *height;

  std::vector<CWindowBgInfo> layers = info.backgrounds;
  for (auto& layer : layers) {
    if (layer.width < 0) layer.width = contentWidth;
    if (layer.height < 0) layer.height = contentHeight;
  }

  auto window = std::make_unique<CMainWindow>();
  window->fSetupBackground(layers, 0, 0);
  window->fSetPosition(info.position);

  if (!highlight) {
    highlight = std::make_shared<CFocusBgInfo>(true, true, GetColor(130, 130, 255), GetColor(20, 20, 70), 80, 120, 2);
  }
  // Shared by every row, so each box is as wide as the widest text.
  highlight->fSetWidthRef(std::make_shared<int>(contentWidth - info.rightMargin - info.leftMargin));

  for (int i = 0; i < n; ++i) {
    const SLabelInfo& label = info.labels[static_cast<std::size_t>(i)];
    fAddTextLabelAt(*window, label.name, SPointD(info.leftMargin, (s + h) * i + info.topMargin), label.normalColour,
                    label.focusedColour, info.font, "", label.text, 255.0, highlight);
  }
  for (int i = 0; i < n; ++i) {
    const auto& previous = info.labels[static_cast<std::size_t>((i + n - 1) % n)].name;
    const auto& next = info.labels[static_cast<std::size_t>((i + 1) % n)].name;
    fSetWidgetLinks(*window, info.labels[static_cast<std::size_t>(i)].name, "", previous, "", next);
  }
  if (n > 0) window->fSetFocus(info.labels.front().name, true);
  return window;
}
