// The title and the title menu: panes and their buttons for given high
// scores, cursor moves, closing panes, the windows that take the input, the
// debug replays and the connecting notice.
#include <gtest/gtest.h>

#include "app/GameMain.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "util/CFpsTimer.h"
#include "input/CKeyManager.h"
#include "input/CKeyPlayer.h"
#include "support/ReplayArchives.h"
#include "rules/StageModes.h"

#include <cstdio>

namespace {

using EPaneType = CTitleMenu::EPaneType;
using EButtonType = CTitleMenu::EButtonType;

class TitleMenuTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fReplaceTitleMenuScene({});  // the real menu, when a scene leaves for it
    fMakeDataFolders();
    for (const char* name : {"menu_bg", "title_play", "title_showreplay", "title_registranking", "title_showranking", "title_daily",
                             "title_option", "title_howtoplay", "title_quit", "title_plimomode", "title_yoikomode",
                             "title_wanpakumode"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/") + name + ".png", fPngHeader(200, 40));
      fWriteWholeFile(std::string("dat/image/ui_parts/") + name + "_f.png", fPngHeader(200, 40));
    }
    for (const char* name : {"title_showreplay_ng", "title_showreplay_f_ng", "title_registranking_ng",
                             "title_registranking_f_ng"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/") + name + ".png", fPngHeader(200, 40));
    }
    fWriteWholeFile("dat/image/title.png", fPngHeader(640, 480));
    gImageManager = std::make_unique<CImageManager>();
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    gFontTitle = CreateFontToHandle(nullptr, 28, 9, DX_FONTTYPE_ANTIALIASING_EDGE);
    fSetScores({{0, 0, false}, {0, 0, false}, {0, 0, false}});
  }

  void TearDown() override {
    gCurrentScene.fClear();
    gFpsTimer.reset();
    gSoundManager.reset();
    GuiFixture::TearDown();
  }

  struct SScore {
    int score;
    int maxRensa;
    bool registered;
  };
  static void fSetScores(std::vector<SScore> scores) {
    gHighScores.clear();
    for (const SScore& s : scores) gHighScores.push_back(std::make_shared<CHighScoreInfo>(s.score, s.maxRensa, s.registered));
  }

  CTitleMenu& fOpenMenu() {
    gCurrentScene = std::make_unique<CTitleMenu>();
    fFrame();  // every key is seen released once
    return fMenu();
  }
  CTitleMenu& fMenu() { return *dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()); }

  void fFrame() {
    fRunFrameLogic();
    gCurrentScene->fDraw();
    gCurrentScene.fReleaseRetired();
  }
  void fTap(int keyCode) {
    fHold(keyCode);
    fFrame();
    fRelease(keyCode);
    fFrame();
  }

  std::vector<EButtonType> fButtonTypes(const CTitleMenu::SPane& pane) const {
    std::vector<EButtonType> types;
    for (const auto& button : pane.buttons) types.push_back(button.type);
    return types;
  }
  int fImageOf(const CTitleMenu::SButton& button) const { return button.image.fCurrentGraph(); }
};

TEST_F(TitleMenuTest, TheTitleBlinksItsPromptAndLeadsToTheMenuOrOut) {
  gCurrentScene = std::make_unique<CTitle>();
  backend().fSetLogging(true);
  std::vector<bool> shown;
  for (int frame = 0; frame < 81; ++frame) {
    backend().fClearLog();
    gCurrentScene->fDraw();
    shown.push_back(!backend().fLogOf({"DrawStringToHandle"}).empty());
    gCurrentScene->fAnimate();
  }
  for (int frame = 0; frame < 81; ++frame) EXPECT_EQ(shown[frame], frame % 80 < 40) << frame;
  backend().fSetLogging(false);

  fFrame();
  fHold(KEY_INPUT_Z);
  fFrame();
  EXPECT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);

  gCurrentScene = std::make_unique<CTitle>();
  gQuitRequested = false;
  fRelease(KEY_INPUT_Z);
  fFrame();
  fHold(KEY_INPUT_ESCAPE);
  fFrame();
  EXPECT_TRUE(gQuitRequested);
  gQuitRequested = false;
}

