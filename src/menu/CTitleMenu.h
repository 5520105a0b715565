// The title menu: a stack of button panes from which the player starts a
// game, watches a mode's best game, registers a high score online, views the
// online ranking or opens the options. It owns the dialogs, the ranking
// window and the option menu while they are open, and runs the ranking
// server requests one frame after showing that it is connecting.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CScene.h"
#include "gfx/SDrawData.h"
#include "menu/CCommonMessageWindow.h"
#include "menu/CDailyWindow.h"
#include "menu/CHelpWindow.h"
#include "menu/CNameEntryWindowEx.h"
#include "menu/COptionMenu.h"
#include "menu/CShowRankingWindow.h"
#include "menu/CScrollingBackground.h"
#include "stage/StageReplay.h"

class CTitleMenu : public CScene {
 public:
  enum class EPaneType : int { Top = 0, PlayMode, ReplayMode, RegistRankingMode, ShowRankingMode };
  enum class EButtonType : int {
    Play = 0,
    ShowReplay,
    RegistRanking,
    ShowRanking,
    Daily,
    Option,
    PlimoMode,
    YoikoMode,
    WanpakuMode,
    HowToPlay,
    Quit
  };

  struct SConnectTask {
    enum class EType : int {
      GetRankingListPending = 0,
      GetRankingList,
      UploadRankingPending,
      UploadRanking,
      GetDailyPending,
      GetDaily,
      UploadDailyPending,
      UploadDaily,
      None
    };
    EType type = EType::None;
    int mode = 0;
  };

  struct SButton {
    EButtonType type = EButtonType::Play;
    int x = 0;
    int y = 0;
    SDrawData image;
    SDrawData focusedImage;
    std::function<void()> onDecide;
    std::function<void()> onFocus;
    std::function<void()> onBlur;
    // C on a mode of one's own replays: race that replay.
    std::function<void()> onRace;
  };

  struct SPane {
    EPaneType type = EPaneType::Top;
    int originX = 0;
    int originY = 0;
    std::vector<SButton> buttons;
    int cursor = 0;
  };

  CTitleMenu();
  ~CTitleMenu() override;

  void fAnimate() override;
  void fUpdate() override;
  void fDraw() override;

  SPane fCreatePane(EPaneType type);
  void fCursorUp(SPane& pane);
  void fCursorDown(SPane& pane);
  void fDecide(SPane& pane);
  // Runs every button's onBlur and removes the pane; the last one closed
  // returns to the title.
  void fClose();
  void fDrawPane(const SPane& pane) const;

  // ---- for tests and the ranking window ----
  const std::vector<SPane>& fPanes() const { return panes; }
  const SConnectTask& fConnectTask() const { return connectTask; }
  CDisplayMessageWindow* fInfoWindow() const { return infoWindow.get(); }
  CWaitMessageWindow* fMessageWindow() const { return messageWindow.get(); }
  CNameEntryWindowEx* fNameEntryWindow() const { return nameEntryWindow.get(); }
  COptionMenu* fOptionMenu() const { return optionMenu.get(); }
  CHelpWindow* fHelpWindow() const { return helpWindow.get(); }
  CShowRankingWindow* fRankingWindow() const { return rankingWindow.get(); }
  CDailyWindow* fDailyWindow() const { return dailyWindow.get(); }
  // A wait-for-key message; closing it drops it, then runs `then` if given.
  void fShowMessage(const std::string& text, std::function<void()> then = {});
  // The text of the last message shown this way.
  const std::string& fLastMessage() const { return mLastMessage; }
  // The panes built afresh (the records may have changed), each with the
  // cursor on the button it was on, or as near as the new pane allows; a
  // mode pane left without buttons is closed.
  void fRebuildPanes();
  // The ranking list as it stood when one of its replays began, over the
  // panes that lead to it.
  void fReopenRanking(const CShowRankingWindow::SPlace& place);
  // Back from a daily game: the daily screen again, over the title pane,
  // asking for a name to send the game with when it was just kept.
  void fReopenDaily(const SDailyReturn& place);
  // Asks the server for the day and opens the daily screen (a frame later).
  void fOpenDaily();

 private:
  void fPushPane(EPaneType type);
  void fNavigatePanes();
  void fStepConnectTask();
  void fRequestRankingList(int mode);
  void fUploadRanking(int mode);
  void fRequestDaily();
  void fUploadDaily(int mode);
  void fOpenDailyWindow(SDailyView view);
  void fOpenDailyNameEntry(int mode);
  // A new stage; an unreadable replay is reported instead of ending the game.
  void fStartStage(int mode, const SReplayInfo& info);
  // A game raced against the mode's stored best replay (checked first).
  void fStartRace(int mode);
  void fShowModeDescription(int mode);
  void fShowHighScoreSummary(int mode);
  // The same, with the key that races the replay.
  void fShowRaceableSummary(int mode);
  void fOpenNameEntry(int mode);
  void fOpenOptionMenu();
  void fOpenHelp();
  void fOpenRankingWindow(std::unique_ptr<CShowRankingWindow> window);
  // Moves the pane's cursor to `index`, blurring and focusing as a key would.
  void fSetCursor(SPane& pane, int index);
  // Windows dropped from inside their own callbacks live on to the next frame.
  template <typename T>
  void fRetire(std::unique_ptr<T>& window) {
    if (window) mRetired.push_back(std::shared_ptr<T>(window.release()));
  }

  std::unique_ptr<CShowRankingWindow> rankingWindow;
  std::unique_ptr<CDailyWindow> dailyWindow;
  // The day the daily screen shows; the mode to offer sending once it opens.
  std::optional<SDailyInfo> mDaily;
  std::optional<int> mOfferDailySend;
  int mDailyFocus = 0;
  std::unique_ptr<CNameEntryWindowEx> nameEntryWindow;
  std::unique_ptr<CWaitMessageWindow> messageWindow;
  std::unique_ptr<CDisplayMessageWindow> infoWindow;
  std::unique_ptr<CScrollingBackground> background;
  SConnectTask connectTask;
  std::unique_ptr<COptionMenu> optionMenu;
  std::unique_ptr<CHelpWindow> helpWindow;
  std::vector<SPane> panes;
  std::vector<std::shared_ptr<void>> mRetired;
  std::string mLastMessage;
};

// Leaving a replay started from the ranking list comes back to the list:
// the place is kept here until the next title menu is made for a scene that
// is left (fNewTitleMenuScene). An empty place forgets it.
void fReturnToRankingAfterReplay(std::optional<CShowRankingWindow::SPlace> place);

// The texts the menu shows.
std::string fModeDescription(int mode);
std::string fHighScoreSummary(int mode);
