#include "gui/CMainWindow.h"

#include <algorithm>
#include <mutex>

#include "app/GameLog.h"
#include "gamelib/GameLib.h"
#include "gui/CButton.h"
#include "gui/CTextLabel.h"
#include "gui/NineSlice.h"
#include "util/Assert.h"

namespace {
// Never destroyed: scenes held by globals release their windows at exit.
std::mutex& fWindowDestructionLock() {
  static std::mutex& lock = *new std::mutex;
  return lock;
}
}  // namespace

CMainWindow::~CMainWindow() {
  std::lock_guard<std::mutex> lock(fWindowDestructionLock());
  fWriteLog(1, "CWindowBase deleted");
  if (!ownsBackgrounds) return;
  for (const auto& layer : backgrounds) {
    for (const auto& frame : layer->data.frames) DeleteGraph(frame.graph, 0);
  }
}

void CMainWindow::fSetupBackground(const std::vector<CWindowBgInfo>& layers, int minWidth, int minHeight) {
  for (const auto& layer : layers) backgrounds.push_back(fRenderBackgroundLayer(layer));
  ownsBackgrounds = true;
  width = minWidth;
  height = minHeight;
  if (!layers.empty()) {
    width = std::max(minWidth, layers.back().width);
    height = std::max(minHeight, layers.back().height);
  }
}

void CMainWindow::fMoveFocus(int direction) {
  PLIMO_ASSERT(!focus.empty(), "fMoveFocus: no widget has the focus");
  CWidget& current = fWidgetOrDie(focus);
  const std::string target = current.fGetLink(direction);
  if (target.empty()) return;
  CWidget& next = fWidgetOrDie(target);
  current.fSetFocused(false);
  focus = target;
  next.fSetFocused(true);
}

void CMainWindow::fSetImageBackground(std::shared_ptr<CDrawData> image, int alpha, bool trans) {
  imageBackground = std::move(image);
  imageAlpha = alpha;
  imageTrans = trans;
}

void CMainWindow::fDraw() {
  if (ownsBackgrounds) {
    for (const auto& layer : backgrounds) fDrawAt(position, *layer);
  } else {
    PLIMO_ASSERT(imageBackground != nullptr, "a window without any background must not be drawn");
    const bool blend = imageAlpha < 255.0;
    if (blend) SetDrawBlendMode(DX_BLENDMODE_ALPHA, static_cast<int>(imageAlpha));
    DrawGraph(static_cast<int>(position.x), static_cast<int>(position.y), imageBackground->fCurrentGraph(),
              imageTrans ? 1 : 0);
    if (blend) SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  }
  for (const auto& name : order) {
    auto it = widgets.find(name);
    if (it != widgets.end()) it->second->fDraw();
  }
}

void CMainWindow::fUpdate() {
  for (auto& [name, widget] : widgets) widget->fUpdate();
  if (imageBackground) imageBackground->fUpdateAnimation();
  imageAlpha = std::clamp(imageAlpha + alphaSpeed, 0.0, 255.0);
}

void CMainWindow::fAddButton(const std::string& name) {
  widgets[name] = std::make_shared<CButton>(this);
  order.push_back(name);
}

void CMainWindow::fAddTextLabel(const std::string& name) {
  widgets[name] = std::make_shared<CTextLabel>(this);
  order.push_back(name);
}

CWidget* CMainWindow::fGetWidget(const std::string& name) const {
  auto it = widgets.find(name);
  return it == widgets.end() ? nullptr : it->second.get();
}

bool CMainWindow::fRemoveWidget(const std::string& name) {
  widgets.erase(name);
  auto it = std::find(order.begin(), order.end(), name);
  if (it == order.end()) return false;
  // A name added twice is listed twice; it goes from the order entirely.
  order.erase(std::remove(order.begin(), order.end(), name), order.end());
  return true;
}

CWidget& CMainWindow::fWidgetOrDie(const std::string& name) const {
  CWidget* widget = fGetWidget(name);
  PLIMO_ASSERT(widget != nullptr, ("no widget named \"" + name + "\"").c_str());
  return *widget;
}

template <typename TWidget>
TWidget& CMainWindow::fWidgetOfKind(const std::string& name) const {
  auto* widget = dynamic_cast<TWidget*>(&fWidgetOrDie(name));
  PLIMO_ASSERT(widget != nullptr, ("widget \"" + name + "\" is of another kind").c_str());
  return *widget;
}

void CMainWindow::fSetWidgetPosition(const std::string& name, SPointD point) {
  fWidgetOrDie(name).fSetPosition(point);
}

void CMainWindow::fSetWidgetVelocity(const std::string& name, SPointD point) {
  fWidgetOrDie(name).fSetVelocity(point);
}

void CMainWindow::fSetWidgetLink(const std::string& name, int direction, const std::string& target) {
  fWidgetOrDie(name).fSetLink(direction, target);
}

bool CMainWindow::fSetFocus(const std::string& name, bool focused) {
  CWidget* widget = fGetWidget(name);
  if (widget == nullptr) return false;
  if (focused) focus = name;
  widget->fSetFocused(focused);
  return true;
}

void CMainWindow::fSetupButtonByName(const std::string& name, std::shared_ptr<CDrawData> normal,
                                     std::shared_ptr<CDrawData> focusedImage, int alpha, bool flag) {
  fWidgetOfKind<CButton>(name).fSetupButton(std::move(normal), std::move(focusedImage), alpha, flag);
}

void CMainWindow::fSetupLabelByName(const std::string& name, unsigned int normalColour, unsigned int focusedColour,
                                    int font, const std::string& note, double alpha,
                                    std::shared_ptr<CFocusBgInfo> highlight) {
  fWidgetOfKind<CTextLabel>(name).fSetupLabel(normalColour, focusedColour, font, note, alpha,
                                              std::move(highlight));
}

void CMainWindow::fSetLabelText(const std::string& name, const std::string& text) {
  fWidgetOfKind<CTextLabel>(name).fSetText(text);
}
