// How the stage looks and sounds: pictures, texts, ball looks and the sound
// of each event.
#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "gfx/CImageManager.h"
#include "gfx/CSoundManager.h"
#include "persist/Records.h"
#include "rules/StageModes.h"
#include "stage/CReplayTheatre.h"
#include "stage/StageTestKit.h"
#include "support/ReplayArchives.h"
#include "support/PngHeader.h"
#include "util/CFpsTimer.h"

namespace {

constexpr int kRed = 0;
constexpr int kGreen = 1;

class StagePresentationTest : public StageTest {
 protected:
  void SetUp() override {
    StageTest::SetUp();
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
    gImageManager = std::make_unique<CImageManager>();
    fCreateDirectories("dat/sound");
    for (const char* name :
         {"se017-0006.wav", "get_50.wav", "bom10.wav", "tm2_laser001.wav", "crash25.wav", "power32.wav",
          "mecha20.wav", "ok1a.mp3", "ok1b.mp3", "cursor00_a.wav", "shoot16_b.wav", "quiz1.wav", "hit76_d.wav",
          "power31.wav", "tm2_quiz000good.wav", "PutA@22.wav", "pochi01@11.wav", "tm2_quiz004.wav",
          "power04.wav", "pi14.wav", "chain.wav", "levelup.wav", "bgml031.mp3", "bgml001.mp3", "tamco03.mp3"}) {
      fWriteWholeFile(std::string("dat/sound/") + name, "sound");
    }
    gSoundManager = std::make_unique<CSoundManager>(true);
    ASSERT_TRUE(gSoundManager->fIsEnabled());
    gHighScores.assign(3, nullptr);
    for (auto& entry : gHighScores) entry = std::make_shared<CHighScoreInfo>();
  }
  void TearDown() override {
    gImageManager.reset();
    StageTest::TearDown();
  }

  // The log of one fDraw.
  std::vector<std::string> fDrawLog(const std::vector<std::string>& names) {
    backend().fClearLog();
    backend().fSetLogging(true);
    stage().fDraw();
    backend().fSetLogging(false);
    return backend().fLogOf(names);
  }
  static std::string fGraph(int x, int y, const std::string& name, int transparent) {
    return "DrawGraph(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
           std::to_string(gImageManager->fGetImage(name)) + ", " + std::to_string(transparent) + ")";
  }
  static bool fContains(const std::vector<std::string>& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  static bool fHasText(const std::vector<std::string>& log, const std::string& text) {
    return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
      return line.find("\"" + text + "\"") != std::string::npos;
    });
  }
  // How often the effect was started since the log was cleared.
  int fPlays(ESoundEffect effect) {
    const std::string call = "PlaySoundMem(" + std::to_string(gSoundManager->fEffectHandle(effect)) + ", ";
    const auto log = backend().fLogOf({"PlaySoundMem"});
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
      return line.rfind(call, 0) == 0;
    }));
  }
};

TEST(StageThousandsSeparators, GroupDigitsInThrees) {
  EXPECT_EQ(fWithThousandsSeparators(0), "0");
  EXPECT_EQ(fWithThousandsSeparators(999), "999");
  EXPECT_EQ(fWithThousandsSeparators(1000), "1,000");
  EXPECT_EQ(fWithThousandsSeparators(12000), "12,000");
  EXPECT_EQ(fWithThousandsSeparators(1234567), "1,234,567");
  EXPECT_EQ(fWithThousandsSeparators(-1234), "-1,234");
  EXPECT_EQ(fWithThousandsSeparators(-2147483647 - 1), "-2,147,483,648");
}

