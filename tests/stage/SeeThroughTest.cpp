// Which balls the stage draws see-through while a piece is in play: those
// that stand, on screen, in front of any column the piece can still reach;
// and the ghost's outline, drawn over the box round its landing cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "stage/CPlimoBall.h"
#include "stage/FieldView.h"
#include "stage/StageTestKit.h"

namespace {

constexpr int kWanpaku = 2;  // the 3 x 3 box, ten layers high
constexpr float kBallRadius = 15.0f;
constexpr int kRed = 0, kGreen = 1, kBlue = 2, kYellow = 3;
using SDrawnItem = CHeadlessBackend::SDrawnItem;

class SeeThroughTest : public StageTest {
 protected:
  CPlimoStage& fQuietWanpaku() {
    fStartPlaying(kWanpaku);
    fHoldSpawns();
    return stage();
  }
  // A ball already listed made the piece, held in the air.
  void fMakePiece(SRuleBall& ball) {
    CStageRules& r = rules();
    for (const int slot : r.balls) {
      if (&r.fBall(slot) == &ball) r.piece = slot;
    }
    ball.state = EBall::Falling;
    ball.speed = 0;
  }
  // Every column filled from the floor up to `layers` layers.
  void fFillColumns(int layers) {
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        for (int h = 0; h < layers; ++h) fPlaceBall(a, b, h, (a + 2 * b + h) % 4);
      }
    }
  }
  std::set<int> fSeeThrough() {
    const CPlimoStage& s = stage();
    return fBallsHidingReach(s.rules, s.cameraPos, s.originA, s.originB);
  }
  // Turns the camera a quarter to the left and waits for it to come to rest.
  void fTurnCamera() {
    fTap(EGameKey::KeyZ);
    ASSERT_TRUE(fStepUntil([&] { return !rules().turning; }, 30));
    fStep();
  }
  static std::vector<int> fColumns(std::initializer_list<std::pair<int, int>> cells) {
    std::vector<int> columns;
    for (const auto& [a, b] : cells) columns.push_back(a + 3 * b);
    std::sort(columns.begin(), columns.end());
    return columns;
  }
};

