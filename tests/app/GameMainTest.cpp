#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "support/HeadlessTest.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"

namespace {

std::vector<std::string> gEvents;

// Writes what happens to it into gEvents; hands over to `next` in its
// first fUpdate when one is given.
class CProbeScene : public CScene {
 public:
  CProbeScene(std::string name, std::function<void(CProbeScene&)> onUpdate = {})
      : mName(std::move(name)), mOnUpdate(std::move(onUpdate)) {}
  ~CProbeScene() override { gEvents.push_back(mName + ".destroyed"); }

  void fAnimate() override { gEvents.push_back(mName + ".animate"); }
  void fUpdate() override {
    gEvents.push_back(mName + ".update");
    if (mOnUpdate) {
      auto onUpdate = std::move(mOnUpdate);
      onUpdate(*this);
      // Still alive after handing over: this write would be caught by ASan.
      gEvents.push_back(mName + ".update.returned");
    }
  }
  void fDraw() override { gEvents.push_back(mName + ".draw"); }

 private:
  std::string mName;
  std::function<void(CProbeScene&)> mOnUpdate;
};

class GameMainTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    gEvents.clear();
  }

  int fRun(long long frames, std::function<std::unique_ptr<CScene>()> firstScene) {
    SLaunchOptions options;
    options.frameLimit = frames;
    options.firstScene = std::move(firstScene);
    return fGameMain(options);
  }

  static std::vector<std::string> fLogFiles() {
    std::vector<std::string> logs;
    for (const auto& name : fListDirectory(".")) {
      if (name.size() > 4 && name.substr(name.size() - 4) == ".log") logs.push_back(name);
    }
    return logs;
  }
};

