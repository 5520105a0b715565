// The level as the help tells it, as the rules reach it, and as the HUD's
// "LV:" and the level-up banner show it, on the recorded fixture games. The
// browser viewer's Level is held to the same numbers by tests/web.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "gamelib/FileSystem.h"
#include "rules/RulesTestKit.h"
#include "rules/StageModes.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "support/GameTest.h"
#include "support/ReplayArchives.h"
#include "text/LevelNumber.h"
#include "text/PlainText.h"
#include "text/Texts.h"

namespace {

using text_test::fFormat;
using text_test::fPlain;

struct SFixture {
  int mode;
  const char* file;
};
const SFixture kFixtures[] = {{0, "plimo_seed123.zip"}, {1, "yoiko_seed456.zip"}, {2, "wanpaku_seed789.zip"}};

// The level the help states for a count of balls cleared: LV 1 before any,
// LV 2 from the first, then one more each time the count reaches a multiple
// of the mode's number.
int fHelpLevel(int cleared, int perLevel) { return cleared == 0 ? 1 : 2 + cleared / perLevel; }

class HelpLevelTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    fSetLanguage(ELanguage::English);
    // The HUD's font, so that its texts are drawn.
    mSavedFont = gFontLarge;
    gFontLarge = CreateFontToHandle(nullptr, 36, 0, DX_FONTTYPE_ANTIALIASING);
  }
  void TearDown() override {
    if (auto* theatre = dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet())) theatre->fStage().fReleaseModels();
    gCurrentScene.fClear();
    DeleteFontToHandle(gFontLarge);
    gFontLarge = mSavedFont;
    fSetLanguage(ELanguage::Japanese);
    GameTest::TearDown();
  }

  CReplayTheatre& fOpen(const SFixture& fixture) {
    const SReplayInfo info = SReplayInfo::fReplay(fixture.mode);
    fWriteWholeFile(info.path, replay_archives::fFixture(fixture.file));
    gCurrentScene = std::make_unique<CReplayTheatre>(fixture.mode, info);
    gCurrentScene->fAnimate();  // the build frame
    return *dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet());
  }

  // The texts of the stage's frame as drawn.
  std::vector<std::string> fDrawnTexts(CPlimoStage& stage) {
    backend().fClearLog();
    backend().fSetLogging(true);
    stage.fDraw();
    backend().fSetLogging(false);
    std::vector<std::string> texts;
    for (const auto& item : backend().fDrawn()) {
      if (item.kind == CHeadlessBackend::SDrawnItem::EKind::Text) texts.push_back(item.text);
    }
    return texts;
  }
  // The number the HUD shows after "LV:"; -1 when it shows none.
  int fHudLevel(CPlimoStage& stage) {
    for (const std::string& text : fDrawnTexts(stage)) {
      if (text.rfind("LV:", 0) == 0) return std::stoi(text.substr(3));
    }
    return -1;
  }

 private:
  int mSavedFont = -1;
};

// At the start, either side of every level-up and at the end, the HUD shows
// the level the help states for the balls the rules have cleared; and the
// rules' level-ups come exactly where the help says the level changes.
TEST_F(HelpLevelTest, TheHudShowsTheLevelTheHelpStatesForTheBallsCleared) {
  for (const SFixture& fixture : kFixtures) {
    SCOPED_TRACE(fixture.file);
    const int perLevel = fModeInfo(fixture.mode).clearedPerLevel;
    CReplayTheatre& theatre = fOpen(fixture);
    const std::vector<long long>& levelUps = theatre.fMarks().levelUps;
    ASSERT_GE(levelUps.size(), 2u) << "the fixture reaches LV 3";
    std::set<long long> frames = {0, theatre.fLastFrame()};
    for (const long long frame : levelUps) frames.insert({frame - 1, frame});
    int lastShown = 0;
    for (const long long frame : frames) {
      theatre.fJumpTo(frame);
      const CStageRules& rules = theatre.fStage().rules;
      const int shown = fHudLevel(theatre.fStage());
      EXPECT_EQ(shown, fHelpLevel(rules.cleared, perLevel)) << "frame " << frame << ", " << rules.cleared << " cleared";
      const bool levelUp = std::find(levelUps.begin(), levelUps.end(), frame) != levelUps.end();
      if (frame > 0) {
        EXPECT_EQ(shown > lastShown, levelUp) << "frame " << frame;
      }
      lastShown = shown;
    }
    // The first level-up is the first ball cleared.
    theatre.fJumpTo(levelUps.front() - 1);
    EXPECT_EQ(theatre.fStage().rules.cleared, 0);
    theatre.fJumpTo(levelUps.front());
    EXPECT_GE(theatre.fStage().rules.cleared, 1);
  }
}

