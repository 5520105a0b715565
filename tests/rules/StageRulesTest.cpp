// The rules alone, as a plain value: no game library, no scene, no globals.
// Fields are laid out as text (one string per layer from the floor up, rows
// of b joined with '|', R G B Y P L O for the colours, '.' for empty).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay/KeyLog.h"
#include "replay/ReplayCheck.h"
#include "replay/ReplayZip.h"
#include "rules/CStageRules.h"
#include "rules/StageModes.h"
#include "rules/RulesTestKit.h"


namespace {

using rules_test_kit::CHeldKeys;
using rules_test_kit::fField;
using rules_test_kit::fFixtureBytes;
using rules_test_kit::fSetField;

// Steps until nothing vanishes or falls and the chain is counted.
void fSettle(CStageRules& rules, CHeldKeys& keys, CRuleEvents& seen) {
  for (int i = 0; i < 2000; ++i) {
    bool moving = rules.chainPhase != EStateForRensa::Still || rules.rensa != 0;
    for (const int slot : rules.balls) {
      const EBallState state = rules.fBall(slot).state;
      moving = moving || state == EBallState::Falling || state == EBallState::Vanishing;
    }
    if (!moving) return;
    rules.fInput(keys);
    rules.fAnimate();
    seen.insert(seen.end(), rules.fEvents().begin(), rules.fEvents().end());
    rules.fClearEvents();
  }
  FAIL() << "the field never came to rest";
}

// A playing game of the mode that deals no pieces: for the field alone.
CStageRules fQuietGame(int mode) {
  CStageRules rules(mode, CRandom(7, CRandom::kQuiet));
  CHeldKeys keys;
  for (int i = 0; i < 121; ++i) {
    rules.fInput(keys);
    rules.fAnimate();
  }
  EXPECT_EQ(rules.state, CStageRules::EState::Playing);
  rules.spawnWait = 1 << 28;
  rules.fClearEvents();
  return rules;
}

int fCount(const CRuleEvents& events, ERuleEvent kind) {
  int count = 0;
  for (const SRuleEvent& event : events) count += event.kind == kind ? 1 : 0;
  return count;
}

TEST(StageRulesTest, AChainOfTwoWavesScoresAndReportsEachWaveAndBall) {
  CStageRules rules = fQuietGame(0);  // groups of two, 2 x 2 columns
  CHeldKeys keys;
  // A red pair on the floor with a green beside it; the green on the left
  // red touches that green only at an edge until the reds go and it falls.
  fSetField(rules, {"RR|G.", "G.|.."});
  CRuleEvents seen;
  rules.fCheckChains();
  fSettle(rules, keys, seen);
  EXPECT_EQ(fField(rules), std::vector<std::string>{});
  EXPECT_EQ(rules.maxRensa, 2);
  EXPECT_EQ(rules.cleared, 4);
  // The two reds in the first wave (100 each), the two greens in the second (400 each).
  EXPECT_EQ(rules.score, 2 * 100 + 2 * 400);
  std::vector<int> waves;
  for (const SRuleEvent& event : seen) {
    if (event.kind == ERuleEvent::ChainStep) waves.push_back(event.value);
  }
  EXPECT_EQ(waves, (std::vector<int>{1, 2}));
  EXPECT_EQ(fCount(seen, ERuleEvent::VanishStarted), 4);
  EXPECT_EQ(fCount(seen, ERuleEvent::BallRemoved), 4);
  EXPECT_EQ(fCount(seen, ERuleEvent::LevelUp), 1) << "the first removed ball raises the level to 1";
  int points = 0;
  for (const SRuleEvent& event : seen) points += event.kind == ERuleEvent::BallRemoved ? event.value : 0;
  EXPECT_EQ(points, rules.score);
}

TEST(StageRulesTest, ACopyPlaysOnExactlyAsTheOriginalAndLeavesItAlone) {
  const std::string archive = fFixtureBytes("wanpaku_seed789.zip");
  auto replay = std::make_shared<const SCheckedReplay>(fCheckReplayArchive(archive, "wanpaku"));
  CStageRules original = fReplayRules(*replay);
  CRecordedKeys keys(std::shared_ptr<const CCompactLog>(replay, &replay->keyLog));
  original.fAnimate();
  for (int frame = 0; frame < 40000; ++frame) {
    keys.fReadFrame();
    ASSERT_FALSE(original.fInput(keys));
    original.fAnimate();
    original.fClearEvents();
  }
  ASSERT_FALSE(original.balls.empty()) << "a field worth copying";
  // Copies of the game and of where its keys stand.
  CStageRules copy = original;
  CRecordedKeys copyKeys(std::shared_ptr<const CCompactLog>(replay, &replay->keyLog));
  copyKeys.fSetPosition(keys.fPosition());
  const int score = original.score, dealt = original.dealt;
  for (CStageRules* rules : {&copy, &original}) {
    CRecordedKeys& source = rules == &copy ? copyKeys : keys;
    while (source.fHasWholeFrame()) {
      source.fReadFrame();
      if (rules->fInput(source)) break;
      rules->fAnimate();
      rules->fClearEvents();
    }
    if (rules == &copy) {
      EXPECT_EQ(original.score, score) << "stepping the copy left the original alone";
      EXPECT_EQ(original.dealt, dealt);
    }
  }
  const SReplayCheckResult whole = fCheckReplayBytes(archive, "wanpaku");
  for (const CStageRules* rules : {&copy, &original}) {
    EXPECT_EQ(rules->score, whole.score);
    EXPECT_EQ(rules->maxRensa, whole.maxRensa);
    EXPECT_EQ(rules->cleared, whole.cleared);
    EXPECT_EQ(fRuleStateName(rules->state), whole.state);
    EXPECT_EQ(rules->fRandom().fGetCount(), original.fRandom().fGetCount());
  }
}

TEST(StageRulesTest, TheKeysTurnWithTheCameraAndTheTurnIsReported) {
  CStageRules rules(2, CRandom(3, CRandom::kQuiet));  // 3 x 3 columns: room on every side
  CHeldKeys keys;
  for (int i = 0; i < 121; ++i) {
    rules.fInput(keys);
    rules.fAnimate();
  }
  rules.fAnimate();  // the first piece
  ASSERT_NE(rules.fPiece(), nullptr);
  rules.fClearEvents();
  const double rest = rules.fCameraAngle();
  rules.fInput(keys);  // a key counts once it was seen up
  keys.fPress(EGameKey::KeyZ);
  rules.fInput(keys);
  EXPECT_EQ(fCount(rules.fEvents(), ERuleEvent::CameraTurn), 1);
  keys.fReleaseAll();
  for (int i = 0; i < 10; ++i) {
    rules.fInput(keys);
    rules.fAnimate();
  }
  EXPECT_FALSE(rules.turning);
  EXPECT_EQ(rules.cameraDir, EDirection4::Up);
  EXPECT_DOUBLE_EQ(rules.fCameraAngle(), rest - 90.0);
  // Left on the keys now moves the piece towards b + 1.
  const int a = rules.fPiece()->a, b = rules.fPiece()->b;
  rules.fInput(keys);  // the latch sees the key up first
  keys.fPress(EGameKey::Left);
  rules.fInput(keys);
  EXPECT_EQ(rules.fPiece()->a, a);
  EXPECT_EQ(rules.fPiece()->b, b + 1);
}

TEST(StageRulesTest, GarbageLayersAndTheTopOutAreReportedInOrder) {
  CStageRules rules = fQuietGame(0);
  CHeldKeys keys;
  rules.garbageMeter = rules.garbageLimit;
  rules.spawnWait = 0;
  rules.fAnimate();
  ASSERT_EQ(rules.fEvents().size(), 1u);
  EXPECT_EQ(rules.fEvents()[0].kind, ERuleEvent::GarbageDropped);
  EXPECT_EQ(rules.fEvents()[0].value, rules.W * rules.D);
  rules.fClearEvents();
  // Fill the spawn column to the top-out cell: the next spawn tops out.
  fSetField(rules, {"..|.R", "..|.G", "..|.R", "..|.G", "..|.R", "..|.G", "..|.R", "..|.G"});
  CRuleEvents seen;
  for (int i = 0; i < 400 && rules.state != CStageRules::EState::GameOver; ++i) {
    rules.fInput(keys);
    rules.fAnimate();
    seen.insert(seen.end(), rules.fEvents().begin(), rules.fEvents().end());
    rules.fClearEvents();
  }
  EXPECT_EQ(rules.state, CStageRules::EState::GameOver);
  ASSERT_GE(fCount(seen, ERuleEvent::ToppingOut), 1);
  EXPECT_EQ(seen.back().kind, ERuleEvent::GameOver);
}

}  // namespace