TEST_F(GameMainTest, StartUpSetsUpTheWindowInOrder) {
  backend().fSetLogging(true);
  fWriteWholeFile("config.dat", "WindowMode=1\nSound=0\nNoReserve=1\n");
  EXPECT_EQ(fRun(1, [] { return std::make_unique<CProbeScene>("a"); }), 0);
  const auto calls = backend().fLogOf({"SetOutApplicationLogValidFlag", "SetWindowIconID", "SetMainWindowText",
                                       "SetGraphMode", "ChangeWindowMode", "SetUseFPUPreserveFlag",
                                       "SetWaitVSyncFlag", "DxLib_Init", "SetTransColor", "SetDrawMode",
                                       "SetDrawScreen", "CreateFontToHandle", "DxLib_End"});
  const std::vector<std::string> expected = {
      "SetOutApplicationLogValidFlag(0)",
      "SetWindowIconID(100)",
      "SetMainWindowText(\"PlimoBall\")",
      "SetGraphMode(640, 480, 32, 60)",
      "ChangeWindowMode(1)",
      "SetUseFPUPreserveFlag(1)",
      "SetWaitVSyncFlag(1)",
      "DxLib_Init()",
      "SetTransColor(255, 0, 255)",
      "SetDrawMode(1)",
      "SetDrawScreen(-2)",
      "CreateFontToHandle(\"Arial Black\", 12, 0, 0, -1, -1, 0, -1)",
      "CreateFontToHandle(\"Arial Black\", 36, 0, 2, 0, -1, 0, -1)",
      "CreateFontToHandle(\"(default)\", 24, 0, 2, -1, -1, 0, -1)",
      "CreateFontToHandle(\"(default)\", 28, 9, 3, -1, -1, 0, -1)",
      "CreateFontToHandle(\"(default)\", 18, 0, 2, -1, -1, 0, -1)",
      "DxLib_End()",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(GameMainTest, FullScreenConfigSkipsTheWindowModeCall) {
  backend().fSetLogging(true);
  fWriteWholeFile("config.dat", "WindowMode=0\nSound=0\nNoReserve=1\n");
  fRun(1, [] { return std::make_unique<CProbeScene>("a"); });
  EXPECT_TRUE(backend().fLogOf({"ChangeWindowMode"}).empty());
}

TEST_F(GameMainTest, AFailedInitEndsAtOnceWithAnErrorStatus) {
  backend().fFailInit(true);
  backend().fSetLogging(true);
  EXPECT_NE(fRun(5, [] { return std::make_unique<CProbeScene>("a"); }), 0);
  EXPECT_TRUE(backend().fLogOf({"ScreenFlip", "DxLib_End"}).empty());
}

TEST_F(GameMainTest, EachFrameUpdatesAnimatesDrawsFlipsAndWaits) {
  backend().fSetLogging(true);
  fRun(2, [] { return std::make_unique<CProbeScene>("a"); });
  EXPECT_EQ(gEvents, (std::vector<std::string>{"a.update", "a.animate", "a.draw", "a.update", "a.animate",
                                               "a.draw", "a.destroyed"}));
  // Each picture is rendered, then swapped 16 ms after its frame was due
  // (slept in whole milliseconds, rounded down); frame 1 is due 16.67 ms
  // after frame 0 (slept rounded up); nothing is slept after the last swap.
  EXPECT_EQ(backend().fLogOf({"ClsDrawScreen", "FinishDrawScreen", "ScreenFlip", "Sleep"}),
            (std::vector<std::string>{"ClsDrawScreen()", "Sleep(16)", "ScreenFlip()", "Sleep(1)", "ClsDrawScreen()",
                                      "Sleep(15)", "ScreenFlip()"}));
}

TEST_F(GameMainTest, ANewSceneIsAnimatedAndDrawnInTheFrameOfTheChange) {
  fRun(2, [] {
    return std::make_unique<CProbeScene>("old", [](CProbeScene&) {
      gCurrentScene = std::make_unique<CProbeScene>("new");
    });
  });
  EXPECT_EQ(gEvents, (std::vector<std::string>{"old.update", "old.update.returned", "new.animate", "new.draw",
                                               "old.destroyed", "new.update", "new.animate", "new.draw",
                                               "new.destroyed"}));
}

TEST_F(GameMainTest, TwoChangesInOneUpdateLeaveTheLastActive) {
  fRun(2, [] {
    return std::make_unique<CProbeScene>("old", [](CProbeScene&) {
      gCurrentScene = std::make_unique<CProbeScene>("first");
      gCurrentScene = std::make_unique<CProbeScene>("second");
    });
  });
  EXPECT_EQ(gEvents, (std::vector<std::string>{"old.update", "old.update.returned", "second.animate",
                                               "second.draw", "old.destroyed", "first.destroyed",
                                               "second.update", "second.animate", "second.draw",
                                               "second.destroyed"}));
}

TEST_F(GameMainTest, QuitRequestEndsTheLoopAfterTheFrame) {
  EXPECT_EQ(fRun(100, [] {
              return std::make_unique<CProbeScene>("a", [](CProbeScene&) { gQuitRequested = true; });
            }),
            0);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"a.update", "a.update.returned", "a.animate", "a.draw",
                                               "a.destroyed"}));
}

TEST_F(GameMainTest, ClosingTheWindowEndsTheLoopAndCleanUpStillRuns) {
  fCreateDirectories("dat/replay");
  fWriteWholeFile("dat/replay/replay.dat", "x");
  fWriteWholeFile("dat/replay/replay_key.dat", "x");
  CHeadlessBackend* headless = &backend();
  fRun(100, [headless] {
    return std::make_unique<CProbeScene>("a", [headless](CProbeScene&) { headless->fCloseWindow(); });
  });
  EXPECT_EQ(gEvents, (std::vector<std::string>{"a.update", "a.update.returned", "a.animate", "a.draw",
                                               "a.destroyed"}));
  EXPECT_FALSE(fFileExists("dat/replay/replay.dat"));
  EXPECT_FALSE(fFileExists("dat/replay/replay_key.dat"));
}