TEST_F(StagePresentationTest, PanelShowsHoldAndThreeOfTheQueue) {
  CPlimoStage& s = fStartPlaying(0);
  s.rules.hold.assign(1, CPlimoStage::SAppairInfo(kColourOzyama, 9, true));
  s.rules.queue[0].colour = kGreen;
  s.rules.queue[1].colour = kRed;
  s.rules.queue[2].isEnd = true;
  const auto pictures = fDrawLog({"DrawGraph", "DrawRotaGraph"});
  const std::vector<std::string> expected = {
      fGraph(0, 0, "bg.png", 0),
      fGraph(374, 0, "ui_parts/menu.png", 0),
      fGraph(32, 10, "ui_parts/hold_waku.png", 1),
      fGraph(8, 10, "ui_parts/hold.png", 1),
      fGraph(140, 10, "ui_parts/next_waku.png", 1),
      fGraph(250, 70, "ui_parts/next.png", 1),
      fGraph(50, 18, "ui_parts/plimoball_ozyama.png", 1),
      fGraph(160, 18, "ui_parts/plimoball_green.png", 1),
      "DrawRotaGraph(258, 40, 0.8, 0, " + std::to_string(gImageManager->fGetImage("ui_parts/plimoball_red.png")) +
          ", 1, 0)",
  };
  EXPECT_EQ(pictures, expected);
  EXPECT_TRUE(backend().fIsStateNeutral());
}

TEST_F(StagePresentationTest, TextsShowScoreWithSeparatorsAndTheChainBlinks) {
  CPlimoStage& s = fStartPlaying(0);
  gHighScores[0]->score = 1234567;
  s.rules.score = 12345;
  s.rules.level = 2;
  s.rules.maxRensa = 4;
  auto texts = fDrawLog({"DrawStringToHandle"});
  EXPECT_TRUE(fHasText(texts, "LV:3"));
  EXPECT_TRUE(fHasText(texts, "12,345"));
  EXPECT_TRUE(fHasText(texts, "1,234,567"));
  EXPECT_TRUE(fHasText(texts, "MAX RENSA:"));
  EXPECT_TRUE(fHasText(texts, "(4/200)"));
  EXPECT_FALSE(fHasText(texts, "No wait"));

  s.rules.rensa = 2;
  s.rules.frameCount = 60 * 5 + 29;
  texts = fDrawLog({"DrawStringToHandle"});
  EXPECT_TRUE(fHasText(texts, "RENSA:"));
  EXPECT_TRUE(fHasText(texts, "2"));
  EXPECT_FALSE(fHasText(texts, "MAX RENSA:"));
  s.rules.frameCount = 60 * 5 + 30;
  texts = fDrawLog({"DrawStringToHandle"});
  EXPECT_FALSE(fHasText(texts, "RENSA:"));
  EXPECT_FALSE(fHasText(texts, "MAX RENSA:"));

  gFpsTimer->noWait = true;
  gFpsTimer->slowMotion = true;
  texts = fDrawLog({"DrawStringToHandle"});
  EXPECT_TRUE(fHasText(texts, "No wait"));
  EXPECT_TRUE(fHasText(texts, "Slow mode"));
}

TEST_F(StagePresentationTest, ReadyAndGoPicturesPlayTheirSoundsWhenDrawn) {
  CPlimoStage& s = fStartStage(0);
  auto at = [&](int timer) {
    s.rules.stateTimer = timer;
    return fDrawLog({"DrawGraph", "PlaySoundMem"});
  };
  const std::string ready = fGraph(100, 240, "ui_parts/ready.png", 1);
  const std::string go = fGraph(140, 240, "ui_parts/go.png", 1);
  EXPECT_FALSE(fContains(at(9), ready));
  EXPECT_TRUE(fContains(at(10), ready));
  EXPECT_EQ(fPlays(ESoundEffect::Ok1a), 1);
  EXPECT_TRUE(fContains(at(79), ready));
  EXPECT_EQ(fPlays(ESoundEffect::Ok1a), 0);
  const auto gap = at(85);
  EXPECT_FALSE(fContains(gap, ready));
  EXPECT_FALSE(fContains(gap, go));
  EXPECT_TRUE(fContains(at(90), go));
  EXPECT_EQ(fPlays(ESoundEffect::Ok1b), 1);
}

