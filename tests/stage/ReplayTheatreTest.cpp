// The replay theatre: a frame reached by a jump or a step is exactly the one
// straight play reaches, speeds are exact, pausing changes nothing recorded,
// its keys do what they say, and a take-over plays on without writing a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "input/PauseKeys.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "support/GameTest.h"
#include "support/ReplayArchives.h"
#include "text/Texts.h"

namespace {

using namespace replay_archives;

struct SFixture {
  int mode;
  const char* file;
  int score;
  int maxRensa;
};
const SFixture kFixtures[] = {
    {0, "plimo_seed123.zip", 20600, 3},
    {1, "yoiko_seed456.zip", 0, 0},
    {2, "wanpaku_seed789.zip", 0, 0},
};

class ReplayTheatreTest : public GameTest {
 protected:
  SReplayInfo fInstall(const SFixture& fixture) {
    const SReplayInfo info = SReplayInfo::fReplay(fixture.mode);
    fWriteWholeFile(info.path, fFixture(fixture.file));
    return info;
  }

  // The frame as drawn, with model handles replaced by what they show (a
  // rebuilt stage has other handles), and the camera and light it is seen by.
  std::vector<std::string> fPicture(CPlimoStage& stage) {
    // The effects aside: a jump shows none of what it skipped, straight play
    // shows them all (StageEffectsTest).
    stage.fClearEffects();
    backend().fClearLog();
    backend().fSetLogging(true);
    stage.fDraw();
    backend().fSetLogging(false);
    std::vector<std::string> picture;
    for (const std::string& call : backend().fLog()) {
      if (call.rfind("MV1DrawModel(", 0) == 0) {
        picture.push_back("model " + backend().fDescribeModel(std::stoi(call.substr(13))));
      } else if (call.rfind("MV1", 0) == 0 && call.find('(') != std::string::npos) {
        // A rebuilt stage holds other handle numbers: name the model instead.
        const std::size_t open = call.find('(');
        const std::size_t end = call.find_first_of(",)", open);
        const int handle = std::stoi(call.substr(open + 1, end - open - 1));
        std::string model = backend().fDescribeModel(handle);
        // A see-through ball's opacity is set before its draw sets its
        // colour: the colour then is whatever its last draw left.
        if (call.rfind("MV1SetOpacityRate(", 0) == 0) model = model.substr(0, model.rfind(") ") + 1);
        picture.push_back(call.substr(0, open + 1) + model + call.substr(end));
      } else if (call.rfind("PlaySoundMem", 0) != 0) {
        picture.push_back(call);
      }
    }
    picture.push_back(backend().fDescribeView());
    return picture;
  }

  // Straight play, as the frame loop runs a replay, with the picture of
  // every wanted frame.
  std::map<long long, std::vector<std::string>> fPlayStraight(int mode, const SReplayInfo& info,
                                                             std::vector<long long> frames) {
    std::sort(frames.begin(), frames.end());
    std::map<long long, std::vector<std::string>> pictures;
    {
      CPlimoStage stage(mode, info);
      stage.fSetFieldMapTop(CReplayTheatre::fBelowTimeline());  // where the theatre shows its map
      stage.fAnimate();
      long long frame = 0;
      for (const long long wanted : frames) {
        while (frame < wanted) {
          gKeyManager->fUpdateKeyState();
          stage.fUpdate();
          stage.fAnimate();
          ++frame;
        }
        pictures[wanted] = fPicture(stage);
      }
      stage.fReleaseModels();
    }
    gKeyManager = std::make_unique<CKeyManager>();
    return pictures;
  }

  CReplayTheatre& fOpenTheatre(int mode, const SReplayInfo& info) {
    gCurrentScene = std::make_unique<CReplayTheatre>(mode, info);
    gCurrentScene->fAnimate();  // the build frame
    return fTheatre();
  }
  CReplayTheatre& fTheatre() { return *dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet()); }