TEST_F(TitleMenuTest, WithoutHighScoresReplayAndRegistrationAreGreyedAndDoNothing) {
  CTitleMenu& menu = fOpenMenu();
  const auto& top = menu.fPanes().back();
  EXPECT_EQ(fButtonTypes(top), (std::vector<EButtonType>{EButtonType::Play, EButtonType::ShowReplay,
                                                        EButtonType::RegistRanking, EButtonType::ShowRanking,
                                                        EButtonType::Daily, EButtonType::Option, EButtonType::HowToPlay,
                                                        EButtonType::Quit}));
  EXPECT_EQ(fImageOf(top.buttons[1]), fImage("ui_parts/title_showreplay_ng.png"));
  EXPECT_EQ(top.buttons[1].focusedImage.fCurrentGraph(), fImage("ui_parts/title_showreplay_f_ng.png"));
  EXPECT_EQ(fImageOf(top.buttons[2]), fImage("ui_parts/title_registranking_ng.png"));
  for (std::size_t i = 0; i < top.buttons.size(); ++i) {
    EXPECT_EQ(top.buttons[i].x, 20);
    EXPECT_EQ(top.buttons[i].y, 20 + 50 * static_cast<int>(i));
  }
  fTap(KEY_INPUT_K);  // down to the greyed replay button
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(fMenu().fPanes().size(), 1u);
}

TEST_F(TitleMenuTest, QuitOnTheTitleMenuEndsTheGame) {
  CTitleMenu& menu = fOpenMenu();
  const auto& top = menu.fPanes().back();
  ASSERT_EQ(top.buttons.back().type, EButtonType::Quit);
  EXPECT_EQ(fImageOf(top.buttons.back()), fImage("ui_parts/title_quit.png"));
  gQuitRequested = false;
  for (std::size_t i = 1; i < top.buttons.size(); ++i) fTap(KEY_INPUT_K);
  EXPECT_FALSE(gQuitRequested) << "choosing it is not yet deciding";
  fTap(KEY_INPUT_Z);
  EXPECT_TRUE(gQuitRequested);
  gQuitRequested = false;
}

TEST_F(TitleMenuTest, TheHelpShowsEachColourWithItsSymbol) {
  for (int colour = 0; colour < 6; ++colour) {
    fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + fColourName(colour) + "_s.png", fPngHeader(44, 44));
  }
  gImageManager = std::make_unique<CImageManager>();  // it lists the pictures when made
  const int savedFont = gFontText;
  gFontText = CreateFontToHandle(nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING);
  fOpenMenu();
  while (fMenu().fPanes().back().buttons[static_cast<std::size_t>(fMenu().fPanes().back().cursor)].type !=
         EButtonType::HowToPlay) {
    fTap(KEY_INPUT_K);
  }
  fTap(KEY_INPUT_Z);
  ASSERT_NE(fMenu().fHelpWindow(), nullptr);
  backend().fSetLogging(true);
  backend().fClearLog();
  fFrame();
  const auto draws = backend().fLogOf({"DrawRotaGraph"});
  const CMainWindow& window = fMenu().fHelpWindow()->fGetWindow();
  std::vector<std::string> expected;
  int lastX = -1;
  for (int colour = 0; colour < 6; ++colour) {
    const std::string picture = std::string("ui_parts/plimoball_") + fColourName(colour) + "_s.png";
    bool found = false;
    for (const std::string& call : draws) {
      int x = 0, y = 0, graph = 0;
      if (std::sscanf(call.c_str(), "DrawRotaGraph(%d, %d, %*f, %*f, %d", &x, &y, &graph) != 3) continue;
      if (graph != fImage(picture)) continue;
      found = true;
      EXPECT_GT(x, lastX) << "the colours in their order, left to right";
      lastX = x;
      EXPECT_GT(x, window.fGetPosition().x);
      EXPECT_LT(x, window.fGetPosition().x + window.fGetWidth());
      EXPECT_GT(y, window.fGetPosition().y);
      EXPECT_LT(y, window.fGetPosition().y + window.fGetHeight());
    }
    EXPECT_TRUE(found) << picture;
  }
  // The other pages have no row of balls.
  fTap(KEY_INPUT_L);
  ASSERT_EQ(fMenu().fHelpWindow()->fPage(), 1);
  backend().fClearLog();
  fFrame();
  EXPECT_TRUE(backend().fLogOf({"DrawRotaGraph"}).empty());
  backend().fSetLogging(false);
  DeleteFontToHandle(gFontText);
  gFontText = savedFont;
}

