// Every screen in both languages on the headless backend: each string drawn
// must come from the language's table (a line of a text, a format filled in,
// or an option label followed by its value), English screens show no
// Japanese at all but the name of the language itself, and every string of
// every picture fits: on the screen, inside its window or panel and over no
// other string, measured no narrower than the real fonts draw it. Banners
// and backings cross neither one another nor strings not their own, and
// small strings keep 4.5:1 on whatever may show behind them (over the play,
// anything at all).
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <regex>
#include <set>
#include <utility>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "gfx/CSoundManager.h"
#include "gui/GuiFixture.h"
#include "menu/CDailyWindow.h"
#include "menu/CShowRankingWindow.h"
#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"
#include "stage/CReplayTheatre.h"
#include "support/ReplayArchives.h"
#include "support/TextFit.h"
#include "persist/Settings.h"
#include "stage/CPlimoStage.h"
#include "stage/RaceGhost.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/CFpsTimer.h"

namespace {

// printf conversions stand for any text; everything else is literal.
std::string fPatternOf(const std::string& line) {
  std::string pattern;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '%') {
      std::size_t j = i + 1;
      while (j < line.size() && std::string(" -+#0123456789.").find(line[j]) != std::string::npos) ++j;
      pattern += ".*";
      i = j;
    } else if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
      pattern += '\\';
      pattern += c;
    } else {
      pattern += c;
    }
  }
  return pattern;
}

