// Groups, garbage, chains, score, level, garbage meter and the preview.
#include "rules/StageModes.h"
#include "stage/StageTestKit.h"

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;
constexpr int kYellow = 3;

class StageChainTest : public StageTest {
 protected:
  // A playing stage of the mode that spawns no pieces.
  CPlimoStage& fQuietStage(int mode) {
    fStartPlaying(mode);
    fHoldSpawns();
    return stage();
  }
  // A loose ball falling into the field from (a, b, h).
  SRuleBall& fDropLoose(int a, int b, int h, int colour) {
    SRuleBall& ball = fPlaceBall(a, b, h, colour, EBall::Falling);
    ball.speed = 128;
    return ball;
  }
  // Steps until nothing vanishes or falls and the chain has been counted.
  void fSettle() {
    ASSERT_TRUE(fStepUntil([&] {
      CPlimoStage& s = stage();
      if (s.rules.chainPhase != EStateForRensa::Still || s.rules.rensa != 0) return false;
      for (const SRuleBall* ball : fListedBalls(s.rules)) {
        if (ball->state == EBall::Falling || ball->state == EBall::Vanishing) return false;
      }
      return true;
    }));
    fExpectGridConsistent();
  }
};

TEST_F(StageChainTest, TwoTouchingBallsOfOneColourVanishInModeZero) {
  CPlimoStage& s = fQuietStage(0);
  fSetField({"R.|.."});
  fDropLoose(1, 0, 1, kRed);  // lands beside it
  fSettle();
  EXPECT_EQ(fField(), std::vector<std::string>{});
  EXPECT_EQ(s.rules.cleared, 2);
  EXPECT_EQ(s.rules.score, 200);

  fSetField({"G.|.."});
  fDropLoose(0, 0, 2, kGreen);  // lands on top of it
  fSettle();
  EXPECT_EQ(fField(), std::vector<std::string>{});
  EXPECT_EQ(s.rules.cleared, 4);
}

TEST_F(StageChainTest, BallsTouchingOnlyAtAnEdgeDoNotGroup) {
  CPlimoStage& s = fQuietStage(0);
  fSetField({"R.|.."});
  fDropLoose(1, 1, 2, kRed);  // diagonal on the floor
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"R.|.R"}));
  fSetField({".G|..", "..|.."});
  fDropLoose(1, 0, 3, kRed);  // on the green, diagonal to the red below-left
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"RG|.R", ".R|.."}));
  EXPECT_EQ(s.rules.cleared, 0);
}

TEST_F(StageChainTest, GroupsBelowTheModesSizeStay) {
  CPlimoStage& s = fQuietStage(2);  // groups of four
  fSetField({"RR.|...|..."});
  fDropLoose(2, 0, 2, kRed);
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"RRR|...|..."}));
  fDropLoose(1, 0, 2, kRed);
  fSettle();
  EXPECT_EQ(fField(), std::vector<std::string>{});
  EXPECT_EQ(s.rules.cleared, 4);
}

TEST_F(StageChainTest, GarbageBesideAClearingGroupGoesWithItButNotTwoCellsAway) {
  CPlimoStage& s = fQuietStage(0);
  // The lower garbage touches the red; the one above it does not, and falls.
  fSetField({"R.|..", "O.|..", "O.|.."});
  fDropLoose(1, 0, 1, kRed);
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"O.|.."}));
  EXPECT_EQ(s.rules.cleared, 3);
  EXPECT_EQ(s.rules.score, 300);  // garbage scores like any ball
}

TEST_F(StageChainTest, GarbageNeverFormsAGroupOfItsOwn) {
  CPlimoStage& s = fQuietStage(0);
  fSetField({"O.|.."});
  fDropLoose(1, 0, 1, kColourOzyama);
  fDropLoose(0, 1, 1, kColourOzyama);
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"OO|O."}));
  EXPECT_EQ(s.rules.cleared, 0);
}

TEST_F(StageChainTest, ThreeWavesScore100Then400Then900) {
  CPlimoStage& s = fQuietStage(0);
  // The reds clear; the green falls beside a green; then the blue falls
  // beside the blue that followed the red down.
  fSetField({"R.|G.", "G.|..", "B.|.."});
  s.rules.garbageMeter = 2;
  fDropLoose(1, 0, 1, kRed);
  fDropLoose(1, 0, 3, kBlue);
  std::vector<int> scoreAtEachWave;
  int lastRensa = 0;
  ASSERT_TRUE(fStepUntil([&] {
    if (s.rules.rensa > lastRensa) {
      lastRensa = s.rules.rensa;
      scoreAtEachWave.push_back(s.rules.score);
    }
    return s.rules.rensa == 0 && lastRensa > 0;
  }));
  EXPECT_EQ(scoreAtEachWave, (std::vector<int>{0, 200, 1000}));
  EXPECT_EQ(s.rules.score, 200 + 800 + 1800);
  EXPECT_EQ(s.rules.maxRensa, 3);
  EXPECT_EQ(s.rules.garbageMeter, 1);
  EXPECT_EQ(s.rules.cleared, 6);
  fSettle();
  EXPECT_EQ(fField(), std::vector<std::string>{});
}

TEST_F(StageChainTest, ATwoWaveChainLeavesTheMeterAlone) {
  CPlimoStage& s = fQuietStage(0);
  fSetField({"R.|G.", "G.|.."});
  s.rules.garbageMeter = 2;
  fDropLoose(1, 0, 1, kRed);
  fSettle();
  EXPECT_EQ(s.rules.maxRensa, 2);
  EXPECT_EQ(s.rules.garbageMeter, 2);
  EXPECT_EQ(s.rules.score, 200 + 800);
}