TEST_F(SeeThroughTest, ThePieceReachesTheColumnsItCanStepIntoOneFreeCellAtATime) {
  fQuietWanpaku();
  // Walls four layers high round the corner (0, 0); the piece falls between
  // layers 4 and 3 there.
  fSetField({"GR.|R..|...", "GR.|R..|...", "GR.|R..|...", "GR.|R..|..."});
  SRuleBall& piece = fPlaceBall(0, 0, 4, kBlue, EBall::Falling);
  fMakePiece(piece);
  EXPECT_EQ(fReachableColumns(rules()), fColumns({{0, 0}})) << "walled into its corner";
  // Lifted a layer, it clears the walls: every column but those still
  // standing above it.
  piece.h = 6;
  fPlaceBall(1, 1, 4, kGreen);
  fPlaceBall(1, 1, 5, kGreen);
  fPlaceBall(1, 1, 6, kGreen);
  EXPECT_EQ(fReachableColumns(rules()),
            fColumns({{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}));
  // The centre column reached round its sides is never stepped through: a
  // column cut off behind it is out of reach.
  piece.h = 4;
  EXPECT_EQ(fReachableColumns(rules()), fColumns({{0, 0}}));
  rules().piece = CStageRules::kNoBall;
  EXPECT_TRUE(fReachableColumns(rules()).empty());
  EXPECT_TRUE(fSeeThrough().empty()) << "without a piece every ball is solid";
}

// On screen, a see-through ball covers part of a cell of a column the piece
// can reach (not its own) that lies farther from the camera; and a ball that
// covers such a cell's centre almost wholly is see-through. Checked in a
// half-full and a full box at every rest position of the camera.
TEST_F(SeeThroughTest, SeeThroughBallsAreThoseInFrontOfAReachableColumnOnScreen) {
  for (const int layers : {4, 7}) {
    SCOPED_TRACE(std::to_string(layers) + " layers");
    CPlimoStage& s = fQuietWanpaku();
    fFillColumns(layers);
    SRuleBall& piece = fPlaceBall(1, 1, layers + 2, kRed, EBall::Falling);
    fMakePiece(piece);
    ASSERT_EQ(fReachableColumns(rules()).size(), 9u);
    for (int turn = 0; turn < 4; ++turn) {
      SCOPED_TRACE("camera at " + std::to_string(rules().fCameraAngle()));
      s.fApplyView();
      const std::set<int> seeThrough = fSeeThrough();
      const std::set<int> hidingPiece = fBallsHidingPiece(s.rules, s.cameraPos, s.originA, s.originB);
      // The screen's view of each ball and of each cell the piece may fill
      // or look at: floor to landing in each column.
      auto distance = [&](VECTOR at) {
        const float dx = at.x - s.cameraPos.x, dy = at.y - s.cameraPos.y, dz = at.z - s.cameraPos.z;
        return std::sqrt(dx * dx + dy * dy + dz * dz);
      };
      struct SCell {
        int a, b;
        VECTOR screen;
        float depth;
      };
      std::vector<SCell> cells;
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
          for (int h = 0; h <= layers; ++h) {
            SRuleBall cell;
            cell.a = a, cell.b = b, cell.h = h;
            const VECTOR at = fBallWorldPosition(cell, s.originA, s.originB);
            cells.push_back({a, b, ConvWorldPosToScreenPos(at), distance(at)});
          }
        }
      }
      int counted = 0;
      for (const int slot : rules().balls) {
        const SRuleBall& ball = rules().fBall(slot);
        if (slot == rules().piece) continue;
        const VECTOR at = fBallWorldPosition(ball, s.originA, s.originB);
        const VECTOR screen = ConvWorldPosToScreenPos(at);
        // The ball's radius on screen, across the view.
        const VECTOR side = ConvWorldPosToScreenPos(VGet(at.x, at.y, at.z + kBallRadius));
        const float radius = std::hypot(side.x - screen.x, side.y - screen.y);
        float nearest = 1e9f;
        for (const SCell& cell : cells) {
          if ((cell.a == ball.a && cell.b == ball.b) || cell.depth <= distance(at) + kBallRadius) continue;
          nearest = std::min(nearest, std::hypot(cell.screen.x - screen.x, cell.screen.y - screen.y));
        }
        const std::string where = "ball at " + std::to_string(ball.a) + "," + std::to_string(ball.b) + "," +
                                  std::to_string(ball.h);
        if (seeThrough.count(ball.id) != 0 && hidingPiece.count(ball.id) == 0) {
          EXPECT_LT(nearest, 2.0f * radius) << where << " is see-through but covers no column behind it";
          ++counted;
        }
        if (nearest < 0.8f * radius) {
          EXPECT_EQ(seeThrough.count(ball.id), 1u) << where << " hides a column";
        }
      }
      EXPECT_GT(counted, 0) << "a filled box shows some column through its near balls";
      fTurnCamera();
    }
  }
}

TEST_F(SeeThroughTest, OnlyBallsInFrontOfAnotherColumnAreSeeThroughAndOnlyWhileItIsReachable) {
  CPlimoStage& s = fQuietWanpaku();
  s.fApplyView();
  // One tall column in the far row, away from the camera: nothing stands in
  // front of it and it hides nothing; its own balls stay solid.
  const double angle = rules().fCameraAngle();
  const int nearB = std::lround(std::cos(angle * 3.14159265358979 / 180.0)) > 0 ? 2 : 0;
  const int farB = 2 - nearB;
  for (int h = 0; h < 6; ++h) fPlaceBall(1, farB, h, h % 3);
  SRuleBall& piece = fPlaceBall(0, 1, 7, kRed, EBall::Falling);
  fMakePiece(piece);
  EXPECT_TRUE(fSeeThrough().empty());
  // The same column in the near row stands in front of the rest of the box.
  for (int h = 0; h < 6; ++h) fPlaceBall(1, nearB, h, h % 3);
  const SRuleBall* top = rules().fBallAt(1, nearB, 5);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(fSeeThrough().count(top->id), 1u);
  // Walled into a column of the side, the piece reaches neither the middle
  // nor the far row: the near column no longer hides a column it may go to.
  piece.h = 3;
  piece.a = 2;
  piece.b = nearB;
  for (int h = 0; h < 6; ++h) fPlaceBall(2, 1, h, kYellow);
  ASSERT_EQ(fReachableColumns(rules()), fColumns({{2, nearB}}));
  EXPECT_EQ(fSeeThrough().count(top->id), 0u);
}