  void fFrame() {
    fRunFrameLogic();
    gCurrentScene.fReleaseRetired();
  }
  void fTap(int keyCode, int shiftKey = 0) {
    if (shiftKey != 0) backend().fSetKey(shiftKey, true);
    backend().fSetKey(keyCode, true);
    fFrame();
    backend().fSetKey(keyCode, false);
    if (shiftKey != 0) backend().fSetKey(shiftKey, false);
    fFrame();
  }

  // Every file under dat/ with its bytes.
  static std::map<std::string, std::string> fDataFiles() {
    std::map<std::string, std::string> files;
    for (const char* folder : {"dat/replay_plimo", "dat/replay_yoiko", "dat/replay_wanpaku", "dat/downloaded_replay_plimo"}) {
      for (const std::string& name : fListDirectory(folder)) {
        files[std::string(folder) + "/" + name] = fReadWholeFile(std::string(folder) + "/" + name);
      }
    }
    if (fFileExists("dat/score.dat")) files["dat/score.dat"] = fReadWholeFile("dat/score.dat");
    return files;
  }
};

// First, middle, last, and just before, at and after the first chain, each
// reached by jumps in both directions and by single steps.
TEST_F(ReplayTheatreTest, JumpsAndStepsLandExactlyWhereStraightPlayDoes) {
  for (const SFixture& fixture : kFixtures) {
    SCOPED_TRACE(fixture.file);
    const SReplayInfo info = fInstall(fixture);
    const SCheckedReplay checked = fCheckReplayArchive(fFixture(fixture.file), fixture.file);
    CReplayTheatre& theatre = fOpenTheatre(fixture.mode, info);
    ASSERT_FALSE(theatre.fMarks().chains.empty());
    const long long chain = theatre.fMarks().chains.front().frame;
    const long long last = checked.frames - 1;
    EXPECT_EQ(theatre.fLastFrame(), last);
    // The snapshots' own frames and their neighbours: a jump lands on a
    // snapshot, just before one (the longest play from the one before) and
    // just after one (its first played frame).
    const long long shot = CReplayTheatre::kSnapshotEvery;
    ASSERT_GT(last, 3 * shot);
    const long long lastShot = last / shot * shot;
    std::vector<long long> frames = {0,        1,        last / 2,     last - 1,     last,        chain - 1,
                                     chain,    chain + 1, shot - 1,    shot,         shot + 1,    2 * shot - 1,
                                     lastShot, lastShot - 1};
    theatre.fStage().fReleaseModels();
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
    const auto straight = fPlayStraight(fixture.mode, info, frames);

    CReplayTheatre& jumping = fOpenTheatre(fixture.mode, info);
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(0)) << "as built";
    // Forward and back alternately, so both kinds of jump are checked.
    for (const long long frame : {last, chain - 1, chain + 1, last / 2, chain, 1LL, last - 1}) {
      jumping.fJumpTo(frame);
      ASSERT_EQ(jumping.fFrame(), frame);
      EXPECT_EQ(fPicture(jumping.fStage()), straight.at(frame)) << "jump to " << frame;
    }
    jumping.fJumpTo(chain);
    jumping.fStepBack();
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(chain - 1)) << "a step back";
    ASSERT_TRUE(jumping.fStepForward());
    ASSERT_TRUE(jumping.fStepForward());
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(chain + 1)) << "two steps forward";
    // Steps back across a snapshot: from a snapshot's frame to the one before,
    // which is the longest play from the snapshot before it.
    jumping.fJumpTo(2 * shot);
    jumping.fJumpTo(shot + 1);
    jumping.fStepBack();
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(shot)) << "a step back onto a snapshot";
    jumping.fStepBack();
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(shot - 1)) << "a step back across a snapshot";
    // Watching on from a restored snapshot reaches the same frames, so the
    // key log's position and the generator came back with the stage.
    jumping.fJumpTo(lastShot - 1);
    jumping.fJumpTo(shot);
    while (jumping.fFrame() < 2 * shot - 1) jumping.fUpdate();
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(2 * shot - 1)) << "watched on from a snapshot";
    EXPECT_EQ(jumping.fSnapshots().size(), static_cast<std::size_t>(last / shot + 1));
    jumping.fSetPaused(false);
    jumping.fJumpTo(last + 500);
    EXPECT_EQ(jumping.fFrame(), last) << "clamped before the recorded end";
    jumping.fJumpTo(-7);
    EXPECT_EQ(jumping.fFrame(), 0);
    EXPECT_EQ(fPicture(jumping.fStage()), straight.at(0));
    jumping.fStage().fReleaseModels();
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
    EXPECT_EQ(backend().fLiveModelCount(), 0) << "every build's models are freed";
  }
}

