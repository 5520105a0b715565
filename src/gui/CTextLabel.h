// A widget that draws one line of UTF-8 text, with a highlight box behind
// it while it has the focus.
#pragma once

#include <memory>
#include <string>

#include "gui/CFocusBgInfo.h"
#include "gui/CWidget.h"

class CTextLabel : public CWidget {
 public:
  using CWidget::CWidget;

  void fUpdate() override { fMove(); }
  void fDraw() override;
  virtual void fSetStyle(unsigned int normalColourValue, unsigned int focusedColourValue, int fontHandle,
                         const std::string& noteText);
  virtual void fSetupLabel(unsigned int normalColourValue, unsigned int focusedColourValue, int fontHandle,
                           const std::string& noteText, double alphaValue, std::shared_ptr<CFocusBgInfo> highlight);
  virtual void fSetText(const std::string& value) { text = value; }

  const std::string& fGetText() const { return text; }
  const std::string& fGetNote() const { return note; }
  int fGetFont() const { return font; }
  unsigned int fGetNormalColour() const { return normalColour; }
  unsigned int fGetFocusedColour() const { return focusedColour; }
  const std::shared_ptr<CFocusBgInfo>& fGetFocusBg() const { return focusBg; }

 private:
  unsigned int normalColour = 0;
  unsigned int focusedColour = 0;
  // A label that can receive the focus must have one.
  std::shared_ptr<CFocusBgInfo> focusBg;
  int font = -1;
  // Stored for the owner, never drawn.
  std::string note;
  std::string text;
};
