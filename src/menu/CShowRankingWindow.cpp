#include "menu/CShowRankingWindow.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "app/Globals.h"
#include "gamelib/FileSystem.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "gui/CSetupWindowInfo.h"
#include "input/CKeyManagerBase.h"
#include "gui/Window.h"
#include "online/DailyClient.h"
#include "online/RankingClient.h"
#include "persist/Settings.h"
#include "stage/CReplayTheatre.h"
#include "stage/CPlimoStage.h"
#include "stage/RaceGhost.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

constexpr int kArrowHalf = 8;
constexpr int kBlinkPeriod = 60;
// The list fills the screen but a margin, at every window size (the screen
// is scaled as a whole). Offsets inside it:
constexpr int kWindowLeft = 10;
constexpr int kWindowTop = 10;
constexpr int kWindowWidth = 620;
constexpr int kWindowHeight = 460;
constexpr int kTitleY = 18;
constexpr int kSortY = 52;
constexpr int kHeadY = 82;
constexpr int kFirstRowY = 114;
constexpr int kRowPitch = 30;
constexpr int kHintY = 420;
constexpr int kRankX = 28;
constexpr int kMarkX = 94;
constexpr int kNameX = 108;
constexpr int kScoreRight = 318;
constexpr int kChainRight = 398;
constexpr int kDateX = 424;
constexpr int kRightEdge = 592;
constexpr int kGap = 16;
// The row highlight's inner width, from the rank to past the date.
constexpr int kRowWidth = kRightEdge - kRankX - 2;

int fRowY(int row) { return kFirstRowY + row * kRowPitch; }

const char* fModeTitle(int mode) {
  switch (mode) {
    case 0: return fText(ETextId::RankingModePlimo);
    case 1: return fText(ETextId::RankingModeYoiko);
    default: return fText(ETextId::RankingModeWanpaku);
  }
}
// The notice names the player's own key (and button) that re-sorts.
std::string fSortText(CShowRankingWindow::ESortBy sortBy) {
  const std::string key = fKeyAndButtonName(EGameKey::KeyC);
  switch (sortBy) {
    case CShowRankingWindow::ESortBy::Score: return fFormatText(ETextId::SortByScoreFormat, key.c_str());
    case CShowRankingWindow::ESortBy::MaxChain: return fFormatText(ETextId::SortByChainFormat, key.c_str());
    case CShowRankingWindow::ESortBy::Date: return fFormatText(ETextId::SortByDateFormat, key.c_str());
  }
  return "";
}

}  // namespace

void fAssignRanks(std::vector<SRankingData>& entries) {
  int current = 0, ties = 0, previous = 0;
  bool first = true;
  for (SRankingData& entry : entries) {
    // The first entry always opens rank 1, even with the largest score there is.
    if (first || entry.score < previous) {
      first = false;
      current = current + ties + 1;
      entry.rank = current;
      previous = entry.score;
      ties = 0;
    } else {
      entry.rank = current;
      ++ties;
    }
  }
}

std::string fRankingRow(const SRankingData& entry) {
  const std::string date = entry.date.size() >= 3 ? entry.date.substr(0, entry.date.size() - 3) : "";
  return fFormatText(ETextId::RankingRowFormat, entry.rank, entry.name.c_str(), entry.score, entry.maxRensa,
                     date.c_str());
}

std::string fRankingDate(const SRankingData& entry) {
  return entry.date.size() >= 3 ? entry.date.substr(0, entry.date.size() - 3) : entry.date;
}

CShowRankingWindow::CShowRankingWindow(std::vector<SRankingData> list, int modeIndex)
    : mode(modeIndex), ownName(gSettings.rankingName) {
  rightArrow = fGetDrawData("ui_parts/cursor_right.png");
  leftArrow = fGetDrawData("ui_parts/cursor_left.png");
  entries = std::move(list);
  fSort();
  fAssignRanks(entries);
  lastPage = entries.empty() ? 0 : (static_cast<int>(entries.size()) - 1) / kRowsPerPage;
  fBuildPage();
  fShowSortMessage();
  keyRepeat.fAddKey(EGameKey::Down);
  keyRepeat.fAddKey(EGameKey::Up);
}

CShowRankingWindow::CShowRankingWindow(const SPlace& place) : CShowRankingWindow(place.entries, place.mode) {
  day = place.day;
  days = place.days;
  sortBy = place.sortBy;
  fSort();
  const auto watched = std::find_if(entries.begin(), entries.end(),
                                    [&](const SRankingData& entry) { return entry.replayName == place.replayName; });
  const int index = watched == entries.end() ? 0 : static_cast<int>(watched - entries.begin());
  page = index / kRowsPerPage;
  fBuildPage();
  if (watched == entries.end()) return;
  window->fSetFocus("0", false);
  window->fSetFocus(std::to_string(index % kRowsPerPage), true);
}

