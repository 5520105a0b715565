// What answers the player on screen: the effects of the rules' events (in
// straight play, and none of what a theatre jump skipped), the balls drawn
// see-through in front of the piece, the map of the columns and the
// landing ghost while the field falls.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "stage/CReplayTheatre.h"
#include "stage/FieldView.h"
#include "stage/StageEffects.h"
#include "stage/StageTestKit.h"
#include "support/GameTest.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;
constexpr int kCellUnits = 32;

SRuleEvent fEvent(ERuleEvent kind, int value, int colour = -1, int a = 0, int b = 0, int h = 0) {
  return SRuleEvent{kind, value, 1, colour, a, b, h};
}

std::vector<const SStageEffect*> fOfKind(const CStageEffects& effects, EStageEffect kind) {
  std::vector<const SStageEffect*> found;
  for (const SStageEffect& effect : effects.fLive()) {
    if (effect.kind == kind) found.push_back(&effect);
  }
  return found;
}

// ---- the effects alone ----

TEST(StageEffectsTest, ChainPopUpsStartAtTwoFollowTheChainAndGrow) {
  CStageEffects effects;
  std::vector<int> shown;
  for (int chain = 1; chain <= 3; ++chain) {
    effects.fFeed({fEvent(ERuleEvent::ChainStep, chain)});
    for (int frame = 0; frame < 20; ++frame) {
      const auto popUps = fOfKind(effects, EStageEffect::Chain);
      ASSERT_LE(popUps.size(), 1u) << "one pop-up at a time";
      if (!popUps.empty() && (shown.empty() || shown.back() != popUps[0]->value)) shown.push_back(popUps[0]->value);
      effects.fAge();
    }
  }
  EXPECT_EQ(shown, (std::vector<int>{2, 3})) << "a first wave is no chain";
  // Gone after its life.
  for (int frame = 0; frame < CStageEffects::kChainFrames; ++frame) effects.fAge();
  EXPECT_TRUE(fOfKind(effects, EStageEffect::Chain).empty());

  EXPECT_LT(CStageEffects::fChainScale(2, 0.5), CStageEffects::fChainScale(3, 0.5));
  EXPECT_LT(CStageEffects::fChainScale(3, 0.5), CStageEffects::fChainScale(5, 0.5));
  EXPECT_EQ(CStageEffects::fChainScale(12, 0.5), CStageEffects::fChainScale(40, 0.5)) << "it stops growing";
  EXPECT_GT(CStageEffects::fChainScale(2, 0.0), CStageEffects::fChainScale(2, 0.5)) << "it pops in larger";
}

TEST(StageEffectsTest, ClearedBallsBurstInTheirColourAndTheirPointsRiseFromTheGroup) {
  CStageEffects effects;
  // Two reds side by side and a green, removed in one step.
  effects.fFeed({fEvent(ERuleEvent::BallRemoved, 400, kRed, 0, 0, 2), fEvent(ERuleEvent::BallRemoved, 400, kRed, 1, 0, 2),
                 fEvent(ERuleEvent::BallRemoved, 400, kGreen, 2, 1, 0), fEvent(ERuleEvent::BallLanded, 0)});
  const auto bursts = fOfKind(effects, EStageEffect::Burst);
  ASSERT_EQ(bursts.size(), 3u);
  EXPECT_EQ(bursts[2]->colour, kGreen);
  EXPECT_EQ(bursts[2]->a, 2.0);
  EXPECT_EQ(bursts[2]->h, 0.0);
  const auto points = fOfKind(effects, EStageEffect::Points);
  ASSERT_EQ(points.size(), 2u) << "one number per group";
  const SStageEffect& red = points[0]->colour == kRed ? *points[0] : *points[1];
  EXPECT_EQ(red.value, 800);
  EXPECT_DOUBLE_EQ(red.a, 0.5);
  EXPECT_DOUBLE_EQ(red.h, 2.0);
  // The points rise, and everything fades out before it goes.
  EXPECT_LT(CStageEffects::fPointsRise(0.1), CStageEffects::fPointsRise(0.9));
  EXPECT_EQ(CStageEffects::fOpacity(0.2), 1.0);
  EXPECT_LT(CStageEffects::fOpacity(0.95), 0.5);
  for (int frame = 0; frame < CStageEffects::kBurstFrames; ++frame) effects.fAge();
  EXPECT_TRUE(fOfKind(effects, EStageEffect::Burst).empty()) << "a burst is short";
  EXPECT_EQ(fOfKind(effects, EStageEffect::Points).size(), 2u) << "the points stay a little longer";
}

