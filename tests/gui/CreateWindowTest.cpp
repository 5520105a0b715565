// Menus built from a set-up record: size from the content, rows, links,
// the shared highlight width and the first focus.
#include <gtest/gtest.h>

#include "gui/CSetupWindowInfo.h"
#include "gui/CTextLabel.h"
#include "gui/Window.h"
#include "gui/GuiFixture.h"

namespace {

class CreateWindowTest : public GuiFixture {
 protected:
  // Font 16: rows 24 apart; "ab" is 16 wide and "abcd" 32.
  CSetupWindowInfo fThreeRows() {
    CSetupWindowInfo info;
    info.fSet(SPointD(7, 9), font, GetColor(1, 1, 1), GetColor(2, 2, 2), 10, 20, 5, 7);
    info.fAddLabel("first", "ab");
    info.fAddLabel("second", "abcd", GetColor(3, 3, 3), GetColor(4, 4, 4));
    info.fAddLabel("third", "a");
    return info;
  }

  const CTextLabel& fLabel(const CMainWindow& window, const std::string& name) {
    return *static_cast<const CTextLabel*>(window.fGetWidget(name));
  }
};

TEST_F(CreateWindowTest, RowsAreSpacedByOneAndAHalfFontSizesInsideTheMargins) {
  auto window = fCreateWindow(fThreeRows());
  EXPECT_EQ(window->fGetPosition().x, 7.0);
  EXPECT_EQ(window->fGetOrder(), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(window->fGetWidget("first")->fGetPosition().y, 5.0);
  EXPECT_EQ(window->fGetWidget("second")->fGetPosition().y, 29.0);
  EXPECT_EQ(window->fGetWidget("third")->fGetPosition().x, 10.0);
  EXPECT_EQ(window->fGetWidget("third")->fGetPosition().y, 53.0);
  EXPECT_EQ(fLabel(*window, "first").fGetNormalColour(), GetColor(1, 1, 1));
  EXPECT_EQ(fLabel(*window, "second").fGetFocusedColour(), GetColor(4, 4, 4));
  EXPECT_EQ(fLabel(*window, "second").fGetText(), "abcd");
  EXPECT_EQ(fLabel(*window, "second").fGetFont(), font);
  EXPECT_EQ(fLabel(*window, "second").fGetAlpha(), 255.0);
}

TEST_F(CreateWindowTest, TheFocusCyclesDownAndUpAndNeverSideways) {
  auto window = fCreateWindow(fThreeRows());
  EXPECT_EQ(window->fGetFocus(), "first");
  EXPECT_TRUE(window->fGetWidget("first")->fIsFocused());
  window->fMoveFocus(CWidget::kLinkUp);
  EXPECT_EQ(window->fGetFocus(), "third");
  window->fMoveFocus(CWidget::kLinkDown);
  EXPECT_EQ(window->fGetFocus(), "first");
  window->fMoveFocus(CWidget::kLinkDown);
  window->fMoveFocus(CWidget::kLinkDown);
  EXPECT_EQ(window->fGetFocus(), "third");
  window->fMoveFocus(CWidget::kLinkLeft);
  window->fMoveFocus(CWidget::kLinkRight);
  EXPECT_EQ(window->fGetFocus(), "third");
  EXPECT_FALSE(window->fGetWidget("first")->fIsFocused());
  EXPECT_FALSE(window->fGetWidget("second")->fIsFocused());
}

TEST_F(CreateWindowTest, AOneRowMenuLinksTheRowToItselfAndAnEmptyOneFocusesNothing) {
  CSetupWindowInfo info;
  info.fSet(SPointD(0, 0), font, 0, 0, 0, 0);
  info.fAddLabel("only", "x");
  auto single = fCreateWindow(info);
  EXPECT_EQ(single->fGetWidget("only")->fGetLink(CWidget::kLinkUp), "only");
  EXPECT_EQ(single->fGetWidget("only")->fGetLink(CWidget::kLinkDown), "only");
  single->fMoveFocus(CWidget::kLinkDown);
  EXPECT_EQ(single->fGetFocus(), "only");

  info.labels.clear();
  auto empty = fCreateWindow(info);
  EXPECT_EQ(empty->fGetFocus(), "");
  EXPECT_TRUE(empty->fGetOrder().empty());
}

TEST_F(CreateWindowTest, LayersWithoutASizeGetTheContentSize) {
  // Content: widest text 32 + margins 30 = 62 wide; 3 rows: 24 * 3 - 8 +
  // margins 12 = 76 high. The second layer keeps its own width.
  CSetupWindowInfo info = fThreeRows();
  info.fAddBackground(fImage("ui_parts/window1_bg.png"), 20, 20, 20, 20, 220, true);
  info.fAddBackground(fImage("ui_parts/window1_waku.png"), 20, 20, 20, 20, 255, true, 300, -1);
  backend().fSetLogging(true);
  auto window = fCreateWindow(info);
  EXPECT_EQ(backend().fLogOf({"MakeGraph"}),
            (std::vector<std::string>{"MakeGraph(62, 76, 0)", "MakeGraph(300, 76, 0)"}));
  EXPECT_EQ(window->fGetWidth(), 300);
  EXPECT_EQ(window->fGetHeight(), 76);
}

TEST_F(CreateWindowTest, AGivenSizeReplacesTheContentSize) {
  CSetupWindowInfo info = fThreeRows();
  info.fAddBackground(fImage("ui_parts/window1_bg.png"), 20, 20, 20, 20, 220, true);
  backend().fSetLogging(true);
  auto window = fCreateWindow(info, nullptr, 500, 60);
  EXPECT_EQ(backend().fLogOf({"MakeGraph"}), (std::vector<std::string>{"MakeGraph(500, 60, 0)"}));
  EXPECT_EQ(window->fGetWidth(), 500);
}

TEST_F(CreateWindowTest, EveryRowsBoxSpansTheWidestText) {
  auto highlight = std::make_shared<CFocusBgInfo>(true, false, 5, 6, 255, 255, 0);
  auto window = fCreateWindow(fThreeRows(), highlight);
  EXPECT_EQ(highlight->fGetWidth(), 32);
  for (const char* name : {"first", "second", "third"}) {
    EXPECT_EQ(fLabel(*window, name).fGetFocusBg(), highlight) << name;
  }
  // The short third row gets the same box as the widest: x - 4 .. x + 4 + 32.
  window->fMoveFocus(CWidget::kLinkUp);
  window->fSetPosition(SPointD(0, 0));
  backend().fSetLogging(true);
  window->fGetWidget("third")->fDraw();
  EXPECT_EQ(backend().fLogOf({"DrawBox"}), (std::vector<std::string>{"DrawBox(6, 49, 46, 73, 5, 1)"}));
}

TEST_F(CreateWindowTest, WithoutAHighlightTheMenuGetsTheBlueBox) {
  auto window = fCreateWindow(fThreeRows());
  const auto& highlight = fLabel(*window, "first").fGetFocusBg();
  ASSERT_NE(highlight, nullptr);
  EXPECT_TRUE(highlight->fill);
  EXPECT_TRUE(highlight->frame);
  EXPECT_EQ(highlight->fillColour, GetColor(130, 130, 255));
  EXPECT_EQ(highlight->frameColour, GetColor(20, 20, 70));
  EXPECT_EQ(highlight->fillAlpha, 80);
  EXPECT_EQ(highlight->frameAlpha, 120);
  EXPECT_EQ(highlight->margin, 2);
}

}  // namespace