std::vector<std::regex> fTablePatterns(ELanguage language) {
  std::vector<std::regex> patterns;
  for (const STextEntry& entry : fTextTable(language)) {
    const std::string text = entry.text;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      const std::string pattern = fPatternOf(line);
      // Labels are followed by their value (a key name, a number, a choice).
      const bool label = line.back() == ':' || line.back() == ' ';
      patterns.emplace_back(label ? pattern + ".*" : pattern);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return patterns;
}

// What the stage's head-up display draws: English pictures and numbers in
// every language.
const std::regex kHud("LV:\\d+|SCORE:|HIGH SCORE:|CREATED:|\\(\\d+/\\d+\\)|[\\d,]+");

std::string fDrawnText(const std::string& call) {
  const std::size_t first = call.find('"');
  const std::size_t last = call.rfind('"');
  return first == std::string::npos || last <= first ? "" : call.substr(first + 1, last - first - 1);
}

// The dialog background's colour (tools/assetgen: window1_bg.png).
constexpr unsigned int kWindowNavy = 0x1C2656;

class ScreenWalkTest : public GuiFixture, public ::testing::WithParamInterface<ELanguage> {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    fReplaceTitleMenuScene({});
    fMakeDataFolders();
    for (const std::string suffix : {"", "_en"}) {
      for (const char* name : {"menu_bg", "title_play", "title_showreplay", "title_registranking",
                               "title_showranking", "title_daily", "title_option", "title_howtoplay", "title_quit", "title_plimomode",
                               "title_yoikomode", "title_wanpakumode", "cursor_right", "cursor_left"}) {
        fWriteWholeFile(std::string("dat/image/ui_parts/") + name + suffix + ".png", fPngHeader(200, 40));
        fWriteWholeFile(std::string("dat/image/ui_parts/") + name + "_f" + suffix + ".png", fPngHeader(200, 40));
      }
    }
    fWriteWholeFile("dat/image/title.png", fPngHeader(640, 480));
    // The help's row of balls with their symbols.
    for (const char* colour : {"red", "green", "blue", "yellow", "purple", "lightblue"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + colour + "_s.png", fPngHeader(44, 44));
    }
    gImageManager = std::make_unique<CImageManager>();
    gFpsTimer = std::make_unique<CFpsTimer>(false, true);
    gSoundManager = std::make_unique<CSoundManager>(false);
    // Every font as the game makes it, so that every string is measured.
    mSavedFonts = {gFontMenu, gFontSmall, gFontLarge};
    gFontTitle = CreateFontToHandle(nullptr, 28, 9, DX_FONTTYPE_ANTIALIASING_EDGE);
    gFontText = CreateFontToHandle(nullptr, 18, 0, DX_FONTTYPE_ANTIALIASING);
    gFontMenu = CreateFontToHandle(nullptr, 24, 0, DX_FONTTYPE_ANTIALIASING);
    gFontSmall = CreateFontToHandle("Arial Black", 12, 0, DX_FONTTYPE_NORMAL);
    gFontLarge = CreateFontToHandle("Arial Black", 36, 0, DX_FONTTYPE_ANTIALIASING, 0);
    gHighScores.clear();
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(1234567, 4, false));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(500, 1, true));
    gHighScores.push_back(std::make_shared<CHighScoreInfo>(0, 0, false));
    gSettings = SSettings{};
    fSetLanguage(GetParam());
    backend().fSetLogging(true);
  }
  void TearDown() override {
    gFontMenu = mSavedFonts[0];
    gFontSmall = mSavedFonts[1];
    gFontLarge = mSavedFonts[2];
    gCurrentScene.fClear();
    gFpsTimer.reset();
    gSoundManager.reset();
    fSetLanguage(ELanguage::Japanese);
    gSettings = SSettings{};
    GuiFixture::TearDown();
  }

  void fFrame() {
    fRunFrameLogic();
    backend().fClearDrawn();
    gCurrentScene->fDraw();
    fCheckPicture();
    gCurrentScene.fReleaseRetired();
  }

  // Frames: windows' rendered backgrounds, filled boxes and the stage's
  // score panel.
  bool fIsFrame(const SDrawnItem& item) const {
    if (item.kind == SDrawnItem::EKind::Box) return item.x2 - item.x1 >= 10 && item.y2 - item.y1 >= 10;
    if (backend().fIsMadeGraph(item.graph)) return true;
    return mPanelGraph >= 0 && item.graph == mPanelGraph;
  }
  // Banners: boxes of any size that hold or back a string.
  static bool fIsBanner(const SDrawnItem& item) {
    return item.kind == SDrawnItem::EKind::Box && item.x2 - item.x1 >= 10 && item.y2 - item.y1 >= 10;
  }
  // The strings drawn since the last check, as one picture, with its
  // banners and its small strings' contrast.
  void fCheckPicture(bool overPlay = false) {
    const auto& drawn = backend().fDrawn();
    // Over the play, a box is a frame only when it holds something: the
    // effects' flashes and the timeline's marks are none.
    const std::vector<bool> holds = fHolders(drawn, fIsBanner);
    auto isFrame = [&](const SDrawnItem& item) {
      if (overPlay && item.kind == SDrawnItem::EKind::Box) return holds[static_cast<std::size_t>(&item - drawn.data())];
      return fIsFrame(item);
    };
    for (const std::string& fault : fTextFitFaults(drawn, isFrame)) fitFaults.insert(fault);
    for (const std::string& fault : fBannerFaults(drawn, fIsBanner)) fitFaults.insert(fault);
    // Windows are made from the dialog background, one flat navy.
    auto windowColour = [this](const SDrawnItem& item) -> std::optional<unsigned int> {
      if (backend().fIsMadeGraph(item.graph)) return kWindowNavy;
      return std::nullopt;
    };
    for (const std::string& fault : fContrastFaults(drawn, windowColour)) fitFaults.insert(fault);
    backend().fClearDrawn();
  }
  const CHeadlessBackend& backend() const { return const_cast<ScreenWalkTest*>(this)->GuiFixture::backend(); }
  using GuiFixture::backend;
  void fTap(int keyCode, int times = 1) {
    for (int i = 0; i < times; ++i) {
      fHold(keyCode);
      fFrame();
      fRelease(keyCode);
      fFrame();
    }
  }
  CTitleMenu& fMenu() { return *dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()); }

  void fWalkTitleMenu() {
    gCurrentScene = std::make_unique<CTitle>();
    fFrame();
    fTap(KEY_INPUT_Z);
    ASSERT_NE(dynamic_cast<CTitleMenu*>(gCurrentScene.fGet()), nullptr);
    fTap(KEY_INPUT_Z);         // play: the three mode descriptions
    fTap(KEY_INPUT_DOWN, 2);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);      // replays: the high-score summaries
    fTap(KEY_INPUT_Z);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);      // registration: name entry and its question
    fTap(KEY_INPUT_Z);
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fNameEntryWindow(), nullptr);
    backend().fTypeText("abc");
    backend().fFinishTyping();
    fFrame();
    fFrame();
    fTap(KEY_INPUT_X);         // "no": typing again
    backend().fCancelTyping();
    fFrame();
    // The X that answered "no" is seen released only now; the second closes.
    fTap(KEY_INPUT_X, 2);
    ASSERT_EQ(fMenu().fPanes().size(), 1u);
    fTap(KEY_INPUT_DOWN, 2);   // how to play: every page
    fTap(KEY_INPUT_DOWN, 2);
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fHelpWindow(), nullptr);
    fTap(KEY_INPUT_RIGHT, CHelpWindow::fPageCount());
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_UP);        // options: the three pages
    fTap(KEY_INPUT_Z);
    ASSERT_NE(fMenu().fOptionMenu(), nullptr);
    fTap(KEY_INPUT_DOWN, 5);
    fTap(KEY_INPUT_Z);
    ASSERT_EQ(fMenu().fOptionMenu()->fPage(), COptionMenu::EPage::Keyboard);
    fTap(KEY_INPUT_Z);         // learning, then a refused key
    fTap(KEY_INPUT_C);
    fFrame();
    fTap(KEY_INPUT_UP);
    fTap(KEY_INPUT_Z);         // back to defaults
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);
    ASSERT_EQ(fMenu().fOptionMenu()->fPage(), COptionMenu::EPage::Pad);
    fTap(KEY_INPUT_X);
    fTap(KEY_INPUT_DOWN);
    fTap(KEY_INPUT_Z);         // all defaults
    fTap(KEY_INPUT_X);
    ASSERT_EQ(fMenu().fOptionMenu(), nullptr);
    // The server's notices, as the menu shows them.
    for (const ETextId text : {ETextId::Connecting, ETextId::RankingConnectionFailed, ETextId::RankingNoData,
                               ETextId::NoReplay, ETextId::BadReplay}) {
      fMenu().fShowMessage(fText(text));
      fFrame();
      fTap(KEY_INPUT_Z);
    }
    fMenu().fShowMessage(fFormatText(ETextId::RankingUploadSuccessFormat, 3));
    fFrame();
    fTap(KEY_INPUT_Z);
    // The daily challenge's notices: no server, every answer to a send.
    std::vector<std::string> notices = {fText(ETextId::DailyNoServer), fText(ETextId::DailyBadAnswer),
                                        fText(ETextId::DailyNothingToSend),
                                        fFormatText(ETextId::DailyUploadSuccessFormat, 1234)};
    for (const char* reason : {"wrong seed", "day is over", "bad date", "not better than your best today",
                               "replay already registered"}) {
      notices.push_back(fDailyRefusalText(reason));
    }
    for (const std::string& notice : notices) {
      fMenu().fShowMessage(notice);
      fFrame();
      fTap(KEY_INPUT_Z);
    }
  }

  // The daily screen: a mode with the player in its top three and a game
  // to send, a day nobody played, a list that could not be read; each mode
  // chosen in turn, then the day's end.
  void fWalkDaily() {
    gSettings.rankingName = "WWWWWWWW";
    SDailyView view;
    view.info.date = "2026-12-08";
    view.info.secondsLeft = 3 * 3600 + 25 * 60 + 9;
    view.modes[0].list.ok = true;
    for (int i = 0; i < 5; ++i) {
      SRankingData entry;
      entry.rank = i + 1;
      entry.name = i == 1 ? "WWWWWWWW" : "MMMMMMM" + std::to_string(i);
      entry.score = 9999999 - i * 1000000;
      view.modes[0].list.entries.push_back(entry);
    }
    view.modes[0].kept = SKeptDaily{"", "2026-12-08", false, 1234567, 9};
    view.modes[1].list.ok = true;
    view.modes[2].list.message = fText(ETextId::DailyListFailed);
    view.modes[2].kept = SKeptDaily{"", "2026-12-08", true, 500, 1};
    CDailyWindow window(view);
    for (int mode = 0; mode < kModeCount; ++mode) {
      backend().fClearDrawn();
      window.fDraw();
      fCheckPicture();
      fHold(KEY_INPUT_DOWN);
      gKeyManager->fUpdateKeyState();
      window.fInput();
      fRelease(KEY_INPUT_DOWN);
      gKeyManager->fUpdateKeyState();
      window.fInput();
    }
    EXPECT_EQ(window.fFocusedMode(), kModeCount - 1);
    for (int i = 0; i < view.info.secondsLeft * CDailyWindow::kFramesASecond; ++i) window.fAnimate();
    ASSERT_EQ(window.fSecondsLeft(), 0);
    backend().fClearDrawn();
    window.fDraw();
    fCheckPicture();
    gSettings.rankingName.clear();
  }

  void fWalkRanking() {
    std::vector<SRankingData> entries(12);
    for (int i = 0; i < 12; ++i) {
      entries[static_cast<std::size_t>(i)].name = "p" + std::to_string(i);
      entries[static_cast<std::size_t>(i)].score = 1000 - i;
      entries[static_cast<std::size_t>(i)].date = "2026-12-07 10:00:00";
    }
    CShowRankingWindow window(entries, 0);
    window.onClose = [] {};
    for (int sort = 0; sort < 3; ++sort) {
      backend().fClearDrawn();
      window.fDraw();
      fCheckPicture();
      fHold(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
      fRelease(KEY_INPUT_C);
      gKeyManager->fUpdateKeyState();
      window.fInput();
    }
    // A day's daily list, and a day nobody played.
    for (const auto& list : {entries, std::vector<SRankingData>{}}) {
      CShowRankingWindow::SPlace place;
      place.entries = list;
      place.day = "2026-12-08";
      CShowRankingWindow daily(place);
      backend().fClearDrawn();
      daily.fDraw();
      fCheckPicture();
    }
  }

  void fWalkStage() {
    // The stage's pictures are not part of this walk.
    auto images = std::move(gImageManager);
    gCurrentScene = std::make_unique<CPlimoStage>(0, SReplayInfo::fNormal(0));
    auto& stage = *static_cast<CPlimoStage*>(gCurrentScene.fGet());
    for (int i = 0; i < 130; ++i) fFrame();
    fTap(KEY_INPUT_P);
    ASSERT_TRUE(stage.paused);
    fTap(KEY_INPUT_P);
    stage.rules.fEnterState(CPlimoStage::EState::GameOver, 0);
    stage.fDraw();
    gCurrentScene.fClear();
    gImageManager = std::move(images);
  }

  // The stage with its pictures at their real sizes: a chain running, the
  // pause, the two ends with and without a new record, a practice game.
  void fWalkStageScreens() {
    const std::map<std::string, std::pair<int, int>> pictures = {
        {"bg.png", {640, 480}},          {"ui_parts/menu.png", {266, 480}},
        {"ui_parts/gameover.png", {300, 80}}, {"ui_parts/stageclear.png", {300, 80}},
        {"ui_parts/save_highscore.png", {230, 60}}, {"ui_parts/hold_waku.png", {80, 60}},
        {"ui_parts/hold.png", {25, 60}},          {"ui_parts/next_waku.png", {200, 60}},
        {"ui_parts/next.png", {66, 20}},          {"ui_parts/ready.png", {200, 70}},
        {"ui_parts/go.png", {120, 70}}};
    for (const char* colour : {"red", "green", "blue", "yellow", "purple", "lightblue", "ozyama"}) {
      fWriteWholeFile(std::string("dat/image/ui_parts/plimoball_") + colour + ".png", fPngHeader(44, 44));
    }
    for (const auto& [name, size] : pictures) {
      fWriteWholeFile("dat/image/" + name, fPngHeader(size.first, size.second));
    }
    gImageManager = std::make_unique<CImageManager>();
    mPanelGraph = fImage("ui_parts/menu.png");
    gCurrentScene = std::make_unique<CPlimoStage>(0, SReplayInfo::fNormal(0));
    auto& stage = *static_cast<CPlimoStage*>(gCurrentScene.fGet());
    for (int i = 0; i < 130; ++i) fFrame();
    auto picture = [&] {
      backend().fClearDrawn();
      stage.fDraw();
      fCheckPicture(true);
    };
    stage.rules.rensa = 3;
    stage.rules.frameCount = 0;  // the running chain shows
    picture();
    stage.rules.rensa = 0;
    fTap(KEY_INPUT_P);
    fTap(KEY_INPUT_P);
    for (const auto state : {CPlimoStage::EState::GameOver, CPlimoStage::EState::StageClear}) {
      for (const int best : {0, 1234567}) {
        gHighScores[0]->score = best;
        stage.rules.score = 5000;
        stage.rules.fEnterState(state, 0);
        picture();
      }
      stage.replayInfo.mode = SReplayInfo::EMode::Practice;
      picture();
      stage.replayInfo.mode = SReplayInfo::EMode::Normal;
      stage.replayInfo.dailyDate = "2026-12-08";
      picture();
      stage.replayInfo.dailyDate.clear();
    }
    gHighScores[0]->score = 1234567;
    gCurrentScene.fClear();
  }

  // A race of the wanpaku fixture (the tallest ghost box): under way, with
  // a ghost that topped out, and at the player's end with each end line.
  void fWalkRace() {
    // Without the stage's pictures (the walk of every string), none are drawn.
    auto images = fFileExists("dat/image/bg.png") ? nullptr : std::move(gImageManager);
    const auto checked = std::make_shared<const SCheckedReplay>(
        fCheckReplayArchive(replay_archives::fFixture("wanpaku_seed789.zip"), "the ghost"));
    // The walk's pictures have garbage's plain look only.
    const bool symbols = std::exchange(gSettings.ballSymbols, false);
    gCurrentScene = std::make_unique<CPlimoStage>(2, SReplayInfo::fRace(checked));
    auto& stage = *static_cast<CPlimoStage*>(gCurrentScene.fGet());
    stage.fAnimate();
    auto picture = [&] {
      backend().fClearDrawn();
      stage.fDraw();
      fCheckPicture(true);
    };
    for (int i = 0; i < 900; ++i) fRunFrameLogic();
    picture();
    // The same ghost played to its end by the rules alone.
    stage.race = std::make_unique<CRaceGhost>(checked);
    for (int i = 0; i < 200000 && !stage.race->fIsFinished(); ++i) stage.race->fFrame();
    ASSERT_TRUE(stage.race->fIsFinished());
    picture();
    // Ahead, behind and level with the ghost's final score.
    for (const int score : {1234567, 0, stage.race->fRules().score}) {
      stage.race = std::make_unique<CRaceGhost>(checked);
      for (int i = 0; i < 200000 && !stage.race->fIsFinished(); ++i) stage.race->fFrame();
      stage.rules.score = score;
      stage.rules.fEnterState(CPlimoStage::EState::GameOver, 0);
      stage.race->fNotePlayerEnd(score);
      picture();
    }
    stage.fReleaseModels();
    gCurrentScene.fClear();
    if (images) gImageManager = std::move(images);
    gSettings.ballSymbols = symbols;
  }

  // A replay in the theatre: playing, paused with its help, and at its end.
  void fWalkTheatre() {
    const SReplayInfo info = SReplayInfo::fReplay(0);
    fWriteWholeFile(info.path, replay_archives::fFixture("plimo_seed123.zip"));
    SReplayInfo named = info;
    named.player = "WWWWWWWW";
    named.date = "2026/12/07 17:12:45";
    gCurrentScene = std::make_unique<CReplayTheatre>(0, named);
    auto& theatre = *static_cast<CReplayTheatre*>(gCurrentScene.fGet());
    auto picture = [&] {
      backend().fClearDrawn();
      theatre.fDraw();
      fCheckPicture(true);
    };
    theatre.fAnimate();
    picture();
    theatre.fSetPaused(true);
    picture();
    // The slowest speed just chosen, and a level-up's banner while paused
    // with the timeline, its legend and the help lines.
    theatre.fSetSpeed(0);
    picture();
    fWalkTheatreLevelUp(theatre, picture);
    theatre.fJumpTo(theatre.fLastFrame());
    ASSERT_NE(theatre.fStage().rules.state, CPlimoStage::EState::Playing);
    // A replay's end offers no new game: the theatre's own line instead.
    backend().fClearDrawn();
    theatre.fDraw();
    std::set<std::string> endTexts;
    for (const auto& item : backend().fDrawn()) endTexts.insert(item.text);
    EXPECT_EQ(endTexts.count(fText(ETextId::TheatreEndLine)), 1u);
    EXPECT_EQ(endTexts.count(fFormatText(ETextId::EndHintFormat, fKeyboardKeyName(EGameKey::KeyZ).c_str(),
                                         fKeyboardKeyName(EGameKey::KeyX).c_str())),
              0u);
    picture();
    theatre.fSetPaused(false);
    picture();
    backend().fSetPadCount(1);
    theatre.fSetPaused(true);
    picture();
    backend().fSetPadCount(0);
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
  }

  // Paused a few frames after the replay's first level-up, its banner up.
  template <class TPicture>
  void fWalkTheatreLevelUp(CReplayTheatre& theatre, TPicture& picture) {
    ASSERT_FALSE(theatre.fMarks().levelUps.empty()) << "the replay reaches no new level";
    // Past the banner's slide-in (its first tenth).
    theatre.fJumpTo(theatre.fMarks().levelUps.front() - 2);
    for (int i = 0; i < CStageEffects::kLevelUpFrames / 10 + 4; ++i) theatre.fStepForward();
    theatre.fSetPaused(true);
    const auto& effects = theatre.fStage().fEffects().fLive();
    ASSERT_TRUE(std::any_of(effects.begin(), effects.end(),
                            [](const SStageEffect& effect) { return effect.kind == EStageEffect::LevelUp; }));
    picture();
  }

  // A replay's stage played straight, as a game is (its map and level-up
  // band where a game has them), drawn a moment into its first level-up
  // with the chain or points that brought it.
  void fWalkStageLevelUp(int mode, const char* fixture) {
    const SReplayInfo info = SReplayInfo::fReplay(mode);
    fWriteWholeFile(info.path, replay_archives::fFixture(fixture));
    {
      CPlimoStage stage(mode, info);
      stage.fAnimate();
      long long since = -1;
      for (long long frame = 0; frame < 200000 && since < CStageEffects::kLevelUpFrames / 10 + 4; ++frame) {
        gKeyManager->fUpdateKeyState();
        stage.fUpdate();
        stage.fAnimate();
        const auto& effects = stage.fEffects().fLive();
        const bool levelUp = std::any_of(effects.begin(), effects.end(),
                                         [](const SStageEffect& effect) { return effect.kind == EStageEffect::LevelUp; });
        if (levelUp || since >= 0) ++since;
      }
      ASSERT_GE(since, 0) << fixture << " reaches no new level";
      backend().fClearDrawn();
      stage.fDraw();
      fCheckPicture(true);
      stage.fReleaseModels();
    }
    gKeyManager = std::make_unique<CKeyManager>();
  }

  // The wanpaku box (the widest map) in the theatre: paused at a level-up,
  // with the player's name.
  void fWalkWanpakuTheatre() {
    const SReplayInfo info = SReplayInfo::fReplay(2);
    fWriteWholeFile(info.path, replay_archives::fFixture("wanpaku_seed789.zip"));
    SReplayInfo named = info;
    named.player = "WWWWWWWW";
    named.date = "2026/12/07 17:12:45";
    gCurrentScene = std::make_unique<CReplayTheatre>(2, named);
    auto& theatre = *static_cast<CReplayTheatre*>(gCurrentScene.fGet());
    auto picture = [&] {
      backend().fClearDrawn();
      theatre.fDraw();
      fCheckPicture(true);
    };
    theatre.fAnimate();
    fWalkTheatreLevelUp(theatre, picture);
    // Every chain with its pop-up, points and bursts, the timeline up (a jump
    // shows it), at the pop-up's first frames and once it has settled.
    ASSERT_FALSE(theatre.fMarks().chains.empty());
    theatre.fSetPaused(false);
    for (const auto& chain : theatre.fMarks().chains) {
      theatre.fJumpTo(chain.frame - 1);
      for (int i = 0; i < 12; ++i) {
        theatre.fStepForward();
        if (i == 2 || i == 11) picture();
      }
    }
    gCurrentScene.fClear();
    gKeyManager = std::make_unique<CKeyManager>();
  }

  std::set<std::string> fitFaults;
  std::array<int, 3> mSavedFonts{};
  int mPanelGraph = -1;
};

