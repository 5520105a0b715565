#include "menu/COptionMenu.h"

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gui/CSetupWindowInfo.h"
#include "input/CKeyManagerBase.h"
#include "menu/DialogFrame.h"
#include "persist/Records.h"
#include "util/Assert.h"

namespace {

constexpr const char* kHeadingName = "TEXT2";
constexpr const char* kHeadingText = "【ゲームパッド】";

std::string fRowText(const SOptionRow& row) {
  PLIMO_ASSERT(gOptionInfo != nullptr, "option menu without an option record");
  return std::string(row.label) + gOptionInfo->fGetButtonName(fKeyIndex(row.key));
}

const SOptionRow& fRowNamed(const std::string& name) {
  for (const auto& row : kOptionRows) {
    if (name == row.name) return row;
  }
  PLIMO_ASSERT(false, "invalide widget name! ");
  return kOptionRows[0];
}

}  // namespace

COptionMenu::COptionMenu() {
  CSetupWindowInfo setup;
  setup.fSet(SPointD(5, 5), gFontMenu, GetColor(255, 255, 255), GetColor(0, 0, 0), 25, 20);
  fAddDialogBackgrounds(setup, -1, -1);
  setup.fAddLabel(kHeadingName, kHeadingText);
  for (const auto& row : kOptionRows) setup.fAddLabel(row.name, fRowText(row));
  window = fCreateWindow(setup, fMakeWhiteFocusBg());

  // The heading is never focused: the cycle runs through the key rows only.
  window->fSetFocus(kHeadingName, false);
  window->fSetFocus("LEFT", true);
  window->fSetWidgetLink("KEY_C", CWidget::kLinkDown, "LEFT");
  window->fSetWidgetLink("LEFT", CWidget::kLinkUp, "KEY_C");
  window->fSetPosition(SPointD(140, 70));

  keyRepeat.fAddKey(EGameKey::Down);
  keyRepeat.fAddKey(EGameKey::Up);
}

void COptionMenu::fAnimate() { keyRepeat.fUpdate(*gKeyManager); }

void COptionMenu::fUpdate() {
  // Navigation listens to the keyboard only, so pad buttons (directions
  // included) can be learned without moving the cursor.
  if (gKeyManager->fIsTriggered(EGameKey::Down) != 0) {
    window->fMoveFocus(CWidget::kLinkDown);
    return;
  }
  if (gKeyManager->fIsTriggered(EGameKey::Up) != 0) {
    window->fMoveFocus(CWidget::kLinkUp);
    return;
  }
  const int button = gKeyManager->fGetPressedJoypadButton();
  if (button >= 0) {
    const SOptionRow& row = fRowNamed(window->fGetFocus());
    const auto index = static_cast<std::size_t>(fKeyIndex(row.key));
    PLIMO_ASSERT(index < gOptionInfo->padButtons.size(), "option record without an entry for the key");
    gOptionInfo->padButtons[index] = button;
    gKeyManager->fSetupPadButtonFromSetting();
    fRefreshLabels();
  }
  // Either key is asked, so both see their release.
  const bool leaveX = gKeyManager->fIsTriggered(EGameKey::KeyX) != 0;
  const bool leaveZ = gKeyManager->fIsTriggered(EGameKey::KeyZ) != 0;
  if (leaveX || leaveZ) {
    fSaveOptionInfo();
    if (!onClose) return;
    const auto close = onClose;
    close();
  }
}

void COptionMenu::fDraw() { window->fDraw(); }

void COptionMenu::fSaveOptionInfo() { ::fSaveOptionInfo(); }

void COptionMenu::fRefreshLabels() {
  for (const auto& row : kOptionRows) window->fSetLabelText(row.name, fRowText(row));
}