TEST(StageEffectsTest, TheLevelUpBannerShowsTheEventsLevelUntilItsTimeIsUp) {
  CStageEffects effects;
  effects.fFeed({fEvent(ERuleEvent::LevelUp, 3)});
  ASSERT_EQ(fOfKind(effects, EStageEffect::LevelUp).size(), 1u);
  EXPECT_EQ(fOfKind(effects, EStageEffect::LevelUp)[0]->value, 3);
  effects.fFeed({fEvent(ERuleEvent::LevelUp, 4)});
  ASSERT_EQ(fOfKind(effects, EStageEffect::LevelUp).size(), 1u) << "the newer banner replaces the older";
  EXPECT_EQ(fOfKind(effects, EStageEffect::LevelUp)[0]->value, 4);
  for (int frame = 0; frame < CStageEffects::kLevelUpFrames - 1; ++frame) effects.fAge();
  EXPECT_EQ(fOfKind(effects, EStageEffect::LevelUp).size(), 1u);
  effects.fAge();
  EXPECT_TRUE(effects.fLive().empty());
}

// ---- the stage ----

class StageFeedbackTest : public StageTest {
 protected:
  CPlimoStage& fQuietStage(int mode) {
    fStartPlaying(mode);
    fHoldSpawns();
    return stage();
  }
  SRuleBall& fDropLoose(int a, int b, int h, int colour) {
    SRuleBall& ball = fPlaceBall(a, b, h, colour, EBall::Falling);
    ball.speed = 128;
    return ball;
  }
  // Makes a ball already listed the piece, held in the air.
  void fMakePiece(SRuleBall& ball) {
    CStageRules& r = rules();
    for (const int slot : r.balls) {
      if (&r.fBall(slot) == &ball) r.piece = slot;
    }
    ball.state = EBall::Falling;
    ball.speed = 0;
  }
};

TEST_F(StageFeedbackTest, AChainOfThreeShowsTheTwoAndThreePopUpsInOrderWithBurstsOfTheGroupsColours) {
  CPlimoStage& s = fQuietStage(0);
  fSetField({"R.|G.", "G.|..", "B.|.."});
  fDropLoose(1, 0, 1, kRed);
  fDropLoose(1, 0, 3, kBlue);
  std::vector<int> popUps;
  std::set<int> burstColours;
  ASSERT_TRUE(fStepUntil([&] {
    for (const SStageEffect& effect : s.fEffects().fLive()) {
      if (effect.kind == EStageEffect::Chain && (popUps.empty() || popUps.back() != effect.value)) {
        popUps.push_back(effect.value);
      }
      if (effect.kind == EStageEffect::Burst) burstColours.insert(effect.colour);
    }
    return s.rules.rensa == 0 && s.rules.maxRensa == 3;
  }));
  EXPECT_EQ(popUps, (std::vector<int>{2, 3}));
  EXPECT_EQ(burstColours, (std::set<int>{kRed, kGreen, kBlue}));
}