TEST_P(ScreenWalkTest, EveryDrawnStringComesFromTheTable) {
  fWalkTitleMenu();
  fWalkRanking();
  fWalkDaily();
  fWalkStage();
  fWalkRace();

  const auto patterns = fTablePatterns(GetParam());
  std::set<std::string> drawn;
  for (const std::string& call : backend().fLogOf({"DrawStringToHandle", "DrawString"})) {
    drawn.insert(fDrawnText(call));
  }
  EXPECT_GT(drawn.size(), 60u) << "the walk reached too few screens";
  for (const std::string& text : drawn) {
    if (text.empty() || text == "abc" || std::regex_match(text, kHud)) continue;
    const bool fromTable = std::any_of(patterns.begin(), patterns.end(),
                                       [&](const std::regex& pattern) { return std::regex_match(text, pattern); });
    EXPECT_TRUE(fromTable) << "not from the table: \"" << text << "\"";
    if (GetParam() == ELanguage::English) {
      std::string rest = text;
      for (std::size_t at; (at = rest.find("日本語")) != std::string::npos;) rest.erase(at, std::string("日本語").size());
      // Kana, kanji and full-width forms (U+3000 on) start with 0xE3 or more.
      for (const unsigned char c : rest) EXPECT_LT(c, 0xE3) << "Japanese on an English screen: \"" << text << "\"";
    }
  }
}

