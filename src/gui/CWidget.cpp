#include "gui/CWidget.h"

#include <algorithm>

#include "gui/CMainWindow.h"
#include "util/Assert.h"

namespace {
void fCheckDirection(int direction) {
  PLIMO_ASSERT(direction >= 0 && direction < 4, "widget link direction out of range");
}
}  // namespace

void CWidget::fMove() {
  position = position + velocity;
  alpha = std::clamp(alpha + alphaSpeed, 0.0, 255.0);
}

void CWidget::fSetLink(int direction, const std::string& name) {
  fCheckDirection(direction);
  links[static_cast<std::size_t>(direction)] = name;
}

std::string CWidget::fGetLink(int direction) const {
  fCheckDirection(direction);
  return links[static_cast<std::size_t>(direction)];
}

SPointD CWidget::fScreenPosition() const {
  return window == nullptr ? position : window->fGetPosition() + position;
}
