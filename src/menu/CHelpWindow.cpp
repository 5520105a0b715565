#include "menu/CHelpWindow.h"

#include <algorithm>
#include <iterator>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "stage/ModelTable.h"
#include "gamelib/GameLib.h"
#include "gui/CSetupWindowInfo.h"
#include "input/CKeyManagerBase.h"
#include "input/PauseKeys.h"
#include "menu/COptionMenu.h"
#include "menu/DialogFrame.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

constexpr ETextId kPages[] = {ETextId::HelpGoal,  ETextId::HelpKeysFormat, ETextId::HelpChains,
                              ETextId::HelpModes, ETextId::HelpReplays,    ETextId::HelpDaily};
constexpr int kPageCount = static_cast<int>(std::size(kPages));
// The blank row the ball pictures fill, and how they are drawn there.
constexpr const char* kSymbolRowLine = " ";
constexpr int kSymbolColours = 6;  // the garbage grey has its crosses, no symbol
constexpr double kSymbolScale = 0.55;
constexpr int kSymbolSpacing = 40;

std::vector<std::string> fSplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

std::vector<std::string> fKeysPage() {
  std::vector<std::string> lines = {fText(ETextId::HelpKeysFormat)};
  for (int i = 0; i < 8; ++i) {
    const SOptionRow& row = kOptionRows[i];
    std::string line = std::string(fText(row.label)) + fKeyboardKeyName(row.key);
    const std::string button = fPadButtonName(row.key);
    if (i < 4) {
      // Directions: the cursor keys and the pad's own directions always work.
      line += ", " + fKeyboardKeyName(static_cast<EGameKey>(fKeyIndex(row.key) + 4)) + " / " +
              fText(ETextId::HelpPadDirections);
      if (!button.empty()) line += ", " + button;
    } else if (!button.empty()) {
      line += " / " + button;
    }
    lines.push_back(line);
  }
  lines.push_back(std::string(fText(ETextId::HelpPauseLabel)) + fPauseKeyNames());
  lines.push_back(fText(ETextId::HelpLeaveLine));
  lines.push_back(fText(ETextId::HelpAltEnterLine));
  return lines;
}

}  // namespace

int CHelpWindow::fPageCount() { return kPageCount; }

std::vector<std::string> fHelpPageLines(int page) {
  PLIMO_ASSERT(page >= 0 && page < kPageCount, "help page out of range");
  std::vector<std::string> lines = {fFormatText(ETextId::HelpTitleFormat, page + 1, kPageCount)};
  const auto body = kPages[page] == ETextId::HelpKeysFormat ? fKeysPage() : fSplitLines(fText(kPages[page]));
  lines.insert(lines.end(), body.begin(), body.end());
  if (kPages[page] == ETextId::HelpGoal) {
    // The colours with their symbols are drawn over the blank line after it.
    lines.push_back(fText(ETextId::HelpSymbolsLine));
    lines.push_back(kSymbolRowLine);
  }
  lines.push_back(fFormatText(ETextId::HelpFooterFormat, fKeyboardKeyName(EGameKey::KeyX).c_str()));
  return lines;
}

CHelpWindow::CHelpWindow() { fBuildPage(); }

void CHelpWindow::fBuildPage() {
  CSetupWindowInfo setup;
  setup.fSet(SPointD(10, 10), gFontText, GetColor(255, 255, 255), GetColor(0, 0, 0), 20, 16);
  fAddDialogBackgrounds(setup, 620, -1);
  const auto lines = fHelpPageLines(page);
  for (std::size_t i = 0; i < lines.size(); ++i) setup.fAddLabel("line" + std::to_string(i), lines[i]);
  window = fCreateWindow(setup, fMakeWhiteFocusBg());
  // The title line stays highlighted; nothing else is focusable.
  window->fSetPosition(SPointD(10, 10));
}

void CHelpWindow::fInput() {
  const bool left = gKeyManager->fIsPush(EGameKey::Left, true);
  const bool right = gKeyManager->fIsPush(EGameKey::Right, true);
  const bool back = gKeyManager->fIsPush(EGameKey::KeyX, true);
  const bool escape = gKeyManager->fIsPush(EGameKey::KeyEsc, true);
  if (back || escape) {
    if (!onClose) return;
    const auto close = onClose;
    close();
    return;
  }
  const int next = page + (right ? 1 : 0) - (left ? 1 : 0);
  if (next != page && next >= 0 && next < kPageCount) {
    page = next;
    fBuildPage();
  }
}

void CHelpWindow::fDraw() {
  window->fDraw();
  if (kPages[page] == ETextId::HelpGoal) fDrawSymbolRow();
}

void CHelpWindow::fDrawSymbolRow() const {
  if (!gImageManager) return;
  const auto lines = fHelpPageLines(page);
  const auto row = std::find(lines.begin(), lines.end(), kSymbolRowLine);
  PLIMO_ASSERT(row != lines.end(), "the goal page has a row for the symbols");
  const CWidget* label = window->fGetWidget("line" + std::to_string(row - lines.begin()));
  PLIMO_ASSERT(label != nullptr, "the symbol row has its label");
  int size = 0;
  GetFontStateToHandle(nullptr, &size, nullptr, gFontText);
  const SPointD at = window->fGetPosition() + label->fGetPosition();
  for (int colour = 0; colour < kSymbolColours; ++colour) {
    const int x = static_cast<int>(at.x) + 30 + kSymbolSpacing * colour;
    const int y = static_cast<int>(at.y) + size / 2;
    DrawRotaGraph(x, y, kSymbolScale, 0.0, gImageManager->fGetImage(fBallPictureName(colour, true)), 1);
  }
}