// The back screen is 640 x 480 at every window size and is scaled as a
// whole; the walk runs at each size all the same, so that a layout that
// ever follows the window's size is checked too.
TEST_P(ScreenWalkTest, EveryStringFitsItsFrameAtEveryWindowSize) {
  for (int scale = 0; scale < static_cast<int>(kWindowScales.size()); ++scale) {
    SCOPED_TRACE("window size x" + std::to_string(kWindowScales[static_cast<std::size_t>(scale)]));
    gSettings.windowScale = scale;
    SetWindowSizeExtendRate(kWindowScales[static_cast<std::size_t>(scale)]);
    fitFaults.clear();
    fWalkTitleMenu();
    fWalkRanking();
    fWalkDaily();
    fWalkStageScreens();
    fWalkRace();
    fWalkTheatre();
    fWalkWanpakuTheatre();
    fWalkStageLevelUp(0, "plimo_seed123.zip");
    fWalkStageLevelUp(2, "wanpaku_seed789.zip");
    for (const std::string& fault : fitFaults) ADD_FAILURE() << fault;
    EXPECT_TRUE(fitFaults.empty());
    backend().fClearLog();
  }
}

// The checks the walk runs over the play, on pictures made by hand.
SDrawnItem fBox(int x1, int y1, int x2, int y2, unsigned int colour, int alpha = 255) {
  SDrawnItem item;
  item.kind = SDrawnItem::EKind::Box;
  item.x1 = x1, item.y1 = y1, item.x2 = x2, item.y2 = y2;
  item.colour = colour;
  item.blendMode = alpha >= 255 ? DX_BLENDMODE_NOBLEND : DX_BLENDMODE_ALPHA;
  item.blendParam = alpha;
  return item;
}
SDrawnItem fString(int x1, int y1, int x2, int y2, unsigned int colour, int size = 12) {
  SDrawnItem item;
  item.kind = SDrawnItem::EKind::Text;
  item.x1 = x1, item.y1 = y1, item.x2 = x2, item.y2 = y2;
  item.text = "t";
  item.colour = colour;
  item.fontSize = size;
  return item;
}
SDrawnItem fPlay() {
  SDrawnItem item;
  item.kind = SDrawnItem::EKind::Picture;
  item.x2 = 640, item.y2 = 480;
  return item;
}
bool fAnyBox(const SDrawnItem& item) { return item.kind == SDrawnItem::EKind::Box; }

