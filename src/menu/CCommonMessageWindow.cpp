#include "menu/CCommonMessageWindow.h"

#include <string>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "gui/CSetupWindowInfo.h"
#include "gui/Window.h"
#include "input/CKeyManagerBase.h"
#include "menu/DialogFrame.h"

namespace {

constexpr int kDefaultWidth = 620;
constexpr int kMinimumRows = 3;
constexpr int kMargin = 20;
// Rows of later pages; the first page follows the menu's own row spacing.
constexpr int kPageRowStep = 30;
constexpr const char* kNextIcon = "nextIcon";
constexpr const char* kNextIconImage = "ui_parts/cursor_down.png";

std::string fLineName(int i) { return "line" + std::to_string(i); }

// Pops the first page into rows line0, line1, ... (at least three, so one-
// and two-line texts keep the window's height) and builds the window.
std::unique_ptr<CMainWindow> fBuildMessageWindow(CMessageInfo& info, int font, std::optional<int> width,
                                                 std::optional<int> height) {
  CSetupWindowInfo setup;
  setup.fSet(SPointD(10, 330), font, GetColor(255, 255, 255), GetColor(0, 0, 0), kMargin, kMargin);
  fAddDialogBackgrounds(setup, width.value_or(kDefaultWidth), -1);
  int rows = 0;
  if (info.fHasMessage()) {
    for (const auto& line : fSplitPage(info.fPopMessage())) setup.fAddLabel(fLineName(rows++), line);
  }
  while (rows < kMinimumRows) setup.fAddLabel(fLineName(rows++), "");

  auto window = fCreateWindow(setup, fMakeWhiteFocusBg(), width.value_or(kDefaultWidth), height);
  // No row is drawn highlighted.
  window->fSetFocus(fLineName(0), false);
  return window;
}

}  // namespace

// ---- type 0: passive ----

CCommonMessageWindow<EMessageWindowType::Display>::CCommonMessageWindow(std::unique_ptr<CMessageInfo> info,
                                                                        std::optional<int> width,
                                                                        std::optional<int> height)
    : messageInfo(info ? std::move(info) : std::make_unique<CMessageInfo>()) {
  window = fBuildMessageWindow(*messageInfo, gFontMenu, width, height);
}

void CCommonMessageWindow<EMessageWindowType::Display>::fUpdate() {
  if (active) window->fUpdate();
}

void CCommonMessageWindow<EMessageWindowType::Display>::fDraw() {
  if (active) window->fDraw();
}

// ---- type 1: waits for the decide key ----

CCommonMessageWindow<EMessageWindowType::WaitForKey>::CCommonMessageWindow(std::unique_ptr<CMessageInfo> info,
                                                                           std::optional<int> width,
                                                                           std::optional<int> height)
    : messageInfo(info ? std::move(info) : std::make_unique<CMessageInfo>()), font(gFontMenu) {
  fSetup(width, height);
}

void CCommonMessageWindow<EMessageWindowType::WaitForKey>::fSetup(std::optional<int> width,
                                                                   std::optional<int> height) {
  window = fBuildMessageWindow(*messageInfo, font, width, height);
  auto arrow = [] { return fMakeCDrawData(gImageManager->fGetImage(kNextIconImage)); };
  fAddButtonAt(*window, kNextIcon, SPointD(window->fGetWidth() / 2, window->fGetHeight() - 15), arrow(), arrow(),
               255, true);
}

void CCommonMessageWindow<EMessageWindowType::WaitForKey>::fUpdate() {
  if (!active) return;
  window->fUpdate();
  // Wraps long before it could overflow; the arrow's rhythm barely notices.
  frameCount = frameCount >= 2147483646 ? 0 : frameCount + 1;
  // Half of every second the arrow sits 3 pixels lower.
  const int phase = frameCount % 60;
  if (phase == 30 || phase == 0) {
    CWidget* icon = window->fGetWidget(kNextIcon);
    const SPointD at = icon->fGetPosition();
    icon->fSetPosition(SPointD(at.x, at.y + (phase == 30 ? 3.0 : -3.0)));
  }
}

void CCommonMessageWindow<EMessageWindowType::WaitForKey>::fInput(CKeyManagerBase& keys) {
  // Finished windows stay quiet, so onClose runs once even if the owner
  // keeps the window around.
  if (!active || finished) return;
  if (!fIsConfirmPush(keys)) return;
  if (fShowNextMessage()) return;
  finished = true;
  if (!onClose) return;
  // The owner usually drops this window from inside the callback: run a
  // copy and touch nothing afterwards.
  const auto callback = onClose;
  callback();
}

void CCommonMessageWindow<EMessageWindowType::WaitForKey>::fDraw() {
  if (active) window->fDraw();
}

bool CCommonMessageWindow<EMessageWindowType::WaitForKey>::fShowNextMessage() {
  if (!messageInfo->fHasMessage()) return false;
  for (int i = 0; window->fRemoveWidget(fLineName(i)); ++i) {
  }
  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int black = GetColor(0, 0, 0);
  int i = 0;
  for (const auto& line : fSplitPage(messageInfo->fPopMessage())) {
    fAddTextLabelAt(*window, fLineName(i), SPointD(kMargin, kMargin + kPageRowStep * i), white, black, font, "",
                    line, 255.0);
    ++i;
  }
  return true;
}