TEST_F(TitleMenuTest, ModePanesListOnlyModesWithScoresAndUnregisteredOnes) {
  fSetScores({{0, 0, false}, {1200, 3, false}, {0, 0, false}});
  CTitleMenu& menu = fOpenMenu();
  const auto replayPane = menu.fCreatePane(EPaneType::ReplayMode);
  ASSERT_EQ(replayPane.buttons.size(), 1u);
  EXPECT_EQ(replayPane.buttons[0].type, EButtonType::YoikoMode);
  EXPECT_EQ(replayPane.buttons[0].x, 300);
  EXPECT_EQ(replayPane.buttons[0].y, 20);
  EXPECT_EQ(menu.fCreatePane(EPaneType::RegistRankingMode).buttons.size(), 1u);
  EXPECT_EQ(menu.fCreatePane(EPaneType::PlayMode).buttons.size(), 3u);
  EXPECT_EQ(menu.fCreatePane(EPaneType::ShowRankingMode).buttons.size(), 3u);

  gHighScores[1]->isRegistered = true;
  EXPECT_TRUE(menu.fCreatePane(EPaneType::RegistRankingMode).buttons.empty());
  const auto top = menu.fCreatePane(EPaneType::Top);
  EXPECT_EQ(fImageOf(top.buttons[1]), fImage("ui_parts/title_showreplay.png"));
  EXPECT_EQ(fImageOf(top.buttons[2]), fImage("ui_parts/title_registranking_ng.png"));
}

TEST_F(TitleMenuTest, HighScoreSummaryGroupsDigits) {
  fSetScores({{1234567, 4, true}, {0, 0, false}, {50, 1, false}});
  EXPECT_EQ(fHighScoreSummary(0), "ハイスコア : 1,234,567\n最大連鎖数 : 4\nオンライン登録 : 済み");
  EXPECT_EQ(fHighScoreSummary(2), "ハイスコア : 50\n最大連鎖数 : 1\nオンライン登録 : まだ");
  EXPECT_NE(fModeDescription(1).find("色数は４色"), std::string::npos);
}

TEST_F(TitleMenuTest, CursorMovesDoNotWrapButRebuildTheDescription) {
  fOpenMenu();
  fTap(KEY_INPUT_Z);  // play: the mode pane, its first mode described
  ASSERT_EQ(fMenu().fPanes().size(), 2u);
  EXPECT_EQ(fMenu().fPanes().back().type, EPaneType::PlayMode);
  const CDisplayMessageWindow* first = fMenu().fInfoWindow();
  ASSERT_NE(first, nullptr);
  fTap(KEY_INPUT_I);  // up on the first button: stays, description rebuilt
  EXPECT_EQ(fMenu().fPanes().back().cursor, 0);
  EXPECT_NE(fMenu().fInfoWindow(), nullptr);
  fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_K);  // down on the last button: stays
  EXPECT_EQ(fMenu().fPanes().back().cursor, 2);
  EXPECT_NE(fMenu().fInfoWindow(), nullptr);
}

TEST_F(TitleMenuTest, XClosesAModePaneThenTheMenu) {
  fOpenMenu();
  fTap(KEY_INPUT_Z);
  ASSERT_NE(fMenu().fInfoWindow(), nullptr);
  fTap(KEY_INPUT_X);
  EXPECT_EQ(fMenu().fPanes().size(), 1u);
  EXPECT_EQ(fMenu().fInfoWindow(), nullptr);
  fHold(KEY_INPUT_X);
  fFrame();
  EXPECT_NE(dynamic_cast<CTitle*>(gCurrentScene.fGet()), nullptr);
}

