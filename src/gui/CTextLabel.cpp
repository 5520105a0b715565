#include "gui/CTextLabel.h"

#include "gamelib/GameLib.h"
#include "util/Assert.h"

void CTextLabel::fSetStyle(unsigned int normalColourValue, unsigned int focusedColourValue, int fontHandle,
                           const std::string& noteText) {
  normalColour = normalColourValue;
  focusedColour = focusedColourValue;
  font = fontHandle;
  note = noteText;
}

void CTextLabel::fSetupLabel(unsigned int normalColourValue, unsigned int focusedColourValue, int fontHandle,
                             const std::string& noteText, double alphaValue,
                             std::shared_ptr<CFocusBgInfo> highlight) {
  fSetStyle(normalColourValue, focusedColourValue, fontHandle, noteText);
  fSetAlpha(alphaValue);
  focusBg = std::move(highlight);
}

void CTextLabel::fDraw() {
  if (!visible) return;
  const SPointD screen = fScreenPosition();
  const int x = static_cast<int>(screen.x);
  const int y = static_cast<int>(screen.y);
  // The box grows with the font: half the width of an "a" round the text.
  const int a = GetDrawStringWidthToHandle("a", 1, font, 0);
  const int h = a / 2;
  const int textAlpha = static_cast<int>(alpha);

  if (!focused) {
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, textAlpha);
    DrawStringToHandle(x, y, text.c_str(), normalColour, font, 0, 0);
  } else {
    PLIMO_ASSERT(focusBg != nullptr, "focused text label without a highlight");
    const int m = focusBg->margin;
    const int x1 = x - h + m;
    const int y1 = y - h + m;
    const int x2 = x + h + focusBg->fGetWidth() - m;
    const int y2 = y + 2 * a + h - m;
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, focusBg->fillAlpha);
    if (focusBg->fill) DrawBox(x1, y1, x2, y2, focusBg->fillColour, 1);
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, focusBg->frameAlpha);
    if (focusBg->frame) DrawBox(x1, y1, x2, y2, focusBg->frameColour, 0);
    SetDrawBlendMode(DX_BLENDMODE_ALPHA, textAlpha);
    DrawStringToHandle(x, y, text.c_str(), focusedColour, font, 0, 0);
  }
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
}
