// Message boxes: rows of the first page, paging with the decide key,
// the bobbing arrow and the close callback.
#include <gtest/gtest.h>

#include "gui/CTextLabel.h"
#include "menu/CCommonMessageWindow.h"
#include "gui/GuiFixture.h"

namespace {

class MessageWindowTest : public GuiFixture {
 protected:
  // One frame as the owner runs it.
  void fFrame(CWindowBase& window) {
    gKeyManager->fUpdateKeyState();
    window.fInput(*gKeyManager);
    window.fUpdate();
    window.fDraw();
  }

  static std::string fText(const CMainWindow& window, const std::string& name) {
    const auto* label = dynamic_cast<const CTextLabel*>(window.fGetWidget(name));
    return label == nullptr ? "<none>" : label->fGetText();
  }
};

TEST_F(MessageWindowTest, APassiveWindowKeepsThreeRowsForAShortPage) {
  backend().fSetLogging(true);
  CDisplayMessageWindow message(fMakeMessageInfo({"a\nb"}));
  const CMainWindow& window = message.fGetWindow();
  EXPECT_EQ(window.fGetOrder(), (std::vector<std::string>{"line0", "line1", "line2"}));
  EXPECT_EQ(fText(window, "line0"), "a");
  EXPECT_EQ(fText(window, "line1"), "b");
  EXPECT_EQ(fText(window, "line2"), "");
  EXPECT_EQ(window.fGetWidget("line1")->fGetPosition().y, 44.0);
  for (const char* row : {"line0", "line1", "line2"}) EXPECT_FALSE(window.fGetWidget(row)->fIsFocused()) << row;
  // 620 wide; three 16-pixel rows 24 apart plus 20-pixel margins: 104 high.
  EXPECT_EQ(backend().fLogOf({"MakeGraph"}),
            (std::vector<std::string>{"MakeGraph(620, 104, 0)", "MakeGraph(620, 104, 0)"}));
  EXPECT_EQ(window.fGetPosition().x, 10.0);
  EXPECT_EQ(window.fGetPosition().y, 330.0);

  // No row is highlighted, and the window takes no keys.
  backend().fClearLog();
  fHold(KEY_INPUT_Z);
  fFrame(message);
  fFrame(message);
  EXPECT_TRUE(backend().fLogOf({"DrawBox"}).empty());
  EXPECT_EQ(fText(message.fGetWindow(), "line0"), "a");
}

TEST_F(MessageWindowTest, APassiveWindowTakesAGivenSizeAndLongPagesGetMoreRows) {
  backend().fSetLogging(true);
  CDisplayMessageWindow message(fMakeMessageInfo({"1\n2\n3\n4", "never shown"}), 300, 60);
  EXPECT_EQ(message.fGetWindow().fGetWidth(), 300);
  EXPECT_EQ(message.fGetWindow().fGetHeight(), 60);
  EXPECT_EQ(backend().fLogOf({"MakeGraph"})[0], "MakeGraph(300, 60, 0)");
  EXPECT_EQ(fText(message.fGetWindow(), "line3"), "4");

  CDisplayMessageWindow empty(nullptr);
  EXPECT_EQ(empty.fGetWindow().fGetOrder().size(), 3u);
  EXPECT_EQ(fText(empty.fGetWindow(), "line0"), "");

  message.fSetActive(false);
  backend().fClearLog();
  message.fDraw();
  EXPECT_TRUE(backend().fLog().empty());
}

TEST_F(MessageWindowTest, EachDecidePressShowsTheNextPageAndTheLastOneCloses) {
  CWaitMessageWindow message(fMakeMessageInfo({"p1a\np1b", "p2a\np2b\np2c\np2d"}));
  int closed = 0;
  message.onClose = [&] { ++closed; };
  EXPECT_EQ(fText(message.fGetWindow(), "line0"), "p1a");

  fFrame(message);
  fHold(KEY_INPUT_Z);
  fFrame(message);
  // Page two: rows rebuilt 30 pixels apart, the first page's rows gone.
  const CMainWindow& window = message.fGetWindow();
  EXPECT_EQ(fText(window, "line0"), "p2a");
  EXPECT_EQ(fText(window, "line3"), "p2d");
  EXPECT_EQ(window.fGetWidget("line0")->fGetPosition().y, 20.0);
  EXPECT_EQ(window.fGetWidget("line1")->fGetPosition().y, 50.0);
  EXPECT_EQ(window.fGetWidget("line3")->fGetPosition().y, 110.0);
  EXPECT_EQ(window.fGetWidget("line3")->fGetPosition().x, 20.0);
  EXPECT_EQ(window.fGetHeight(), 104);  // the size of the first page stays

  // Holding the key does not skip the page.
  for (int i = 0; i < 5; ++i) fFrame(message);
  EXPECT_FALSE(message.fIsFinished());
  EXPECT_EQ(closed, 0);

  fRelease(KEY_INPUT_Z);
  fFrame(message);
  fHold(KEY_INPUT_Z);
  fFrame(message);
  EXPECT_TRUE(message.fIsFinished());
  EXPECT_EQ(closed, 1);

  // A finished window calls back only once.
  fRelease(KEY_INPUT_Z);
  fFrame(message);
  fHold(KEY_INPUT_Z);
  fFrame(message);
  EXPECT_EQ(closed, 1);
}

TEST_F(MessageWindowTest, ADecideKeyHeldWhenTheWindowOpensDoesNotCount) {
  fHold(KEY_INPUT_Z);
  CWaitMessageWindow message(fMakeMessageInfo({"one", "two"}));
  for (int i = 0; i < 3; ++i) fFrame(message);
  EXPECT_EQ(fText(message.fGetWindow(), "line0"), "one");
}

TEST_F(MessageWindowTest, AnEmptyQueueFinishesOnTheFirstPress) {
  CWaitMessageWindow message(fMakeMessageInfo({}));
  EXPECT_EQ(message.fGetWindow().fGetOrder(), (std::vector<std::string>{"line0", "line1", "line2", "nextIcon"}));
  int closed = 0;
  message.onClose = [&] { ++closed; };
  fFrame(message);
  fHold(KEY_INPUT_Z);
  fFrame(message);
  EXPECT_EQ(closed, 1);
}

TEST_F(MessageWindowTest, TheOwnerMayDropTheWindowFromItsCloseCallback) {
  auto message = std::make_unique<CWaitMessageWindow>(fMakeMessageInfo({"bye"}));
  bool dropped = false;
  message->onClose = [&] {
    message.reset();
    dropped = true;
  };
  gKeyManager->fUpdateKeyState();
  message->fInput(*gKeyManager);
  fHold(KEY_INPUT_Z);
  gKeyManager->fUpdateKeyState();
  message->fInput(*gKeyManager);
  EXPECT_TRUE(dropped);
  EXPECT_EQ(message, nullptr);
}

TEST_F(MessageWindowTest, TheNextPageArrowSitsLowerForHalfOfEverySecond) {
  CWaitMessageWindow message(fMakeMessageInfo({"x"}));
  CWidget* arrow = message.fGetWindow().fGetWidget("nextIcon");
  ASSERT_NE(arrow, nullptr);
  // Centred on the 620-pixel window, 15 pixels above its bottom.
  EXPECT_EQ(arrow->fGetPosition().x, 310.0);
  EXPECT_EQ(arrow->fGetPosition().y, 89.0);
  std::vector<double> heights;
  for (int frame = 1; frame <= 120; ++frame) {
    message.fUpdate();
    if (frame % 30 == 29 || frame % 30 == 0) heights.push_back(arrow->fGetPosition().y);
  }
  EXPECT_EQ(heights, (std::vector<double>{89, 92, 92, 89, 89, 92, 92, 89}));

  // An inactive window neither bobs nor takes keys.
  message.fSetActive(false);
  for (int frame = 0; frame < 30; ++frame) message.fUpdate();
  EXPECT_EQ(arrow->fGetPosition().y, 89.0);
  fHold(KEY_INPUT_Z);
  gKeyManager->fUpdateKeyState();
  message.fInput(*gKeyManager);
  EXPECT_FALSE(message.fIsFinished());
}

TEST_F(MessageWindowTest, TheArrowIsDrawnAfterTheRowsOfThePage) {
  CWaitMessageWindow message(fMakeMessageInfo({"hello"}));
  backend().fSetLogging(true);
  message.fDraw();
  const int arrow = fImage("ui_parts/cursor_down.png");
  const auto calls = backend().fLogOf({"DrawGraph", "DrawStringToHandle"});
  ASSERT_EQ(calls.size(), 2u + 3u + 1u);  // two layers, three rows, the arrow
  EXPECT_NE(calls[2].find("\"hello\""), std::string::npos);
  EXPECT_EQ(calls[5], "DrawGraph(320, 419, " + std::to_string(arrow) + ", 1)");
  EXPECT_TRUE(backend().fIsStateNeutral());
}

TEST(MessageInfoTest, PagesComeOutInOrderAndSplitAtLineBreaks) {
  CMessageInfo info;
  EXPECT_FALSE(info.fHasMessage());
  info.fAddMessage("first");
  info.fAddMessage("second");
  EXPECT_EQ(info.fPopMessage(), "first");
  EXPECT_TRUE(info.fHasMessage());
  EXPECT_EQ(info.fPopMessage(), "second");
  EXPECT_DEATH(info.fPopMessage(), "no message");

  EXPECT_EQ(fSplitPage("a\nb"), (std::deque<std::string>{"a", "b"}));
  EXPECT_EQ(fSplitPage("a\n"), (std::deque<std::string>{"a", ""}));
  EXPECT_EQ(fSplitPage(""), (std::deque<std::string>{""}));
}

}  // namespace