// Equal entries keep their order, so every build shows the same list.
void CShowRankingWindow::fSort() {
  switch (sortBy) {
    case ESortBy::Score:
      std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.score > b.score; });
      break;
    case ESortBy::MaxChain:
      std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.maxRensa > b.maxRensa; });
      break;
    case ESortBy::Date:
      std::stable_sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.date > b.date; });
      break;
  }
}

void CShowRankingWindow::fBuildPage() {
  CSetupWindowInfo info;
  // Opaque: nothing of the title menu shows through the list.
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_bg.png"), 20, 20, 20, 20, 255, true, kWindowWidth,
                      kWindowHeight);
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_waku.png"), 20, 20, 20, 20, 255, true,
                      kWindowWidth, kWindowHeight);
  window = std::make_unique<CMainWindow>();
  window->fSetupBackground(info.backgrounds, 0, 0);
  window->fSetPosition(SPointD(kWindowLeft, kWindowTop));
  // One focusable row a entry, showing its rank; the other columns are drawn
  // beside it, and the row's highlight spans them all.
  const unsigned int white = GetColor(255, 255, 255);
  auto highlight = std::make_shared<CFocusBgInfo>(true, true, white, white, 255, 255, 2);
  highlight->fSetWidthRef(std::make_shared<int>(kRowWidth));
  const int first = page * kRowsPerPage;
  const int end = std::min(first + kRowsPerPage, static_cast<int>(entries.size()));
  const int rows = end - first;
  for (int r = 0; r < rows; ++r) {
    const SRankingData& entry = entries[static_cast<std::size_t>(first + r)];
    fAddTextLabelAt(*window, std::to_string(r), SPointD(kRankX, fRowY(r)), fRowColour(entry), GetColor(0, 0, 0),
                    gFontText, "", std::to_string(entry.rank), 255.0, highlight);
  }
  for (int r = 0; r < rows; ++r) {
    fSetWidgetLinks(*window, std::to_string(r), "", std::to_string((r + rows - 1) % rows), "",
                    std::to_string((r + 1) % rows));
  }
  if (rows > 0) window->fSetFocus("0", true);
}

bool CShowRankingWindow::fIsOwn(const SRankingData& entry) const {
  return !ownName.empty() && entry.name == ownName;
}

unsigned int CShowRankingWindow::fRowColour(const SRankingData& entry) const {
  return fIsOwn(entry) ? GetColor(255, 220, 80) : GetColor(255, 255, 255);
}

void CShowRankingWindow::fShowSortMessage() {
  // The sort is shown in the list's own heading; the notice window serves
  // the download only.
  subWindow.reset();
}

void CShowRankingWindow::fDraw() {
  window->fDraw();
  fDrawTexts();
  fDrawPageArrows();
  if (subWindow) subWindow->fDraw();
}

