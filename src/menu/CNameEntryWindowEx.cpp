#include "menu/CNameEntryWindowEx.h"

#include <algorithm>
#include <vector>

#include "gamelib/GameLib.h"
#include "gui/Window.h"
#include "menu/DialogFrame.h"
#include "online/RankingUrl.h"
#include "persist/Settings.h"
#include "text/Texts.h"

namespace {
constexpr int kKeyInputTyping = 0;
constexpr int kKeyInputFinished = 1;
constexpr int kPadding = 10;
constexpr int kFieldTop = 50;
constexpr int kFieldHeight = 28;
constexpr int kGap = 10;
// Above the confirmation, which opens at y 240.
constexpr int kTop = 90;

int fFontSize(int font) {
  int size = 0;
  GetFontStateToHandle(nullptr, &size, nullptr, font);
  return size;
}
int fWidthOf(const std::string& text, int font) {
  return GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font, 0);
}
}  // namespace

std::string fKeepRankingNameBytes(const std::string& typed) {
  std::string kept;
  for (const char c : typed) {
    if (fIsRankingNameByte(c)) kept += c;
  }
  return kept;
}

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

  // Wide enough for the field and its count, the rule and the title; the
  // count is measured at its widest.
  const int note = font;
  const int countWidth = fWidthOf(fFormatText(ETextId::NameEntryCountFormat, maxLength, maxLength), note);
  const int fieldAndCount = fFieldWidth() + kGap + countWidth;
  const int inner = std::max({fieldAndCount, fWidthOf(fText(ETextId::NameEntryRule), note),
                              fWidthOf(fText(ETextId::NameEntryEmpty), note),
                              fWidthOf(fText(ETextId::NameEntryTitle), font)});
  const int width = inner + 2 * kPadding;
  const int height = kFieldTop + kFieldHeight + kGap + fFontSize(note) + 2 * kPadding;
  window->fSetupBackground(fDialogLayers(width, height), 0, 0);
  // A plain heading: a white box would look like a chosen row.
  fAddTextLabelAt(*window, "title", SPointD(kPadding, 15), GetColor(255, 255, 255), GetColor(0, 0, 0), font, "",
                  fText(ETextId::NameEntryTitle), 255.0, nullptr);
  window->fSetPosition(SPointD((640 - width) / 2, kTop));
  // The name sent last time, to send again or change.
  fStartInput(gSettings.rankingName);
}

CNameEntryWindowEx::~CNameEntryWindowEx() { fCloseInput(); }

void CNameEntryWindowEx::fStartInput(const std::string& text) {
  keyInputHandle = MakeKeyInput(maxLength, 1, 1, 0);
  if (keyInputHandle < 0) {
    keyInputHandle = -1;
    inputFailed = true;
    return;
  }
  SetActiveKeyInput(keyInputHandle);
  if (!text.empty()) SetKeyInputString(fKeepRankingNameBytes(text).c_str(), keyInputHandle);
}

int CNameEntryWindowEx::fFieldWidth() const { return (fontSize / 2) * maxLength + 4; }

std::string CNameEntryWindowEx::fTyped() const {
  if (keyInputHandle < 0) return shownName;
  std::vector<char> buffer(static_cast<std::size_t>(std::max(maxLength, 0)) + 1, '\0');
  GetKeyInputString(buffer.data(), keyInputHandle);
  buffer.back() = '\0';
  return buffer.data();
}

void CNameEntryWindowEx::fCloseInput() {
  if (keyInputHandle < 0) return;
  DeleteKeyInput(keyInputHandle);
  keyInputHandle = -1;
}

void CNameEntryWindowEx::fFinishInput() {
  std::vector<char> buffer(static_cast<std::size_t>(std::max(maxLength, 0)) + 1, '\0');
  GetKeyInputString(buffer.data(), keyInputHandle);
  buffer.back() = '\0';
  const std::string cleaned = fCleanRankingName(std::string(buffer.data(), buffer.size()));
  fCloseInput();
  // The ranking takes no empty name: say so here and type on, rather than
  // send it and have the server refuse it.
  if (!fIsValidRankingName(cleaned)) {
    refused = true;
    fStartInput("");
    return;
  }
  refused = false;
  name = cleaned;
  shownName = name;

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
    fStartInput(gSettings.rankingName);
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
  if (state == kKeyInputTyping) {
    // What the ranking would refuse goes again at once: it never shows.
    const std::string typed = fTyped();
    const std::string kept = fKeepRankingNameBytes(typed);
    if (kept != typed) SetKeyInputString(kept.c_str(), keyInputHandle);
    if (!fCleanRankingName(kept).empty()) refused = false;
    return;
  }
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
  const int ox = static_cast<int>(corner.x) + kPadding;
  const int oy = static_cast<int>(corner.y) + kFieldTop;
  DrawBox(ox, oy, ox + fFieldWidth(), oy + kFieldHeight, GetColor(60, 60, 60), 1);
  if (keyInputHandle >= 0) DrawKeyInputString(ox + 2, oy + 2, keyInputHandle);
  if (!shownName.empty()) DrawString(ox + 2, oy + 2, shownName.c_str(), GetColor(255, 255, 255), 0);
  // How much of the length is used, and what may be typed.
  const int note = font;
  const unsigned int grey = GetColor(200, 200, 200);
  const int typed = static_cast<int>(fTyped().size());
  const std::string count = fFormatText(ETextId::NameEntryCountFormat, typed, maxLength);
  DrawStringToHandle(ox + fFieldWidth() + kGap, oy + (kFieldHeight - fFontSize(note)) / 2, count.c_str(),
                     typed >= maxLength ? GetColor(255, 200, 80) : grey, note, 0, 0);
  // The rule, or why Enter did not take the name.
  if (refused) {
    DrawStringToHandle(ox, oy + kFieldHeight + kGap, fText(ETextId::NameEntryEmpty), GetColor(255, 150, 90), note, 0,
                       0);
  } else {
    DrawStringToHandle(ox, oy + kFieldHeight + kGap, fText(ETextId::NameEntryRule), grey, note, 0, 0);
  }
  if (yesNoWindow) yesNoWindow->fDraw();
}
