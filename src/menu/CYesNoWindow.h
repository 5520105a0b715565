// A yes/no question, by default the confirmation after the name entry: "送信しますか？" with "はい" and
// "いいえ". Left and right choose, Z decides, X and Escape mean "いいえ".
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gui/CMainWindow.h"

class CKeyManagerBase;

class CYesNoWindow {
 public:
  CYesNoWindow(int fontHandle, SPointD at);
  // Asks `question` instead; the window grows to hold it. With noFirst the
  // cursor starts on "no", for questions whose "yes" throws something away.
  CYesNoWindow(int fontHandle, SPointD at, const std::string& question, bool noFirst);
  virtual ~CYesNoWindow() = default;
  CYesNoWindow(const CYesNoWindow&) = delete;
  CYesNoWindow& operator=(const CYesNoWindow&) = delete;

  // Acts on the first key that fires. The owner may drop the window from
  // inside onYes or onNo.
  virtual void fInput(CKeyManagerBase& keys);
  virtual void fUpdate() {}
  virtual void fDraw() { window->fDraw(); }

  CMainWindow& fGetWindow() const { return *window; }

  std::function<void()> onYes;
  std::function<void()> onNo;

 private:
  std::unique_ptr<CMainWindow> window;
  SPointD position;
  int font;
};