TEST_F(ReplayTheatreTest, PieceJumpsLandOnSpawnsAndMarksMatchTheGame) {
  const SReplayInfo info = fInstall(kFixtures[0]);
  CReplayTheatre& theatre = fOpenTheatre(0, info);
  const SReplayMarks& marks = theatre.fMarks();
  EXPECT_EQ(marks.length, 88299);
  EXPECT_EQ(marks.spawns.size(), 152u - 4u) << "one spawn for every ball dealt but the four still queued";
  EXPECT_EQ(marks.levelUps.size(), 6u);
  int longest = 0;
  for (const auto& chain : marks.chains) longest = std::max(longest, chain.count);
  EXPECT_EQ(longest, 3);

  theatre.fJumpPiece(+1);
  EXPECT_EQ(theatre.fFrame(), marks.spawns[0]);
  const int serial = theatre.fStage().rules.fPiece()->serial;
  theatre.fJumpPiece(+1);
  EXPECT_EQ(theatre.fFrame(), marks.spawns[1]);
  EXPECT_NE(theatre.fStage().rules.fPiece()->serial, serial);
  theatre.fJumpPiece(-1);
  EXPECT_EQ(theatre.fFrame(), marks.spawns[0]);
  theatre.fJumpPiece(-1);
  EXPECT_EQ(theatre.fFrame(), marks.spawns[0]) << "nothing before the first piece";
  theatre.fStage().fReleaseModels();
}

TEST_F(ReplayTheatreTest, SpeedsAreExact) {
  const SReplayInfo info = fInstall(kFixtures[2]);
  fOpenTheatre(2, info);
  fFrame();  // the keys that opened it are seen up
  const long long expected[] = {100, 200, 400, 800, 1600};
  for (int speed = 0; speed < 5; ++speed) {
    fTheatre().fSetSpeed(speed);
    const long long from = fTheatre().fFrame();
    for (int i = 0; i < 400; ++i) fFrame();
    EXPECT_EQ(fTheatre().fFrame() - from, expected[speed]) << "speed " << speed;
  }
  fTheatre().fStage().fReleaseModels();
}

// Paused, stepped and jumped about, the replay still ends as the archive's
// game ended, and nothing on disk changes.
TEST_F(ReplayTheatreTest, PausingAndJumpingChangeNothingRecordedOrVerified) {
  const SReplayInfo info = fInstall(kFixtures[0]);
  CReplayTheatre& theatre = fOpenTheatre(0, info);
  fFrame();
  const auto files = fDataFiles();
  theatre.fSetSpeed(4);
  for (int round = 0; round < 20; ++round) {
    theatre.fSetPaused(true);
    for (int i = 0; i < 5; ++i) fFrame();
    theatre.fStepBack();
    theatre.fStepForward();
    theatre.fSetPaused(false);
    for (int i = 0; i < 200; ++i) fFrame();
  }
  theatre.fJumpTo(theatre.fLastFrame());
  EXPECT_EQ(theatre.fStage().rules.score, kFixtures[0].score);
  EXPECT_EQ(theatre.fStage().rules.maxRensa, kFixtures[0].maxRensa);
  EXPECT_EQ(theatre.fStage().rules.state, CPlimoStage::EState::GameOver);
  EXPECT_EQ(fDataFiles(), files);
  // The recorded end confirms the game: the replay leaves for the menu.
  EXPECT_FALSE(theatre.fStepForward());
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr);
  EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
}

