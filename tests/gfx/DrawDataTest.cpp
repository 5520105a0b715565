#include <gtest/gtest.h>

#include "gfx/CDrawData.h"
#include "gfx/CDrawDataQueue.h"
#include "support/HeadlessTest.h"

namespace {

class DrawDataTest : public HeadlessTest {
 protected:
  // A picture of the given size, known to the backend.
  int fPicture(int width, int height) { return MakeGraph(width, height, 0); }

  std::vector<std::string> fDraw(const SDrawData& item, SPointD at) {
    backend().fClearLog();
    backend().fSetLogging(true);
    fDrawAt(at, item);
    backend().fSetLogging(false);
    EXPECT_TRUE(backend().fIsStateNeutral());
    return backend().fLog();
  }
};

TEST_F(DrawDataTest, AnOpaqueStillPictureIsOnePlainCall) {
  const int graph = fPicture(40, 20);
  SDrawData item = fMakeDrawData(graph);
  EXPECT_EQ(item.frameWait, -1);
  const std::string call = "DrawGraph(10, 20, " + std::to_string(graph) + ", 1)";
  EXPECT_EQ(fDraw(item, SPointD(10.9, 20.2)), std::vector<std::string>{call});
}

TEST_F(DrawDataTest, TranslucentPlainDrawingIsWrappedInBlendCalls) {
  const int graph = fPicture(40, 20);
  SDrawData item = fMakeDrawData(graph);
  item.fSetAlpha(128.7);
  item.fSetTrans(false);
  const std::string g = std::to_string(graph);
  EXPECT_EQ(fDraw(item, SPointD(0, 0)),
            (std::vector<std::string>{"SetDrawBlendMode(1, 128)", "DrawGraph(0, 0, " + g + ", 0)",
                                      "SetDrawBlendMode(0, 0)"}));
}

TEST_F(DrawDataTest, ScaledPicturesGoThroughTheRotatedPathEvenWhenOpaque) {
  const int graph = fPicture(50, 10);
  SDrawData item = fMakeDrawData(graph);
  item.fSourceSizeFromImage();
  item.fSetScale(1.5);
  const std::string g = std::to_string(graph);
  EXPECT_EQ(fDraw(item, SPointD(100, 100)),
            (std::vector<std::string>{"SetDrawBlendMode(1, 255)", "DrawRotaGraph(125, 105, 1.5, 0, " + g + ", 1, 0)",
                                      "SetDrawBlendMode(0, 0)"}));
}

TEST_F(DrawDataTest, AnExtendedRotatedPictureUsesTheWidthRatioAndIgnoresScale) {
  const int graph = fPicture(50, 10);
  SDrawData item = fMakeDrawData(graph);
  item.fSourceSizeFromImage();
  item.fSetDrawSize(100, 20);
  item.fSetScale(3.0);
  item.fSetRotate(true);
  item.fSetAngle(90);
  item.fSetTurn(true);
  const auto calls = fDraw(item, SPointD(0, 0));
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], "DrawRotaGraph(25, 5, 2, 1.5708, " + std::to_string(graph) + ", 1, 1)");
}

TEST_F(DrawDataTest, ATurnedExtendedPictureHasItsEdgesExchanged) {
  const int graph = fPicture(50, 10);
  SDrawData item = fMakeDrawData(graph);
  item.fSetDrawSize(100, 20);
  item.fSetTurn(true);
  item.fineOffsetX = 0.5;
  EXPECT_EQ(fDraw(item, SPointD(10, 10)),
            std::vector<std::string>{"DrawExtendGraph(110, 10, 10, 30, " + std::to_string(graph) + ", 1)"});
  item.fSetExtend(false);
  EXPECT_EQ(fDraw(item, SPointD(10, 10)),
            std::vector<std::string>{"DrawTurnGraph(10, 10, " + std::to_string(graph) + ", 1)"});
}

TEST_F(DrawDataTest, BrightnessAndClippingAreSetAndReset) {
  const int graph = fPicture(40, 20);
  SDrawData item = fMakeDrawData(graph);
  item.fSizeFromImageAndCentre();  // offset (-20, -10)
  item.fSetRed(128);
  item.clip = true;
  item.clipRect = SRectExT<double>(0, 0, 20, 10);
  EXPECT_EQ(fDraw(item, SPointD(100, 100)),
            (std::vector<std::string>{"SetDrawArea(90, 95, 110, 105)", "SetDrawBright(128, 255, 255)",
                                      "DrawGraph(80, 90, " + std::to_string(graph) + ", 1)",
                                      "SetDrawBright(255, 255, 255)", "SetDrawArea(0, 0, 640, 480)"}));
  item.fSetRed(255);
  item.clip = false;
  item.fSetVisible(false);
  EXPECT_TRUE(fDraw(item, SPointD(0, 0)).empty());
}

