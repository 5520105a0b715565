#include "menu/COptionMenu.h"

#include <algorithm>
#include <cstdio>

#include "app/Display.h"
#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CSoundManager.h"
#include "gui/CSetupWindowInfo.h"
#include "input/CKeyManager.h"
#include "input/KeyNames.h"
#include "menu/DialogFrame.h"
#include "persist/Records.h"
#include "persist/Settings.h"
#include "text/KeyHints.h"
#include "util/Assert.h"

namespace {

constexpr const char* kPadHeadingName = "TEXT2";
constexpr const char* kSettingsHeadingName = "TEXT_SETTINGS";
constexpr const char* kKeyboardHeadingName = "TEXT_KEYBOARD";
constexpr const char* kKeyDefaultsName = "KEY_DEFAULTS";
constexpr const char* kKeyboardRowNames[8] = {"K_LEFT", "K_UP", "K_RIGHT", "K_DOWN",
                                              "K_DROP", "K_HOLD", "K_TURN_LEFT", "K_TURN_RIGHT"};
constexpr const char* kSettingsRows[] = {"LANGUAGE", "MUSIC", "EFFECTS", "DISPLAY",  "SCALE",
                                         "KEYBOARD", "PAD",   "SYMBOLS", "DEFAULTS"};
constexpr const char* kScaleNames[] = {"x1", "x1.5", "x2"};
constexpr int kHintY = 440;

// Keys the game keeps for itself: menus, pause, debug saves, Alt+Enter.
constexpr int kReservedKeys[] = {KEY_INPUT_ESCAPE, KEY_INPUT_LEFT,  KEY_INPUT_UP,    KEY_INPUT_RIGHT, KEY_INPUT_DOWN,
                                 KEY_INPUT_P,      KEY_INPUT_PAUSE, KEY_INPUT_RETURN, KEY_INPUT_LALT, KEY_INPUT_RALT,
                                 KEY_INPUT_NUMPADENTER,
                                 KEY_INPUT_F1,     KEY_INPUT_F2,    KEY_INPUT_F3,    KEY_INPUT_F4,    KEY_INPUT_F5,
                                 KEY_INPUT_F6,     KEY_INPUT_F7,    KEY_INPUT_F8,    KEY_INPUT_F9,    KEY_INPUT_F10,
                                 KEY_INPUT_F11,    KEY_INPUT_F12};

// The label without its padding and colon: the action's name.
std::string fActionName(ETextId label) {
  std::string text = fText(label);
  for (;;) {
    if (!text.empty() && (text.back() == ':' || text.back() == ' ')) {
      text.pop_back();
    } else if (text.size() >= 3 && text.compare(text.size() - 3, 3, "　") == 0) {
      text.resize(text.size() - 3);
    } else {
      return text;
    }
  }
}

std::string fPadRowText(const SOptionRow& row) {
  PLIMO_ASSERT(gOptionInfo != nullptr, "option menu without an option record");
  const std::string button = gOptionInfo->fGetButtonName(fKeyIndex(row.key));
  // A row without a single button says how to give it one.
  return std::string(fText(row.label)) + button + (button == "Button?" ? fText(ETextId::OptionPressAButton) : "");
}

std::string fKeyboardRowText(int i) {
  std::string text = std::string(fText(kOptionRows[i].label)) + fKeyName(gSettings.keys[static_cast<std::size_t>(i)]);
  // The cursor keys always work for the four directions.
  static const int kCursorKeys[] = {KEY_INPUT_LEFT, KEY_INPUT_UP, KEY_INPUT_RIGHT, KEY_INPUT_DOWN};
  if (i < 4) text += " (" + fKeyName(kCursorKeys[i]) + ")";
  return text;
}

std::string fSettingsRowText(const std::string& name) {
  if (name == "LANGUAGE") {
    return std::string(fText(ETextId::OptionLanguageLabel)) +
           (fCurrentLanguage() == ELanguage::English ? "English" : "日本語");
  }
  if (name == "MUSIC") return fText(ETextId::OptionMusicLabel) + std::to_string(gSettings.musicVolume);
  if (name == "EFFECTS") return fText(ETextId::OptionEffectsLabel) + std::to_string(gSettings.effectVolume);
  if (name == "DISPLAY") {
    return std::string(fText(ETextId::OptionDisplayLabel)) +
           fText(fIsWindowed() ? ETextId::OptionWindowed : ETextId::OptionFullScreen);
  }
  if (name == "SCALE") return fText(ETextId::OptionWindowSizeLabel) + std::string(kScaleNames[gSettings.windowScale]);
  if (name == "SYMBOLS") {
    return std::string(fText(ETextId::OptionBallSymbolsLabel)) +
           fText(gSettings.ballSymbols ? ETextId::OptionOn : ETextId::OptionOff);
  }
  if (name == "KEYBOARD") return fText(ETextId::OptionKeyboardRow);
  if (name == "PAD") return fText(ETextId::OptionPadRow);
  return fText(ETextId::OptionAllDefaultsRow);
}

const SOptionRow& fRowNamed(const std::string& name) {
  for (const auto& row : kOptionRows) {
    if (name == row.name) return row;
  }
  PLIMO_ASSERT(false, "invalide widget name! ");
  return kOptionRows[0];
}

int fKeyboardRowIndex(const std::string& name) {
  for (int i = 0; i < 8; ++i) {
    if (name == kKeyboardRowNames[i]) return i;
  }
  return -1;
}

void fApplyKeys() {
  if (auto* keys = dynamic_cast<CKeyManager*>(gKeyManager.get())) keys->fSetupKeyboardFromSettings();
}

void fApplyVolumes() {
  if (gSoundManager) gSoundManager->fSetVolumes(gSettings.musicVolume, gSettings.effectVolume);
}

// Z or Enter chooses; both are asked, so each sees its release.
bool fIsDecideTriggered() {
  const bool z = gKeyManager->fIsTriggered(EGameKey::KeyZ) != 0;
  const bool enter = gKeyManager->fIsEnterPush();
  return z || enter;
}

// The lowest keyboard code held down, or -1.
int fHeldKey() {
  for (int code = 1; code < KEY_CODE_COUNT; ++code) {
    if (CheckHitKey(code) != 0) return code;
  }
  return -1;
}

}  // namespace

