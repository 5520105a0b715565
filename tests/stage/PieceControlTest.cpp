// Spawning, steering, holding, landing and locking the piece.
#include "rules/StageModes.h"
#include "stage/StageTestKit.h"

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;

class StagePieceTest : public StageTest {
 protected:
  // Through the opening, spawns the first piece and runs one frame with no
  // key down, so that every key's first press counts.
  SRuleBall& fSpawnPiece(int mode, int seed = 7) {
    fStartPlaying(mode, seed);
    return fNextPiece();
  }
  SRuleBall& fNextPiece() {
    EXPECT_TRUE(fStepUntil([&] { return stage().rules.fPiece() != nullptr; }, 200));
    fStep();
    return *stage().rules.fPiece();
  }
};

TEST_F(StagePieceTest, SpawnStepsIntoTheLayerBelowTheSpawnCell) {
  CPlimoStage& s = fStartPlaying(0);
  const CPlimoStage::SAppairInfo first = s.rules.queue[0];
  const CPlimoStage::SAppairInfo second = s.rules.queue[1];
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  SRuleBall& piece = *s.rules.fPiece();
  EXPECT_EQ(piece.serial, first.serial);
  EXPECT_EQ(piece.colour, first.colour);
  EXPECT_EQ(piece.a * 100 + piece.b * 10 + piece.h, 117);  // (1, 1, H-2)
  EXPECT_EQ(piece.progress, 0);
  EXPECT_EQ(s.rules.fBallAt(1, 1, 7), &piece);
  EXPECT_EQ(s.rules.queue[0].serial, second.serial);
  EXPECT_EQ(s.rules.queue[3].serial, 5);
  EXPECT_EQ(s.rules.dealt, 5);
  EXPECT_EQ(s.rules.spawnWait, 15);
  ASSERT_NE(s.ghost, nullptr);
  EXPECT_FLOAT_EQ(s.ghost->fPosition().z, 0.0f);  // over the empty floor
}

TEST_F(StagePieceTest, KeysMoveThePieceRelativeToTheCamera) {
  // Mode 1 is three rows deep, so the piece in row 1 can go either way.
  SRuleBall& piece = fSpawnPiece(1);
  CPlimoStage& s = stage();
  s.rules.fallSpeed = 0;
  piece.speed = 0;  // hold it still in the air
  ASSERT_EQ(s.rules.cameraDir, EDirection4::Right);
  // At the start the view is turned twice: Right moves towards a - 1.
  fTap(EGameKey::Right);
  EXPECT_EQ(piece.a, 0);
  fTap(EGameKey::Left);
  EXPECT_EQ(piece.a, 1);
  fTap(EGameKey::Down);
  EXPECT_EQ(piece.b, 0);
  fTap(EGameKey::Up);
  EXPECT_EQ(piece.b, 1);
  // Turned once to the left, Left moves towards b + 1.
  s.rules.cameraDir = EDirection4::Up;
  fTap(EGameKey::Left);
  EXPECT_EQ(piece.b, 2);
  EXPECT_EQ(piece.a, 1);
  EXPECT_EQ(s.rules.fBallAt(1, 2, piece.h), &piece);
  EXPECT_EQ(s.rules.fBallAt(1, 1, piece.h), nullptr);
  fExpectGridConsistent();
}

TEST_F(StagePieceTest, WallsAndBallsStopAMove) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  piece.speed = 0;
  const int h = piece.h;
  fTap(EGameKey::Left);  // towards a + 1: the wall
  fTap(EGameKey::Up);    // towards b + 1: the wall
  EXPECT_EQ(piece.a * 10 + piece.b, 11);
  // A ball one layer below the target blocks a piece that is still falling.
  fPlaceBall(0, 1, h - 1, kBlue);
  fTap(EGameKey::Right);
  EXPECT_EQ(piece.a, 1);
  // So does one at the piece's own height.
  fPlaceBall(1, 0, h, kBlue);
  fTap(EGameKey::Down);
  EXPECT_EQ(piece.b, 1);
  EXPECT_EQ(s.rules.fBallAt(1, 1, h), &piece);
  fExpectGridConsistent();
}

TEST_F(StagePieceTest, ALandedPieceMayMoveOverAGapAndFallsOn) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  fPlaceBall(1, 1, 0, kGreen);
  piece.speed = 512;
  ASSERT_TRUE(fStepUntil([&] { return piece.state == EBall::Landed; }));
  EXPECT_EQ(piece.h, 1);
  // Landed, only the target cell itself counts: (0, 1, 1) is free over a gap.
  fTap(EGameKey::Right);
  EXPECT_EQ(piece.a, 0);
  fStep();
  EXPECT_EQ(piece.state, EBall::Falling);
  EXPECT_EQ(piece.speed, s.rules.fallSpeed);
}

