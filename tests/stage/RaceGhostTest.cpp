// Racing a ghost: the ghost is a replay's game stepped by the rules alone,
// one recorded frame for each frame the player's stage plays. Raced with
// its own keys a fixture is a dead heat on every frame; pause stops both; a
// bad archive starts nothing; and the ghost writes no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyPlayer.h"
#include "replay/ReplayArchiveCheck.h"
#include "stage/CPlimoStage.h"
#include "stage/RaceGhost.h"
#include "support/GameTest.h"
#include "support/ReplayArchives.h"
#include "persist/CArchiver.h"
#include "text/Language.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

const std::string kFixtures = PLIMO_FIXTURE_DIR;

// Every file under the working directory with its bytes.
std::map<std::string, std::string> fTree(const std::string& folder = ".") {
  std::map<std::string, std::string> files;
  for (const std::string& name : fListDirectory(folder)) {
    const std::string path = folder + "/" + name;
    if (fDirectoryExists(path)) {
      files.merge(fTree(path));
    } else {
      files[path] = fReadWholeFile(path);
    }
  }
  return files;
}

int fJsonInt(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":");
  EXPECT_NE(at, std::string::npos) << key;
  return std::stoi(json.substr(at + key.size() + 3));
}

class RaceGhostTest : public GameTest {
 protected:
  std::shared_ptr<const SCheckedReplay> fGhost(const std::string& fixture) {
    return std::make_shared<const SCheckedReplay>(
        fCheckReplayArchive(replay_archives::fFixture(fixture), fixture));
  }
  // The race as --race builds it: its first fAnimate in the frame it is built.
  CPlimoStage& fStartRace(std::shared_ptr<const SCheckedReplay> ghost) {
    const int mode = ghost->mode;
    gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fRace(std::move(ghost)));
    gCurrentScene->fAnimate();
    return stage();
  }
  CPlimoStage& stage() { return *static_cast<CPlimoStage*>(gCurrentScene.fGet()); }
  // The player's keys: the ghost's own log, played as a replay plays it.
  void fPlayerKeysOf(const std::shared_ptr<const SCheckedReplay>& ghost) {
    auto player = std::make_unique<CKeyPlayer>(std::shared_ptr<const CCompactLog>(ghost, &ghost->keyLog));
    player->fStart();
    gKeyManager = std::move(player);
  }
};

// Each fixture raced against its own keys: the same balls, the same score on
// every frame, the same frame to the end, and not a byte written meanwhile.
TEST_F(RaceGhostTest, AFixtureRacedWithItsOwnKeysIsADeadHeatOnEveryFrame) {
  for (const std::string name : {"plimo_seed123", "yoiko_seed456", "wanpaku_seed789"}) {
    SCOPED_TRACE(name);
    const auto ghost = fGhost(name + ".zip");
    const std::string expected = fReadWholeFile(kFixtures + "/" + name + ".json");
    const auto before = fTree();
    fPlayerKeysOf(ghost);
    CPlimoStage& race = fStartRace(ghost);
    ASSERT_NE(race.race, nullptr);
    EXPECT_EQ(race.rules.fRandom().fGetSeed(), ghost->seed);
    EXPECT_EQ(race.rules.mode, ghost->mode);
    long long frames = 0, uneven = 0, firstUneven = -1;
    while (!race.fIsFinished() && frames < 400'000) {
      fRunFrameLogic();
      ++frames;
      const CStageRules& g = race.race->fRules();
      if (race.race->fLead(race.rules.score) != 0 || g.state != race.rules.state || g.frameCount != race.rules.frameCount) {
        if (firstUneven < 0) firstUneven = frames;
        ++uneven;
      }
      // The box is drawn now and then, as a window would, on the headless backend.
      if (frames % 5000 == 0) race.fDraw();
    }
    EXPECT_EQ(uneven, 0) << "first apart at frame " << firstUneven;
    ASSERT_TRUE(race.fIsFinished());
    EXPECT_TRUE(race.race->fIsFinished()) << "the ghost ended on another frame";
    EXPECT_EQ(race.race->fFrames(), frames + 1);  // its build frame too
    EXPECT_EQ(race.race->fRules().score, fJsonInt(expected, "score"));
    ASSERT_TRUE(race.race->fEndLead().has_value());
    EXPECT_EQ(*race.race->fEndLead(), 0);
    race.fDraw();
    EXPECT_TRUE(fTree() == before) << "a file changed during the race";
    race.fReleaseModels();
    gCurrentScene.fClear();
  }
}

