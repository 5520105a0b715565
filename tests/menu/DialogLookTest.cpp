// How the dialogs over the menu look: opaque, so none of the menu's buttons
// show through, and with no white bar but the chosen answer's, so that no
// question or heading looks like a chosen row.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/GuiFixture.h"
#include "menu/CCommonMessageWindow.h"
#include "menu/CNameEntryWindowEx.h"
#include "menu/CYesNoWindow.h"
#include "text/Texts.h"

namespace {

class DialogLookTest : public GuiFixture {
 protected:
  struct SLook {
    std::vector<CHeadlessBackend::SDrawnItem> layers;  // the pictures made for the window
    std::vector<CHeadlessBackend::SDrawnItem> boxes;   // filled boxes
    std::vector<std::string> whiteBoxes;               // filled white boxes, as logged
  };

  SLook fLook(const std::function<void()>& draw) {
    backend().fClearLog();
    backend().fSetLogging(true);
    draw();
    backend().fSetLogging(false);
    SLook look;
    for (const auto& item : backend().fDrawn()) {
      if (item.kind == CHeadlessBackend::SDrawnItem::EKind::Picture && backend().fIsMadeGraph(item.graph)) {
        look.layers.push_back(item);
      } else if (item.kind == CHeadlessBackend::SDrawnItem::EKind::Box) {
        look.boxes.push_back(item);
      }
    }
    const std::string white = ", " + std::to_string(fWhite()) + ", 1)";
    for (const std::string& call : backend().fLogOf({"DrawBox"})) {
      if (call.size() > white.size() && call.compare(call.size() - white.size(), white.size(), white) == 0) {
        look.whiteBoxes.push_back(call);
      }
    }
    return look;
  }

  // The fill and the frame, each over the whole window and drawn without
  // blending: what is behind cannot show.
  static void fExpectOpaque(const SLook& look, const CMainWindow& window) {
    ASSERT_EQ(look.layers.size(), 2u);
    const int x = static_cast<int>(window.fGetPosition().x);
    const int y = static_cast<int>(window.fGetPosition().y);
    for (const auto& layer : look.layers) {
      EXPECT_EQ(layer.blendMode, DX_BLENDMODE_NOBLEND) << "drawn at " << layer.blendParam << " of 255";
      EXPECT_EQ(layer.x1, x);
      EXPECT_EQ(layer.y1, y);
      EXPECT_GE(layer.x2 - layer.x1 + 1, static_cast<int>(window.fGetWidth()));
      EXPECT_GE(layer.y2 - layer.y1 + 1, static_cast<int>(window.fGetHeight()));
    }
  }
};

TEST_F(DialogLookTest, QuestionsAreOpaqueAndOnlyTheChosenAnswerSitsOnAWhiteBox) {
  struct SQuestion {
    const char* what;
    std::function<std::unique_ptr<CYesNoWindow>()> make;
    const char* chosen;
  };
  const SQuestion questions[] = {
      {"send it?", [&] { return std::make_unique<CYesNoWindow>(font, SPointD(200, 240)); }, "yes"},
      {"every setting back to its default?",
       [&] {
         return std::make_unique<CYesNoWindow>(font, SPointD(120, 200), fText(ETextId::OptionConfirmAllDefaults),
                                               true);
       },
       "no"},
  };
  for (const SQuestion& question : questions) {
    SCOPED_TRACE(question.what);
    const auto window = question.make();
    const SLook look = fLook([&] { window->fDraw(); });
    fExpectOpaque(look, window->fGetWindow());
    ASSERT_EQ(look.whiteBoxes.size(), 1u);
    ASSERT_EQ(look.boxes.size(), 1u);
    // The box is the chosen answer's: on the answers' row, below the question.
    const CWidget& answer = *window->fGetWindow().fGetWidget(question.chosen);
    const CWidget& title = *window->fGetWindow().fGetWidget("title");
    const SPointD at = window->fGetWindow().fGetPosition();
    EXPECT_GT(look.boxes[0].y1, static_cast<int>(at.y + title.fGetPosition().y));
    EXPECT_LE(look.boxes[0].y1, static_cast<int>(at.y + answer.fGetPosition().y));
    EXPECT_LE(look.boxes[0].x1, static_cast<int>(at.x + answer.fGetPosition().x));
  }
}

TEST_F(DialogLookTest, TheNameBoxAndMessagesAreOpaqueWithNoWhiteBar) {
  {
    CNameEntryWindowEx entry(8, font, 0);
    const SLook look = fLook([&] { entry.fDraw(); });
    fExpectOpaque(look, entry.fGetWindow());
    EXPECT_TRUE(look.whiteBoxes.empty()) << look.whiteBoxes.front();
  }
  {
    CWaitMessageWindow message(fMakeMessageInfo({"one\ntwo"}));
    const SLook look = fLook([&] { message.fDraw(); });
    fExpectOpaque(look, message.fGetWindow());
    EXPECT_TRUE(look.whiteBoxes.empty());
  }
  {
    CDisplayMessageWindow message(fMakeMessageInfo({"one"}));
    const SLook look = fLook([&] { message.fDraw(); });
    fExpectOpaque(look, message.fGetWindow());
    EXPECT_TRUE(look.whiteBoxes.empty());
  }
}

}  // namespace