TEST_F(DrawDataTest, OffsetsAddUpAndCentringRoundsTowardZero) {
  const int first = fPicture(41, 21);
  SDrawData item = fMakeDrawData(first);
  item.fSizeFromImageAndCentre();
  EXPECT_EQ(item.fGetOffset().x, -20);
  EXPECT_EQ(item.fGetOffset().y, -10);
  item.fClearFrames();
  item.fAddFrame(first, SPoint(3, 4));
  EXPECT_EQ(fDraw(item, SPointD(50, 50)), std::vector<std::string>{"DrawGraph(33, 44, " + std::to_string(first) + ", 1)"});
}

TEST_F(DrawDataTest, AlphaIsClamped) {
  SDrawData item;
  item.fSetAlpha(-5);
  EXPECT_EQ(item.fGetAlpha(), 0.0);
  item.fSetAlpha(300);
  EXPECT_EQ(item.fGetAlpha(), 255.0);
}

TEST_F(DrawDataTest, ANonLoopingAnimationStopsOnItsLastPicture) {
  SDrawData item;
  for (int i = 0; i < 3; ++i) item.fAddFrame(fPicture(8, 8));
  item.fSetFrameWait(4);
  item.fSetWaitDivisor(2);
  item.fSetLoop(false);
  std::vector<int> frames;
  for (int step = 1; step <= 9; ++step) {
    item.fUpdateAnimation();
    frames.push_back(item.currentFrame);
    EXPECT_EQ(item.finished, step == 9) << step;
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 2}));
  item.fUpdateAnimation();
  EXPECT_EQ(item.currentFrame, 2);
}

TEST_F(DrawDataTest, ALoopingAnimationWrapsAndAStillOneNeverMoves) {
  SDrawData item;
  item.fAddFrame(fPicture(8, 8));
  item.fAddFrame(fPicture(8, 8));
  std::vector<int> frames;
  for (int step = 0; step < 4; ++step) {
    item.fUpdateAnimation();
    frames.push_back(item.currentFrame);
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 0, 1, 0}));
  item.fSetFrameWait(-1);
  item.fUpdateAnimation();
  EXPECT_EQ(item.currentFrame, 0);
}

TEST_F(DrawDataTest, CloneKeepsEverythingButBrightnessAndTurn) {
  auto item = fMakeCDrawData(fPicture(10, 10));
  item->fSetRed(10);
  item->fSetTurn(true);
  item->fSetAlpha(100);
  item->fSetOffset(3, 4);
  const auto clone = item->fClone();
  EXPECT_EQ(clone->data.red, 255);
  EXPECT_FALSE(clone->fGetTurn());
  EXPECT_EQ(clone->fGetAlpha(), 100.0);
  EXPECT_EQ(clone->fGetOffset().y, 4);
  EXPECT_EQ(clone->fFrameCount(), 1);
  clone->fCopyTo(*clone->fClone());
  auto target = fMakeCDrawData(fPicture(10, 10));
  item->fCopyTo(*target);
  EXPECT_EQ(target->fFrameCount(), 2);  // appended, not replaced
}

TEST_F(DrawDataTest, ProgrammingErrors) {
  EXPECT_DEATH(fMakeDrawData(-1), "could not be loaded");
  SDrawData empty;
  EXPECT_DEATH(empty.fCurrentGraph(), "out of range");
}

TEST_F(DrawDataTest, TheQueueDrawsLowPrioritiesFirstAndEmpties) {
  const int back = fPicture(8, 8), middle = fPicture(8, 8), front = fPicture(8, 8);
  CDrawDataQueue queue;
  queue.fPush(SPointD(3, 0), fMakeDrawData(front), 5);
  queue.fPush(SPointD(1, 0), fMakeDrawData(back), -1);
  queue.fPush(SPointD(2, 0), fMakeDrawData(middle), 0);
  backend().fSetLogging(true);
  queue.fFlush();
  EXPECT_EQ(backend().fLog(), (std::vector<std::string>{"DrawGraph(1, 0, " + std::to_string(back) + ", 1)",
                                                        "DrawGraph(2, 0, " + std::to_string(middle) + ", 1)",
                                                        "DrawGraph(3, 0, " + std::to_string(front) + ", 1)"}));
  EXPECT_EQ(queue.fSize(), 0);
}

}  // namespace
