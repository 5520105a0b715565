// What a finished, left or debug-saved game hands on: the key log, the seed,
// the high-score record and the archive; and the replay that plays it back.
#include <memory>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "stage/StageTestKit.h"
#include "util/Assert.h"
#include "util/CRandom.h"

namespace {

constexpr std::size_t kFrameBytes = 112;

class StageReplayTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    fRegisterHighScoreInfo();
    fLoadHighScore();  // no file yet: the defaults
    fUseLiveKeys();
  }

  // Plays a normal game of the mode to its end and confirms it with Z, then
  // waits out the end held on screen. Returns the frames after
  // construction, the confirming one included.
  long long fPlayAndConfirm(int mode, int seed) {
    const CPlimoStage* ended = &fStartStage(mode, seed);
    long long frames = fPlayToEnd();
    mEnded = stage();
    fTap(EGameKey::KeyZ);
    EXPECT_TRUE(fStepUntil([&] { return gCurrentScene.fGet() != ended; }, kEndHoldFrames));
    return frames + 1;  // the Z frame; the rest of the hold is no frame of the game
  }

  // The stage's results, kept before it is replaced.
  struct SEnded {
    int score = 0, maxRensa = 0, seed = 0;
    CPlimoStage::EState state{};
    SEnded& operator=(const CPlimoStage& s) {
      score = s.rules.score;
      maxRensa = s.rules.maxRensa;
      state = s.rules.state;
      seed = s.rules.fRandom().fGetSeed();
      return *this;
    }
  } mEnded;

  static std::string fMember(const std::vector<SArchiveMember>& members, const std::string& name) {
    for (const auto& member : members) {
      if (member.mName == name) return member.mBytes;
    }
    ADD_FAILURE() << "no member " << name;
    return {};
  }
};

TEST_F(StageReplayTest, ANewBestStoresTheReplayAndTheRecordThenPlaysAgain) {
  const CPlimoStage* finished = &fStartStage(0, 42);
  gCurrentScene.fClear();
  const long long frames = fPlayAndConfirm(0, 42);
  ASSERT_GT(mEnded.score, 0);
  CPlimoStage& next = stage();
  EXPECT_NE(&next, finished);
  EXPECT_EQ(next.rules.mode, 0);
  EXPECT_EQ(next.replayInfo.path, "dat/replay_plimo/replay");
  EXPECT_EQ(next.rules.state, EStage::Ready);

  EXPECT_EQ(gHighScores[0]->score, mEnded.score);
  EXPECT_EQ(gHighScores[0]->maxRensa, mEnded.maxRensa);
  EXPECT_FALSE(gHighScores[0]->isRegistered);
  EXPECT_TRUE(fFileExists("dat/score.dat"));
  EXPECT_TRUE(fFileExists("dat/replay_plimo/replay"));
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay_key.dat"));
  EXPECT_FALSE(fFileExists("dat/replay_plimo/replay.dat"));
  // The next game's log is already open, and holds nothing yet.
  EXPECT_EQ(fFileSize("dat/replay_plimo/replay_key.tmp"), 0u);

  const auto members = CArchiver::fReadMembers("dat/replay_plimo/replay");
  ASSERT_EQ(members.size(), 2u);
  const std::string log = fMember(members, "dat/replay_plimo/replay_key.dat");
  EXPECT_EQ(log.size(), static_cast<std::size_t>(frames) * kFrameBytes);
  const std::string seed = fMember(members, "dat/replay_plimo/replay.dat");
  EXPECT_EQ(seed, std::string("\x2a\0\0\0", 4));
}

TEST_F(StageReplayTest, TheStoredReplayPlaysTheSameGame) {
  const long long frames = fPlayAndConfirm(1, 500);
  const SEnded recorded = mEnded;
  gCurrentScene.fClear();

  gCurrentScene = std::make_unique<CPlimoStage>(1, SReplayInfo::fReplay(1));
  gCurrentScene->fAnimate();
  ASSERT_NE(dynamic_cast<CKeyPlayer*>(gKeyManager.get()), nullptr);
  EXPECT_EQ(rules().fRandom().fGetSeed(), 500);
  CPlimoStage* replay = &stage();
  long long played = 0;
  SEnded replayed;
  while (gCurrentScene.fGet() == replay && played < frames + 10) {
    replayed = *replay;
    gKeyManager->fUpdateKeyState();
    gCurrentScene->fUpdate();
    gCurrentScene->fAnimate();
    ++played;
    if (gCurrentScene.fGet() == replay) gCurrentScene.fReleaseRetired();
  }
  // The recorded Z ends the replay in the same frame, back at the title.
  EXPECT_EQ(played, frames);
  EXPECT_EQ(replayed.score, recorded.score);
  EXPECT_EQ(replayed.maxRensa, recorded.maxRensa);
  EXPECT_EQ(replayed.state, recorded.state);
  EXPECT_EQ(dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()), nullptr);
  EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
  // A replay changes no record.
  EXPECT_EQ(gHighScores[1]->score, recorded.score);
}

