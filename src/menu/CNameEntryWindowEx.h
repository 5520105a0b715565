// The ranking name entry: a one-line, single-byte text field of the game
// library (Enter finishes, Escape cancels), then a yes/no confirmation. An
// empty name is refused in the window, and the typing goes on.
// "いいえ" starts the typing again. The field starts with the name sent
// last, takes only what the ranking takes in a name, and shows how much of
// the length is used and what may be typed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gui/CMainWindow.h"
#include "menu/CYesNoWindow.h"

class CKeyManagerBase;

class CNameEntryWindowEx {
 public:
  // tag is handed back through onConfirm (the title menu passes the mode).
  CNameEntryWindowEx(int maxLengthBytes, int fontHandle, int tagValue);
  // Releases a key input that is still open.
  virtual ~CNameEntryWindowEx();
  CNameEntryWindowEx(const CNameEntryWindowEx&) = delete;
  CNameEntryWindowEx& operator=(const CNameEntryWindowEx&) = delete;

  virtual void fUpdate();
  // The owner may drop the window from inside onCancel or onConfirm.
  virtual void fInput(CKeyManagerBase& keys);
  virtual void fDraw();
  // The cleaned name: blanks removed, "?" turned into "-". Empty until the
  // typing is finished.
  virtual std::string fGetName() const { return name; }

  CMainWindow& fGetWindow() const { return *window; }
  bool fIsAsking() const { return yesNoWindow != nullptr; }
  CYesNoWindow* fGetYesNoWindow() const { return yesNoWindow.get(); }
  const std::string& fGetShownName() const { return shownName; }
  // The last name finished was refused (empty): the window says so.
  bool fIsRefused() const { return refused; }
  std::string fTypedText() const { return fTyped(); }

  std::function<void(int)> onConfirm;
  std::function<void()> onCancel;

 private:
  // Opens the text field holding `text` (what a name may not hold left out).
  void fStartInput(const std::string& text);
  void fFinishInput();
  void fCloseInput();
  void fCancel();
  int fFieldWidth() const;
  // The text typed so far (the name shown while asking).
  std::string fTyped() const;

  std::unique_ptr<CMainWindow> window;
  // Shared so that it outlives its own callbacks, which drop it.
  std::shared_ptr<CYesNoWindow> yesNoWindow;
  // -1 while no text field is open.
  int keyInputHandle = -1;
  std::string name;
  int font;
  int fontSize = 0;
  int maxLength;
  int tag;
  std::string shownName;
  // The game library could not open a text field: leave as if cancelled.
  bool inputFailed = false;
  bool refused = false;
};

// The name as sent to the ranking: the text up to its first NUL byte, every
// "?" replaced by "-", every blank removed.
std::string fCleanRankingName(const std::string& typed);
// The typed text without the bytes no ranking name may hold.
std::string fKeepRankingNameBytes(const std::string& typed);
