// "How to play": a few pages of text over the title menu. Left and right turn
// the pages, X or Escape closes. The keys page lists the keys as currently
// assigned.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/CMainWindow.h"

class CHelpWindow {
 public:
  CHelpWindow();

  void fInput();
  void fDraw();

  int fPage() const { return page; }
  static int fPageCount();
  CMainWindow& fGetWindow() const { return *window; }

  std::function<void()> onClose;

 private:
  void fBuildPage();
  // The goal page's row of the six colours, each with its symbol.
  void fDrawSymbolRow() const;

  std::unique_ptr<CMainWindow> window;
  int page = 0;
};

// The lines of one page, the title line first.
std::vector<std::string> fHelpPageLines(int page);
