#include "menu/CTitleMenu.h"

#include <algorithm>
#include <cstdio>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "gfx/CSoundManager.h"
#include "input/CKeyManagerBase.h"
#include "menu/CTitle.h"
#include "online/RankingClient.h"
#include "online/RankingUrl.h"
#include "persist/Settings.h"
#include "stage/CPlimoStage.h"
#include "stage/RaceGhost.h"
#include "stage/CReplayTheatre.h"
#include "rules/StageModes.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"

namespace {

constexpr double kBackgroundAngle = 60.0;
constexpr double kBackgroundSpeed = 1.0;

}  // namespace

CTitleMenu::CTitleMenu() {
  // A replay's fast or slow pace ends with it.
  gFpsTimer->fResetPace();
  gSoundManager->fStopAll();
  fPushPane(EPaneType::Top);
  background = std::make_unique<CScrollingBackground>(fGetDrawData("ui_parts/menu_bg.png"), SPointD(0, 0),
                                                      SPointD(640, 480), kBackgroundAngle, kBackgroundSpeed);
  connectTask = SConnectTask{SConnectTask::EType::None, 0};
}

CTitleMenu::~CTitleMenu() = default;

void CTitleMenu::fPushPane(EPaneType type) { panes.push_back(fCreatePane(type)); }

void CTitleMenu::fShowMessage(const std::string& text, std::function<void()> then) {
  mLastMessage = text;
  fRetire(messageWindow);
  messageWindow = std::make_unique<CWaitMessageWindow>(fMakeMessageInfo({text}));
  messageWindow->onClose = [this, then = std::move(then)] {
    fRetire(messageWindow);
    if (then) then();
  };
}

// ---- per frame ----

void CTitleMenu::fUpdate() {
  mRetired.clear();
  // Debug playbacks of the three modes, whoever has the input.
  const EGameKey debugKeys[] = {EGameKey::KeyF10, EGameKey::KeyF11, EGameKey::KeyF12};
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (gKeyManager->fIsPush(debugKeys[mode], true)) {
      fStartStage(mode, SReplayInfo::fDebugReplay(mode));
      return;
    }
  }
  if (optionMenu) {
    optionMenu->fUpdate();
  } else if (helpWindow) {
    helpWindow->fInput();
  } else if (messageWindow) {
    CWaitMessageWindow* window = messageWindow.get();
    window->fInput(*gKeyManager);
    // A finished window without a callback of its own is simply dropped.
    if (messageWindow.get() == window && window->fIsFinished()) fRetire(messageWindow);
  } else if (rankingWindow) {
    rankingWindow->fInput();
  } else if (nameEntryWindow) {
    nameEntryWindow->fInput(*gKeyManager);
  } else if (dailyWindow) {
    dailyWindow->fInput();
  } else {
    fNavigatePanes();
  }
}

void CTitleMenu::fNavigatePanes() {
  if (panes.empty()) return;
  // Every key is asked each frame so that its once-per-press latch follows it.
  if (gKeyManager->fIsPush(EGameKey::Up, true)) fCursorUp(panes.back());
  if (gKeyManager->fIsPush(EGameKey::Down, true)) fCursorDown(panes.back());
  const bool right = gKeyManager->fIsPush(EGameKey::Right, true);
  const bool z = fIsConfirmPush(*gKeyManager);
  const bool c = gKeyManager->fIsPush(EGameKey::KeyC, true);
  if (right || z) {
    fDecide(panes.back());
  } else if (c && !panes.back().buttons.empty()) {
    const auto race = panes.back().buttons[static_cast<std::size_t>(panes.back().cursor)].onRace;
    if (race) race();
  }
  if (panes.empty()) return;
  const bool left = gKeyManager->fIsPush(EGameKey::Left, true);
  const bool x = gKeyManager->fIsPush(EGameKey::KeyX, true);
  if (left || x) fClose();
}

void CTitleMenu::fAnimate() {
  background->fAnimate();
  if (optionMenu) {
    optionMenu->fAnimate();
    return;
  }
  fStepConnectTask();
  if (messageWindow) messageWindow->fUpdate();
  if (rankingWindow) rankingWindow->fAnimate();
  if (dailyWindow) dailyWindow->fAnimate();
  if (nameEntryWindow) nameEntryWindow->fUpdate();
}

void CTitleMenu::fStepConnectTask() {
  using EType = SConnectTask::EType;
  switch (connectTask.type) {
    case EType::GetRankingListPending:
      connectTask.type = EType::GetRankingList;
      break;
    case EType::GetRankingList:
      connectTask.type = EType::None;
      fRequestRankingList(connectTask.mode);
      break;
    case EType::UploadRankingPending:
      connectTask.type = EType::UploadRanking;
      break;
    case EType::UploadRanking:
      connectTask.type = EType::None;
      fUploadRanking(connectTask.mode);
      break;
    case EType::GetDailyPending:
      connectTask.type = EType::GetDaily;
      break;
    case EType::GetDaily:
      connectTask.type = EType::None;
      fRequestDaily();
      break;
    case EType::UploadDailyPending:
      connectTask.type = EType::UploadDaily;
      break;
    case EType::UploadDaily:
      connectTask.type = EType::None;
      fUploadDaily(connectTask.mode);
      break;
    case EType::None:
      break;
  }
}