std::string fKeyAssignmentProblem(int row, int keyCode) {
  PLIMO_ASSERT(row >= 0 && row < 8, "keyboard row out of range");
  for (const int reserved : kReservedKeys) {
    if (keyCode == reserved) return fFormatText(ETextId::OptionKeyReservedFormat, fKeyName(keyCode).c_str());
  }
  if (!fIsNamedKey(keyCode)) return fFormatText(ETextId::OptionKeyReservedFormat, fKeyName(keyCode).c_str());
  for (int other = 0; other < 8; ++other) {
    if (other != row && gSettings.keys[static_cast<std::size_t>(other)] == keyCode) {
      return fFormatText(ETextId::OptionKeyInUseFormat, fKeyName(keyCode).c_str(),
                         fActionName(kOptionRows[other].label).c_str());
    }
  }
  return "";
}

COptionMenu::COptionMenu(EPage first) : firstPage(first), page(first) {
  fShowPage(first, "");
  keyRepeat.fAddKey(EGameKey::Down);
  keyRepeat.fAddKey(EGameKey::Up);
}

void COptionMenu::fShowPage(EPage next, const std::string& focus) {
  page = next;
  CSetupWindowInfo setup;
  setup.fSet(SPointD(5, 5), gFontMenu, GetColor(255, 255, 255), GetColor(0, 0, 0), 25, 20);
  fAddDialogBackgrounds(setup, -1, -1);
  std::string heading;
  std::string firstRow;
  std::string lastRow;
  switch (page) {
    case EPage::Pad:
      heading = kPadHeadingName;
      setup.fAddLabel(heading, fText(ETextId::OptionPadHeading));
      for (const auto& row : kOptionRows) setup.fAddLabel(row.name, fPadRowText(row));
      firstRow = "LEFT";
      lastRow = "KEY_C";
      break;
    case EPage::Keyboard:
      heading = kKeyboardHeadingName;
      setup.fAddLabel(heading, fText(ETextId::OptionKeyboardHeading));
      // The row that waits for a key asks for it; the window is built round it.
      for (int i = 0; i < 8; ++i) {
        setup.fAddLabel(kKeyboardRowNames[i], i == learning ? std::string(fText(kOptionRows[i].label)) +
                                                                  fText(ETextId::OptionPressAKey)
                                                            : fKeyboardRowText(i));
      }
      setup.fAddLabel(kKeyDefaultsName, fText(ETextId::OptionKeyDefaultsRow));
      firstRow = kKeyboardRowNames[0];
      lastRow = kKeyDefaultsName;
      break;
    case EPage::Settings:
      heading = kSettingsHeadingName;
      setup.fAddLabel(heading, fText(ETextId::OptionSettingsHeading));
      for (const char* row : kSettingsRows) setup.fAddLabel(row, fSettingsRowText(row));
      firstRow = kSettingsRows[0];
      lastRow = "DEFAULTS";
      break;
  }
  window = fCreateWindow(setup, fMakeWhiteFocusBg());
  // The heading is never focused: the cycle runs through the other rows only.
  window->fSetFocus(heading, false);
  window->fSetFocus(focus.empty() ? firstRow : focus, true);
  window->fSetWidgetLink(lastRow, CWidget::kLinkDown, firstRow);
  window->fSetWidgetLink(firstRow, CWidget::kLinkUp, lastRow);
  if (page == EPage::Pad) {
    window->fSetPosition(SPointD(140, 70));
  } else {
    window->fSetPosition(SPointD((640 - window->fGetWidth()) / 2, 20));
  }
}

