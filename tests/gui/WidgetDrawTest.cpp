// How labels and buttons draw: the highlight box of a focused label, the
// blend calls round the text, the two pictures of a button.
#include <gtest/gtest.h>

#include "gui/CButton.h"
#include "gui/CMainWindow.h"
#include "gui/CTextLabel.h"
#include "gui/Window.h"
#include "gui/GuiFixture.h"

namespace {

class WidgetDrawTest : public GuiFixture {
 protected:
  static std::string fColour(unsigned int colour) { return std::to_string(colour); }
  std::vector<std::string> fDrawCalls() {
    return backend().fLogOf({"SetDrawBlendMode", "DrawBox", "DrawStringToHandle", "GetDrawStringWidthToHandle",
                             "DrawGraph"});
  }
};

TEST_F(WidgetDrawTest, AFocusedLabelDrawsItsBoxesInsetByTheMarginThenTheText) {
  CMainWindow window;
  window.fSetPosition(SPointD(140.7, 70.2));
  const unsigned int fill = GetColor(240, 240, 255);
  const unsigned int frame = GetColor(160, 160, 180);
  const unsigned int focusedColour = GetColor(1, 2, 3);
  auto highlight = std::make_shared<CFocusBgInfo>(true, true, fill, frame, 150, 50, 5);
  highlight->fSetWidthRef(std::make_shared<int>(100));
  fAddTextLabelAt(window, "row", SPointD(25, 20), fWhite(), focusedColour, font, "note", "text", 200.9, highlight);
  window.fSetFocus("row", true);

  backend().fSetLogging(true);
  window.fGetWidget("row")->fDraw();
  // x, y = trunc(165.7, 90.2); a = 8 (half the font size), h = 4; box from
  // (x - h, y - h) to (x + h + 100, y + 2a + h), each side inset by 5.
  const std::string f = std::to_string(font);
  EXPECT_EQ(fDrawCalls(), (std::vector<std::string>{
                              "GetDrawStringWidthToHandle(\"a\", 1, " + f + ", 0)",
                              "SetDrawBlendMode(1, 150)",
                              "DrawBox(166, 91, 264, 105, " + fColour(fill) + ", 1)",
                              "SetDrawBlendMode(1, 50)",
                              "DrawBox(166, 91, 264, 105, " + fColour(frame) + ", 0)",
                              "SetDrawBlendMode(1, 200)",
                              "DrawStringToHandle(165, 90, \"text\", " + fColour(focusedColour) + ", " + f + ", 0, 0)",
                              "SetDrawBlendMode(0, 0)"}));
  EXPECT_TRUE(backend().fIsStateNeutral());
}

TEST_F(WidgetDrawTest, FillAndFrameAreEachOptionalButTheBlendStepsStay) {
  CMainWindow window;
  auto highlight = std::make_shared<CFocusBgInfo>(false, true, 1, 2, 10, 20, 0);  // no width: 0
  fAddTextLabelAt(window, "row", SPointD(10, 10), fWhite(), fBlack(), font, "", "t", 255.0, highlight);
  window.fSetFocus("row", true);
  backend().fSetLogging(true);
  window.fGetWidget("row")->fDraw();
  EXPECT_EQ(backend().fLogOf({"DrawBox", "SetDrawBlendMode"}),
            (std::vector<std::string>{"SetDrawBlendMode(1, 10)", "SetDrawBlendMode(1, 20)",
                                      "DrawBox(6, 6, 14, 30, 2, 0)", "SetDrawBlendMode(1, 255)",
                                      "SetDrawBlendMode(0, 0)"}));
}

TEST_F(WidgetDrawTest, AnUnfocusedLabelDrawsOnlyItsTextAndAnInvisibleOneNothing) {
  CMainWindow window;
  fAddTextLabelAt(window, "row", SPointD(3.9, 4.9), GetColor(9, 9, 9), fBlack(), font, "", "abc", 128.0);
  backend().fSetLogging(true);
  window.fGetWidget("row")->fDraw();
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode", "DrawBox", "DrawStringToHandle"}),
            (std::vector<std::string>{"SetDrawBlendMode(1, 128)",
                                      "DrawStringToHandle(3, 4, \"abc\", " + fColour(GetColor(9, 9, 9)) + ", " +
                                          std::to_string(font) + ", 0, 0)",
                                      "SetDrawBlendMode(0, 0)"}));

