// The modes, the grid and a freshly built stage.
#include <cmath>
#include <set>

#include "app/Globals.h"
#include "stage/ModelTable.h"
#include "rules/StageModes.h"
#include "stage/StageTestKit.h"
#include "util/CRandom.h"

namespace {

TEST_F(StageTest, EachModeSetsItsConstantsAndGrid) {
  struct SExpected {
    int groupSize, maxColour, W, D, H, ballLimit;
  };
  const SExpected expected[] = {{2, 3, 2, 2, 9, 200}, {3, 3, 2, 3, 10, 300}, {4, 4, 3, 3, 10, 300}};
  for (int mode = 0; mode < 3; ++mode) {
    CPlimoStage& s = fStartStage(mode);
    const SExpected& e = expected[mode];
    EXPECT_EQ(s.rules.groupSize, e.groupSize);
    EXPECT_EQ(s.rules.maxColour, e.maxColour);
    EXPECT_EQ(s.rules.W, e.W);
    EXPECT_EQ(s.rules.D, e.D);
    EXPECT_EQ(s.rules.H, e.H);
    EXPECT_EQ(s.rules.ballLimit, e.ballLimit);
    EXPECT_EQ(s.rules.grid.fWidth() * s.rules.grid.fDepth() * s.rules.grid.fHeight(), e.W * e.D * e.H);
    EXPECT_DOUBLE_EQ(s.originA, -8.0 * e.W);
    EXPECT_DOUBLE_EQ(s.originB, -8.0 * e.D);
    EXPECT_EQ(s.rules.state, EStage::Ready);
  }
  EXPECT_STREQ(fModeName(2), "wanpaku");
  EXPECT_STREQ(fColourName(5), "lightblue");
  EXPECT_STREQ(fColourName(6), "ozyama");
}

TEST_F(StageTest, BlockedMeansOutsideOrTaken) {
  CPlimoStage& s = fStartStage(0);
  EXPECT_TRUE(s.rules.fIsBlocked(0, 0, -1));  // the floor
  EXPECT_TRUE(s.rules.fIsBlocked(s.rules.W, 0, 0));  // a wall
  EXPECT_TRUE(s.rules.fIsBlocked(0, -1, 3));
  EXPECT_TRUE(s.rules.fIsBlocked(0, 0, s.rules.H));
  EXPECT_FALSE(s.rules.fIsBlocked(1, 1, 8));  // the spawn cell
  EXPECT_FALSE(s.rules.fIsInside(1, 1, 9));
  fPlaceBall(1, 0, 2, kColourRed);
  EXPECT_TRUE(s.rules.fIsBlocked(1, 0, 2));
  EXPECT_FALSE(s.rules.fIsBlocked(1, 0, 3));
  EXPECT_EQ(s.rules.fLandingLayer(1, 0, 8), 3);
  EXPECT_EQ(s.rules.fLandingLayer(0, 0, 8), 0);
}

TEST_F(StageTest, ConstructionDealsFourFromTheSeededGenerator) {
  CPlimoStage& s = fStartStage(1, 123);
  EXPECT_EQ(s.rules.fRandom().fGetSeed(), 123);
  EXPECT_EQ(s.rules.dealt, 4);
  CRandom same(123);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.rules.queue[i].serial, i + 1);
    EXPECT_EQ(s.rules.queue[i].colour, same.fGetRand(0, 3));
    EXPECT_FALSE(s.rules.queue[i].fromHold);
    EXPECT_FALSE(s.rules.queue[i].isEnd);
  }
  EXPECT_TRUE(s.rules.hold.empty());
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.cameraDir, EDirection4::Right);
}

TEST_F(StageTest, DealtColoursStayWithinTheMode) {
  for (int mode : {0, 2}) {
    CPlimoStage& s = fStartStage(mode, 99);
    std::set<int> colours;
    for (int i = 0; i < 400; ++i) colours.insert(s.rules.fDeal().colour);
    const std::set<int> expected = mode == 2 ? std::set<int>{0, 1, 2, 3, 4} : std::set<int>{0, 1, 2, 3};
    EXPECT_EQ(colours, expected) << "mode " << mode;
  }
}

TEST_F(StageTest, BuildsSceneryFromTheSharedModels) {
  backend().fSetLogging(true);
  CPlimoStage& s = fStartStage(2);
  const auto loads = backend().fLogOf({"MV1LoadModel"});
  ASSERT_EQ(loads.size(), 17u);
  EXPECT_EQ(loads.front(), "MV1LoadModel(\"dat/plimo_green.mqo\")");
  EXPECT_EQ(loads[7], "MV1LoadModel(\"dat/plimo_green_h.mqo\")");
  EXPECT_EQ(loads.back(), "MV1LoadModel(\"dat/renga.mqo\")");
  // Turf under every column, bricks round the visible layers.
  const int floor = s.rules.W * s.rules.D;
  const int walls = (s.rules.H - 2) * 2 * (s.rules.W + s.rules.D);
  EXPECT_EQ(static_cast<int>(s.scenery.size()), floor + walls);
  EXPECT_EQ(backend().fLogOf({"MV1SetRotationXYZ"}).size(), static_cast<std::size_t>(walls));
  for (const CModel& part : s.scenery) EXPECT_NE(part.fHandle(), -1);
  // The starting camera rests a quarter past Right, less 16 degrees.
  EXPECT_NEAR(s.cameraPos.x, 360.0 * std::sin(164.0 * 3.14159265358979 / 180.0), 1e-3);
  EXPECT_NEAR(s.cameraPos.y, 360.0 * std::cos(164.0 * 3.14159265358979 / 180.0), 1e-3);
  EXPECT_NEAR(s.cameraPos.z, 560.0, 1e-6);
}

TEST_F(StageTest, ReleasingModelsLeavesNoneBehind) {
  const int before = backend().fLiveModelCount();
  fStartPlaying(0);
  fStep(3);  // a piece and its ghost
  ASSERT_NE(stage().rules.fPiece(), nullptr);
  fPlaceBall(0, 0, 0, kColourRed);
  EXPECT_GT(backend().fLiveModelCount(), before);
  stage().fReleaseModels();
  EXPECT_EQ(backend().fLiveModelCount(), before);
}

TEST_F(StageTest, OutOfRangeModeOrColourIsAProgrammingError) {
  EXPECT_DEATH(fModeInfo(3), "mode");
  EXPECT_DEATH(fColourName(7), "colour");
  EXPECT_DEATH(fColourName(-1), "colour");
}

}  // namespace
