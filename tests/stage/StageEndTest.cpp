// The end of a normal game: whichever way the player leaves its end screen
// (the confirming keys, Escape, the window closed), the record and the replay
// are kept once, on the real files, and the replay is a confirmed game the
// ranking takes; nothing of a game still running. Once confirmed, the end
// stays on screen a moment before the next game.
#include <memory>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "app/VerifyReplay.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "persist/CArchiver.h"
#include "persist/Records.h"
#include "stage/StageBot.h"
#include "rules/StageModes.h"
#include "stage/StageTestKit.h"
#include "support/PngHeader.h"

namespace {

constexpr std::size_t kFrameBytes = 112;
constexpr const char* kArchive = "dat/replay_plimo/replay";
constexpr const char* kKeyLog = "dat/replay_plimo/replay_key.tmp";

class StageEndTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
    fRegisterHighScoreInfo();
    fLoadHighScore();  // no file yet: the defaults
    fUseLiveKeys();
  }

  // A normal plimo game brought to its game over at once: the spawn column
  // filled to the top-out cell. Its score is 0, a tie with an empty record.
  CPlimoStage& fToppedOut() {
    CPlimoStage& s = fStartPlaying(0);
    for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);
    EXPECT_TRUE(fStepUntil([&] { return s.fIsFinished(); }, 400));
    fStep();  // the end screen asks for Z and X while they are up
    return s;
  }

  // The record as the file holds it.
  static int fStoredBest(int mode) {
    fLoadHighScore();
    return gHighScores[static_cast<std::size_t>(mode)]->score;
  }

  // The archive's key log, or "" when there is none.
  static std::string fArchivedLog() {
    if (!fFileExists(kArchive)) return {};
    for (const auto& member : CArchiver::fReadMembers(kArchive)) {
      if (member.mName == "dat/replay_plimo/replay_key.dat") return member.mBytes;
    }
    return {};
  }

  bool fAtTitle() { return dynamic_cast<CPlimoStage*>(gCurrentScene.fGet()) == nullptr; }
};

// Escape, as the end screen offers it: the record on disk and a replay that
// plays the same game to a confirmed end, as the ranking wants it.
TEST_F(StageEndTest, EscapeAtTheEndKeepsTheRecordAndAConfirmedReplayOfTheGame) {
  CPlimoStage& s = fStartStage(0, 42);
  const long long played = fPlayToEnd();
  ASSERT_TRUE(s.fIsFinished());
  const int score = s.rules.score, maxRensa = s.rules.maxRensa;
  const std::string state = fRuleStateName(s.rules.state);
  ASSERT_GT(score, 0);
  fStep(10);
  fTap(EGameKey::KeyEsc);
  ASSERT_TRUE(fAtTitle());

  EXPECT_EQ(fStoredBest(0), score);
  EXPECT_EQ(gHighScores[0]->maxRensa, maxRensa);
  EXPECT_FALSE(gHighScores[0]->isRegistered);
  ASSERT_TRUE(fFileExists(kArchive));
  EXPECT_FALSE(fFileExists(kKeyLog));
  const SReplayCheckResult replay = fCheckReplay(kArchive);
  EXPECT_TRUE(replay.confirmed);
  EXPECT_EQ(replay.seed, 42);
  EXPECT_EQ(replay.score, score);
  EXPECT_EQ(replay.maxRensa, maxRensa);
  EXPECT_EQ(replay.state, state);
  // The game's frames, ten on the end screen, the Escape frame, then the
  // let-go and the Z the end screen waits for: the replay's last frame.
  EXPECT_EQ(replay.frames, played + 10 + 1 + 2);
  EXPECT_EQ(fArchivedLog().size(), static_cast<std::size_t>(replay.frames) * kFrameBytes);
}

// The window closed under the end screen: the frame loop ends and the scene
// keeps the game before the program does.
TEST_F(StageEndTest, ClosingTheWindowAtTheEndKeepsTheGame) {
  // The stage's pictures, as stand-ins of the right kind.
  fCreateDirectories("dat/image/ui_parts");
  for (const char* name : {"bg.png", "ui_parts/menu.png", "ui_parts/hold_waku.png", "ui_parts/hold.png",
                           "ui_parts/next_waku.png", "ui_parts/next.png", "ui_parts/gameover.png",
                           "ui_parts/stageclear.png", "ui_parts/save_highscore.png", "ui_parts/ready.png",
                           "ui_parts/go.png"}) {
    fWriteWholeFile(std::string("dat/image/") + name, fPngHeader(8, 8));
  }
  for (int colour = 0; colour < kColourCount; ++colour) {
    fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + fColourName(colour) + ".png", fPngHeader(8, 8));
  }
  backend().fSetUtcBase(1'700'000'000'000 + 42 - backend().fNow());
  SLaunchOptions options;
  options.firstScene = [] {
    auto made = std::make_unique<CPlimoStage>(0, SReplayInfo::fNormal(0));
    made->fAnimate();  // as the game builds it from the command line
    return made;
  };
  options.frameLimit = 400'000;
  CBot bot;
  int score = -1;
  int endFrames = 0;
  long long frames = 0;
  options.beforeFrame = [&](long long frame) {
    frames = frame;
    backend().fReleaseAllKeys();
    auto* s = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
    if (s == nullptr) return;
    if (s->fIsFinished()) {
      score = s->rules.score;
      if (++endFrames == 30) backend().fCloseWindow();
      return;
    }
    if (auto key = bot.fDecide(s->rules, frame)) fSetKey(*key, true);
  };
  EXPECT_EQ(fGameMain(options), 0);
  for (const auto& name : fListDirectory(".")) {
    if (name.find(".log") != std::string::npos) ADD_FAILURE() << fReadWholeFile(name);
  }
  ASSERT_EQ(endFrames, 30) << "no end within " << frames << " frames";
  ASSERT_GT(score, 0);
  EXPECT_EQ(fStoredBest(0), score);
  const SReplayCheckResult replay = fCheckReplay(kArchive);
  EXPECT_TRUE(replay.confirmed);
  EXPECT_EQ(replay.score, score);
  EXPECT_EQ(replay.seed, 42);
}

