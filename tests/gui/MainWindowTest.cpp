// Focus, links and the widget map of CMainWindow.
#include <gtest/gtest.h>

#include "gui/CButton.h"
#include "gui/CMainWindow.h"
#include "gui/CTextLabel.h"
#include "gui/Window.h"
#include "gui/GuiFixture.h"

namespace {

class MainWindowTest : public GuiFixture {
 protected:
  // Labels a, b, c linked by hand: a <-> b along left/right, b -> c down.
  void fAddThree(CMainWindow& window) {
    for (const char* name : {"a", "b", "c"}) {
      fAddTextLabelAt(window, name, SPointD(0, 0), fWhite(), fBlack(), font, "", name, 255.0);
    }
    fSetWidgetLinks(window, "a", "", "", "b", "");
    fSetWidgetLinks(window, "b", "a", "", "", "c");
  }

  bool fFlag(const CMainWindow& window, const std::string& name) { return window.fGetWidget(name)->fIsFocused(); }
};

TEST_F(MainWindowTest, MovingTheFocusFollowsLinksAndAnEmptyLinkBlocks) {
  CMainWindow window;
  fAddThree(window);
  ASSERT_TRUE(window.fSetFocus("a", true));

  window.fMoveFocus(CWidget::kLinkLeft);  // no link: nothing, no search, no wrap
  window.fMoveFocus(CWidget::kLinkUp);
  EXPECT_EQ(window.fGetFocus(), "a");
  EXPECT_TRUE(fFlag(window, "a"));

  window.fMoveFocus(CWidget::kLinkRight);
  EXPECT_EQ(window.fGetFocus(), "b");
  EXPECT_FALSE(fFlag(window, "a"));
  EXPECT_TRUE(fFlag(window, "b"));

  window.fMoveFocus(CWidget::kLinkDown);
  EXPECT_EQ(window.fGetFocus(), "c");
  EXPECT_FALSE(fFlag(window, "b"));
  EXPECT_TRUE(fFlag(window, "c"));
}

TEST_F(MainWindowTest, SetFocusLeavesThePreviousFlagUntilTheNextMove) {
  CMainWindow window;
  fAddThree(window);
  window.fSetFocus("a", true);
  window.fSetFocus("b", true);
  EXPECT_EQ(window.fGetFocus(), "b");
  EXPECT_TRUE(fFlag(window, "a"));
  EXPECT_TRUE(fFlag(window, "b"));

  // Moving clears only the widget the window holds as focused.
  window.fMoveFocus(CWidget::kLinkLeft);
  EXPECT_EQ(window.fGetFocus(), "a");
  EXPECT_TRUE(fFlag(window, "a"));
  EXPECT_FALSE(fFlag(window, "b"));

  // Clearing a flag keeps the window's focus name.
  EXPECT_TRUE(window.fSetFocus("a", false));
  EXPECT_EQ(window.fGetFocus(), "a");
  EXPECT_FALSE(fFlag(window, "a"));

  EXPECT_FALSE(window.fSetFocus("missing", true));
  EXPECT_EQ(window.fGetFocus(), "a");
  EXPECT_EQ(window.fGetWidget("missing"), nullptr);
}

TEST_F(MainWindowTest, FocusAndNameMistakesAreProgrammingErrors) {
  CMainWindow window;
  fAddThree(window);
  EXPECT_DEATH(window.fMoveFocus(CWidget::kLinkRight), "no widget has the focus");
  window.fSetFocus("a", true);
  window.fSetWidgetLink("a", CWidget::kLinkDown, "ghost");
  EXPECT_DEATH(window.fMoveFocus(CWidget::kLinkDown), "ghost");
  EXPECT_DEATH(window.fMoveFocus(4), "direction out of range");
  EXPECT_DEATH(window.fSetWidgetLink("a", -1, "b"), "direction out of range");
  EXPECT_DEATH(window.fSetWidgetPosition("ghost", SPointD(1, 1)), "ghost");
  EXPECT_DEATH(window.fSetLabelText("ghost", "x"), "ghost");
  window.fAddButton("button");
  EXPECT_DEATH(window.fSetLabelText("button", "x"), "another kind");
  EXPECT_DEATH(window.fSetupButtonByName("a", nullptr, nullptr, 255, false), "another kind");
}

TEST_F(MainWindowTest, RemovedWidgetsLeaveTheDrawingOrderAndReturnAtItsEnd) {
  CMainWindow window;
  window.fSetImageBackground(fMakeCDrawData(fImage("ui_parts/cursor_down.png")), 255, false);
  fAddThree(window);
  EXPECT_TRUE(window.fRemoveWidget("a"));
  EXPECT_FALSE(window.fRemoveWidget("a"));
  EXPECT_EQ(window.fGetWidget("a"), nullptr);
  fAddTextLabelAt(window, "a", SPointD(0, 0), fWhite(), fBlack(), font, "", "a", 255.0);
  EXPECT_EQ(window.fGetOrder(), (std::vector<std::string>{"b", "c", "a"}));

  backend().fSetLogging(true);
  window.fDraw();
  const auto texts = backend().fLogOf({"DrawStringToHandle"});
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NE(texts[0].find("\"b\""), std::string::npos);
  EXPECT_NE(texts[1].find("\"c\""), std::string::npos);
  EXPECT_NE(texts[2].find("\"a\""), std::string::npos);

  // A name added twice replaces the widget but is listed twice.
  window.fAddTextLabel("b");
  EXPECT_EQ(window.fGetOrder(), (std::vector<std::string>{"b", "c", "a", "b"}));
  window.fSetupLabelByName("b", fWhite(), fBlack(), font, "", 255.0, nullptr);
  EXPECT_EQ(static_cast<CTextLabel*>(window.fGetWidget("b"))->fGetText(), "");
}

TEST_F(MainWindowTest, UpdateMovesWidgetsAndClampsAlphas) {
  CMainWindow window;
  window.fSetImageBackground(fMakeCDrawData(fImage("ui_parts/cursor_down.png")), 250, true);
  window.fSetAlphaSpeed(-100.0);
  window.fSetPosition(SPointD(10.9, 20.2));
  fAddTextLabelAt(window, "label", SPointD(1, 2), fWhite(), fBlack(), font, "", "x", 200.0);
  CWidget* label = window.fGetWidget("label");
  label->fSetVelocity(SPointD(0.5, -1));
  label->fSetAlphaSpeed(40.0);
  label->fSetAlpha(400.0);  // the setter does not clamp; fMove does
  EXPECT_EQ(label->fGetAlpha(), 400.0);

  window.fUpdate();
  window.fUpdate();
  EXPECT_EQ(label->fGetPosition().x, 2.0);
  EXPECT_EQ(label->fGetPosition().y, 0.0);
  EXPECT_EQ(label->fGetAlpha(), 255.0);

  backend().fSetLogging(true);
  window.fDraw();  // image alpha 250 - 200 = 50, below opaque: blended
  const int picture = fImage("ui_parts/cursor_down.png");
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode", "DrawGraph"})[0], "SetDrawBlendMode(1, 50)");
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode", "DrawGraph"})[1],
            "DrawGraph(10, 20, " + std::to_string(picture) + ", 1)");
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode", "DrawGraph"})[2], "SetDrawBlendMode(0, 0)");