TEST_F(StageFeedbackTest, TheLevelUpBannerComesFromTheRulesLevelUp) {
  CPlimoStage& s = fQuietStage(0);
  // One pair short of the next level.
  s.rules.level = 1;
  s.rules.cleared = 28;
  fSetField({"R.|.."});
  fDropLoose(1, 0, 1, kRed);
  ASSERT_TRUE(fStepUntil([&] { return !fOfKind(s.fEffects(), EStageEffect::LevelUp).empty(); }, 400));
  EXPECT_EQ(fOfKind(s.fEffects(), EStageEffect::LevelUp)[0]->value, s.rules.level);
  EXPECT_EQ(s.rules.level, 2);
}

TEST_F(StageFeedbackTest, TheGarbageMeterWarnsOnceTheNextBallBringsGarbage) {
  CPlimoStage& s = fQuietStage(1);
  auto warned = [&] {
    // Over a whole blink, so that a blinking warning is seen.
    bool shown = false;
    for (int frame = 0; frame < 30; ++frame) {
      backend().fClearLog();
      backend().fSetLogging(true);
      s.fDraw();
      backend().fSetLogging(false);
      for (const std::string& call : backend().fLogOf({"DrawStringToHandle"})) {
        if (call.find(fText(ETextId::GarbageWarning)) != std::string::npos) shown = true;
      }
      ++s.rules.frameCount;
    }
    return shown;
  };
  s.rules.garbageMeter = s.rules.garbageLimit - 1;
  EXPECT_FALSE(warned()) << "one clear short";
  s.rules.garbageMeter = s.rules.garbageLimit;
  EXPECT_TRUE(warned());
  // The meter as the rules leave it once the garbage fell.
  ASSERT_TRUE(s.rules.fGarbageDue());
  EXPECT_FALSE(warned());
}

TEST_F(StageFeedbackTest, BallsBetweenTheCameraAndThePieceAreTheOnesTowardsTheCameraAtEveryRestPosition) {
  CPlimoStage& s = fQuietStage(2);  // 3 x 3
  // A piece in the air over column (1, 1) at layer 3; a ball in every
  // neighbouring column from the floor up to two layers above the piece.
  SRuleBall& piece = fPlaceBall(1, 1, 3, kRed, EBall::Falling);
  fMakePiece(piece);
  for (const auto& [a, b] : std::vector<std::pair<int, int>>{{0, 1}, {2, 1}, {1, 0}, {1, 2}}) {
    for (int h = 0; h <= 5; ++h) fPlaceBall(a, b, h, h % 2 == 0 ? kGreen : kBlue);
  }
  auto idAt = [&](int a, int b, int h) { return s.rules.fBallAt(a, b, h)->id; };
  // The camera stands mostly on one side of the box at each rest position.
  struct SSide {
    int a, b;
  };
  for (int turns = 0; turns < 4; ++turns) {
    const double angle = s.rules.fCameraAngle();
    const SSide near{static_cast<int>(std::lround(std::sin(angle * std::numbers::pi / 180.0))),
                     static_cast<int>(std::lround(std::cos(angle * std::numbers::pi / 180.0)))};
    const SSide far{-near.a, -near.b};
    const std::set<int> hiding = fBallsHidingPiece(s.rules, s.cameraPos, s.originA, s.originB);
    const std::string where = "camera at " + std::to_string(angle);
    // Above the piece on the camera's side: in the line of sight.
    EXPECT_EQ(hiding.count(idAt(1 + near.a, 1 + near.b, 4)), 1u) << where;
    EXPECT_EQ(hiding.count(idAt(1 + near.a, 1 + near.b, 5)), 1u) << where;
    // Behind the piece and low on the far side: never.
    for (int h = 0; h <= 5; ++h) EXPECT_EQ(hiding.count(idAt(1 + far.a, 1 + far.b, h)), 0u) << where << " far " << h;
    EXPECT_EQ(hiding.count(idAt(1 + near.a, 1 + near.b, 0)), 0u) << where;
    // The side columns are seen past.
    EXPECT_EQ(hiding.count(idAt(1 + near.b, 1 + near.a, 5)), 0u) << where;
    EXPECT_EQ(hiding.count(idAt(1 - near.b, 1 - near.a, 5)), 0u) << where;
    // Drawn see-through: after the solid balls and the ghost.
    s.fSyncBallModels();
    backend().fClearLog();
    backend().fSetLogging(true);
    s.fDraw();
    backend().fSetLogging(false);
    const CPlimoBall* hider = s.fBallModels(*s.rules.fBallAt(1 + near.a, 1 + near.b, 5));
    ASSERT_NE(hider, nullptr);
    const std::string handle = std::to_string(hider->model.fHandle());
    const auto log = backend().fLogOf({"MV1SetOpacityRate", "MV1DrawModel"});
    const auto drawn = std::find(log.begin(), log.end(), "MV1DrawModel(" + handle + ")");
    ASSERT_NE(drawn, log.end()) << where;
    const auto ghostDrawn = std::find(log.begin(), log.end(), "MV1DrawModel(" + std::to_string(s.ghost->fHandle()) + ")");
    EXPECT_LT(ghostDrawn - log.begin(), drawn - log.begin()) << "see-through after the solid " << where;
    // Faint for its own draw, and solid again after it.
    ASSERT_GE(drawn - log.begin(), 2);
    ASSERT_GE(log.end() - drawn, 3);
    EXPECT_EQ(*(drawn - 2), "MV1SetOpacityRate(" + handle + ", 0.28)") << where;
    EXPECT_EQ(*(drawn + 1), "MV1SetOpacityRate(" + handle + ", 1)") << where;
    // Turn a quarter to the left.
    fTap(EGameKey::KeyZ);
    ASSERT_TRUE(fStepUntil([&] { return !rules().turning; }, 20));
    fStep();
  }
  // Without a piece nothing is see-through.
  s.rules.piece = CStageRules::kNoBall;
  EXPECT_TRUE(fBallsHidingPiece(s.rules, s.cameraPos, s.originA, s.originB).empty());
}