TEST_F(StagePresentationTest, EndScreensShowTheNewRecordOnlyAboveTheBest) {
  CPlimoStage& s = fStartPlaying(0);
  gHighScores[0]->score = 500;
  s.rules.state = EStage::GameOver;
  s.rules.score = 500;
  s.rules.frameCount = 10;
  const std::string record = fGraph(400, 380, "ui_parts/save_highscore.png", 1);
  auto pictures = fDrawLog({"DrawGraph"});
  EXPECT_TRUE(fContains(pictures, fGraph(50, 280, "ui_parts/gameover.png", 1)));
  EXPECT_FALSE(fContains(pictures, record));
  s.rules.score = 501;
  EXPECT_TRUE(fContains(fDrawLog({"DrawGraph"}), record));
  s.rules.frameCount = 40;
  EXPECT_FALSE(fContains(fDrawLog({"DrawGraph"}), record));
  s.rules.state = EStage::StageClear;
  EXPECT_TRUE(fContains(fDrawLog({"DrawGraph"}), fGraph(50, 280, "ui_parts/stageclear.png", 1)));
}

// The HIGH SCORE panel's number.
std::string fPanelBest(const std::vector<std::string>& texts) {
  const std::string at = "DrawStringToHandle(440, 170, \"";
  for (const std::string& line : texts) {
    if (line.rfind(at, 0) == 0) return line.substr(at.size(), line.find('"', at.size()) - at.size());
  }
  return "none";
}

// Beside the ribbon the panel shows the new best: on the end screen, and
// while the end stays after it was confirmed and kept.
TEST_F(StagePresentationTest, AtTheEndOfANewBestThePanelShowsIt) {
  fUseLiveKeys();
  CPlimoStage& s = fStartPlaying(0);
  gHighScores[0]->score = 500;
  s.rules.score = 1234;
  EXPECT_EQ(fPanelBest(fDrawLog({"DrawStringToHandle"})), "500") << "while playing, the best to beat";
  for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state == EStage::GameOver; }, 300));
  fStep();
  const std::string record = fGraph(400, 380, "ui_parts/save_highscore.png", 1);
  s.rules.frameCount = 600;  // the ribbon's blink on
  EXPECT_EQ(fPanelBest(fDrawLog({"DrawStringToHandle"})), "1,234");
  EXPECT_TRUE(fContains(fDrawLog({"DrawGraph"}), record));

  fTap(EGameKey::KeyZ);
  ASSERT_EQ(&stage(), &s);
  ASSERT_GT(s.endHoldLeft, 0);
  EXPECT_EQ(gHighScores[0]->score, 1234);
  s.rules.frameCount = 600;
  EXPECT_EQ(fPanelBest(fDrawLog({"DrawStringToHandle"})), "1,234");
  EXPECT_TRUE(fContains(fDrawLog({"DrawGraph"}), record)) << "still a new record once stored";
}