  backend().fClearLog();
  window.fGetWidget("row")->fSetVisible(false);
  window.fGetWidget("row")->fDraw();
  EXPECT_TRUE(backend().fLog().empty());
}

TEST_F(WidgetDrawTest, AFocusedLabelWithoutAHighlightIsAProgrammingError) {
  CMainWindow window;
  window.fAddTextLabel("row");
  window.fSetFocus("row", true);
  EXPECT_DEATH(window.fGetWidget("row")->fDraw(), "without a highlight");
}

TEST_F(WidgetDrawTest, AButtonShowsItsFocusedPictureOnlyWhileFocused) {
  CMainWindow window;
  window.fSetPosition(SPointD(100, 50));
  const int normal = fImage("ui_parts/cursor_down.png");
  const int focused = fImage("ui_parts/window1_bg.png");
  fAddButtonAt(window, "b", SPointD(5.5, 6.5), fMakeCDrawData(normal), fMakeCDrawData(focused), 255, true);
  auto* button = static_cast<CButton*>(window.fGetWidget("b"));
  EXPECT_TRUE(button->fGetFlag());

  backend().fSetLogging(true);
  button->fDraw();
  window.fSetFocus("b", true);
  button->fDraw();
  button->fSetVisible(false);
  button->fDraw();
  EXPECT_EQ(backend().fLogOf({"DrawGraph"}),
            (std::vector<std::string>{"DrawGraph(105, 56, " + std::to_string(normal) + ", 1)",
                                      "DrawGraph(105, 56, " + std::to_string(focused) + ", 1)"}));
}

TEST_F(WidgetDrawTest, OnlyTheButtonsAlphaSetterReachesItsPictures) {
  CMainWindow window;
  const int picture = fImage("ui_parts/cursor_down.png");
  fAddButtonAt(window, "b", SPointD(0, 0), fMakeCDrawData(picture), fMakeCDrawData(picture), 255, false);
  auto* button = static_cast<CButton*>(window.fGetWidget("b"));

  button->fSetAlphaSpeed(-100.0);
  window.fUpdate();
  EXPECT_EQ(button->fGetAlpha(), 155.0);
  EXPECT_EQ(button->fGetNormalImage()->fGetAlpha(), 255.0);  // the fade does not reach the picture

  button->fSetAlpha(64.0);
  EXPECT_EQ(button->fGetNormalImage()->fGetAlpha(), 64.0);
  EXPECT_EQ(button->fGetFocusedImage()->fGetAlpha(), 64.0);
  backend().fSetLogging(true);
  button->fDraw();
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode"}),
            (std::vector<std::string>{"SetDrawBlendMode(1, 64)", "SetDrawBlendMode(0, 0)"}));
}

TEST_F(WidgetDrawTest, AButtonStepsTheAnimationsOfBothPictures) {
  CMainWindow window;
  const int a = fImage("ui_parts/cursor_down.png");
  const int b = fImage("ui_parts/window1_bg.png");
  auto animated = fMakeCDrawData(a);
  animated->fAddFrame(b);
  animated->fSetFrameWait(0);
  auto other = animated->fClone();
  fAddButtonAt(window, "b", SPointD(0, 0), animated, other, 255, false);
  window.fUpdate();
  EXPECT_EQ(animated->fCurrentGraph(), b);
  EXPECT_EQ(other->fCurrentGraph(), b);
}

}  // namespace