TEST(ScreenChecksTest, ContrastFollowsWcagLuminance) {
  EXPECT_NEAR(fContrastRatio(fRelativeLuminance(0xFFFFFF), fRelativeLuminance(0x000000)), 21.0, 1e-9);
  EXPECT_NEAR(fContrastRatio(fRelativeLuminance(0x777777), fRelativeLuminance(0xFFFFFF)), 4.48, 0.01);
  EXPECT_NEAR(fRelativeLuminance(0xFF0000), 0.2126, 1e-4);
  // A backdrop that may be any colour leaves no contrast at all.
  EXPECT_DOUBLE_EQ(fWorstContrast(0xFFFFFF, SBackdrop{}), 1.0);
}

TEST(ScreenChecksTest, SmallTextNeedsABackingDarkEnoughOverAnyPlay) {
  // White 12 px text on the play alone, then on black backings of rising opacity.
  EXPECT_EQ(fContrastFaults({fPlay(), fString(10, 10, 100, 24, 0xFFFFFF)}).size(), 1u);
  EXPECT_EQ(fContrastFaults({fPlay(), fBox(5, 5, 110, 30, 0, 110), fString(10, 10, 100, 24, 0xFFFFFF)}).size(), 1u);
  EXPECT_TRUE(fContrastFaults({fPlay(), fBox(5, 5, 110, 30, 0, 170), fString(10, 10, 100, 24, 0xFFFFFF)}).empty());
  // A backing under part of the string only leaves the rest on the play.
  EXPECT_EQ(fContrastFaults({fPlay(), fBox(5, 5, 50, 30, 0), fString(10, 10, 100, 24, 0xFFFFFF)}).size(), 1u);
  // A light mark touching a string on its backing spoils it.
  EXPECT_EQ(fContrastFaults({fPlay(), fBox(5, 5, 110, 30, 0), fBox(40, 20, 41, 26, 0xFF6464),
                             fString(10, 10, 100, 24, 0xFFFFFF)})
                .size(),
            1u);
  // Large text is left to its edge and size.
  EXPECT_TRUE(fContrastFaults({fPlay(), fString(10, 10, 100, 46, 0xFFFFFF, 36)}).empty());
  // Dark text on a mid green cell reads; white does not.
  EXPECT_TRUE(fContrastFaults({fBox(0, 0, 18, 18, 0x62AA46), fString(4, 2, 12, 14, 0x000000)}).empty());
  EXPECT_EQ(fContrastFaults({fBox(0, 0, 18, 18, 0x62AA46), fString(4, 2, 12, 14, 0xFFFFFF)}).size(), 1u);
}