// Someone else's game played back is no record of the player's, however the
// two compare: no ribbon, no record sound, nothing stored.
TEST_F(StagePresentationTest, AReplayShowsAndSoundsNoRecord) {
  gHighScores[2]->score = 100;
  const SReplayInfo info = SReplayInfo::fReplay(2);
  fWriteWholeFile(info.path, replay_archives::fFixture("wanpaku_seed789.zip"));
  gCurrentScene = std::make_unique<CReplayTheatre>(2, info);
  gCurrentScene->fAnimate();
  auto& theatre = *dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet());
  CPlimoStage& replayed = theatre.fStage();
  theatre.fJumpTo(theatre.fLastFrame() - 1000);
  ASSERT_FALSE(replayed.fIsFinished());
  backend().fClearLog();
  backend().fSetLogging(true);
  while (!replayed.fIsFinished() && theatre.fFrame() < theatre.fLastFrame()) theatre.fStepForward();
  ASSERT_TRUE(replayed.fIsFinished());
  EXPECT_EQ(replayed.rules.score, 20200);
  EXPECT_EQ(fPlays(ESoundEffect::Quiz004), 0);
  EXPECT_FALSE(replayed.fBeatsHighScore());
  for (const int frameCount : {600, 630}) {
    replayed.rules.frameCount = frameCount;  // both halves of the blink
    backend().fClearLog();
    replayed.fDraw();
    const auto pictures = backend().fLogOf({"DrawGraph"});
    EXPECT_TRUE(fContains(pictures, fGraph(50, 280, "ui_parts/gameover.png", 1)));
    EXPECT_FALSE(fContains(pictures, fGraph(400, 380, "ui_parts/save_highscore.png", 1)));
    EXPECT_EQ(fPanelBest(backend().fLogOf({"DrawStringToHandle"})), "100") << "the player's own best";
  }
  backend().fSetLogging(false);
  theatre.fKeepBeforeExit();
  replayed.fKeepBeforeExit();
  EXPECT_FALSE(fFileExists("dat/score.dat"));
  EXPECT_EQ(gHighScores[2]->score, 100);
}

TEST_F(StagePresentationTest, ReachingTheEndAboveTheBestPlaysTheRecordSound) {
  CPlimoStage& s = fStartPlaying(0);
  for (int h = 0; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);
  s.rules.score = 1;
  backend().fSetLogging(true);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state == EStage::GameOver; }, 300));
  EXPECT_EQ(fPlays(ESoundEffect::Quiz004), 1);
}

TEST_F(StagePresentationTest, BallsBlinkWhileVanishingAndShowTheirHighlight) {
  fStartPlaying(0);
  SRuleBall& ball = fPlaceBall(0, 0, 0, kRed);
  stage().fSyncBallModels();
  ASSERT_NE(stage().fBallModels(ball), nullptr);
  CPlimoBall& look = *stage().fBallModels(ball);
  const int normal = look.model.fHandle();
  const int lit = look.highlightModel.fHandle();
  auto drawn = [&] {
    backend().fClearLog();
    backend().fSetLogging(true);
    const bool inPlay = rules().state == EStage::Playing || rules().state == EStage::Finishing;
    look.fDraw(ball, inPlay, rules().frameCount);
    backend().fSetLogging(false);
    return backend().fLogOf({"MV1DrawModel"});
  };
  EXPECT_EQ(drawn(), std::vector<std::string>{"MV1DrawModel(" + std::to_string(normal) + ")"});
  // In play a ball the piece would clear glows: its own model, brighter and
  // back over 40 frames.
  ball.highlighted = true;
  std::vector<std::string> scales;
  for (int frame = 0; frame < 40; frame += 10) {
    rules().frameCount = frame;
    EXPECT_EQ(drawn(), std::vector<std::string>{"MV1DrawModel(" + std::to_string(normal) + ")"});
    scales.push_back(backend().fLogOf({"MV1SetDifColorScale"}).at(0));
  }
  EXPECT_NE(scales[0], scales[2]) << "dimmest at the start, brightest half-way";
  EXPECT_EQ(scales[1], scales[3]);
  // Once the game is over the lit model shows, and the glow is taken back.
  rules().state = EStage::GameOver;
  EXPECT_EQ(drawn(), std::vector<std::string>{"MV1DrawModel(" + std::to_string(lit) + ")"});
  EXPECT_EQ(backend().fLogOf({"MV1SetDifColorScale"}).size(), 1u);
  ball.state = EBall::Vanishing;
  int shown = 0;
  for (ball.vanishCount = 80; ball.vanishCount > 70; --ball.vanishCount) shown += drawn().size();
  EXPECT_EQ(shown, 5);
  ball.vanishCount = 15;
  EXPECT_TRUE(drawn().empty());
}

// Which models one fDraw draws, in order, and the opacity each was given
// last before it was drawn.
struct SDrawnModel {
  int handle;
  std::string opacity;
};