// Paused frames are no frames of either game; the ghost steps only when the
// player's stage does.
TEST_F(RaceGhostTest, PauseStopsTheGhostWithThePlayer) {
  CPlimoStage& race = fStartRace(fGhost("plimo_seed123.zip"));
  for (int i = 0; i < 300; ++i) fRunFrameLogic();
  const long long ghostFrames = race.race->fFrames();
  const int playerFrames = race.rules.frameCount;
  EXPECT_EQ(ghostFrames, 301);
  backend().fSetKey(KEY_INPUT_P, true);
  fRunFrameLogic();
  backend().fSetKey(KEY_INPUT_P, false);
  ASSERT_TRUE(race.paused);
  const long long atPause = race.race->fFrames();
  for (int i = 0; i < 200; ++i) fRunFrameLogic();
  EXPECT_EQ(race.race->fFrames(), atPause);
  EXPECT_LE(race.rules.frameCount - playerFrames, 1);
  backend().fSetKey(KEY_INPUT_P, true);
  fRunFrameLogic();
  backend().fSetKey(KEY_INPUT_P, false);
  ASSERT_FALSE(race.paused);
  const int resumedAt = race.rules.frameCount;
  const long long ghostAt = race.race->fFrames();
  for (int i = 0; i < 100; ++i) fRunFrameLogic();
  EXPECT_EQ(race.race->fFrames() - ghostAt, race.rules.frameCount - resumedAt);
  EXPECT_EQ(race.race->fFrames() - ghostAt, 100);
  race.fReleaseModels();
}

// The player's own game on the ghost's seed is a normal game: recorded, and
// kept as the mode's best like any other.
TEST_F(RaceGhostTest, ThePlayersGameIsRecordedAsAnyGame) {
  const auto ghost = fGhost("yoiko_seed456.zip");
  CPlimoStage& race = fStartRace(ghost);
  EXPECT_EQ(race.replayInfo.mode, SReplayInfo::EMode::Normal);
  EXPECT_FALSE(race.replayInfo.fIsDaily());
  for (int i = 0; i < 10; ++i) fRunFrameLogic();
  EXPECT_TRUE(fFileExists("dat/replay_yoiko/replay_key.tmp")) << "the player's keys are recorded";
  // What a replay's stage would unpack: the ghost never does.
  EXPECT_FALSE(fFileExists("dat/replay_yoiko/replay_key.dat"));
  EXPECT_FALSE(fFileExists("dat/replay_yoiko/replay.dat"));
  race.fReleaseModels();
}

// Every kind of damage, and an archive of something else, is refused with a
// message before anything is built.
TEST_F(RaceGhostTest, ADamagedOrForeignArchiveIsRefusedWithAMessage) {
  auto bad = replay_archives::fBadArchives("plimo");
  bad.emplace_back("foreign", CArchiver::fPack({{"readme.txt", "not a game"}, {"picture.png", "\x89PNG"}}));
  for (const auto& [what, bytes] : bad) {
    SCOPED_TRACE(what);
    fWriteWholeFile("ghost.zip", bytes);
    const auto before = fTree();
    try {
      fCheckRaceArchive("ghost.zip");
      ADD_FAILURE() << "accepted";
    } catch (const CGameError& error) {
      EXPECT_FALSE(std::string(error.what()).empty());
    }
    EXPECT_TRUE(fTree() == before);
  }
  EXPECT_THROW(fCheckRaceArchive("no such file.zip"), CGameError);
  EXPECT_EQ(gCurrentScene.fGet(), nullptr);
}

TEST(RaceEndLine, SaysWhoWasAheadAndByHowMuchInBothLanguages) {
  for (const ELanguage language : {ELanguage::English, ELanguage::Japanese}) {
    SCOPED_TRACE(static_cast<int>(language));
    fSetLanguage(language);
    const std::string ahead = fRaceEndLine(12345);
    const std::string behind = fRaceEndLine(-800);
    EXPECT_NE(ahead.find("12,345"), std::string::npos);
    EXPECT_NE(behind.find("800"), std::string::npos);
    EXPECT_EQ(behind.find("-"), std::string::npos);
    EXPECT_NE(ahead, fRaceEndLine(-12345)) << "who was ahead must show";
    EXPECT_EQ(fRaceEndLine(0), fText(ETextId::RaceEndLevel));
  }
  fSetLanguage(ELanguage::English);
}

}  // namespace
