// The title menu's button panes: which buttons each pane holds, what they do,
// and how the cursor moves over them.
#include <algorithm>
#include <cstdio>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "menu/CTitle.h"
#include "menu/CTitleMenu.h"
#include "persist/Records.h"
#include "stage/CPlimoStage.h"
#include "rules/StageModes.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

constexpr int kFirstButtonY = 20;
constexpr int kButtonSpacing = 50;
constexpr int kTopPaneX = 20;
constexpr int kModePaneX = 300;

using EButtonType = CTitleMenu::EButtonType;
using EPaneType = CTitleMenu::EPaneType;

const char* const kModeButtons[kModeCount] = {"title_plimomode", "title_yoikomode", "title_wanpakumode"};
const EButtonType kModeButtonTypes[kModeCount] = {EButtonType::PlimoMode, EButtonType::YoikoMode,
                                                  EButtonType::WanpakuMode};

// "ui_parts/<name>.png" and its focused look.
CTitleMenu::SButton fMakeButton(EButtonType type, const std::string& image, const std::string& focusedImage) {
  CTitleMenu::SButton button;
  button.type = type;
  // English players get the pictures with English labels.
  const std::string suffix = fCurrentLanguage() == ELanguage::English ? "_en" : "";
  button.image = fGetDrawData("ui_parts/" + image + suffix + ".png");
  button.focusedImage = fGetDrawData("ui_parts/" + focusedImage + suffix + ".png");
  return button;
}

bool fHasScore(int mode) { return gHighScores[static_cast<std::size_t>(mode)]->score > 0; }
bool fCanRegister(int mode) { return fHasScore(mode) && !gHighScores[static_cast<std::size_t>(mode)]->isRegistered; }

bool fAnyMode(bool (*test)(int)) {
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (test(mode)) return true;
  }
  return false;
}

void fRun(const std::function<void()>& action) {
  if (action) action();
}

// The index of the pane's button of that type, or -1.
int fButtonIndex(const CTitleMenu::SPane& pane, EButtonType type) {
  for (std::size_t i = 0; i < pane.buttons.size(); ++i) {
    if (pane.buttons[i].type == type) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::string fModeDescription(int mode) {
  switch (mode) {
    case 0: return fText(ETextId::ModeDescriptionPlimo);
    case 1: return fText(ETextId::ModeDescriptionYoiko);
    case 2: return fText(ETextId::ModeDescriptionWanpaku);
  }
  PLIMO_ASSERT(false, "mode out of range");
  return "";
}

std::string fHighScoreSummary(int mode) {
  PLIMO_ASSERT(mode >= 0 && mode < kModeCount, "mode out of range");
  const CHighScoreInfo& record = *gHighScores[static_cast<std::size_t>(mode)];
  return fFormatText(ETextId::HighScoreSummaryFormat, fWithThousandsSeparators(record.score).c_str(), record.maxRensa,
                     fText(record.isRegistered ? ETextId::Registered : ETextId::NotRegistered));
}

CTitleMenu::SPane CTitleMenu::fCreatePane(EPaneType type) {
  SPane pane;
  pane.type = type;
  auto add = [&pane](SButton button, int x) {
    button.x = x;
    button.y = kFirstButtonY + kButtonSpacing * static_cast<int>(pane.buttons.size());
    pane.buttons.push_back(std::move(button));
  };
  if (type == EPaneType::Top) {
    SButton play = fMakeButton(EButtonType::Play, "title_play", "title_play_f");
    play.onDecide = [this] { fPushPane(EPaneType::PlayMode); };
    add(std::move(play), kTopPaneX);

    const bool replays = fAnyMode(fHasScore);
    SButton replay = replays ? fMakeButton(EButtonType::ShowReplay, "title_showreplay", "title_showreplay_f")
                             : fMakeButton(EButtonType::ShowReplay, "title_showreplay_ng", "title_showreplay_f_ng");
    if (replays) replay.onDecide = [this] { fPushPane(EPaneType::ReplayMode); };
    add(std::move(replay), kTopPaneX);

    const bool registrable = fAnyMode(fCanRegister);
    SButton regist = registrable
                         ? fMakeButton(EButtonType::RegistRanking, "title_registranking", "title_registranking_f")
                         : fMakeButton(EButtonType::RegistRanking, "title_registranking_ng",
                                       "title_registranking_f_ng");
    if (registrable) regist.onDecide = [this] { fPushPane(EPaneType::RegistRankingMode); };
    add(std::move(regist), kTopPaneX);

    SButton ranking = fMakeButton(EButtonType::ShowRanking, "title_showranking", "title_showranking_f");
    ranking.onDecide = [this] { fPushPane(EPaneType::ShowRankingMode); };
    add(std::move(ranking), kTopPaneX);

    SButton daily = fMakeButton(EButtonType::Daily, "title_daily", "title_daily_f");
    daily.onDecide = [this] { fOpenDaily(); };
    add(std::move(daily), kTopPaneX);

    SButton option = fMakeButton(EButtonType::Option, "title_option", "title_option_f");
    option.onDecide = [this] { fOpenOptionMenu(); };
    add(std::move(option), kTopPaneX);

    SButton help = fMakeButton(EButtonType::HowToPlay, "title_howtoplay", "title_howtoplay_f");
    help.onDecide = [this] { fOpenHelp(); };
    add(std::move(help), kTopPaneX);

    // Ends the game as Escape on the title does.
    SButton quit = fMakeButton(EButtonType::Quit, "title_quit", "title_quit_f");
    quit.onDecide = [] { gQuitRequested = true; };
    add(std::move(quit), kTopPaneX);
  } else {
    for (int mode = 0; mode < kModeCount; ++mode) {
      if ((type == EPaneType::ReplayMode && !fHasScore(mode)) ||
          (type == EPaneType::RegistRankingMode && !fCanRegister(mode))) {
        continue;
      }
      const std::string name = kModeButtons[mode];
      SButton button = fMakeButton(kModeButtonTypes[mode], name, name + "_f");
      switch (type) {
        case EPaneType::PlayMode:
          button.onDecide = [this, mode] { fStartStage(mode, SReplayInfo::fNormal(mode)); };
          button.onFocus = [this, mode] { fShowModeDescription(mode); };
          button.onBlur = [this] { fRetire(infoWindow); };
          break;
        case EPaneType::ReplayMode:
          button.onDecide = [this, mode] { fStartStage(mode, SReplayInfo::fReplay(mode)); };
          button.onRace = [this, mode] { fStartRace(mode); };
          button.onFocus = [this, mode] { fShowRaceableSummary(mode); };
          button.onBlur = [this] { fRetire(infoWindow); };
          break;
        case EPaneType::RegistRankingMode:
          button.onDecide = [this, mode] { fOpenNameEntry(mode); };
          button.onFocus = [this, mode] { fShowHighScoreSummary(mode); };
          button.onBlur = [this] { fRetire(infoWindow); };
          break;
        case EPaneType::ShowRankingMode:
          button.onDecide = [this, mode] {
            connectTask = SConnectTask{SConnectTask::EType::GetRankingListPending, mode};
            fShowMessage(fText(ETextId::Connecting));
          };
          break;
        case EPaneType::Top:
          break;
      }
      add(std::move(button), kModePaneX);
    }
  }
  if (!pane.buttons.empty()) fRun(pane.buttons.front().onFocus);
  return pane;
}

void CTitleMenu::fCursorUp(SPane& pane) {
  if (pane.buttons.empty()) return;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onBlur);
  if (pane.cursor > 0) --pane.cursor;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onFocus);
}