TEST_F(StagePresentationTest, WallsBetweenTheCameraAndTheBoxAreSeeThroughAndDrawnLast) {
  CPlimoStage& s = fStartPlaying(2);
  fSetField({"RGB|...|..."});
  ASSERT_TRUE(fStepUntil([&] { return s.rules.fPiece() != nullptr; }, 100));
  fStep();  // so that the first press counts
  auto drawOrder = [&] {
    backend().fClearLog();
    backend().fSetLogging(true);
    s.fDraw();
    backend().fSetLogging(false);
    std::vector<SDrawnModel> out;
    std::map<int, std::string> opacity;
    for (const std::string& entry : backend().fLogOf({"MV1SetOpacityRate", "MV1DrawModel"})) {
      const int handle = std::stoi(entry.substr(entry.find('(') + 1));
      if (entry.rfind("MV1SetOpacityRate", 0) == 0) {
        opacity[handle] = entry.substr(entry.find(", ") + 2);
      } else {
        out.push_back({handle, opacity.count(handle) ? opacity[handle] : ""});
      }
    }
    return out;
  };
  auto isWall = [&](int handle) {
    for (std::size_t i = static_cast<std::size_t>(s.rules.W * s.rules.D); i < s.scenery.size(); ++i) {
      if (s.scenery[i].fHandle() == handle) return true;
    }
    return false;
  };
  std::set<int> previousNear;
  for (int turn = 0; turn < 2; ++turn) {
    const std::vector<SDrawnModel> drawn = drawOrder();
    // The opaque models come first, the balls before any wall, the turf
    // last of them; what comes after the turf is seen through.
    std::size_t lastTurf = 0, firstWall = drawn.size(), lastBall = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      const bool turf = drawn[i].handle >= s.scenery.front().fHandle() && drawn[i].handle < s.scenery[static_cast<std::size_t>(s.rules.W * s.rules.D)].fHandle();
      if (turf) lastTurf = i;
      if (isWall(drawn[i].handle)) firstWall = std::min(firstWall, i);
      if (!turf && !isWall(drawn[i].handle) && drawn[i].handle != s.ghost->fHandle()) lastBall = i;
    }
    EXPECT_LT(lastBall, firstWall);
    std::set<int> nearWalls;
    int farWalls = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      if (!isWall(drawn[i].handle)) continue;
      if (i > lastTurf) {
        EXPECT_EQ(drawn[i].opacity, "0.18)");
        nearWalls.insert(drawn[i].handle);
      } else {
        EXPECT_EQ(drawn[i].opacity, "1)");
        ++farWalls;
      }
    }
    // The camera stands off a corner: two of the four walls face it.
    EXPECT_EQ(nearWalls.size(), static_cast<std::size_t>((s.rules.H - 2) * (s.rules.W + s.rules.D)));
    EXPECT_EQ(farWalls, (s.rules.H - 2) * (s.rules.W + s.rules.D));
    EXPECT_NE(nearWalls, previousNear) << "the see-through walls follow the camera";
    previousNear = nearWalls;
    fTap(EGameKey::KeyZ);
    ASSERT_TRUE(fStepUntil([&] { return !s.rules.turning; }, 20));
  }
}