TEST_F(StagePieceTest, LockDelayIs31FramesAndIsNeverReset) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  fPlaceBall(1, 1, 0, kGreen);
  piece.speed = 512;
  ASSERT_TRUE(fStepUntil([&] { return piece.state == EBall::Landed; }));
  fStep(10);
  EXPECT_EQ(piece.lockCount, 10);
  // Moved off its support it falls, and lands again with its count kept.
  s.rules.fallSpeed = 512;
  fTap(EGameKey::Right);
  ASSERT_EQ(piece.state, EBall::Landed);
  ASSERT_EQ(piece.h, 0);
  EXPECT_EQ(piece.lockCount, 10);
  fStep(20);
  EXPECT_EQ(piece.state, EBall::Landed);
  EXPECT_EQ(s.rules.fPiece(), &piece);
  fStep();
  EXPECT_EQ(piece.state, EBall::Locked);
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_EQ(piece.lockCount, 31);
}

TEST_F(StagePieceTest, DropLocksAtOnceOnTheStack) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  fPlaceBall(1, 1, 0, piece.colour == kGreen ? kBlue : kGreen);
  fTap(EGameKey::KeyX);
  EXPECT_EQ(piece.state, EBall::Locked);
  EXPECT_EQ(piece.h, 1);
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.fBallAt(1, 1, 1), &piece);
  fExpectGridConsistent();
}

TEST_F(StagePieceTest, FirstHoldStoresThePieceAndTheNextSpawns15FramesLater) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  const int colour = piece.colour;
  const int nextSerial = s.rules.queue[0].serial;
  fSetKey(EGameKey::KeySpace, true);
  fStep();
  fSetKey(EGameKey::KeySpace, false);
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  ASSERT_EQ(s.rules.hold.size(), 1u);
  EXPECT_EQ(s.rules.hold[0].serial, 1);
  EXPECT_EQ(s.rules.hold[0].colour, colour);
  EXPECT_TRUE(s.rules.hold[0].fromHold);
  EXPECT_EQ(s.rules.cleared, 1);  // a held piece counts as removed
  EXPECT_EQ(fField(), std::vector<std::string>{});
  int frames = 0;
  while (s.rules.fPiece() == nullptr && frames < 100) {
    fStep();
    ++frames;
  }
  EXPECT_EQ(frames, 15);
  EXPECT_EQ(s.rules.fPiece()->serial, nextSerial);
}

TEST_F(StagePieceTest, HoldingAgainSwapsAndAHeldBallCannotBeHeldTwice) {
  fSpawnPiece(0);
  CPlimoStage& s = stage();
  fTap(EGameKey::KeySpace);
  SRuleBall& second = fNextPiece();
  ASSERT_EQ(second.serial, 2);
  const int third = s.rules.queue[0].serial;
  fTap(EGameKey::KeySpace);
  ASSERT_EQ(s.rules.hold.size(), 1u);
  EXPECT_EQ(s.rules.hold[0].serial, 2);
  EXPECT_EQ(s.rules.queue[0].serial, 1);
  EXPECT_TRUE(s.rules.queue[0].fromHold);
  EXPECT_EQ(s.rules.queue[1].serial, third);
  SRuleBall& again = fNextPiece();
  EXPECT_EQ(again.serial, 1);
  EXPECT_TRUE(again.fromHold);
  fTap(EGameKey::KeySpace);
  EXPECT_EQ(s.rules.fPiece(), &again);
  EXPECT_EQ(s.rules.hold[0].serial, 2);
}

TEST_F(StagePieceTest, WithoutAPieceHoldTakesTheFrontOfTheQueue) {
  CPlimoStage& s = fStartPlaying(0);
  fHoldSpawns();
  fStep();  // Space is first asked while up
  const int first = s.rules.queue[0].serial;
  const int second = s.rules.queue[1].serial;
  const int fifth = s.rules.dealt + 1;
  fTap(EGameKey::KeySpace);
  ASSERT_EQ(s.rules.hold.size(), 1u);
  EXPECT_EQ(s.rules.hold[0].serial, first);
  EXPECT_TRUE(s.rules.hold[0].fromHold);
  EXPECT_EQ(s.rules.queue[0].serial, second);
  EXPECT_EQ(s.rules.queue[3].serial, fifth);
  EXPECT_EQ(s.rules.cleared, 0);
  // Held again without a piece, the front swaps with the slot.
  fTap(EGameKey::KeySpace);
  EXPECT_EQ(s.rules.hold[0].serial, second);
  EXPECT_EQ(s.rules.queue[0].serial, first);
  // ... and a ball that came out of the slot stays at the front.
  fTap(EGameKey::KeySpace);
  EXPECT_EQ(s.rules.hold[0].serial, second);
  EXPECT_EQ(s.rules.queue[0].serial, first);
  s.rules.spawnWait = 0;
  fStep();
  ASSERT_NE(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.fPiece()->serial, first);
  EXPECT_TRUE(s.rules.fPiece()->fromHold);
}