TEST_F(TitleMenuTest, ChoosingAModeStartsItsGame) {
  fOpenMenu();
  fTap(KEY_INPUT_L);  // right decides as Z does
  fTap(KEY_INPUT_K);
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();  // no pictures for the stage here: not drawn
  auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(stage, nullptr);
  EXPECT_EQ(stage->rules.mode, 1);
  EXPECT_EQ(stage->replayInfo.mode, SReplayInfo::EMode::Normal);
  EXPECT_EQ(stage->replayInfo.path, "dat/replay_yoiko/replay");
  stage->fReleaseModels();
}

TEST_F(TitleMenuTest, AMissingDebugReplayIsReportedAndAMessageHoldsThePanes) {
  fOpenMenu();
  fHold(KEY_INPUT_F11);
  fFrame();
  EXPECT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr) << "the game goes on";
  ASSERT_NE(fMenu().fMessageWindow(), nullptr);
  fRelease(KEY_INPUT_F11);
  fTap(KEY_INPUT_K);  // the message has the input: the cursor stays
  EXPECT_EQ(fMenu().fPanes().back().cursor, 0);
  fTap(KEY_INPUT_Z);  // acknowledged and dropped
  EXPECT_EQ(fMenu().fMessageWindow(), nullptr);
  fTap(KEY_INPUT_K);
  EXPECT_EQ(fMenu().fPanes().back().cursor, 1);
}

TEST_F(TitleMenuTest, TheRankingRequestRunsOneFrameAfterTheConnectingNotice) {
  fOpenMenu();
  for (int i = 0; i < 3; ++i) fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_Z);  // the ranking's mode pane
  ASSERT_EQ(fMenu().fPanes().back().type, EPaneType::ShowRankingMode);
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();  // decide: pending, notice shown in this frame's draw
  EXPECT_EQ(fMenu().fConnectTask().type, CTitleMenu::SConnectTask::EType::GetRankingList);
  ASSERT_NE(fMenu().fMessageWindow(), nullptr);
  gCurrentScene.fReleaseRetired();
  fRelease(KEY_INPUT_Z);
  fRunFrameLogic();  // the request itself
  EXPECT_EQ(fMenu().fConnectTask().type, CTitleMenu::SConnectTask::EType::None);
  ASSERT_NE(fMenu().fMessageWindow(), nullptr);
}

TEST_F(TitleMenuTest, TheOptionMenuTakesOverUntilClosed) {
  fOpenMenu();
  for (int i = 0; i < 5; ++i) fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_Z);
  ASSERT_NE(fMenu().fOptionMenu(), nullptr);
  fTap(KEY_INPUT_X);  // saves and closes
  EXPECT_EQ(fMenu().fOptionMenu(), nullptr);
  EXPECT_TRUE(fFileExists("dat/setting.dat"));
}

TEST_F(TitleMenuTest, TheBackgroundDriftsUpAndRightAndWraps) {
  CScrollingBackground background(fGetDrawData("ui_parts/menu_bg.png"), SPointD(0, 0), SPointD(640, 480), 60, 1.0);
  EXPECT_NEAR(background.fVelocity().x, 0.866, 1e-3);
  EXPECT_NEAR(background.fVelocity().y, -0.5, 1e-3);
  for (int i = 0; i < 2000; ++i) {
    background.fAnimate();
    ASSERT_LE(background.fOffset().x, 640 + 1.0);
    ASSERT_GE(background.fOffset().y, -1.0);
  }
}