TEST_F(StagePresentationTest, TheGhostShowsBrightWhileThereIsAPieceAndNeverAfterTheGame) {
  CPlimoStage& s = fStartPlaying(0);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.fPiece() != nullptr; }, 100));
  fStep();  // so that the first press counts
  ASSERT_NE(s.ghost, nullptr);
  const std::string ghostDrawn = "MV1DrawModel(" + std::to_string(s.ghost->fHandle()) + ")";
  auto drawLog = [&] {
    return fDrawLog({"MV1DrawModel", "MV1SetDifColorScale"});
  };
  auto shows = [&](const std::vector<std::string>& log) {
    return std::find(log.begin(), log.end(), ghostDrawn) != log.end();
  };
  const auto playing = drawLog();
  ASSERT_TRUE(shows(playing));
  EXPECT_NE(std::find(playing.begin(), playing.end(),
                      "MV1SetDifColorScale(" + std::to_string(s.ghost->fHandle()) + ", (1.4, 1.4, 1.4, 1))"),
            playing.end());
  fTap(EGameKey::KeyX);  // locked: no piece until the next spawn
  ASSERT_EQ(s.rules.fPiece(), nullptr);
  EXPECT_FALSE(shows(drawLog()));
  // Topped out: the ghost stays where the last piece was, but is not drawn.
  for (int h = 1; h <= s.rules.H - 2; ++h) fPlaceBall(1, 1, h, h % 2);  // over the dropped one
  ASSERT_TRUE(fStepUntil([&] { return s.rules.state == EStage::GameOver; }, 400));
  EXPECT_FALSE(shows(drawLog()));
}

TEST_F(StagePresentationTest, EventsPlayTheirSounds) {
  CPlimoStage& s = fStartPlaying(0);
  fSetNextColour(kRed);
  fSetField({"..|.R"});
  backend().fSetLogging(true);
  fStep(2);
  ASSERT_NE(s.rules.fPiece(), nullptr);
  fTap(EGameKey::KeyZ);
  EXPECT_EQ(fPlays(ESoundEffect::Pi14), 1);
  fTap(EGameKey::KeyX);  // lands on the red and clears with it
  EXPECT_EQ(fPlays(ESoundEffect::PutA22), 1);
  EXPECT_EQ(fPlays(ESoundEffect::Power04), 2);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.fPiece() != nullptr; }, 100));
  fStep();
  fTap(EGameKey::KeySpace);
  EXPECT_EQ(fPlays(ESoundEffect::Pochi01), 1);
}

TEST_F(StagePresentationTest, EachChainStepSoundsHigherThanTheLastAndALevelUpHasItsOwnSound) {
  CPlimoStage& s = fStartPlaying(0);
  fHoldSpawns();
  // Three waves (the reds, then the greens, then the blues), and the first
  // clear raises the level.
  fSetField({"R.|G.", "G.|..", "B.|.."});
  for (const auto& [h, colour] : {std::pair{1, kRed}, std::pair{3, 2}}) {
    SRuleBall& loose = fPlaceBall(1, 0, h, colour, EBall::Falling);
    loose.speed = 128;
  }
  backend().fSetLogging(true);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.maxRensa == 3 && s.rules.rensa == 0; }));
  const std::string chainHandle = std::to_string(gSoundManager->fEffectHandle(ESoundEffect::ChainStep));
  std::vector<int> rates;
  for (const std::string& call : backend().fLogOf({"SetFrequencySoundMem"})) {
    if (call.ends_with(", " + chainHandle + ")")) rates.push_back(std::stoi(call.substr(call.find('(') + 1)));
  }
  ASSERT_EQ(rates.size(), 2u) << "the second and third waves";
  EXPECT_EQ(rates[0], 44100) << "a chain of two at the sound's own pitch";
  EXPECT_GT(rates[1], rates[0]);
  EXPECT_EQ(fPlays(ESoundEffect::ChainStep), 2);
  EXPECT_EQ(fPlays(ESoundEffect::LevelUp), 1);
}

TEST_F(StagePresentationTest, ConstructionStopsEverySoundAndStartsTheMusic) {
  backend().fSetLogging(true);
  fStartStage(1);
  const auto log = backend().fLogOf({"StopSoundMem", "PlaySoundMem"});
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().rfind("StopSoundMem(", 0), 0u);
  EXPECT_EQ(log.back(), "PlaySoundMem(" + std::to_string(gSoundManager->fBgmHandle(EBgm::Tamco03)) + ", " +
                            std::to_string(DX_PLAYTYPE_LOOP) + ", 1)");
}

}  // namespace
