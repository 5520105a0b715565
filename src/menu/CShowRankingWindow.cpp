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
#include "online/RankingClient.h"
#include "stage/CReplayTheatre.h"
#include "stage/CPlimoStage.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

constexpr int kSortNoticeHeight = 60;
constexpr int kArrowHalf = 8;
constexpr int kBlinkPeriod = 60;
constexpr int kBackgroundAlpha = 220;
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

CShowRankingWindow::CShowRankingWindow(std::vector<SRankingData> list, int modeIndex) : mode(modeIndex) {
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
  const unsigned int white = GetColor(255, 255, 255);
  info.fSet(SPointD(80, 300), gFontMenu, white, GetColor(0, 0, 0), 25, 20);
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_bg.png"), 20, 20, 20, 20, kBackgroundAlpha, true);
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_waku.png"), 20, 20, 20, 20, 255, true);
  const int first = page * kRowsPerPage;
  const int end = std::min(first + kRowsPerPage, static_cast<int>(entries.size()));
  for (int i = first; i < end; ++i) {
    info.fAddLabel(std::to_string(i - first), fRankingRow(entries[static_cast<std::size_t>(i)]));
  }
  window = fCreateWindow(info, std::make_shared<CFocusBgInfo>(true, true, white, white, 255, 255, 2));
  window->fSetPosition(SPointD(0, 10));
}

void CShowRankingWindow::fShowSortMessage() {
  subWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fSortText(sortBy)}), window->fGetWidth(),
                                                      kSortNoticeHeight);
  const SPointD at = window->fGetPosition();
  subWindow->fSetWindowPosition(SPointD(at.x, at.y + window->fGetHeight() + 10));
}

void CShowRankingWindow::fDraw() {
  if (subWindow) subWindow->fDraw();
  window->fDraw();
  fDrawPageArrows();
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
  if (keys.fIsPush(EGameKey::KeyZ, true)) {
    if (entries.empty()) return;
    const SRankingData& entry = fFocusedEntry();
    if (const auto stored = fStoredDownloadedReplay(mode, entry.replayName)) {
      fPlayDownloaded(*stored);
      return;
    }
    connectTask = EConnectTask::DownloadReplayPending;
    subWindow = std::make_unique<CDisplayMessageWindow>(fMakeMessageInfo({fText(ETextId::Downloading)}));
  } else if (keys.fIsPush(EGameKey::KeyX, true) || keys.fIsPush(EGameKey::KeyEsc, true)) {
    if (onClose) onClose();
  } else if (keys.fIsPush(EGameKey::KeyC, true)) {
    fCycleSort();
  }
}

void CShowRankingWindow::fAnimate() {
  if (connectTask == EConnectTask::DownloadReplayPending) {
    connectTask = EConnectTask::DownloadReplay;
  } else if (connectTask == EConnectTask::DownloadReplay) {
    connectTask = EConnectTask::None;
    fDownloadReplay();
  }
  if (subWindow) subWindow->fUpdate();
  window->fUpdate();
  keyRepeat.fUpdate(*gKeyManager);
  frameCount = frameCount >= INT_MAX - 1 ? 0 : frameCount + 1;
}

void CShowRankingWindow::fDownloadReplay() {
  const SDownloadResult result = ::fDownloadReplay(mode, fFocusedEntry().replayName);
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
  try {
    gCurrentScene = std::make_unique<CReplayTheatre>(mode, info);
  } catch (const CGameError& error) {
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