// Whatever is wrong with a replay, the menu says it could not be read, the
// message closes, the panes answer again, the live keys are in place and no
// model or image is left behind: for the replay button and for F10-F12.
TEST_F(TitleMenuTest, EveryBadReplayIsReportedAndTheMenuGoesOn) {
  fSetScores({{100, 1, false}, {100, 1, false}, {100, 1, false}});
  const int debugKeys[] = {KEY_INPUT_F10, KEY_INPUT_F11, KEY_INPUT_F12};
  const char* modes[] = {"plimo", "yoiko", "wanpaku"};
  for (int mode = 0; mode < 3; ++mode) {
    for (const bool debug : {false, true}) {
      for (const auto& [fault, bytes] : replay_archives::fBadArchives(modes[mode], debug ? "debug_" : "")) {
        SCOPED_TRACE(std::string(modes[mode]) + (debug ? " debug: " : ": ") + fault);
        const SReplayInfo info = debug ? SReplayInfo::fDebugReplay(mode) : SReplayInfo::fReplay(mode);
        fWriteWholeFile(info.path, bytes);
        fOpenMenu();
        if (!debug) {
          fTap(KEY_INPUT_K);  // the replay button
          fTap(KEY_INPUT_Z);
          for (int i = 0; i < mode; ++i) fTap(KEY_INPUT_K);
        }
        const int models = backend().fLiveModelCount();
        const int graphs = backend().fLiveGraphCount();
        fTap(debug ? debugKeys[mode] : KEY_INPUT_Z);
        ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr) << "the game goes on";
        ASSERT_NE(fMenu().fMessageWindow(), nullptr);
        EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr) << "the live keys answer";
        EXPECT_EQ(backend().fLiveModelCount(), models);
        fTap(KEY_INPUT_Z);  // the message closes
        EXPECT_EQ(fMenu().fMessageWindow(), nullptr);
        EXPECT_EQ(backend().fLiveGraphCount(), graphs) << "the message's pictures are gone, nothing else is left";
        const int cursor = fMenu().fPanes().back().cursor;
        fTap(cursor == 0 ? KEY_INPUT_K : KEY_INPUT_I);
        EXPECT_NE(fMenu().fPanes().back().cursor, cursor) << "the panes answer keys";
        fDeleteFile(info.path);
      }
    }
  }
}

