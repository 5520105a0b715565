// The points that rise from a clear keep clear of the map of the columns
// beside the box, whichever column the group cleared in: the box and the
// map stand apart enough for the points' width.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "stage/StageTestKit.h"

namespace {

using SDrawnItem = CHeadlessBackend::SDrawnItem;
constexpr int kWanpaku = 2;
constexpr int kRed = 0;

class PopUpLayoutTest : public StageTest {};

TEST_F(PopUpLayoutTest, PointsRisingBesideTheMapStayClearOfIt) {
  int beside = 0;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      // The middle column's top cell tops the game out.
      if (a == 1 && b == 1) continue;
      SCOPED_TRACE("column " + std::to_string(a) + "," + std::to_string(b));
      CPlimoStage& s = fStartPlaying(kWanpaku);
      fHoldSpawns();
      // Past the first level-up (its band would hold the points below it).
      s.rules.level = 1;
      s.rules.cleared = 5;
      // Three reds at the top of the column on a stack of others; a fourth
      // falls onto them and the four clear, their points rising above the box.
      for (int h = 0; h < 6; ++h) fPlaceBall(a, b, h, 1 + h % 3);
      for (int h = 6; h < 9; ++h) fPlaceBall(a, b, h, kRed);
      SRuleBall& last = fPlaceBall(a, b, 9, kRed, EBall::Falling);
      last.speed = 128;
      ASSERT_TRUE(fStepUntil(
          [&] {
            for (const SStageEffect& effect : s.fEffects().fLive()) {
              if (effect.kind == EStageEffect::Points && effect.age >= 30) return true;
            }
            return false;
          },
          600));
      backend().fClearLog();
      backend().fSetLogging(true);
      s.fDraw();
      backend().fSetLogging(false);
      const auto& drawn = backend().fDrawn();
      // The map's backing: the first box at its left edge; the points: a "+".
      const SDrawnItem* map = nullptr;
      const SDrawnItem* points = nullptr;
      for (const SDrawnItem& item : drawn) {
        if (map == nullptr && item.kind == SDrawnItem::EKind::Box && item.x1 == 7) map = &item;
        if (item.kind == SDrawnItem::EKind::Text && item.text.rfind("+", 0) == 0) points = &item;
      }
      ASSERT_NE(map, nullptr);
      ASSERT_NE(points, nullptr);
      const bool rowsMeet = points->y1 < map->y2 && map->y1 < points->y2;
      if (rowsMeet) ++beside;
      EXPECT_FALSE(rowsMeet && points->x1 < map->x2) << "points at " << points->x1 << "," << points->y1;
    }
  }
  EXPECT_GT(beside, 0) << "no points rose beside the map";
}

}  // namespace