// The banner of a level-up played straight names the level the HUD shows.
TEST_F(HelpLevelTest, TheLevelUpBannerNamesTheLevelTheHudShows) {
  for (const SFixture& fixture : kFixtures) {
    SCOPED_TRACE(fixture.file);
    CReplayTheatre& theatre = fOpen(fixture);
    for (const long long frame : theatre.fMarks().levelUps) {
      theatre.fJumpTo(frame - 1);
      ASSERT_TRUE(theatre.fStepForward());
      const int hud = fHudLevel(theatre.fStage());
      const std::vector<std::string> texts = fDrawnTexts(theatre.fStage());
      EXPECT_NE(std::find(texts.begin(), texts.end(), fFormatText(ETextId::LevelUpFormat, hud)), texts.end())
          << "frame " << frame << ": no banner for LV " << hud;
    }
  }
}

// Sending the falling ball to the hold counts as a ball cleared, for no
// points: in a game just begun it brings LV 2 with the score still 0, as the
// help says.
TEST_F(HelpLevelTest, AFallingBallPutInTheHoldCountsAsClearedAsTheHelpSays) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    SCOPED_TRACE(fModeName(mode));
    CStageRules rules(mode, CRandom(7, CRandom::kQuiet));
    rules_test_kit::CHeldKeys keys;
    for (int frame = 0; frame < 600 && rules.fPiece() == nullptr; ++frame) {
      rules.fInput(keys);
      rules.fAnimate();
    }
    ASSERT_NE(rules.fPiece(), nullptr) << "no piece fell";
    EXPECT_EQ(fShownLevel(rules.level), 1);
    keys.fPress(EGameKey::KeySpace);
    rules.fInput(keys);
    rules.fAnimate();
    EXPECT_EQ(rules.fPiece(), nullptr) << "the piece went to the hold";
    EXPECT_EQ(rules.cleared, 1);
    EXPECT_EQ(rules.score, 0);
    EXPECT_EQ(fShownLevel(rules.level), fHelpLevel(rules.cleared, fModeInfo(mode).clearedPerLevel));
    EXPECT_EQ(fShownLevel(rules.level), 2);
  }
  const std::string en = fPlain(fTextIn(ELanguage::English, ETextId::HelpGoal));
  EXPECT_NE(en.find("A falling ball put in the hold counts as cleared, for no points."), std::string::npos) << en;
  const std::string ja = fPlain(fTextIn(ELanguage::Japanese, ETextId::HelpGoal));
  EXPECT_NE(ja.find("落下中のボールのホールドも1個消したと数えます（0点）。"), std::string::npos) << ja;
}

// The help says in both languages what the rules do: where a game starts,
// that the first ball cleared brings LV 2, and where LV 3 and LV 4 come for
// each mode's number of balls.
TEST_F(HelpLevelTest, TheHelpStatesTheLevelRuleWithTheRulesNumbers) {
  std::set<int> perLevel;
  for (int mode = 0; mode < kModeCount; ++mode) perLevel.insert(fModeInfo(mode).clearedPerLevel);
  ASSERT_EQ(perLevel.size(), 2u) << "the help names two numbers of balls a level";
  const int few = *perLevel.begin();
  const int many = *perLevel.rbegin();
  const int start = fHelpLevel(0, few);
  const int first = fHelpLevel(1, few);
  // The statement checked against the rules above, in the help's words.
  const std::string goalEn = fPlain(fTextIn(ELanguage::English, ETextId::HelpGoal));
  EXPECT_NE(goalEn.find(fFormat("The first ball cleared takes LV %d to LV %d; then every %d or %d balls cleared", start,
                                first, few, many)), std::string::npos) << goalEn;
  const std::string modesEn = fPlain(fTextIn(ELanguage::English, ETextId::HelpModes));
  EXPECT_NE(modesEn.find(fFormat("A game starts at LV %d and is at LV %d from the first ball cleared;", start, first)),
            std::string::npos) << modesEn;
  EXPECT_NE(modesEn.find(fFormat("LV %d comes at %d or %d balls cleared,", fHelpLevel(few, few), few, many)),
            std::string::npos) << modesEn;
  EXPECT_NE(modesEn.find(fFormat("LV %d at %d or %d,", fHelpLevel(2 * few, few), 2 * few, 2 * many)),
            std::string::npos) << modesEn;
  EXPECT_EQ(fHelpLevel(few, few), fHelpLevel(many, many));

  const std::string goalJa = fPlain(fTextIn(ELanguage::Japanese, ETextId::HelpGoal));
  EXPECT_NE(goalJa.find(fFormat("%d個目を消すとLV %dからLV %dに", 1, start, first)), std::string::npos) << goalJa;
  const std::string modesJa = fPlain(fTextIn(ELanguage::Japanese, ETextId::HelpModes));
  EXPECT_NE(modesJa.find(fFormat("LV %dで始まり、%d個目を消すとLV %d、", start, 1, first)), std::string::npos) << modesJa;
  EXPECT_NE(modesJa.find(fFormat("%d個か%d個でLV %d、", few, many, fHelpLevel(few, few))), std::string::npos) << modesJa;
  EXPECT_NE(modesJa.find(fFormat("%d個か%d個でLV %d", 2 * few, 2 * many, fHelpLevel(2 * few, few))), std::string::npos)
      << modesJa;
}

}  // namespace