TEST_F(StageReplayTest, ATieAlsoReplacesTheRecord) {
  gHighScores[0]->score = 0;
  gHighScores[0]->maxRensa = 5;
  gHighScores[0]->isRegistered = true;
  CPlimoStage& s = fStartPlaying(0);
  for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state == EStage::GameOver; }, 300));
  fStep();  // X first asked while up
  fTap(EGameKey::KeyX);
  EXPECT_EQ(gHighScores[0]->score, 0);
  EXPECT_EQ(gHighScores[0]->maxRensa, 0);
  EXPECT_FALSE(gHighScores[0]->isRegistered);
  EXPECT_TRUE(fFileExists("dat/replay_plimo/replay"));
}

TEST_F(StageReplayTest, AGameBelowTheBestKeepsTheStoredReplay) {
  fWriteWholeFile("dat/replay_yoiko/replay", "the best game");
  gHighScores[1]->score = 1'000'000;
  CPlimoStage& s = fStartPlaying(1);
  for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state == EStage::GameOver; }, 400));
  fStep(20);
  // Frames are kept in memory until recording ends.
  EXPECT_EQ(fFileSize("dat/replay_yoiko/replay_key.tmp"), 0u);
  fTap(EGameKey::KeyZ);
  fStep(kEndHoldFrames);
  EXPECT_NE(&stage(), &s);
  EXPECT_EQ(fReadWholeFile("dat/replay_yoiko/replay"), "the best game");
  EXPECT_EQ(gHighScores[1]->score, 1'000'000);
  EXPECT_FALSE(fFileExists("dat/score.dat"));
  EXPECT_EQ(fFileSize("dat/replay_yoiko/replay_key.tmp"), 0u);  // the new game's
}

TEST_F(StageReplayTest, EscapeLeavesTheKeyLogSoFar) {
  fStartStage(2, 9);
  fStep(30);
  fTap(EGameKey::KeyEsc);
  EXPECT_EQ(dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()), nullptr);
  // Thirty frames, the Escape frame, and nothing after it.
  EXPECT_EQ(fFileSize("dat/replay_wanpaku/replay_key.tmp"), 31u * kFrameBytes);
  EXPECT_FALSE(fFileExists("dat/replay_wanpaku/replay"));
}

TEST_F(StageReplayTest, F12SavesTheDebugReplayWhichPlaysBack) {
  CPlimoStage& s = fStartPlaying(1, 77);
  fStep(40);
  const auto queue = s.rules.queue;
  const int dealt = s.rules.dealt;
  fTap(EGameKey::KeyF12);
  EXPECT_EQ(dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()), nullptr);
  EXPECT_TRUE(fFileExists("dat/replay_yoiko/debug_replay"));
  EXPECT_FALSE(fFileExists("dat/replay_yoiko/debug_replay_key.dat"));
  EXPECT_FALSE(fFileExists("dat/replay_yoiko/debug_replay.dat"));
  EXPECT_FALSE(fFileExists("dat/score.dat"));
  const auto members = CArchiver::fReadMembers("dat/replay_yoiko/debug_replay");
  EXPECT_EQ(fMember(members, "dat/replay_yoiko/debug_replay_key.dat").size(), (120 + 40 + 1) * kFrameBytes);

  gCurrentScene = std::make_unique<CPlimoStage>(1, SReplayInfo::fDebugReplay(1));
  gCurrentScene->fAnimate();
  EXPECT_EQ(rules().fRandom().fGetSeed(), 77);
  fStep(160);
  EXPECT_EQ(rules().dealt, dealt);
  EXPECT_EQ(rules().queue[0].serial, queue[0].serial);
  EXPECT_EQ(rules().queue[0].colour, queue[0].colour);
  // Escape is live during a replay although the log has it up.
  fTap(EGameKey::KeyEsc);
  EXPECT_EQ(dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()), nullptr);
  EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
}

TEST_F(StageReplayTest, AReplayWithoutItsArchiveIsAnError) {
  EXPECT_THROW(CPlimoStage(0, SReplayInfo::fReplay(0)), CGameError);
}

}  // namespace
