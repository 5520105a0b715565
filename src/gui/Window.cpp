#include "gui/Window.h"

#include "gamelib/GameLib.h"

void fAddButtonAt(CMainWindow& window, const std::string& name, SPointD position, std::shared_ptr<CDrawData> normal,
                  std::shared_ptr<CDrawData> focused, int alpha, bool flag) {
  window.fAddButton(name);
  window.fSetWidgetPosition(name, position);
  window.fSetupButtonByName(name, std::move(normal), std::move(focused), alpha, flag);
}

void fAddTextLabelAt(CMainWindow& window, const std::string& name, SPointD position, unsigned int normalColour,
                     unsigned int focusedColour, int font, const std::string& note, const std::string& text,
                     double alpha, std::shared_ptr<CFocusBgInfo> highlight) {
  window.fAddTextLabel(name);
  window.fSetWidgetPosition(name, position);
  window.fSetupLabelByName(name, normalColour, focusedColour, font, note, alpha, std::move(highlight));
  window.fSetLabelText(name, text);
}

std::shared_ptr<CFocusBgInfo> fMakeStandardFocusBg() {
  return std::make_shared<CFocusBgInfo>(true, true, GetColor(240, 240, 255), GetColor(160, 160, 180), 150, 50, 5);
}

void fAddTextLabelAt(CMainWindow& window, const std::string& name, SPointD position, unsigned int normalColour,
                     unsigned int focusedColour, int font, const std::string& note, const std::string& text,
                     double alpha) {
  fAddTextLabelAt(window, name, position, normalColour, focusedColour, font, note, text, alpha,
                  fMakeStandardFocusBg());
}

void fSetWidgetLinks(CMainWindow& window, const std::string& name, const std::string& left, const std::string& up,
                     const std::string& right, const std::string& down) {
  window.fSetWidgetLink(name, CWidget::kLinkLeft, left);
  window.fSetWidgetLink(name, CWidget::kLinkUp, up);
  window.fSetWidgetLink(name, CWidget::kLinkRight, right);
  window.fSetWidgetLink(name, CWidget::kLinkDown, down);
}
