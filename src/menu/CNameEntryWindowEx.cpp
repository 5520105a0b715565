#include "menu/CNameEntryWindowEx.h"

#include <algorithm>
#include <vector>

#include "gamelib/GameLib.h"
#include "gui/Window.h"
#include "menu/DialogFrame.h"
#include "text/Texts.h"

namespace {
constexpr int kKeyInputTyping = 0;
constexpr int kKeyInputFinished = 1;
}  // namespace

std::string fCleanRankingName(const std::string& typed) {
  std::string cleaned = typed.substr(0, typed.find('\0'));
  std::replace(cleaned.begin(), cleaned.end(), '?', '-');
  cleaned.erase(std::remove(cleaned.begin(), cleaned.end(), ' '), cleaned.end());
  return cleaned;
}

CNameEntryWindowEx::CNameEntryWindowEx(int maxLengthBytes, int fontHandle, int tagValue)
    : window(std::make_unique<CMainWindow>()), font(fontHandle), maxLength(maxLengthBytes), tag(tagValue) {
  GetFontStateToHandle(nullptr, &fontSize, nullptr, font);
  // The text field draws with the library's default font.
  SetFontSize(fontSize);
  SetFontThickness(0);

  const int width = (fontSize / 2) * maxLength + 40;
  window->fSetupBackground(fDialogLayers(width, 2 * fontSize + 40), 0, 0);
  fAddTextLabelAt(*window, "title", SPointD(10, 15), GetColor(255, 255, 255), GetColor(0, 0, 0), font, "",
                  fText(ETextId::NameEntryTitle), 255.0, fMakeSolidFocusBg(width - 20));
  window->fSetFocus("title", true);
  window->fSetPosition(SPointD(200, 150));
  fStartInput();
}

CNameEntryWindowEx::~CNameEntryWindowEx() { fCloseInput(); }

void CNameEntryWindowEx::fStartInput() {
  keyInputHandle = MakeKeyInput(maxLength, 1, 1, 0);
  if (keyInputHandle < 0) {
    keyInputHandle = -1;
    inputFailed = true;
    return;
  }
  SetActiveKeyInput(keyInputHandle);
}

void CNameEntryWindowEx::fCloseInput() {
  if (keyInputHandle < 0) return;
  DeleteKeyInput(keyInputHandle);
  keyInputHandle = -1;
}

void CNameEntryWindowEx::fFinishInput() {
  std::vector<char> buffer(static_cast<std::size_t>(maxLength) + 1, '\0');
  GetKeyInputString(buffer.data(), keyInputHandle);
  buffer.back() = '\0';
  name = fCleanRankingName(std::string(buffer.data(), buffer.size()));
  shownName = name;
  fCloseInput();

  yesNoWindow = std::make_shared<CYesNoWindow>(font, SPointD(200, 240));
  yesNoWindow->onYes = [this] {
    yesNoWindow.reset();
    if (!onConfirm) return;
    const auto confirm = onConfirm;
    confirm(tag);
  };
  yesNoWindow->onNo = [this] {
    yesNoWindow.reset();
    shownName.clear();
    fStartInput();
  };
}

void CNameEntryWindowEx::fCancel() {
  fCloseInput();
  if (!onCancel) return;
  const auto cancel = onCancel;
  cancel();
}

void CNameEntryWindowEx::fInput(CKeyManagerBase& keys) {
  if (yesNoWindow) {
    const auto asking = yesNoWindow;
    asking->fInput(keys);
    return;
  }
  if (inputFailed) {
    fCancel();
    return;
  }
  if (keyInputHandle < 0) return;  // confirmed: the owner takes over
  const int state = CheckKeyInput(keyInputHandle);
  if (state == kKeyInputTyping) return;
  if (state == kKeyInputFinished) {
    fFinishInput();
  } else {
    // Escape, or a field the library no longer knows.
    fCancel();
  }
}

void CNameEntryWindowEx::fUpdate() {
  if (yesNoWindow) yesNoWindow->fUpdate();
}

void CNameEntryWindowEx::fDraw() {
  window->fDraw();
  DrawKeyInputModeString(640, 480);
  const SPointD corner = window->fGetPosition();
  const int ox = static_cast<int>(corner.x) + 10;
  const int oy = static_cast<int>(corner.y) + 50;
  DrawBox(ox, oy, ox + (fontSize / 2) * maxLength + 4, oy + 28, GetColor(60, 60, 60), 1);
  if (keyInputHandle >= 0) DrawKeyInputString(ox + 2, oy + 2, keyInputHandle);
  if (!shownName.empty()) DrawString(ox + 2, oy + 2, shownName.c_str(), GetColor(255, 255, 255), 0);
  if (yesNoWindow) yesNoWindow->fDraw();
}