TEST_F(ReplayTheatreTest, TheKeysPauseStepJumpAndChangeSpeed) {
  const SReplayInfo info = fInstall(kFixtures[1]);
  fOpenTheatre(1, info);
  fFrame();
  for (int i = 0; i < 10; ++i) fFrame();
  EXPECT_EQ(fTheatre().fFrame(), 11);
  fTap(KEY_INPUT_SPACE);
  EXPECT_TRUE(fTheatre().fIsPaused());
  const long long paused = fTheatre().fFrame();
  for (int i = 0; i < 10; ++i) fFrame();
  EXPECT_EQ(fTheatre().fFrame(), paused);
  EXPECT_TRUE(fTheatre().fIsTimelineShown());
  fTap(KEY_INPUT_RIGHT);
  EXPECT_EQ(fTheatre().fFrame(), paused + 1);
  fTap(KEY_INPUT_LEFT);
  fTap(KEY_INPUT_LEFT);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1);
  fTap(KEY_INPUT_PGDN);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1 + CReplayTheatre::kFramesPerTenSeconds);
  fTap(KEY_INPUT_PGUP);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1);
  fTap(KEY_INPUT_RIGHT, KEY_INPUT_LSHIFT);
  EXPECT_EQ(fTheatre().fFrame(), fTheatre().fMarks().spawns.front());
  fTap(KEY_INPUT_END);
  EXPECT_EQ(fTheatre().fFrame(), fTheatre().fLastFrame());
  fTap(KEY_INPUT_HOME);
  EXPECT_EQ(fTheatre().fFrame(), 0);
  fTap(KEY_INPUT_5);
  EXPECT_EQ(fTheatre().fSpeedIndex(), 4);
  fTap(KEY_INPUT_P);
  EXPECT_FALSE(fTheatre().fIsPaused());
  fFrame();
  EXPECT_EQ(fTheatre().fFrame(), 3 * 4) << "the P frame, its release and one more, four frames each";
  EXPECT_TRUE(fTheatre().fIsTimelineShown()) << "for 2 s after a jump";
  for (int i = 0; i < CReplayTheatre::kTimelineFrames; ++i) fFrame();
  EXPECT_FALSE(fTheatre().fIsTimelineShown());
  fTap(KEY_INPUT_F2);
  EXPECT_TRUE(gFpsTimer->slowMotion);
  fTap(KEY_INPUT_ESCAPE);
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr);
  EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
  EXPECT_EQ(backend().fLiveModelCount(), 0);
}