TEST_F(StageChainTest, FiveSingleClearsMakeTheNextSpawnAGarbageLayer) {
  CPlimoStage& s = fQuietStage(0);
  for (int clear = 1; clear <= 5; ++clear) {
    fSetField({"Y.|.."});
    fDropLoose(0, 0, 3, kYellow);
    fSettle();
    EXPECT_EQ(s.rules.garbageMeter, clear);
  }
  EXPECT_EQ(s.rules.maxRensa, 1);
  const int serial = s.rules.queue[0].serial;
  s.rules.spawnWait = 0;
  fStep();
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.garbageMeter, 0);
  ASSERT_EQ(s.rules.balls.size(), 4u);
  for (const SRuleBall* ball : fListedBalls(s.rules)) {
    EXPECT_EQ(ball->colour, kColourOzyama);
    EXPECT_EQ(ball->serial, -1);
    EXPECT_EQ(ball->speed, 256);
  }
  EXPECT_EQ(s.rules.queue[0].serial, serial);  // the queue waits
  fHoldSpawns();
  fSettle();
  EXPECT_EQ(fField(), (std::vector<std::string>{"OO|OO"}));
}

TEST_F(StageChainTest, RemovedBallsRaiseTheLevelAndSpeed) {
  CPlimoStage& s = fQuietStage(0);
  EXPECT_EQ(s.rules.level, 0);
  s.rules.fOnBallCleared();  // the first removed ball starts level 1
  EXPECT_EQ(s.rules.level, 1);
  EXPECT_EQ(s.rules.fallSpeed, 2);
  EXPECT_EQ(s.rules.vanishFrames, 75);
  std::vector<int> speeds;
  while (s.rules.cleared < 30 * 7) {
    const int level = s.rules.level;
    s.rules.fOnBallCleared();
    if (s.rules.level != level) speeds.push_back(s.rules.fallSpeed);
  }
  EXPECT_EQ(speeds, (std::vector<int>{4, 8, 16, 24, 32, 40, 48}));
  EXPECT_EQ(s.rules.level, 8);
  EXPECT_EQ(s.rules.garbageLimit, 3);  // lowered at levels 3 and 6
  EXPECT_EQ(s.rules.vanishFrames, 40);
}

TEST_F(StageChainTest, GarbageLimitNeverDropsBelowOne) {
  CPlimoStage& s = fQuietStage(1);
  s.rules.garbageLimit = 1;
  s.rules.cleared = 40 * 2 - 2;  // the second ball from here reaches level 3
  s.rules.level = 2;
  s.rules.fOnBallCleared();
  EXPECT_EQ(s.rules.level, 2);
  s.rules.fOnBallCleared();
  EXPECT_EQ(s.rules.level, 3);
  EXPECT_EQ(s.rules.garbageLimit, 1);
}

TEST_F(StageChainTest, PreviewHighlightsOnlyWhenThePieceCompletesAGroup) {
  CPlimoStage& s = fStartPlaying(1);  // groups of three
  fSetNextColour(kRed);
  fSetField({"R.|.R|..", "..|..|.."});
  // Landing on the red at (1, 1, 0) makes two: not enough.
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  SRuleBall& piece = *s.rules.fPiece();
  EXPECT_FALSE(piece.highlighted);
  for (const SRuleBall* ball : fListedBalls(s.rules)) EXPECT_FALSE(ball->highlighted);
  // A second red touching the first makes three with the piece.
  SRuleBall& partner = fPlaceBall(1, 2, 0, kRed);
  s.rules.fUpdatePreview();
  EXPECT_TRUE(piece.highlighted);
  EXPECT_TRUE(partner.highlighted);
  EXPECT_TRUE(s.rules.fBallAt(1, 1, 0)->highlighted);
  EXPECT_FALSE(s.rules.fBallAt(0, 0, 0)->highlighted);  // red, but not connected
  // Moved away from the group, the preview is cleared.
  fStep();
  fTap(EGameKey::Right);  // towards a - 1 at the start
  fTap(EGameKey::Down);   // towards b - 1
  EXPECT_EQ(piece.a * 10 + piece.b, 0);
  EXPECT_FALSE(piece.highlighted);
  EXPECT_FALSE(partner.highlighted);
}

TEST_F(StageChainTest, PreviewDoesNotCountThePieceTwice) {
  CPlimoStage& s = fStartPlaying(0);  // groups of two
  fSetNextColour(kRed);
  fSetField({"..|.G"});
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  SRuleBall& piece = *s.rules.fPiece();
  // Just above its landing cell the piece is the landing cell's neighbour.
  s.rules.fLeaveGrid(s.rules.piece);
  piece.h = 2;
  s.rules.fEnterGrid(s.rules.piece);
  s.rules.fUpdatePreview();
  EXPECT_FALSE(piece.highlighted);
}

TEST_F(StageChainTest, AGroupCompletedWhileTheFieldStillMovesJoinsTheChain) {
  CPlimoStage& s = fQuietStage(0);
  // The red clears; the green above it falls, and a blue completed during
  // that fall counts as the second wave.
  fSetField({"R.|..", "G.|.."});
  fDropLoose(1, 0, 1, kRed);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.rensa == 1 && s.rules.chainPhase == EStateForRensa::Moving; }));
  EXPECT_EQ(s.rules.rensa, 1);
  fPlaceBall(1, 1, 0, kBlue);
  fDropLoose(1, 1, 2, kBlue);
  fSettle();
  EXPECT_EQ(s.rules.maxRensa, 2);
  EXPECT_EQ(s.rules.score, 200 + 800);
  EXPECT_EQ(fField(), (std::vector<std::string>{"G.|.."}));
}

}  // namespace
