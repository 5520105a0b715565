// Background layers rendered into images of the window's size.
#include <gtest/gtest.h>

#include "gui/CMainWindow.h"
#include "gui/NineSlice.h"
#include "gui/GuiFixture.h"

namespace {

class NineSliceTest : public GuiFixture {
 protected:
  static std::string fCall(const std::string& name, std::initializer_list<int> args) {
    std::string text = name + "(";
    bool first = true;
    for (int value : args) {
      text += (first ? "" : ", ") + std::to_string(value);
      first = false;
    }
    return text + ")";
  }
};

TEST_F(NineSliceTest, PiecesAreCutTiledAndCopiedInOrder) {
  // A 60 x 60 frame with 20-pixel borders has a 20 x 20 middle. At 100 x 70
  // the centre needs three columns (20, 40, 60 < 80) and two rows (20, 40 < 50).
  const int source = fImage("ui_parts/window1_bg.png");
  const int firstHandle = MakeGraph(1, 1);  // the backend counts handles up
  DeleteGraph(firstHandle);
  backend().fSetLogging(true);
  auto layer = fRenderBackgroundLayer(CWindowBgInfo(source, 100, 70, 20, 20, 20, 20, 220, true));

  const int piece = firstHandle + 1;  // the nine pieces follow in cutting order
  const int topLeft = piece, topEdge = piece + 1, topRight = piece + 2, leftEdge = piece + 3, centre = piece + 4,
            rightEdge = piece + 5, bottomLeft = piece + 6, bottomEdge = piece + 7, bottomRight = piece + 8;
  const int target = piece + 9;
  std::vector<std::string> expected = {
      fCall("DerivationGraph", {0, 0, 20, 20, source}),   fCall("DerivationGraph", {20, 0, 20, 20, source}),
      fCall("DerivationGraph", {40, 0, 20, 20, source}),  fCall("DerivationGraph", {0, 20, 20, 20, source}),
      fCall("DerivationGraph", {20, 20, 20, 20, source}), fCall("DerivationGraph", {40, 20, 20, 20, source}),
      fCall("DerivationGraph", {0, 40, 20, 20, source}),  fCall("DerivationGraph", {20, 40, 20, 20, source}),
      fCall("DerivationGraph", {40, 40, 20, 20, source}), fCall("MakeGraph", {100, 70, 0}),
      fCall("SetDrawScreen", {-2}),                       "ClearDrawScreen()",
      fCall("SetDrawMode", {0})};
  for (int y : {20, 40}) {
    for (int x : {20, 40, 60}) expected.push_back(fCall("DrawGraph", {x, y, centre, 0}));
  }
  for (int x : {20, 40, 60}) expected.push_back(fCall("DrawGraph", {x, 0, topEdge, 0}));
  for (int y : {20, 40}) expected.push_back(fCall("DrawGraph", {0, y, leftEdge, 0}));
  for (int y : {20, 40}) expected.push_back(fCall("DrawGraph", {80, y, rightEdge, 0}));
  for (int x : {20, 40, 60}) expected.push_back(fCall("DrawGraph", {x, 50, bottomEdge, 0}));
  expected.push_back(fCall("DrawGraph", {0, 0, topLeft, 0}));
  expected.push_back(fCall("DrawGraph", {80, 0, topRight, 0}));
  expected.push_back(fCall("DrawGraph", {0, 50, bottomLeft, 0}));
  expected.push_back(fCall("DrawGraph", {80, 50, bottomRight, 0}));
  expected.push_back(fCall("GetDrawScreenGraph", {0, 0, 100, 70, target, 1}));
  expected.push_back(fCall("SetDrawMode", {1}));
  for (int i = 0; i < 9; ++i) expected.push_back(fCall("DeleteGraph", {piece + i, 0}));

  EXPECT_EQ(backend().fLogOf({"DerivationGraph", "MakeGraph", "SetDrawScreen", "ClearDrawScreen", "SetDrawMode",
                              "DrawGraph", "DrawExtendGraph", "GetDrawScreenGraph", "DeleteGraph"}),
            expected);
  EXPECT_EQ(layer->fCurrentGraph(), target);
  EXPECT_EQ(layer->fFrameCount(), 1);
  EXPECT_TRUE(layer->fGetTrans());
  EXPECT_EQ(layer->fGetAlpha(), 220.0);
}

TEST_F(NineSliceTest, ASizeThatIsNotAWholeNumberOfTilesOverhangsTheInnerArea) {
  // 65 wide with a 20-pixel middle: centre columns at 20 and 40, the second
  // running to 60, past the right edge drawn at 45 over it.
  backend().fSetLogging(true);
  fRenderBackgroundLayer(CWindowBgInfo(fImage("ui_parts/window1_bg.png"), 65, 60, 20, 20, 20, 20, 255, false));
  const std::vector<std::string> draws = backend().fLogOf({"DrawGraph"});
  ASSERT_EQ(draws.size(), 2u + 2u + 1u + 1u + 2u + 4u);  // centre, top, left, right, bottom, corners
  EXPECT_EQ(draws[0].substr(0, 18), "DrawGraph(20, 20, ");
  EXPECT_EQ(draws[1].substr(0, 18), "DrawGraph(40, 20, ");
  EXPECT_EQ(draws[5].substr(0, 18), "DrawGraph(45, 20, ");
  EXPECT_EQ(draws[11].substr(0, 18), "DrawGraph(45, 40, ");
}

TEST_F(NineSliceTest, BordersThatLeaveNoMiddleAreAProgrammingError) {
  const int source = fImage("ui_parts/window1_bg.png");
  EXPECT_DEATH(fRenderBackgroundLayer(CWindowBgInfo(source, 100, 100, 30, 20, 30, 20, 255, true)), "no middle");
  EXPECT_DEATH(fRenderBackgroundLayer(CWindowBgInfo(source, -1, 100, 20, 20, 20, 20, 255, true)), "no size");
}

TEST_F(NineSliceTest, AWindowDrawsItsLayersAtItsPositionAndDeletesThemWhenDestroyed) {
  const int before = backend().fLiveGraphCount();
  {
    CMainWindow window;
    const int bg = fImage("ui_parts/window1_bg.png");
    const int frame = fImage("ui_parts/window1_waku.png");
    window.fSetupBackground({CWindowBgInfo(bg, 200, 100, 20, 20, 20, 20, 220, true),
                             CWindowBgInfo(frame, 120, 90, 20, 20, 20, 20, 255, true)},
                            150, 50);
    // The last layer's size, raised to the minimum.
    EXPECT_EQ(window.fGetWidth(), 150);
    EXPECT_EQ(window.fGetHeight(), 90);
    // Only the two rendered images outlive the rendering.
    EXPECT_EQ(backend().fLiveGraphCount(), before + 2);

    window.fSetPosition(SPointD(10.6, 330.2));
    backend().fSetLogging(true);
    window.fDraw();
    const int first = window.fGetBackgrounds()[0]->fCurrentGraph();
    const int second = window.fGetBackgrounds()[1]->fCurrentGraph();
    EXPECT_EQ(backend().fLogOf({"SetDrawBlendMode", "DrawGraph"}),
              (std::vector<std::string>{"SetDrawBlendMode(1, 220)", fCall("DrawGraph", {10, 330, first, 1}),
                                        "SetDrawBlendMode(0, 0)", fCall("DrawGraph", {10, 330, second, 1})}));
    backend().fClearLog();
  }
  EXPECT_EQ(backend().fLiveGraphCount(), before);
  EXPECT_EQ(backend().fLogOf({"DeleteGraph"}).size(), 2u);
}

TEST_F(NineSliceTest, AWindowWithAnImageBackgroundDeletesNothing) {
  const int before = backend().fLiveGraphCount();
  {
    CMainWindow window;
    window.fSetImageBackground(fMakeCDrawData(fImage("ui_parts/cursor_down.png")), 255, true);
  }
  EXPECT_EQ(backend().fLiveGraphCount(), before);
}

}  // namespace
