#include "menu/CYesNoWindow.h"

#include <algorithm>

#include "gamelib/GameLib.h"
#include "gui/Window.h"
#include "input/CKeyManagerBase.h"
#include "menu/DialogFrame.h"
#include "text/Texts.h"

namespace {
// Runs a copy, so the callback may destroy the window that holds it.
void fRun(const std::function<void()>& callback) {
  if (!callback) return;
  const auto copy = callback;
  copy();
}
}  // namespace

CYesNoWindow::CYesNoWindow(int fontHandle, SPointD at)
    : CYesNoWindow(fontHandle, at, fText(ETextId::ConfirmSend), false) {}

CYesNoWindow::CYesNoWindow(int fontHandle, SPointD at, const std::string& question, bool noFirst)
    : window(std::make_unique<CMainWindow>()), position(at), font(fontHandle) {
  int s = 0;
  GetFontStateToHandle(nullptr, &s, nullptr, font);
  const int questionWidth = GetDrawStringWidthToHandle(question.c_str(), static_cast<int>(question.size()), font);
  const int width = std::max(10 * s, questionWidth + 40);
  window->fSetupBackground(fDialogLayers(width, 2 * s + 40), 0, 0);

  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int black = GetColor(0, 0, 0);
  // The question is plain text: only the chosen answer sits on a white box.
  fAddTextLabelAt(*window, "title", SPointD(10, 15), white, black, font, "", question, 255.0, nullptr);
  // Boxes two and three full-width characters wide.
  fAddTextLabelAt(*window, "yes", SPointD(20, s + 30), white, black, font, "", fText(ETextId::Yes), 255.0,
                  fMakeSolidFocusBg(2 * s));
  fAddTextLabelAt(*window, "no", SPointD(100, s + 30), white, black, font, "", fText(ETextId::No), 255.0,
                  fMakeSolidFocusBg(3 * s));
  window->fSetWidgetLink("yes", CWidget::kLinkRight, "no");
  window->fSetWidgetLink("no", CWidget::kLinkLeft, "yes");
  window->fSetPosition(position);
  window->fSetFocus(noFirst ? "no" : "yes", true);
}

void CYesNoWindow::fInput(CKeyManagerBase& keys) {
  if (keys.fIsPush(EGameKey::Right, true)) {
    window->fMoveFocus(CWidget::kLinkRight);
  } else if (keys.fIsPush(EGameKey::Left, true)) {
    window->fMoveFocus(CWidget::kLinkLeft);
  } else if (fIsConfirmPush(keys)) {
    const std::string focus = window->fGetFocus();
    if (focus == "yes") {
      fRun(onYes);
    } else if (focus == "no") {
      fRun(onNo);
    }
  } else if (keys.fIsPush(EGameKey::KeyX, true) || keys.fIsPush(EGameKey::KeyEsc, true)) {
    fRun(onNo);
  }
}
