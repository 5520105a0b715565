// The online ranking list of one mode: ten entries a page, three sort
// orders, and the replay of any entry, downloaded first when it is not on
// disk yet. A second key turns to the daily challenge's lists of today and
// the seven days before, one day at a time, and back to the ranking. An opaque window over the whole screen: the mode as its title,
// the sort and the page, column headings, the player's own entries marked,
// and a line naming the keys.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/SDrawData.h"
#include "gui/CMainWindow.h"
#include "input/CKeyRepeatManager.h"
#include "menu/CCommonMessageWindow.h"
#include "online/SRankingData.h"
#include "stage/StageReplay.h"

class CShowRankingWindow {
 public:
  enum class ESortBy : int { Score = 0, MaxChain, Date };
  enum class EConnectTask : int { DownloadReplayPending = 0, DownloadReplay, NextListPending, NextList, None };
  static constexpr int kRowsPerPage = 10;
  // Today and the days before it that the daily lists reach back to.
  static constexpr int kDailyDays = 8;

  // Where the list stood when one of its replays began: enough to show it
  // again, at the entry watched, once the replay is left.
  struct SPlace {
    int mode = 0;
    std::vector<SRankingData> entries;
    ESortBy sortBy = ESortBy::Score;
    std::string replayName;  // the entry watched
    std::string day;                // the daily list's day; empty for the ranking
    std::vector<std::string> days;  // the days the daily lists go through
  };

  CShowRankingWindow(std::vector<SRankingData> entries, int mode);
  // The list again as it stood, its page and row at the entry watched.
  explicit CShowRankingWindow(const SPlace& place);
  virtual ~CShowRankingWindow() = default;
  CShowRankingWindow(const CShowRankingWindow&) = delete;
  CShowRankingWindow& operator=(const CShowRankingWindow&) = delete;

  virtual void fShowSortMessage();
  virtual void fBuildPage();
  virtual void fDraw();
  virtual void fDrawPageArrows();
  // The owner may drop this window from inside onClose.
  virtual void fInput();
  virtual void fAnimate();
  virtual void fDownloadReplay();
  virtual void fCycleSort();
  // The next list: the ranking, today's daily list, each day before it in
  // turn, then the ranking again. A list that cannot be read leaves the one
  // shown and is reported.
  virtual void fNextList();

  // ---- for the owner and tests ----
  const std::vector<SRankingData>& fEntries() const { return entries; }
  int fPage() const { return page; }
  int fLastPage() const { return lastPage; }
  ESortBy fSortBy() const { return sortBy; }
  EConnectTask fConnectTask() const { return connectTask; }
  // The daily list's day, empty for the ranking.
  const std::string& fDay() const { return day; }
  CMainWindow& fWindow() const { return *window; }
  CDisplayMessageWindow* fSubWindow() const { return subWindow.get(); }
  // The entry shown in the focused row.
  const SRankingData& fFocusedEntry() const;

  std::function<void()> onClose;
  // Shows a message in the owner's message window (a failed download).
  std::function<void(const std::string&)> onMessage;
  // Called as a replay of the list begins, with the list's place; called
  // again with no place when the replay could not begin after all.
  std::function<void(std::optional<SPlace>)> onWatch;

 private:
  void fSort();
  void fDrawTexts() const;
  // The player's own entries: those under the name last sent.
  bool fIsOwn(const SRankingData& entry) const;
  unsigned int fRowColour(const SRankingData& entry) const;
  // Starts the entry's stored download; one that cannot be played is deleted
  // (the server still has it) and reported.
  void fPlayDownloaded(const SReplayInfo& info);
  // Z watches the focused entry's replay; A races it as a ghost (both fetch
  // it first when it is not stored).
  void fWatchOrRace(bool race);

  std::unique_ptr<CMainWindow> window;
  std::unique_ptr<CDisplayMessageWindow> subWindow;
  CKeyRepeatManager keyRepeat;
  std::vector<SRankingData> entries;
  int page = 0;
  int lastPage = 0;
  int frameCount = 0;
  SDrawData rightArrow;
  SDrawData leftArrow;
  ESortBy sortBy = ESortBy::Score;
  EConnectTask connectTask = EConnectTask::None;
  bool mRace = false;  // the replay asked for is raced, not watched
  int mode = 0;
  std::string ownName;
  std::string day;
  std::vector<std::string> days;
};

// Ranks by score order: equal scores share a rank, the next one skips
// (1, 2, 2, 4). The list must already be sorted by score.
void fAssignRanks(std::vector<SRankingData>& entries);
// "% 3d位 % 8s % 7d点(%d連鎖) %s" (the blank flag has no effect on a
// text), the date without its seconds.
std::string fRankingRow(const SRankingData& entry);
// The date as the list shows it: without its seconds.
std::string fRankingDate(const SRankingData& entry);