void CTitleMenu::fDraw() {
  background->fDraw();
  if (optionMenu) {
    optionMenu->fDraw();
    return;
  }
  if (helpWindow) {
    helpWindow->fDraw();
    return;
  }
  for (const SPane& pane : panes) fDrawPane(pane);
  if (dailyWindow) dailyWindow->fDraw();
  if (messageWindow) messageWindow->fDraw();
  if (infoWindow) infoWindow->fDraw();
  if (rankingWindow) rankingWindow->fDraw();
  if (nameEntryWindow) nameEntryWindow->fDraw();
}

// ---- ranking server ----

void CTitleMenu::fRequestRankingList(int mode) {
  SRankingListResult result = ::fRequestRankingList(mode);
  if (!result.fIsListed()) {
    fShowMessage(result.message);
    return;
  }
  fRetire(messageWindow);
  fOpenRankingWindow(std::make_unique<CShowRankingWindow>(std::move(result.entries), mode));
}

void CTitleMenu::fOpenRankingWindow(std::unique_ptr<CShowRankingWindow> window) {
  rankingWindow = std::move(window);
  rankingWindow->onClose = [this] { fRetire(rankingWindow); };
  rankingWindow->onMessage = [this](const std::string& text) { fShowMessage(text); };
  rankingWindow->onWatch = [](std::optional<CShowRankingWindow::SPlace> place) {
    fReturnToRankingAfterReplay(std::move(place));
  };
}


void CTitleMenu::fUploadRanking(int mode) {
  const std::string name = nameEntryWindow ? nameEntryWindow->fGetName() : std::string();
  // The name is offered again next time, whatever the server answers.
  if (fIsValidRankingName(name) && name != gSettings.rankingName) {
    gSettings.rankingName = name;
    try {
      fSaveSettings();
    } catch (const CGameError& error) {
      std::fprintf(stderr, "PlimoBall: could not save the settings: %s\n", error.what());
    }
  }
  const SUploadResult result = ::fUploadRanking(mode, name);
  fRetire(nameEntryWindow);
  // Either way the panes are built again, so their buttons show the records;
  // the cursor stays where the player sent from.
  fShowMessage(result.message, [this] { fRebuildPanes(); });
}

// ---- daily challenge ----

void CTitleMenu::fOpenDaily() {
  connectTask = SConnectTask{SConnectTask::EType::GetDailyPending, 0};
  fShowMessage(fText(ETextId::Connecting));
}

void CTitleMenu::fRequestDaily() {
  const SDailyResult day = ::fRequestDaily();
  if (dailyWindow) mDailyFocus = dailyWindow->fFocusedMode();
  fRetire(dailyWindow);
  if (!day.info) {
    // One line, and the menu stays as it was.
    mOfferDailySend.reset();
    fShowMessage(day.message);
    return;
  }
  fRetire(messageWindow);
  mDaily = day.info;
  fOpenDailyWindow(fLoadDailyView(fRankingServer(), *day.info));
  if (const auto offer = mOfferDailySend) {
    mOfferDailySend.reset();
    const auto& kept = dailyWindow->fView().modes[static_cast<std::size_t>(*offer)].kept;
    if (kept && !kept->sent) fOpenDailyNameEntry(*offer);
  }
}

void CTitleMenu::fOpenDailyWindow(SDailyView view) {
  dailyWindow = std::make_unique<CDailyWindow>(std::move(view), mDailyFocus);
  dailyWindow->onClose = [this] {
    mDailyFocus = dailyWindow->fFocusedMode();
    fRetire(dailyWindow);
  };
  dailyWindow->onMessage = [this](const std::string& text) { fShowMessage(text); };
  dailyWindow->onPlay = [this](int mode) {
    const SDailyInfo& day = dailyWindow->fView().info;
    const SReplayInfo info = SReplayInfo::fDaily(mode, day.seeds[static_cast<std::size_t>(mode)], day.date);
    fStartStage(mode, info);
  };
  dailyWindow->onSend = [this](int mode) { fOpenDailyNameEntry(mode); };
  // The new day's seeds are asked for at once.
  dailyWindow->onDayOver = [this] { fOpenDaily(); };
}

void CTitleMenu::fOpenDailyNameEntry(int mode) {
  nameEntryWindow = std::make_unique<CNameEntryWindowEx>(8, gFontMenu, mode);
  nameEntryWindow->onConfirm = [this](int tag) {
    connectTask = SConnectTask{SConnectTask::EType::UploadDailyPending, tag};
    fRetire(messageWindow);
    messageWindow = std::make_unique<CWaitMessageWindow>(fMakeMessageInfo({fText(ETextId::Connecting)}));
  };
  nameEntryWindow->onCancel = [this] { fRetire(nameEntryWindow); };
}

