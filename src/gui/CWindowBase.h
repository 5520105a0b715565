// The base of the game's dialogs: a window to show and an active flag.
// Dialogs, like windows, read input only when their owner hands them a key
// source.
#pragma once

#include <memory>

#include "gui/CMainWindow.h"

class CKeyManagerBase;

class CWindowBase {
 public:
  // Starts active, with a null window until the dialog builds its own.
  CWindowBase() : window(std::make_unique<CMainWindowNull>()) {}
  virtual ~CWindowBase() = default;
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;

  virtual CMainWindow& fGetWindow() const { return *window; }
  virtual void fSetActive(bool value) { active = value; }
  virtual bool fIsActive() const { return active; }
  virtual void fSetWindowPosition(SPointD point) { window->fSetPosition(point); }
  virtual void fUpdate() = 0;
  virtual void fInput(CKeyManagerBase& keys) = 0;
  virtual void fDraw() = 0;

 protected:
  bool active = true;
  std::unique_ptr<CMainWindow> window;
};