TEST(ScreenChecksTest, BannersNeitherCrossNorCarryAnotherBannersString) {
  const SDrawnItem band = fBox(0, 164, 374, 210, 0x14143C, 150);
  const SDrawnItem bandText = fString(100, 170, 280, 200, 0xFFFF6E, 26);
  const SDrawnItem backing = fBox(6, 138, 368, 187, 0, 170);
  const SDrawnItem legend = fString(22, 171, 262, 183, 0xFFFFFF);
  // The timeline's backing across the level-up band: both faults.
  const auto faults = fBannerFaults({band, bandText, backing, legend}, fAnyBox);
  EXPECT_EQ(std::count_if(faults.begin(), faults.end(), [](const std::string& f) { return f.find("cross") != std::string::npos; }),
            1);
  EXPECT_GE(faults.size(), 2u);
  // The band moved below the timeline: nothing meets.
  const SDrawnItem lowBand = fBox(86, 190, 354, 232, 0x14143C, 150);
  const SDrawnItem lowText = fString(110, 196, 330, 226, 0xFFFF6E, 26);
  EXPECT_TRUE(fBannerFaults({lowBand, lowText, backing, legend}, fAnyBox).empty());
  // A string on nested banners (a map's cell inside its backing) is fine.
  EXPECT_TRUE(fBannerFaults({fBox(7, 192, 67, 252, 0), fBox(11, 196, 27, 212, 0x62AA46), fString(15, 197, 23, 209, 0)},
                            fAnyBox)
                  .empty());
  // A banner (with its own string) drawn over an earlier string hides it;
  // a string with no banner of its own over another's band is on it.
  EXPECT_EQ(fBannerFaults({fString(20, 20, 60, 34, 0xFFFFFF), fBox(10, 10, 100, 40, 0), fString(70, 15, 95, 30, 0xFFFFFF)},
                          fAnyBox)
                .size(),
            1u);
  EXPECT_EQ(fBannerFaults({band, bandText, fString(171, 191, 195, 213, 0xFFFFFF, 20)}, fAnyBox).size(), 1u);
  // A box that holds nothing (an effect's flash) is no banner.
  EXPECT_TRUE(fBannerFaults({fBox(10, 10, 24, 24, 0xFFFFFF, 120), fBox(0, 0, 200, 40, 0), fString(5, 5, 150, 20, 0xFFFFFF)},
                            fAnyBox)
                  .empty());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScreenWalkTest, ::testing::Values(ELanguage::Japanese, ELanguage::English),
                         [](const auto& info) { return info.param == ELanguage::English ? "English" : "Japanese"; });

}  // namespace