void CTitleMenu::fUploadDaily(int mode) {
  const std::string name = nameEntryWindow ? nameEntryWindow->fGetName() : std::string();
  fRetire(nameEntryWindow);
  if (fIsValidRankingName(name) && name != gSettings.rankingName) {
    gSettings.rankingName = name;
    try {
      fSaveSettings();
    } catch (const CGameError& error) {
      std::fprintf(stderr, "PlimoBall: could not save the settings: %s\n", error.what());
    }
  }
  if (!mDaily) return;
  const SDailyInfo day = *mDaily;
  const auto kept = fKeptDailyGame(mode, day.date);
  if (!kept || kept->sent) {
    fShowMessage(fText(ETextId::DailyNothingToSend));
    return;
  }
  const SUploadResult result =
      ::fUploadDaily(fRankingServer(), mode, name, kept->score, kept->maxRensa, day.date, kept->path);
  if (result.success) {
    try {
      fMarkDailySent(mode, day.date);
    } catch (const CGameError& error) {
      std::fprintf(stderr, "PlimoBall: could not mark the daily game sent: %s\n", error.what());
    }
  }
  // The screen is read again, with the day's new list.
  fShowMessage(result.message, [this] { fOpenDaily(); });
}

void CTitleMenu::fReopenDaily(const SDailyReturn& place) {
  mDailyFocus = place.mode;
  if (!panes.empty()) {
    const auto& buttons = panes.back().buttons;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      if (buttons[i].type == EButtonType::Daily) fSetCursor(panes.back(), static_cast<int>(i));
    }
  }
  if (place.offerSend) mOfferDailySend = place.mode;
  fOpenDaily();
}

// ---- actions ----

void CTitleMenu::fStartStage(int mode, const SReplayInfo& info) {
  if (info.mode == SReplayInfo::EMode::Replay && !fFileExists(info.path)) {
    fShowMessage(fText(ETextId::NoReplay));
    return;
  }
  try {
    if (info.mode == SReplayInfo::EMode::Replay) {
      gCurrentScene = std::make_unique<CReplayTheatre>(mode, info);
    } else {
      gCurrentScene = std::make_unique<CPlimoStage>(mode, info);
    }
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: cannot play %s: %s\n", info.path.c_str(), error.what());
    gSoundManager->fStopAll();
    fShowMessage(fText(ETextId::BadReplay));
  }
}

void CTitleMenu::fStartRace(int mode) {
  const std::string path = fReplayFilePath(mode, "replay");
  if (!fFileExists(path)) {
    fShowMessage(fText(ETextId::NoReplay));
    return;
  }
  try {
    auto ghost = fCheckRaceArchive(path);
    if (ghost->mode != mode) throw CGameError("the stored replay is a game of another mode");
    gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fRace(std::move(ghost)));
  } catch (const CGameError& error) {
    std::fprintf(stderr, "PlimoBall: cannot race %s: %s\n", path.c_str(), error.what());
    if (gSoundManager) gSoundManager->fStopAll();
    fShowMessage(fText(ETextId::BadReplay));
  }
}

void CTitleMenu::fShowModeDescription(int mode) {
  fRetire(infoWindow);
  infoWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fModeDescription(mode)}));
}

void CTitleMenu::fShowHighScoreSummary(int mode) {
  fRetire(infoWindow);
  infoWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fHighScoreSummary(mode)}));
}

void CTitleMenu::fShowRaceableSummary(int mode) {
  fRetire(infoWindow);
  // Beside the summary's shortest line, the chain: the window has room for
  // three lines only.
  std::string summary = fHighScoreSummary(mode);
  const std::size_t second = summary.find('\n', summary.find('\n') + 1);
  const std::string hint = fFormatText(ETextId::RaceRecordsHintFormat, fKeyboardKeyName(EGameKey::KeyC).c_str());
  summary.insert(second == std::string::npos ? summary.size() : second, "    " + hint);
  infoWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({summary}));
}

void CTitleMenu::fOpenNameEntry(int mode) {
  fRetire(infoWindow);
  nameEntryWindow = std::make_unique<CNameEntryWindowEx>(8, gFontMenu, mode);
  nameEntryWindow->onConfirm = [this](int tag) {
    connectTask = SConnectTask{SConnectTask::EType::UploadRankingPending, tag};
    fRetire(messageWindow);
    messageWindow = std::make_unique<CWaitMessageWindow>(fMakeMessageInfo({fText(ETextId::Connecting)}));
  };
  nameEntryWindow->onCancel = [this] { fRetire(nameEntryWindow); };
}

void CTitleMenu::fOpenOptionMenu() {
  optionMenu = std::make_unique<COptionMenu>();
  optionMenu->onClose = [this] {
    fRetire(optionMenu);
    // The language may have changed, and the buttons' pictures with it.
    const int cursor = panes.empty() ? 0 : panes.back().cursor;
    panes.clear();
    fPushPane(EPaneType::Top);
    panes.back().cursor = std::min(cursor, static_cast<int>(panes.back().buttons.size()) - 1);
  };
}

void CTitleMenu::fOpenHelp() {
  helpWindow = std::make_unique<CHelpWindow>();
  helpWindow->onClose = [this] { fRetire(helpWindow); };
}