TEST_F(StageFeedbackTest, TheMapShowsEachColumnsHeightWithoutThePiece) {
  CPlimoStage& s = fQuietStage(2);  // 3 x 3
  fSetField({"RGB|G..|...", "R..|...|...", "..Y|...|..."});
  SRuleBall& piece = fPlaceBall(1, 1, 6, kBlue, EBall::Falling);
  fMakePiece(piece);
  // Columns by a + 3 b; (2, 0) has a gap under its top ball.
  EXPECT_EQ(fColumnHeights(s.rules), (std::vector<int>{2, 1, 3, 1, 0, 0, 0, 0, 0}));
}

TEST_F(StageFeedbackTest, OnTheMapTheDirectionKeysMoveThePieceTheWayTheyMoveItOnScreen) {
  for (int mode = 0; mode < 3; ++mode) {
    CPlimoStage& s = fStartPlaying(mode);
    ASSERT_TRUE(fStepUntil([&] { return s.rules.fPiece() != nullptr; }, 200));
    for (int turns = 0; turns < 4; ++turns) {
      s.rules.fPiece()->speed = 0;
      const SMapPlace size = fMapSize(s.rules.W, s.rules.D, s.rules.fCameraAngle());
      auto place = [&] {
        const SRuleBall& p = *s.rules.fPiece();
        return fMapPlace(p.a, p.b, s.rules.W, s.rules.D, s.rules.fCameraAngle());
      };
      // Right as far as it goes, then left; down, then up: each a step on the map.
      const struct {
        EGameKey key;
        int dx, dy;
      } moves[] = {{EGameKey::Right, 1, 0}, {EGameKey::Left, -1, 0}, {EGameKey::Down, 0, 1}, {EGameKey::Up, 0, -1}};
      for (const auto& move : moves) {
        for (int press = 0; press < 4; ++press) {
          const SMapPlace before = place();
          fTap(move.key);
          const SMapPlace after = place();
          const std::string where = "mode " + std::to_string(mode) + " turns " + std::to_string(turns);
          EXPECT_GE(after.x, 0) << where;
          EXPECT_LT(after.x, size.x) << where;
          EXPECT_GE(after.y, 0) << where;
          EXPECT_LT(after.y, size.y) << where;
          if (after == before) continue;  // at the wall
          EXPECT_EQ(after.x - before.x, move.dx) << where;
          EXPECT_EQ(after.y - before.y, move.dy) << where;
        }
      }
      fTap(EGameKey::KeyZ);
      ASSERT_TRUE(fStepUntil([&] { return !rules().turning; }, 20));
      fStep();
    }
  }
}