class CSkipEverySecondFrame : public CFpsTimer {
 public:
  CSkipEverySecondFrame() : CFpsTimer(false, true) {}
  bool fIsSkipFrame() override { return (++mAsked % 2) == 0; }

 private:
  int mAsked = 0;
};

TEST_F(GameMainTest, ASkippedFrameIsFlippedWithoutClearingOrDrawing) {
  backend().fSetLogging(true);
  fRun(2, [] {
    gFpsTimer = std::make_unique<CSkipEverySecondFrame>();
    return std::make_unique<CProbeScene>("a");
  });
  EXPECT_EQ(gEvents, (std::vector<std::string>{"a.update", "a.animate", "a.draw", "a.update", "a.animate",
                                               "a.destroyed"}));
  EXPECT_EQ(backend().fLogOf({"ClsDrawScreen", "ScreenFlip"}),
            (std::vector<std::string>{"ClsDrawScreen()", "ScreenFlip()", "ScreenFlip()"}));
}

// A scene whose every update takes `milliseconds` on the headless clock.
class CTimedScene : public CScene {
 public:
  CTimedScene(CHeadlessBackend& backend, int milliseconds) : mBackend(backend), mMilliseconds(milliseconds) {}
  void fUpdate() override { mBackend.fAdvanceClock(mMilliseconds); }
  void fAnimate() override {}
  void fDraw() override { gEvents.push_back("draw"); }

 private:
  CHeadlessBackend& mBackend;
  int mMilliseconds;
};

TEST_F(GameMainTest, WithNoWaitOneFrameARefreshIsShownAndEveryFrameIsMeasured) {
  backend().fSetLogging(true);
  SLaunchOptions options;
  options.frameLimit = 40;
  options.noWait = true;
  options.frameStatsPath = "frames.csv";
  options.firstScene = [this] { return std::make_unique<CTimedScene>(backend(), 4); };
  ASSERT_EQ(fGameMain(options), 0);
  // 160 ms of frames: shown at 4, 20, 36, ... ms, one in four.
  EXPECT_EQ(backend().fLogOf({"ScreenFlip"}).size(), 10u);
  EXPECT_EQ(std::count(gEvents.begin(), gEvents.end(), "draw"), 10);
  const std::string csv = fReadWholeFile("frames.csv");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 41);
  EXPECT_EQ(csv.substr(csv.find('\n') + 1, 21), "0,1,4000,0,0,4000,0\n1") << "the update's 4 ms, no time drawing";
}

TEST_F(GameMainTest, AnEscapingExceptionWritesOneLogAndShutsDownNormally) {
  backend().fSetLogging(true);
  testing::internal::CaptureStdout();
  const int status = fRun(100, [] {
    return std::make_unique<CProbeScene>("a", [](CProbeScene&) { throw std::runtime_error("ball out of box"); });
  });
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 0);
  const auto logs = fLogFiles();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0], std::to_string(1'700'000'000'000 + backend().fNow()) + ".log");
  EXPECT_EQ(fReadWholeFile(logs[0]), "exception:ball out of box\n");
  EXPECT_EQ(backend().fLogOf({"DxLib_End"}).size(), 1u);
  EXPECT_NE(out.find("\n"), std::string::npos);  // the profiler's (empty) report line
}

TEST_F(GameMainTest, ANormalShutdownWritesNoLog) {
  fRun(3, [] { return std::make_unique<CProbeScene>("a"); });
  EXPECT_TRUE(fLogFiles().empty());
}

TEST_F(GameMainTest, AFatalErrorEndsWithAnErrorStatusAndNoLog) {
  const int status = fRun(100, [] {
    return std::make_unique<CProbeScene>("a", [](CProbeScene&) { throw CFatalError("archive broken"); });
  });
  EXPECT_EQ(status, 3);
  EXPECT_TRUE(fLogFiles().empty());
}

}  // namespace
