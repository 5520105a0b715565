// The option menu, three pages. The settings page: language, volumes,
// display, and the ways to the other two pages. The keyboard page assigns
// the keyboard keys of the eight game keys; the gamepad page learns which
// pad button serves each of them. Navigation listens to the keyboard only
// (up and down choose, left and right change, Z or Enter selects, X or
// Escape goes back), so pad buttons can be learned without moving the
// cursor. Leaving the settings page saves "dat/setting.dat" and the
// settings file. The title menu holds it and forwards the frame to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CScene.h"
#include "gui/CMainWindow.h"
#include "input/CKeyRepeatManager.h"
#include "input/GameKey.h"
#include "menu/CYesNoWindow.h"
#include "text/Texts.h"

class COptionMenu : public CScene {
 public:
  enum class EPage : int { Settings = 0, Keyboard, Pad };

  // Reads gOptionInfo: it must be loaded. Going back from the first page
  // closes the menu.
  explicit COptionMenu(EPage first = EPage::Settings);

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;
  // Writes gOptionInfo to "dat/setting.dat" and the settings file.
  virtual void fSaveOptionInfo();
  // Sets the rows' texts again from the records.
  virtual void fRefreshLabels();

  CMainWindow& fGetWindow() const { return *window; }
  EPage fPage() const { return page; }
  // The last refusal or confirmation, shown under the window.
  const std::string& fMessage() const { return message; }
  bool fIsLearningKey() const { return learning >= 0; }
  // The question before "Back to defaults (all)", while it is asked.
  CYesNoWindow* fConfirmWindow() const { return confirm.get(); }

  // Set by the title menu; may drop this menu from inside the call.
  std::function<void()> onClose;

 private:
  void fShowPage(EPage next, const std::string& focus);
  void fBack();
  void fUpdateSettings();
  void fUpdateKeyboard();
  void fUpdatePad();
  void fLearnKey();
  void fChange(const std::string& row, int step);
  std::string fHint() const;
  void fRestoreAllDefaults();

  std::unique_ptr<CMainWindow> window;
  CKeyRepeatManager keyRepeat;
  EPage firstPage;
  EPage page;
  int learning = -1;         // the keyboard row waiting for a key
  bool waitRelease = false;  // no key counts until every key is up
  std::string message;
  std::unique_ptr<CYesNoWindow> confirm;
  // The answer is acted on after the window's own input is done.
  enum class EAnswer { None, Yes, No } confirmAnswer = EAnswer::None;
};

struct SOptionRow {
  const char* name;  // widget name
  ETextId label;     // shown before the button name
  EGameKey key;      // whose pad mask the row sets
};

// The eight key rows of the gamepad page, in menu order.
inline constexpr SOptionRow kOptionRows[] = {
    {"LEFT", ETextId::OptionLeftLabel, EGameKey::Left},         {"UP", ETextId::OptionUpLabel, EGameKey::Up},
    {"RIGHT", ETextId::OptionRightLabel, EGameKey::Right},      {"DOWN", ETextId::OptionDownLabel, EGameKey::Down},
    {"KEY_X", ETextId::OptionDropLabel, EGameKey::KeyX},        {"KEY_SPACE", ETextId::OptionHoldLabel, EGameKey::KeySpace},
    {"KEY_Z", ETextId::OptionTurnLeftLabel, EGameKey::KeyZ},    {"KEY_C", ETextId::OptionTurnRightLabel, EGameKey::KeyC},
};

// Why a keyboard key cannot serve the game key of row `row` (kAssignableKeys
// order): empty when it can.
std::string fKeyAssignmentProblem(int row, int keyCode);