TEST_F(StageFeedbackTest, AfterAClearTheGhostComesDownWithTheFallingColumn) {
  CPlimoStage& s = fQuietStage(2);  // 3 x 3, groups of four
  // Column (0, 0): a red on the floor that clears with the three reds
  // round it, and three balls on top of it that fall a layer afterwards.
  fSetField({"RRR|R..|...", "G..|...|...", "B..|...|...", "Y..|...|..."});
  SRuleBall& piece = fPlaceBall(0, 0, 8, kGreen, EBall::Falling);
  fMakePiece(piece);
  s.rules.fCheckChains();
  fStep();
  ASSERT_EQ(s.rules.fBallAt(0, 0, 0)->state, EBall::Vanishing);
  const SRuleBall* top = s.rules.fBallAt(0, 0, 3);
  ASSERT_NE(top, nullptr);
  auto topDrawnZ = [&] { return fBallWorldPosition(*top, s.originA, s.originB).z; };
  int fallingFrames = 0;
  ASSERT_TRUE(fStepUntil([&] {
    EXPECT_FLOAT_EQ(s.ghost->fPosition().z, topDrawnZ() + kCellUnits) << "frame " << s.rules.frameCount;
    if (top->state == EBall::Falling) ++fallingFrames;
    return top->h == 2 && top->state == EBall::Settled;
  }, 300));
  EXPECT_GT(fallingFrames, 0) << "the column fell";
  EXPECT_FLOAT_EQ(s.ghost->fPosition().z, 3.0f * kCellUnits) << "at rest on the column";
}

// ---- the theatre ----

class TheatreEffectsTest : public GameTest {};

TEST_F(TheatreEffectsTest, AJumpShowsNoneOfTheEffectsItSkippedAndWatchingOnShowsThem) {
  const SReplayInfo info = SReplayInfo::fReplay(0);
  fWriteWholeFile(info.path, replay_archives::fFixture("plimo_seed123.zip"));
  gCurrentScene = std::make_unique<CReplayTheatre>(0, info);
  gCurrentScene->fAnimate();
  auto& theatre = *dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet());
  ASSERT_FALSE(theatre.fMarks().chains.empty());
  const auto chain = theatre.fMarks().chains.front();
  const CPlimoStage& stage = theatre.fStage();

  // Over the chain and beyond, in one jump: nothing of it shows.
  theatre.fJumpTo(chain.frame + 1);
  EXPECT_TRUE(stage.fEffects().fLive().empty());
  // Back to before it: nor does anything from later.
  theatre.fJumpTo(chain.frame - 3);
  EXPECT_TRUE(stage.fEffects().fLive().empty());
  // Played on frame by frame, the chain pops up.
  std::vector<int> popUps;
  for (int frame = 0; frame < 6; ++frame) {
    ASSERT_TRUE(theatre.fStepForward());
    for (const SStageEffect* effect : fOfKind(stage.fEffects(), EStageEffect::Chain)) popUps.push_back(effect->value);
  }
  ASSERT_FALSE(popUps.empty());
  EXPECT_EQ(popUps.front(), chain.count);
  theatre.fStage().fReleaseModels();
  gCurrentScene.fClear();
  gKeyManager = std::make_unique<CKeyManager>();
}

}  // namespace