void COptionMenu::fAnimate() { keyRepeat.fUpdate(*gKeyManager); }

void COptionMenu::fUpdate() {
  if (confirm) {
    confirm->fInput(*gKeyManager);
    if (confirmAnswer != EAnswer::None) {
      const bool yes = confirmAnswer == EAnswer::Yes;
      confirm.reset();
      confirmAnswer = EAnswer::None;
      if (yes) fRestoreAllDefaults();
    }
    return;
  }
  if (waitRelease) {
    if (fHeldKey() >= 0) return;
    waitRelease = false;
  }
  if (learning >= 0) {
    fLearnKey();
    return;
  }
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
  switch (page) {
    case EPage::Pad: fUpdatePad(); return;
    case EPage::Keyboard: fUpdateKeyboard(); return;
    case EPage::Settings: fUpdateSettings(); return;
  }
}

void COptionMenu::fUpdatePad() {
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
  const bool leaveEnter = gKeyManager->fIsEnterPush();
  const bool leaveEsc = gKeyManager->fIsTriggered(EGameKey::KeyEsc) != 0;
  if (leaveX || leaveZ || leaveEnter || leaveEsc) fBack();
}

void COptionMenu::fUpdateKeyboard() {
  const bool decide = fIsDecideTriggered();
  const bool back = gKeyManager->fIsTriggered(EGameKey::KeyX) != 0;
  const bool escape = gKeyManager->fIsTriggered(EGameKey::KeyEsc) != 0;
  if (back || escape) {
    fBack();
    return;
  }
  if (!decide) return;
  const std::string focus = window->fGetFocus();
  if (focus == kKeyDefaultsName) {
    gSettings.keys = kDefaultKeyboardKeys;
    fApplyKeys();
    message = fText(ETextId::OptionKeysRestored);
    fRefreshLabels();
    return;
  }
  learning = fKeyboardRowIndex(focus);
  PLIMO_ASSERT(learning >= 0, "invalide widget name! ");
  message.clear();
  waitRelease = true;  // the Z that chose the row is no answer
  fShowPage(page, focus);
}

void COptionMenu::fLearnKey() {
  const int code = fHeldKey();
  if (code < 0) return;
  const int row = learning;
  learning = -1;
  waitRelease = true;  // the key just pressed must not act in the menu
  if (code == KEY_INPUT_ESCAPE) {
    fRefreshLabels();
    return;
  }
  message = fKeyAssignmentProblem(row, code);
  if (message.empty()) {
    gSettings.keys[static_cast<std::size_t>(row)] = code;
    fApplyKeys();
  }
  fRefreshLabels();
}

void COptionMenu::fUpdateSettings() {
  const bool left = gKeyManager->fIsTriggered(EGameKey::Left) != 0;
  const bool right = gKeyManager->fIsTriggered(EGameKey::Right) != 0;
  const bool decide = fIsDecideTriggered();
  const bool back = gKeyManager->fIsTriggered(EGameKey::KeyX) != 0;
  const bool escape = gKeyManager->fIsTriggered(EGameKey::KeyEsc) != 0;
  if (back || escape) {
    fBack();
    return;
  }
  const std::string focus = window->fGetFocus();
  if (left || right) {
    fChange(focus, right ? 1 : -1);
    return;
  }
  if (!decide) return;
  if (focus == "KEYBOARD") {
    message.clear();
    fShowPage(EPage::Keyboard, "");
  } else if (focus == "PAD") {
    message.clear();
    fShowPage(EPage::Pad, "");
  } else if (focus == "DEFAULTS") {
    // Keys, pad buttons, volumes and all: asked first, "no" chosen.
    message.clear();
    confirm = std::make_unique<CYesNoWindow>(gFontMenu, SPointD(120, 200), fText(ETextId::OptionConfirmAllDefaults),
                                             true);
    confirm->onYes = [this] { confirmAnswer = EAnswer::Yes; };
    confirm->onNo = [this] { confirmAnswer = EAnswer::No; };
  } else {
    fChange(focus, 1);
  }
}