void CShowRankingWindow::fDrawTexts() const {
  const SPointD at = window->fGetPosition();
  const int x = static_cast<int>(at.x);
  const int y = static_cast<int>(at.y);
  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int pale = GetColor(170, 200, 255);
  auto text = [](int left, int top, const std::string& line, unsigned int colour, int font) {
    DrawStringToHandle(left, top, line.c_str(), colour, font, 0, 0);
  };
  // The right edge of a text at right.
  auto rightAligned = [&](int right, int top, const std::string& line, unsigned int colour, int font) {
    text(right - GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), font, 0), top, line, colour,
         font);
  };
  const std::string title = day.empty() ? fFormatText(ETextId::RankingTitleFormat, fModeTitle(mode))
                                        : fFormatText(ETextId::DailyRankingTitleFormat, fModeTitle(mode), day.c_str());
  text(x + kRankX, y + kTitleY, title, white, gFontMenu);
  const std::string pages = fFormatText(ETextId::RankingPageFormat, page + 1, lastPage + 1);
  rightAligned(x + kRightEdge, y + kTitleY + 4, pages, pale, gFontText);
  // The key to the daily lists, left of the page.
  const int pagesWidth = GetDrawStringWidthToHandle(pages.c_str(), static_cast<int>(pages.size()), gFontText, 0);
  rightAligned(x + kRightEdge - pagesWidth - kGap, y + kTitleY + 4,
               fFormatText(ETextId::RankingDaysKeyFormat, fKeyboardKeyName(EGameKey::KeySpace).c_str()), white,
               gFontText);
  text(x + kRankX, y + kSortY, fSortText(sortBy), pale, gFontText);
  if (entries.empty()) text(x + kNameX, y + fRowY(0), fText(ETextId::DailyNoEntries), pale, gFontText);
  text(x + kRankX, y + kHeadY, fText(ETextId::RankingColumnRank), pale, gFontText);
  text(x + kNameX, y + kHeadY, fText(ETextId::RankingColumnName), pale, gFontText);
  rightAligned(x + kScoreRight, y + kHeadY, fText(ETextId::RankingColumnScore), pale, gFontText);
  rightAligned(x + kChainRight, y + kHeadY, fText(ETextId::RankingColumnChain), pale, gFontText);
  text(x + kDateX, y + kHeadY, fText(ETextId::RankingColumnDate), pale, gFontText);
  DrawBox(x + kRankX, y + kHeadY + 22, x + kRightEdge, y + kHeadY + 24, pale, 1);

  const int first = page * kRowsPerPage;
  const std::string focus = window->fGetFocus();
  for (int r = 0; r < kRowsPerPage && first + r < static_cast<int>(entries.size()); ++r) {
    const SRankingData& entry = entries[static_cast<std::size_t>(first + r)];
    const unsigned int colour = focus == std::to_string(r) ? GetColor(0, 0, 0) : fRowColour(entry);
    const int top = y + fRowY(r);
    if (fIsOwn(entry)) text(x + kMarkX, top, "*", colour, gFontText);
    text(x + kNameX, top, entry.name, colour, gFontText);
    rightAligned(x + kScoreRight, top, fWithThousandsSeparators(entry.score), colour, gFontText);
    rightAligned(x + kChainRight, top, std::to_string(entry.maxRensa), colour, gFontText);
    text(x + kDateX, top, fRankingDate(entry), colour, gFontText);
  }
  const std::string hint = fFormatText(ETextId::RankingHintFormat, fKeyboardKeyName(EGameKey::KeyZ).c_str(),
                                       fKeyboardKeyName(EGameKey::KeyC).c_str());
  text(x + kRankX, y + kHintY, hint, white, gFontText);
  rightAligned(x + kRightEdge, y + kHintY,
               fFormatText(ETextId::RaceRankingKeyFormat, fKeyboardKeyName(EGameKey::KeyA).c_str()), white, gFontText);
}

void CShowRankingWindow::fDrawPageArrows() {
  if (frameCount % kBlinkPeriod >= kBlinkPeriod / 2) return;
  const SPointD at = window->fGetPosition();
  const double w = window->fGetWidth();
  const double h = window->fGetHeight();
  if (page < lastPage) fDrawAt(SPointD(at.x + w - 16, at.y + static_cast<int>(h) / 2 - kArrowHalf), rightArrow);
  if (page > 0) fDrawAt(SPointD(at.x, at.y + static_cast<int>(h) / 2 - kArrowHalf), leftArrow);
}

const SRankingData& CShowRankingWindow::fFocusedEntry() const {
  const int row = std::stoi(window->fGetFocus());
  const int index = page * kRowsPerPage + row;
  PLIMO_ASSERT(index >= 0 && index < static_cast<int>(entries.size()), "ranking row out of range");
  return entries[static_cast<std::size_t>(index)];
}

void CShowRankingWindow::fInput() {
  if (connectTask != EConnectTask::None) return;
  CKeyManagerBase& keys = *gKeyManager;
  // The direction values are the focus links' indexes: 1 up, 3 down.
  if (keys.fIsPush(EGameKey::Down, true) || keyRepeat.fIsRepeat(keys, EGameKey::Down)) {
    window->fMoveFocus(static_cast<int>(EDirection4::Down));
    return;
  }
  if (keys.fIsPush(EGameKey::Up, true) || keyRepeat.fIsRepeat(keys, EGameKey::Up)) {
    window->fMoveFocus(static_cast<int>(EDirection4::Up));
    return;
  }
  if (keys.fIsPush(EGameKey::Right, true)) {
    const int next = std::min(page + 1, lastPage);
    if (next != page) {
      page = next;
      fBuildPage();
      fShowSortMessage();
    }
  }
  if (keys.fIsPush(EGameKey::Left, true)) {
    const int next = std::max(page - 1, 0);
    if (next != page) {
      page = next;
      fBuildPage();
      fShowSortMessage();
    }
  }
  if (fIsConfirmPush(keys)) {
    fWatchOrRace(false);
  } else if (keys.fIsPush(EGameKey::KeyA, true)) {
    fWatchOrRace(true);
  } else if (keys.fIsPush(EGameKey::KeyX, true) || keys.fIsPush(EGameKey::KeyEsc, true)) {
    if (onClose) onClose();
  } else if (keys.fIsPush(EGameKey::KeyC, true)) {
    fCycleSort();
  } else if (keys.fIsPush(EGameKey::KeySpace, true)) {
    connectTask = EConnectTask::NextListPending;
    subWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fText(ETextId::Connecting)}));
  }
}