// The pad works the theatre through the buttons the option menu assigned:
// here drop is moved to button 5 and hold to button 6, and the theatre follows.
TEST_F(ReplayTheatreTest, ThePadWorksTheTheatreByItsAssignedButtons) {
  const auto savedOptions = gOptionInfo;
  gOptionInfo = std::make_shared<COptionInfo>();
  gOptionInfo->padButtons[static_cast<std::size_t>(fKeyIndex(EGameKey::KeyX))] = PAD_INPUT_5;
  gOptionInfo->padButtons[static_cast<std::size_t>(fKeyIndex(EGameKey::KeySpace))] = PAD_INPUT_6;
  CKeyManager assigned;
  const int turnRight = assigned.fGetPadButton(EGameKey::KeyC);
  const int turnLeft = assigned.fGetPadButton(EGameKey::KeyZ);
  const int pause = fPausePadMask();
  ASSERT_EQ(pause, PAD_INPUT_8) << "Start pauses, now that hold has left it";
  auto press = [&](int mask) {
    backend().fSetPad(mask);
    fFrame();
    backend().fSetPad(0);
    fFrame();
  };

  const SReplayInfo info = fInstall(kFixtures[1]);
  fOpenTheatre(1, info);
  for (int i = 0; i < 11; ++i) fFrame();
  press(pause);
  ASSERT_TRUE(fTheatre().fIsPaused());
  // With a pad plugged in, the help names its buttons as assigned.
  auto helpText = [&] {
    backend().fClearLog();
    backend().fSetLogging(true);
    fTheatre().fDraw();
    backend().fSetLogging(false);
    std::string text;
    for (const std::string& call : backend().fLog()) text += call + "\n";
    return text;
  };
  EXPECT_EQ(helpText().find("Pad:"), std::string::npos) << "no pad, no pad help";
  backend().fSetPadCount(1);
  const std::string help = helpText();
  EXPECT_NE(help.find("Pad: Button8 play"), std::string::npos) << help;
  EXPECT_NE(help.find("Pad: Button1/Button3 piece  Button6 speed  Button5 take over"), std::string::npos) << help;
  backend().fSetPadCount(0);
  const long long paused = fTheatre().fFrame();
  press(PAD_INPUT_RIGHT);
  EXPECT_EQ(fTheatre().fFrame(), paused + 1);
  press(PAD_INPUT_LEFT);
  press(PAD_INPUT_LEFT);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1);
  press(PAD_INPUT_DOWN);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1 + CReplayTheatre::kFramesPerTenSeconds);
  press(PAD_INPUT_UP);
  EXPECT_EQ(fTheatre().fFrame(), paused - 1);
  const auto& spawns = fTheatre().fMarks().spawns;
  press(turnRight);
  EXPECT_EQ(fTheatre().fFrame(), spawns.front());
  press(turnRight);
  EXPECT_EQ(fTheatre().fFrame(), spawns.at(1));
  press(turnLeft);
  EXPECT_EQ(fTheatre().fFrame(), spawns.front());
  press(PAD_INPUT_6);
  EXPECT_EQ(fTheatre().fSpeedIndex(), CReplayTheatre::kNormalSpeed + 1);
  press(PAD_INPUT_6);
  press(PAD_INPUT_6);
  EXPECT_EQ(fTheatre().fSpeedIndex(), 0) << "the speeds go round";
  press(PAD_INPUT_5);
  auto* practice = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(practice, nullptr) << "drop takes over";
  EXPECT_EQ(practice->replayInfo.mode, SReplayInfo::EMode::Practice);
  practice->fReleaseModels();
  gCurrentScene.fClear();
  gKeyManager = std::make_unique<CKeyManager>();
  gOptionInfo = savedOptions;
}