// However many ways out follow one another, the game is written once.
TEST_F(StageEndTest, TheGameIsKeptByTheFirstWayOutOnly) {
  CPlimoStage& s = fToppedOut();
  fTap(EGameKey::KeyX);  // the drop key confirms
  ASSERT_EQ(&stage(), &s);
  EXPECT_TRUE(fFileExists(kArchive));
  // Confirmed by the keys themselves: nothing added after the X frame.
  const std::string log = fArchivedLog();
  ASSERT_GE(log.size(), kFrameBytes);
  EXPECT_EQ(log[log.size() - kFrameBytes + static_cast<std::size_t>(fKeyIndex(EGameKey::KeyX)) * 4], 1);
  fDeleteFile(kArchive);
  fDeleteFile("dat/score.dat");
  s.fKeepBeforeExit();  // the window closed during the hold
  fTap(EGameKey::KeyEsc);
  EXPECT_TRUE(fAtTitle()) << "Escape leaves at once, hold or not";
  EXPECT_FALSE(fFileExists(kArchive));
  EXPECT_FALSE(fFileExists("dat/score.dat"));

  CPlimoStage& again = fToppedOut();
  again.fKeepBeforeExit();
  EXPECT_TRUE(fFileExists(kArchive));
  const std::string first = fReadWholeFile(kArchive);
  again.fKeepBeforeExit();
  fTap(EGameKey::KeyEsc);
  EXPECT_EQ(fReadWholeFile(kArchive), first);
}

// A game below the best is no record: leaving it any way drops its key log
// and leaves the stored best and its replay alone.
TEST_F(StageEndTest, AGameBelowTheBestLeftAnyWayKeepsTheStoredOne) {
  fWriteWholeFile(kArchive, "the best game");
  gHighScores[0]->score = 1'000'000;
  for (const bool escape : {true, false}) {
    CPlimoStage& s = fToppedOut();
    if (escape) {
      fTap(EGameKey::KeyEsc);
    } else {
      s.fKeepBeforeExit();
    }
    EXPECT_FALSE(fFileExists(kKeyLog));
    EXPECT_EQ(fReadWholeFile(kArchive), "the best game");
    EXPECT_EQ(gHighScores[0]->score, 1'000'000);
    EXPECT_FALSE(fFileExists("dat/score.dat"));
    gCurrentScene.fClear();
  }
}

// The window closed in the middle of a game keeps no record: only an ended
// game is one. F12 on the end screen neither saves nor loses anything.
TEST_F(StageEndTest, OnlyAnEndedGameIsKeptAndF12LeavesTheEndScreenAlone) {
  CPlimoStage& running = fStartPlaying(0);
  fStep(30);
  running.fKeepBeforeExit();
  EXPECT_FALSE(fFileExists(kArchive));
  EXPECT_FALSE(fFileExists("dat/score.dat"));
  EXPECT_TRUE(static_cast<CKeyManager&>(*gKeyManager).fIsRecording());

  CPlimoStage& ended = fToppedOut();
  fTap(EGameKey::KeyF12);
  EXPECT_EQ(&stage(), &ended);
  EXPECT_FALSE(fFileExists("dat/replay_plimo/debug_replay"));
  EXPECT_FALSE(fFileExists(kArchive));
  fTap(EGameKey::KeyEsc);
  EXPECT_TRUE(fFileExists(kArchive));
}

// Confirmed with the drop key still held, the final field and result stay
// for kEndHoldFrames; nothing more is recorded, and then the next game
// starts. The game as recorded ends with the confirming frame.
TEST_F(StageEndTest, TheEndStaysOnScreenForAMomentAfterItIsConfirmed) {
  CPlimoStage& s = fToppedOut();
  const int frameCount = s.rules.frameCount;
  fSetKey(EGameKey::KeyX, true);
  fStep();
  const std::size_t logged = fArchivedLog().size();
  EXPECT_GT(logged, 0u);
  EXPECT_FALSE(static_cast<CKeyManager&>(*gKeyManager).fIsRecording());
  for (int frame = 1; frame < kEndHoldFrames; ++frame) {
    ASSERT_EQ(gCurrentScene.fGet(), &s) << "frame " << frame << " of the hold";
    fStep();
  }
  ASSERT_EQ(gCurrentScene.fGet(), &s);
  EXPECT_EQ(s.rules.state, EStage::GameOver);
  EXPECT_EQ(s.rules.frameCount, frameCount + kEndHoldFrames) << "the end screen goes on moving";
  EXPECT_EQ(fArchivedLog().size(), logged);
  fStep();
  ASSERT_NE(gCurrentScene.fGet(), &s);
  EXPECT_EQ(stage().rules.state, EStage::Ready) << "the next game";
  EXPECT_EQ(fFileSize(kKeyLog), 0u);
}

}  // namespace