void CTitleMenu::fCursorDown(SPane& pane) {
  if (pane.buttons.empty()) return;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onBlur);
  if (pane.cursor < static_cast<int>(pane.buttons.size()) - 1) ++pane.cursor;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onFocus);
}

void CTitleMenu::fDecide(SPane& pane) {
  if (pane.buttons.empty()) return;
  // Copied: the action may push a pane and move the stack's storage.
  const std::function<void()> action = pane.buttons[static_cast<std::size_t>(pane.cursor)].onDecide;
  fRun(action);
}

void CTitleMenu::fClose() {
  PLIMO_ASSERT(!panes.empty(), "no pane to close");
  for (const SButton& button : panes.back().buttons) fRun(button.onBlur);
  panes.pop_back();
  if (panes.empty()) gCurrentScene = std::make_unique<CTitle>();
}

void CTitleMenu::fSetCursor(SPane& pane, int index) {
  if (pane.buttons.empty()) return;
  const int wanted = std::clamp(index, 0, static_cast<int>(pane.buttons.size()) - 1);
  if (wanted == pane.cursor) return;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onBlur);
  pane.cursor = wanted;
  fRun(pane.buttons[static_cast<std::size_t>(pane.cursor)].onFocus);
}

void CTitleMenu::fRebuildPanes() {
  struct SKept {
    EPaneType type;
    EButtonType focused;
    int cursor;
  };
  std::vector<SKept> kept;
  for (const SPane& pane : panes) {
    if (pane.buttons.empty()) continue;
    kept.push_back({pane.type, pane.buttons[static_cast<std::size_t>(pane.cursor)].type, pane.cursor});
    for (const SButton& button : pane.buttons) fRun(button.onBlur);
  }
  panes.clear();
  for (const SKept& was : kept) {
    SPane pane = fCreatePane(was.type);
    if (pane.buttons.empty()) break;
    const int same = fButtonIndex(pane, was.focused);
    fSetCursor(pane, same >= 0 ? same : was.cursor);
    panes.push_back(std::move(pane));
  }
  if (panes.empty()) fPushPane(EPaneType::Top);
}

void CTitleMenu::fReopenRanking(const CShowRankingWindow::SPlace& place) {
  for (const SPane& pane : panes) {
    for (const SButton& button : pane.buttons) fRun(button.onBlur);
  }
  panes.clear();
  fPushPane(EPaneType::Top);
  fSetCursor(panes.back(), fButtonIndex(panes.back(), EButtonType::ShowRanking));
  fPushPane(EPaneType::ShowRankingMode);
  fSetCursor(panes.back(), fButtonIndex(panes.back(), kModeButtonTypes[place.mode]));
  fOpenRankingWindow(std::make_unique<CShowRankingWindow>(place));
}

void CTitleMenu::fDrawPane(const SPane& pane) const {
  for (std::size_t i = 0; i < pane.buttons.size(); ++i) {
    const SButton& button = pane.buttons[i];
    const SPointD at(pane.originX + button.x, pane.originY + button.y);
    fDrawAt(at, static_cast<int>(i) == pane.cursor ? button.focusedImage : button.image);
  }
}