TEST_F(StagePieceTest, TheEndOfTheDealCannotBeHeld) {
  CPlimoStage& s = fStartPlaying(0);
  fHoldSpawns();
  for (auto& entry : s.rules.queue) entry.isEnd = true;
  fStep();
  fTap(EGameKey::KeySpace);
  EXPECT_TRUE(s.rules.hold.empty());
  EXPECT_TRUE(s.rules.queue[0].isEnd);
  s.rules.spawnWait = 0;
  fStep();
  EXPECT_EQ(s.rules.state, EStage::Finishing);
}

TEST_F(StagePieceTest, OpeningIgnoresInput) {
  CPlimoStage& s = fStartStage(0);  // its first frame
  const auto queue = s.rules.queue;
  // Keys go down and up through frames 2 to 121.
  for (int frame = 2; frame <= 121; ++frame) {
    fSetKey(EGameKey::KeySpace, frame % 2 == 0);
    fSetKey(EGameKey::KeyZ, frame % 2 == 1);
    fStep();
    if (frame == 120) {
      EXPECT_EQ(s.rules.state, EStage::Ready);
      EXPECT_EQ(s.rules.stateTimer, 120);
    }
  }
  EXPECT_EQ(s.rules.state, EStage::Playing);
  EXPECT_EQ(s.rules.stateTimer, 0);
  EXPECT_TRUE(s.rules.hold.empty());
  EXPECT_FALSE(s.rules.turning);
  EXPECT_EQ(s.rules.queue[0].serial, queue[0].serial);
}

TEST_F(StagePieceTest, AFallingBallNeverStepsOntoABall) {
  SRuleBall& piece = fSpawnPiece(0);
  CPlimoStage& s = stage();
  fHoldSpawns();
  piece.speed = 0;
  // A loose ball falls in column (0, 1) just above where the piece goes.
  SRuleBall& loose = fPlaceBall(0, 1, piece.h + 1, kBlue, EBall::Falling);
  loose.speed = 128;
  fTap(EGameKey::Right);  // the piece slides in under it
  ASSERT_EQ(piece.a, 0);
  fStep(2);
  EXPECT_EQ(loose.h, piece.h + 1);
  EXPECT_EQ(loose.progress, 0);
  EXPECT_EQ(loose.state, EBall::Settled);
  EXPECT_EQ(s.rules.fBallAt(0, 1, piece.h), &piece);
  EXPECT_EQ(s.rules.fBallAt(0, 1, piece.h + 1), &loose);
  fExpectGridConsistent();
  // Resting on a falling piece, it keeps following it down.
  piece.speed = 256;
  fStep(8);
  fExpectGridConsistent();
  EXPECT_EQ(s.rules.fBallAt(0, 1, loose.h), &loose);
}

TEST_F(StagePieceTest, GarbageOnAFullColumnRestsInTheHiddenLayer) {
  CPlimoStage& s = fStartPlaying(0);
  fHoldSpawns();
  // Column (0, 0) full up to layer H-2, alternating so nothing clears.
  for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(0, 0, h, h % 2 == 0 ? kRed : kGreen);
  s.rules.garbageMeter = s.rules.garbageLimit;
  s.rules.spawnWait = 0;
  fStep();
  fHoldSpawns();
  EXPECT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_EQ(s.rules.garbageMeter, 0);
  ASSERT_TRUE(fStepUntil([&] {
    for (const SRuleBall* ball : fListedBalls(s.rules)) {
      if (ball->state == EBall::Falling) return false;
    }
    return true;
  }, 100));
  EXPECT_NE(s.rules.fBallAt(0, 0, s.rules.H - 1), nullptr);
  EXPECT_EQ(s.rules.fBallAt(0, 0, s.rules.H - 1)->colour, kColourOzyama);
  EXPECT_EQ(s.rules.fBallAt(1, 1, 0)->colour, kColourOzyama);
  fExpectGridConsistent();
  // A second layer finds that column's hidden layer taken and skips it.
  s.rules.garbageMeter = s.rules.garbageLimit;
  s.rules.spawnWait = 0;
  const std::size_t before = s.rules.balls.size();
  fStep();
  EXPECT_EQ(s.rules.balls.size(), before + 3);
}

}  // namespace