TEST_F(ReplayTheatreTest, TheSpeedShowsWhenChosenAndTheTimelineExplainsItsMarks) {
  const ELanguage savedLanguage = fCurrentLanguage();
  fSetLanguage(ELanguage::English);
  const SReplayInfo info = fInstall(kFixtures[0]);
  CReplayTheatre& theatre = fOpenTheatre(0, info);
  auto drawn = [&] {
    backend().fClearLog();
    backend().fSetLogging(true);
    theatre.fDraw();
    backend().fSetLogging(false);
    std::string text;
    for (const std::string& call : backend().fLogOf({"DrawStringToHandle"})) text += call + "\n";
    return text;
  };
  fFrame();
  EXPECT_FALSE(theatre.fIsSpeedShown()) << "nothing chosen yet";
  EXPECT_EQ(drawn().find("Speed"), std::string::npos);
  const char* const expected[] = {"Speed x1/4", "Speed x1/2", "Speed x1", "Speed x2", "Speed x4"};
  const int keys[] = {KEY_INPUT_1, KEY_INPUT_2, KEY_INPUT_3, KEY_INPUT_4, KEY_INPUT_5};
  for (int i = 4; i >= 0; --i) {
    fTap(keys[i]);
    ASSERT_EQ(theatre.fSpeedIndex(), i);
    EXPECT_TRUE(theatre.fIsSpeedShown());
    EXPECT_NE(drawn().find(std::string("\"") + expected[i] + "\""), std::string::npos) << expected[i];
  }
  for (int i = 0; i < CReplayTheatre::kSpeedLabelFrames; ++i) fFrame();
  EXPECT_FALSE(theatre.fIsSpeedShown()) << "it goes after a moment";
  EXPECT_EQ(drawn().find("Speed"), std::string::npos);
  fSetLanguage(ELanguage::Japanese);
  EXPECT_EQ(fTheatreSpeedText(3), "速度 x2");

  // Paused, the timeline shows with its legend; the bar stands above the
  // box's lower half, where the stack lies.
  fSetLanguage(ELanguage::English);
  fTap(KEY_INPUT_SPACE);
  ASSERT_TRUE(theatre.fIsTimelineShown());
  const std::string paused = drawn();
  EXPECT_NE(paused.find(fText(ETextId::TheatreLegend)), std::string::npos) << paused;
  backend().fClearLog();
  backend().fSetLogging(true);
  theatre.fDraw();
  backend().fSetLogging(false);
  int lowestBox = 0;
  for (const std::string& call : backend().fLogOf({"DrawBox"})) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    // Boxes reaching down from the upper half (the help's backing at the
    // bottom is no part of the timeline).
    if (std::sscanf(call.c_str(), "DrawBox(%d, %d, %d, %d", &x1, &y1, &x2, &y2) == 4 && x1 < 374 && y1 < 240) {
      lowestBox = std::max(lowestBox, y2);
    }
  }
  EXPECT_GT(lowestBox, 0);
  EXPECT_LT(lowestBox, 240) << "the timeline keeps off the lower half of the box";
  fSetLanguage(savedLanguage);
}

TEST_F(ReplayTheatreTest, TheGameTakenOverPausesAndAsksBeforeEscapeLeavesIt) {
  const SReplayInfo info = fInstall(kFixtures[0]);
  CReplayTheatre& theatre = fOpenTheatre(0, info);
  fFrame();
  theatre.fJumpTo(3000);
  fTap(KEY_INPUT_SPACE);
  fTap(KEY_INPUT_T);
  auto* practice = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(practice, nullptr);
  ASSERT_EQ(practice->replayInfo.mode, SReplayInfo::EMode::Practice);
  fTap(KEY_INPUT_P);
  ASSERT_TRUE(practice->paused);
  const int frameCount = practice->rules.frameCount;
  for (int i = 0; i < 30; ++i) fFrame();
  EXPECT_EQ(practice->rules.frameCount, frameCount) << "a paused practice game stands still";
  fTap(KEY_INPUT_P);
  EXPECT_FALSE(practice->paused);
  fFrame();
  EXPECT_GT(practice->rules.frameCount, frameCount);
  fTap(KEY_INPUT_ESCAPE);
  ASSERT_EQ(gCurrentScene.fGet(), practice) << "asked before the game is thrown away";
  fTap(KEY_INPUT_LEFT);
  fTap(KEY_INPUT_Z);
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr) << "yes: back to the menu";
  gKeyManager = std::make_unique<CKeyManager>();
}