TEST_F(SeeThroughTest, TheGhostHasASolidRingOverTheBoxRoundItsLandingCell) {
  CPlimoStage& s = fQuietWanpaku();
  fFillColumns(5);
  SRuleBall& piece = fPlaceBall(1, 1, 8, kYellow, EBall::Falling);
  fMakePiece(piece);
  s.fSyncBallModels();
  s.fApplyView();
  ASSERT_TRUE(s.ghost);
  const SGhostOutline outline = s.fGhostOutline();
  SRuleBall landing = piece;
  landing.h = rules().fLandingLayer(1, 1, piece.h);
  landing.progress = 0;
  const VECTOR centre = ConvWorldPosToScreenPos(fBallWorldPosition(landing, s.originA, s.originB));
  EXPECT_NEAR(outline.x, centre.x, 1.0);
  EXPECT_NEAR(outline.y, centre.y, 1.0);
  EXPECT_GE(outline.radius, 6);
  EXPECT_LE(outline.radius, 40);

  backend().fClearLog();
  backend().fSetLogging(true);
  s.fDraw();
  backend().fSetLogging(false);
  // The ring's rows: after every model, round the centre on both sides and
  // above and below it, none inside the ring's hole.
  const auto& drawn = backend().fDrawn();
  const auto log = backend().fLogOf({"MV1DrawModel", "DrawBox"});
  const auto lastModel = std::find_if(log.rbegin(), log.rend(), [](const std::string& call) {
    return call.rfind("MV1DrawModel", 0) == 0;
  });
  ASSERT_NE(lastModel, log.rend());
  int left = 0, right = 0, above = 0, below = 0;
  for (const SDrawnItem& item : drawn) {
    if (item.kind != SDrawnItem::EKind::Box || item.y2 - item.y1 != 1) continue;
    const int row = item.y1 - outline.y;
    if (std::abs(row) > outline.radius + 1) continue;
    const int x1 = item.x1 - outline.x, x2 = item.x2 - outline.x;
    if (x2 < -outline.radius - 2 || x1 > outline.radius + 2) continue;
    // No part reaches into the ring's hole: four pixels in from its edge.
    const int nearEdge = x1 < 0 && x2 > 0 ? 0 : (x2 <= 0 ? -x2 : x1);
    EXPECT_GE(std::hypot(nearEdge, row + 0.5), outline.radius - 4.0) << "a ring part in the hole at row " << row;
    if (x2 <= 0) ++left;
    if (x1 >= 0) ++right;
    if (row < -outline.radius / 2) ++above;
    if (row > outline.radius / 2) ++below;
  }
  EXPECT_GT(left, outline.radius);
  EXPECT_GT(right, outline.radius);
  EXPECT_GT(above, 0);
  EXPECT_GT(below, 0);
  // Over the box: ring rows come after the last model drawn.
  const std::size_t models = static_cast<std::size_t>(log.rend() - lastModel);
  int ringRowsAfter = 0;
  for (std::size_t i = models; i < log.size(); ++i) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (std::sscanf(log[i].c_str(), "DrawBox(%d, %d, %d, %d", &x1, &y1, &x2, &y2) != 4) continue;
    if (y2 - y1 == 1 && std::abs(y1 - outline.y) <= outline.radius + 1 && x1 >= outline.x - outline.radius - 2 &&
        x2 <= outline.x + outline.radius + 2) {
      ++ringRowsAfter;
    }
  }
  EXPECT_GE(ringRowsAfter, 2 * outline.radius);
  // Without a piece there is no ring.
  rules().piece = CStageRules::kNoBall;
  backend().fClearLog();
  backend().fSetLogging(true);
  s.fDraw();
  backend().fSetLogging(false);
  for (const SDrawnItem& item : backend().fDrawn()) {
    EXPECT_FALSE(item.kind == SDrawnItem::EKind::Box && item.y2 - item.y1 == 1 &&
                 std::abs(item.y1 - outline.y) <= outline.radius && item.x1 >= outline.x - outline.radius - 2 &&
                 item.x2 <= outline.x + outline.radius + 2);
  }
}

}  // namespace