void CShowRankingWindow::fWatchOrRace(bool race) {
  if (entries.empty()) return;
  mRace = race;
  const SRankingData& entry = fFocusedEntry();
  const auto stored = day.empty() ? fStoredDownloadedReplay(mode, entry.replayName)
                                  : fStoredDownloadedDaily(mode, day, entry.replayName);
  if (stored) {
    fPlayDownloaded(*stored);
    return;
  }
  connectTask = EConnectTask::DownloadReplayPending;
  subWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fText(ETextId::Downloading)}));
}

void CShowRankingWindow::fAnimate() {
  if (connectTask == EConnectTask::DownloadReplayPending) {
    connectTask = EConnectTask::DownloadReplay;
  } else if (connectTask == EConnectTask::DownloadReplay) {
    connectTask = EConnectTask::None;
    fDownloadReplay();
  } else if (connectTask == EConnectTask::NextListPending) {
    connectTask = EConnectTask::NextList;
  } else if (connectTask == EConnectTask::NextList) {
    connectTask = EConnectTask::None;
    fNextList();
  }
  if (subWindow) subWindow->fUpdate();
  window->fUpdate();
  keyRepeat.fUpdate(*gKeyManager);
  frameCount = frameCount >= INT_MAX - 1 ? 0 : frameCount + 1;
}

void CShowRankingWindow::fDownloadReplay() {
  const std::string& key = fFocusedEntry().replayName;
  const SDownloadResult result =
      day.empty() ? ::fDownloadReplay(mode, key) : ::fDownloadDaily(fRankingServer(), mode, day, key);
  if (result.success) {
    fPlayDownloaded(result.replay);
    return;
  }
  // Nothing was stored: back to the list with the sort notice, and the
  // failure shown by the owner.
  fShowSortMessage();
  if (onMessage) onMessage(result.message);
}

void CShowRankingWindow::fPlayDownloaded(const SReplayInfo& stored) {
  SReplayInfo info = stored;
  const SRankingData& entry = fFocusedEntry();
  info.player = entry.name;
  info.date = entry.date;
  // The owner is told first: the theatre takes the scene's place, and with
  // it this window's owner.
  if (onWatch) onWatch(SPlace{mode, entries, sortBy, entry.replayName, day, days});
  try {
    if (mRace) {
      // A normal game on the entry's seed; the ranking shows again once it is left.
      auto ghost = fCheckRaceArchive(info.path);
      if (ghost->mode != mode) throw CGameError(info.path + " is a game of another mode");
      gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fRace(std::move(ghost)));
    } else {
      gCurrentScene = std::make_unique<CReplayTheatre>(mode, info);
    }
  } catch (const CGameError& error) {
    if (onWatch) onWatch(std::nullopt);
    std::fprintf(stderr, "PlimoBall: cannot play %s: %s\n", info.path.c_str(), error.what());
    if (fFileExists(info.path)) fDeleteFile(info.path);
    fShowSortMessage();
    if (onMessage) onMessage(fText(ETextId::BadReplay));
  }
}

void CShowRankingWindow::fCycleSort() {
  sortBy = sortBy == ESortBy::Score ? ESortBy::MaxChain : sortBy == ESortBy::MaxChain ? ESortBy::Date : ESortBy::Score;
  fSort();
  page = 0;
  fBuildPage();
  fShowSortMessage();
}

void CShowRankingWindow::fNextList() {
  fShowSortMessage();
  // Today is the server's, never this machine's: asked once.
  if (days.empty()) {
    const SDailyResult today = ::fRequestDaily();
    if (!today.info) {
      if (onMessage) onMessage(today.message);
      return;
    }
    days.push_back(today.info->date);
    while (static_cast<int>(days.size()) < kDailyDays) days.push_back(fDayBefore(days.back()));
  }
  const auto shown = std::find(days.begin(), days.end(), day);
  const std::size_t next = day.empty() ? 0 : static_cast<std::size_t>(shown - days.begin()) + 1;
  std::vector<SRankingData> list;
  std::string nextDay;
  if (next < days.size()) {
    nextDay = days[next];
    SDailyListResult result = fRequestDailyList(fRankingServer(), mode, nextDay);
    if (!result.ok) {
      if (onMessage) onMessage(result.message);
      return;
    }
    list = std::move(result.entries);
  } else {
    SRankingListResult result = ::fRequestRankingList(mode);
    if (!result.fIsListed() && result.outcome != SRankingListResult::EOutcome::NoData) {
      if (onMessage) onMessage(result.message);
      return;
    }
    list = std::move(result.entries);
  }
  day = nextDay;
  entries = std::move(list);
  sortBy = ESortBy::Score;
  fSort();
  fAssignRanks(entries);
  page = 0;
  lastPage = entries.empty() ? 0 : (static_cast<int>(entries.size()) - 1) / kRowsPerPage;
  fBuildPage();
}