  window.fUpdate();
  window.fUpdate();  // clamped at 0, never negative
  backend().fClearLog();
  window.fDraw();
  EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode"})[0], "SetDrawBlendMode(1, 0)");
  EXPECT_TRUE(backend().fIsStateNeutral());
}

TEST_F(MainWindowTest, AnOpaqueImageBackgroundNeedsNoBlendingAndNoBackgroundIsAnError) {
  CMainWindow window;
  EXPECT_DEATH(window.fDraw(), "without any background");
  window.fSetImageBackground(fMakeCDrawData(fImage("ui_parts/cursor_down.png")), 255, false);
  backend().fSetLogging(true);
  window.fDraw();
  EXPECT_TRUE(backend().fLogOf({"SetDrawBlendMode"}).empty());
  EXPECT_EQ(backend().fLogOf({"DrawGraph"}).size(), 1u);
}

TEST_F(MainWindowTest, TheNullWindowDrawsAndUpdatesNothing) {
  CMainWindowNull window;
  EXPECT_TRUE(window.fIsNull());
  EXPECT_FALSE(CMainWindow().fIsNull());
  window.fAddTextLabel("x");
  window.fGetWidget("x")->fSetVelocity(SPointD(1, 1));
  backend().fSetLogging(true);
  window.fUpdate();
  window.fDraw();  // no background, yet no error: nothing is drawn
  EXPECT_TRUE(backend().fLog().empty());
  EXPECT_EQ(window.fGetWidget("x")->fGetPosition().x, 0.0);
}

}  // namespace