TEST_F(TitleMenuTest, LeavingAReplayEndsItsSlowMotionAndNoWait) {
  fWriteWholeFile("dat/replay_plimo/debug_replay",
                  replay_archives::fArchiveOf("dat/replay_plimo/", "debug_", replay_archives::fIdleKeyLog(600),
                                              std::string("\x7b\0\0\0", 4)));
  fOpenMenu();
  fHold(KEY_INPUT_F10);
  fRunFrameLogic();
  ASSERT_NE(dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  fRelease(KEY_INPUT_F10);
  fRunFrameLogic();  // the replay's live keys are seen up once
  for (const int key : {KEY_INPUT_F1, KEY_INPUT_F2}) {
    fHold(key);
    fRunFrameLogic();
    fRelease(key);
    fRunFrameLogic();
  }
  EXPECT_TRUE(gFpsTimer->noWait);
  EXPECT_TRUE(gFpsTimer->slowMotion);
  fHold(KEY_INPUT_ESCAPE);
  fRunFrameLogic();
  fRelease(KEY_INPUT_ESCAPE);
  ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  EXPECT_FALSE(gFpsTimer->noWait);
  EXPECT_FALSE(gFpsTimer->slowMotion) << "slow motion ends with its replay";
  EXPECT_EQ(backend().fLiveModelCount(), 0);
}

// The cursor of the pane on top, as the type of the button it is on.
EButtonType fFocusedType(const CTitleMenu& menu) {
  const auto& pane = menu.fPanes().back();
  return pane.buttons[static_cast<std::size_t>(pane.cursor)].type;
}

// Return and keypad Enter confirm as Z does on the title, in the panes, in
// a message and in the option menu; Alt+Enter (the display's switch) does
// not, and no game key ever sees Enter.
TEST_F(TitleMenuTest, EnterConfirmsWhereverZDoesAndIsNoGameKey) {
  gCurrentScene = std::make_unique<CTitle>();
  fFrame();
  fTap(KEY_INPUT_RETURN);
  ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr) << "Enter leaves the title";
  fFrame();
  EXPECT_EQ(fMenu().fPanes().size(), 1u) << "the same press does not choose in the menu";

  fTap(KEY_INPUT_NUMPADENTER);  // "Start game"
  ASSERT_EQ(fMenu().fPanes().size(), 2u);
  EXPECT_EQ(fMenu().fPanes().back().type, EPaneType::PlayMode);
  fTap(KEY_INPUT_X);
  fHold(KEY_INPUT_LALT);
  fTap(KEY_INPUT_RETURN);
  fRelease(KEY_INPUT_LALT);
  fFrame();
  EXPECT_EQ(fMenu().fPanes().size(), 1u) << "Alt+Enter switches the display only";

  // Held in a menu, Enter presses no game key and records nothing.
  fHold(KEY_INPUT_RETURN);
  fHold(KEY_INPUT_NUMPADENTER);
  gKeyManager->fUpdateKeyState();
  for (int key = 0; key < kGameKeyCount; ++key) {
    EXPECT_FALSE(gKeyManager->fIsPressed(static_cast<EGameKey>(key))) << key;
    EXPECT_EQ(gKeyManager->fIsDownNow(static_cast<EGameKey>(key)), 0) << key;
  }
  fRelease(KEY_INPUT_RETURN);
  fRelease(KEY_INPUT_NUMPADENTER);
  fFrame();
  fFrame();

  // A message is acknowledged with Enter.
  fMenu().fShowMessage("hello");
  fTap(KEY_INPUT_RETURN);
  EXPECT_EQ(fMenu().fMessageWindow(), nullptr);

  // The option menu: Enter opens the question on "back to defaults", and
  // answers it.
  while (fFocusedType(fMenu()) != EButtonType::Option) fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_RETURN);
  COptionMenu* options = fMenu().fOptionMenu();
  ASSERT_NE(options, nullptr);
  while (options->fGetWindow().fGetFocus() != "DEFAULTS") fTap(KEY_INPUT_DOWN);
  fTap(KEY_INPUT_RETURN);
  ASSERT_NE(options->fConfirmWindow(), nullptr);
  fTap(KEY_INPUT_NUMPADENTER);  // "no", chosen first
  EXPECT_EQ(options->fConfirmWindow(), nullptr);
  // Neither Enter can become a game key.
  for (const int enter : {KEY_INPUT_RETURN, KEY_INPUT_NUMPADENTER}) {
    EXPECT_FALSE(fKeyAssignmentProblem(0, enter).empty()) << enter;
  }
}

// After a send, whatever the answer, the menu is built afresh with the
// cursor where the player sent from: Z then tries the send again instead of
// starting a game.
TEST_F(TitleMenuTest, AfterASendTheCursorStaysOnTheSendItem) {
  fSetScores({{0, 0, false}, {1500, 2, false}, {900, 1, false}});
  fOpenMenu();
  while (fFocusedType(fMenu()) != EButtonType::RegistRanking) fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_Z);
  fTap(KEY_INPUT_K);  // wanpaku, the second mode listed
  ASSERT_EQ(fFocusedType(fMenu()), EButtonType::WanpakuMode);
  fTap(KEY_INPUT_Z);
  ASSERT_NE(fMenu().fNameEntryWindow(), nullptr);
  backend().fTypeText("neko");
  backend().fFinishTyping();
  fFrame();
  fFrame();
  ASSERT_TRUE(fMenu().fNameEntryWindow()->fIsAsking());
  fTap(KEY_INPUT_Z);  // yes: the send (no replay on disk: it says so, sends nothing)
  fFrame();
  fFrame();
  ASSERT_NE(fMenu().fMessageWindow(), nullptr);
  EXPECT_EQ(fMenu().fNameEntryWindow(), nullptr);
  fTap(KEY_INPUT_Z);  // the answer acknowledged
  ASSERT_EQ(fMenu().fMessageWindow(), nullptr);
  ASSERT_EQ(fMenu().fPanes().size(), 2u);
  EXPECT_EQ(fMenu().fPanes().front().buttons[static_cast<std::size_t>(fMenu().fPanes().front().cursor)].type,
            EButtonType::RegistRanking);
  EXPECT_EQ(fFocusedType(fMenu()), EButtonType::WanpakuMode);
  ASSERT_NE(fMenu().fInfoWindow(), nullptr) << "the focused mode's record shows, as after a key";
  fTap(KEY_INPUT_Z);
  EXPECT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr) << "no game started";
  EXPECT_NE(fMenu().fNameEntryWindow(), nullptr) << "Z sends again";
  fTap(KEY_INPUT_ESCAPE);
  fFrame();

  // A mode sent is no longer offered: the cursor stays on its neighbour, and
  // with no mode left, on the greyed send button of the top pane.
  gHighScores[2]->isRegistered = true;
  fMenu().fRebuildPanes();
  ASSERT_EQ(fMenu().fPanes().size(), 2u);
  EXPECT_EQ(fFocusedType(fMenu()), EButtonType::YoikoMode);
  gHighScores[1]->isRegistered = true;
  fMenu().fRebuildPanes();
  ASSERT_EQ(fMenu().fPanes().size(), 1u);
  EXPECT_EQ(fFocusedType(fMenu()), EButtonType::RegistRanking);
  EXPECT_EQ(fImageOf(fMenu().fPanes().back().buttons[2]), fImage("ui_parts/title_registranking_ng.png"));
  fTap(KEY_INPUT_Z);
  EXPECT_EQ(fMenu().fPanes().size(), 1u);
}