void COptionMenu::fRestoreAllDefaults() {
  const auto language = gSettings.language;
  const auto others = gSettings.otherLines;
  gSettings = SSettings{};
  gSettings.language = language;
  gSettings.otherLines = others;
  *gOptionInfo = COptionInfo{};
  gKeyManager->fSetupPadButtonFromSetting();
  fApplyKeys();
  fApplyVolumes();
  fSetWindowScale(gSettings.windowScale);
  message = fText(ETextId::OptionAllRestored);
  fRefreshLabels();
}

void COptionMenu::fChange(const std::string& row, int step) {
  message.clear();
  if (row == "LANGUAGE") {
    const ELanguage next = fCurrentLanguage() == ELanguage::English ? ELanguage::Japanese : ELanguage::English;
    gSettings.language = next;
    fSetLanguage(next);
    // Every text changes, and with them the window's size.
    fShowPage(page, row);
    return;
  }
  if (row == "MUSIC" || row == "EFFECTS") {
    int& volume = row == "MUSIC" ? gSettings.musicVolume : gSettings.effectVolume;
    const int changed = std::clamp(volume + step, 0, kMaxVolume);
    if (changed == volume) return;
    volume = changed;
    fApplyVolumes();
    // A sample at the new volume.
    if (gSoundManager && row == "MUSIC") {
      gSoundManager->fStopAllBgm();
      gSoundManager->fPlayBgm(EBgm::Tamco03);
    }
    if (gSoundManager && row == "EFFECTS") gSoundManager->fPlayEffect(ESoundEffect::Pochi01, false);
  } else if (row == "DISPLAY") {
    fSetWindowed(!fIsWindowed());
  } else if (row == "SCALE") {
    const int count = static_cast<int>(kWindowScales.size());
    fSetWindowScale((gSettings.windowScale + step + count) % count);
  } else if (row == "SYMBOLS") {
    gSettings.ballSymbols = !gSettings.ballSymbols;
  } else {
    return;
  }
  fRefreshLabels();
}

void COptionMenu::fBack() {
  message.clear();
  if (page != firstPage) {
    const std::string focus = page == EPage::Keyboard ? "KEYBOARD" : "PAD";
    fShowPage(EPage::Settings, focus);
    return;
  }
  fSaveOptionInfo();
  if (gSoundManager) gSoundManager->fStopAllBgm();  // the music sample
  if (!onClose) return;
  const auto close = onClose;
  close();
}

std::string COptionMenu::fHint() const {
  if (!message.empty()) return message;
  if (page == EPage::Pad) return fText(ETextId::OptionPadHint);
  return fFormatText(ETextId::OptionGeneralHintFormat, fKeyboardKeyName(EGameKey::KeyZ).c_str(),
                     fKeyboardKeyName(EGameKey::KeyX).c_str());
}

void COptionMenu::fDraw() {
  window->fDraw();
  const std::string hint = fHint();
  DrawBox(0, kHintY - 6, 640, kHintY + 26, GetColor(20, 24, 40), 1);
  DrawStringToHandle(12, kHintY, hint.c_str(), GetColor(255, 255, 255), gFontText, 0, 0);
  if (confirm) confirm->fDraw();
}

void COptionMenu::fSaveOptionInfo() {
  ::fSaveOptionInfo();
  try {
    fSaveSettings();
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: could not save the settings: %s\n", error.what());
  }
}

void COptionMenu::fRefreshLabels() {
  switch (page) {
    case EPage::Pad:
      for (const auto& row : kOptionRows) window->fSetLabelText(row.name, fPadRowText(row));
      return;
    case EPage::Keyboard:
    case EPage::Settings:
      // Texts change width: the window is built again round them.
      fShowPage(page, window->fGetFocus());
      return;
  }
}