TEST_F(ReplayTheatreTest, ATakeOverPlaysOnLiveAndNeverWritesAFile) {
  fRegisterHighScoreInfo();
  fSaveHighScore();
  const SReplayInfo info = fInstall(kFixtures[2]);
  CReplayTheatre& theatre = fOpenTheatre(2, info);
  fFrame();
  theatre.fJumpTo(20000);
  const CPlimoStage& replayed = theatre.fStage();
  const int score = replayed.rules.score, dealt = replayed.rules.dealt;
  const auto files = fDataFiles();
  fTap(KEY_INPUT_SPACE);
  fTap(KEY_INPUT_T);
  auto* practice = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(practice, nullptr) << "the stage itself is the scene";
  EXPECT_EQ(practice, &replayed) << "the same game, from the frame it stood at";
  EXPECT_EQ(practice->replayInfo.mode, SReplayInfo::EMode::Practice);
  EXPECT_EQ(practice->rules.score, score);
  EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
  backend().fSetLogging(true);
  practice->fDraw();
  backend().fSetLogging(false);
  bool shown = false;
  for (const auto& call : backend().fLogOf({"DrawStringToHandle"})) shown = shown || call.find("\"PRACTICE\"") != std::string::npos;
  EXPECT_TRUE(shown);

  // Drop pieces until the game ends, then confirm it; F12 saves nothing.
  for (int i = 0; i < 20000 && practice->rules.state != CPlimoStage::EState::GameOver &&
                  practice->rules.state != CPlimoStage::EState::StageClear;
       ++i) {
    backend().fSetKey(i % 2 == 0 ? KEY_INPUT_X : KEY_INPUT_F12, true);
    fFrame();
    backend().fReleaseAllKeys();
    fFrame();
  }
  EXPECT_GT(practice->rules.dealt, dealt) << "the player's own pieces";
  ASSERT_TRUE(practice->rules.state == CPlimoStage::EState::GameOver || practice->rules.state == CPlimoStage::EState::StageClear);
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(gCurrentScene.fGet(), practice) << "the end stays on screen a moment";
  for (int i = 0; i < kEndHoldFrames && gCurrentScene.fGet() == practice; ++i) fFrame();
  EXPECT_NE(dynamic_cast<CIdleScene*>(gCurrentScene.fGet()), nullptr) << "back to the menu, not a new game";
  EXPECT_EQ(fDataFiles(), files) << "nothing written under dat/";
  EXPECT_EQ(gHighScores[2]->score, 0);
}

}  // namespace

namespace {

// A replay whose key log runs on past its game's end (the ranking server
// accepts such archives): opening it changes nothing outside the theatre, and
// it plays to its game's end, from the command line and from the ranking.
TEST_F(ReplayTheatreTest, AKeyLogPastTheGamesEndPlaysToTheEnd) {
  std::vector<SArchiveMember> members = CArchiver::fReadMembersFromBytes(fFixture("plimo_seed123.zip"), "plimo");
  for (SArchiveMember& member : members) {
    if (member.mName == "dat/replay_plimo/replay_key.dat") member.mBytes += std::string(600 * 112, '\0');
  }
  const std::string archive = CArchiver::fPack(members);
  for (const bool fromCommandLine : {true, false}) {
    SCOPED_TRACE(fromCommandLine ? "--replay" : "the ranking window");
    gQuitRequested = false;
    SReplayInfo info = SReplayInfo::fReplay(0);
    info.endsProgram = fromCommandLine;
    fWriteWholeFile(info.path, archive);
    CReplayTheatre& theatre = fOpenTheatre(0, info);
    EXPECT_FALSE(gQuitRequested) << "opening the replay ended nothing";
    EXPECT_EQ(gCurrentScene.fGet(), &theatre);
    EXPECT_EQ(theatre.fLastFrame(), 88299 + 600 - 1);
    // Straight on from shortly before the game's recorded end.
    theatre.fJumpTo(88000);
    long long played = 88000;
    while (gCurrentScene.fGet() == &theatre && played < 90000) {
      if (!theatre.fStepForward()) break;
      ++played;
    }
    EXPECT_EQ(theatre.fStage().rules.state, CPlimoStage::EState::GameOver);
    EXPECT_EQ(theatre.fStage().rules.score, 20600);
    EXPECT_GE(played, 88298) << "the game was played to its end";
    gCurrentScene.fReleaseRetired();
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
  }
  gQuitRequested = false;
}

}  // namespace