// A replay watched from the ranking list, once left, comes back to the list
// as it was sorted, at the entry watched, over the panes that lead to it; a
// best replay watched from the menu comes back to the menu alone.
TEST_F(TitleMenuTest, LeavingAReplayFromTheRankingReturnsToTheListAtTheEntryWatched) {
  fWriteWholeFile("dat/image/ui_parts/cursor_right.png", fPngHeader(16, 16));
  fWriteWholeFile("dat/image/ui_parts/cursor_left.png", fPngHeader(16, 16));
  gImageManager = std::make_unique<CImageManager>();
  CShowRankingWindow::SPlace list;
  list.mode = 1;
  for (int i = 0; i < 14; ++i) {
    SRankingData entry;
    entry.name = "p" + std::to_string(i);
    entry.score = 1000 - 10 * i;
    entry.maxRensa = i % 3;
    entry.replayName = "key" + std::to_string(i);
    entry.date = "2026/12/" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + " 10:20:30";
    list.entries.push_back(entry);
  }
  fOpenMenu().fReopenRanking(list);  // as a list just fetched: by score, the first entry
  fFrame();                          // the list sees every key up once
  ASSERT_NE(fMenu().fRankingWindow(), nullptr);
  EXPECT_EQ(fMenu().fRankingWindow()->fFocusedEntry().name, "p0");
  fTap(KEY_INPUT_C);  // by longest chain
  fTap(KEY_INPUT_L);  // page 2
  fTap(KEY_INPUT_K);
  const SRankingData watched = fMenu().fRankingWindow()->fFocusedEntry();
  fWriteWholeFile("dat/downloaded_replay_yoiko/" + watched.replayName,
                  fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/yoiko_seed456.zip"));
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();
  ASSERT_NE(dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  fRelease(KEY_INPUT_Z);
  fRunFrameLogic();
  fHold(KEY_INPUT_ESCAPE);
  fRunFrameLogic();
  fRelease(KEY_INPUT_ESCAPE);
  ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  fFrame();

  CShowRankingWindow* ranking = fMenu().fRankingWindow();
  ASSERT_NE(ranking, nullptr) << "back at the list";
  EXPECT_EQ(ranking->fSortBy(), CShowRankingWindow::ESortBy::MaxChain);
  EXPECT_EQ(ranking->fPage(), 1);
  EXPECT_EQ(ranking->fFocusedEntry().replayName, watched.replayName);
  EXPECT_EQ(ranking->fFocusedEntry().rank, watched.rank);
  ASSERT_EQ(fMenu().fPanes().size(), 2u);
  EXPECT_EQ(fMenu().fPanes().front().buttons[static_cast<std::size_t>(fMenu().fPanes().front().cursor)].type,
            EButtonType::ShowRanking);
  EXPECT_EQ(fMenu().fPanes().back().type, EPaneType::ShowRankingMode);
  EXPECT_EQ(fFocusedType(fMenu()), EButtonType::YoikoMode);
  // The list answers keys, and closing it shows the mode pane.
  fTap(KEY_INPUT_I);
  EXPECT_NE(ranking->fFocusedEntry().replayName, watched.replayName);
  fTap(KEY_INPUT_X);
  EXPECT_EQ(fMenu().fRankingWindow(), nullptr);
  EXPECT_EQ(fMenu().fPanes().size(), 2u);

  // A best replay is left for the menu alone: the list is not kept.
  fSetScores({{20600, 3, false}, {0, 0, false}, {0, 0, false}});
  fWriteWholeFile("dat/replay_plimo/replay", fReadWholeFile(std::string(PLIMO_FIXTURE_DIR) + "/plimo_seed123.zip"));
  fOpenMenu();
  fTap(KEY_INPUT_K);
  fTap(KEY_INPUT_Z);
  fHold(KEY_INPUT_Z);
  fRunFrameLogic();
  ASSERT_NE(dynamic_cast<CReplayTheatre*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  fRelease(KEY_INPUT_Z);
  fRunFrameLogic();
  fHold(KEY_INPUT_ESCAPE);
  fRunFrameLogic();
  fRelease(KEY_INPUT_ESCAPE);
  ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);
  gCurrentScene.fReleaseRetired();
  EXPECT_EQ(fMenu().fRankingWindow(), nullptr);
  EXPECT_EQ(fMenu().fPanes().size(), 1u);
}

// C on a mode of one's own replays races that replay: a normal game on its
// seed with the ghost beside it; a replay that cannot be read is reported
// and the menu goes on.
TEST_F(TitleMenuTest, CRacesTheStoredBestReplayOfTheMode) {
  fSetScores({{0, 0, false}, {1200, 3, false}, {0, 0, false}});
  fWriteWholeFile("dat/replay_yoiko/replay", replay_archives::fFixture("yoiko_seed456.zip"));
  // The stage's pictures, for its first draw.
  for (const char* name : {"bg.png", "ui_parts/menu.png", "ui_parts/hold_waku.png", "ui_parts/hold.png",
                           "ui_parts/next_waku.png", "ui_parts/next.png", "ui_parts/ready.png", "ui_parts/go.png"}) {
    fWriteWholeFile(std::string("dat/image/") + name, fPngHeader(8, 8));
  }
  for (int colour = 0; colour < kColourCount; ++colour) {
    fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + fColourName(colour) + ".png", fPngHeader(8, 8));
  }
  gImageManager = std::make_unique<CImageManager>();
  fOpenMenu();
  fTap(KEY_INPUT_K);  // the replay button
  fTap(KEY_INPUT_Z);  // its pane: yoiko alone
  ASSERT_EQ(fMenu().fPanes().back().type, EPaneType::ReplayMode);
  fTap(KEY_INPUT_C);
  auto* race = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  ASSERT_NE(race, nullptr);
  ASSERT_NE(race->race, nullptr);
  EXPECT_EQ(race->rules.mode, 1);
  EXPECT_EQ(race->rules.fRandom().fGetSeed(), 456);
  EXPECT_EQ(race->replayInfo.mode, SReplayInfo::EMode::Normal);
  race->fReleaseModels();
  gCurrentScene.fClear();

  for (const auto& [fault, bytes] : replay_archives::fBadArchives("yoiko")) {
    SCOPED_TRACE(fault);
    fWriteWholeFile("dat/replay_yoiko/replay", bytes);
    fOpenMenu();
    fTap(KEY_INPUT_K);
    fTap(KEY_INPUT_Z);
    fTap(KEY_INPUT_C);
    ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr) << "the game goes on";
    EXPECT_NE(fMenu().fMessageWindow(), nullptr);
  }
}

}  // namespace
