// The daily challenge screen: the day, the time left, and for each mode the
// player's best of the day (found by the ranking name last sent), the day's
// top three and the kept game not sent yet. An opaque window over the whole
// screen; up and down choose a mode, the decide key plays the day's seed,
// C sends the kept game, X goes back. The time left is counted down on the
// game's frame clock from what the server said, never from the machine's.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gui/CMainWindow.h"
#include "online/DailyClient.h"
#include "stage/DailyGame.h"

struct SDailyModeView {
  SDailyListResult list;
  std::optional<SKeptDaily> kept;
};

struct SDailyView {
  SDailyInfo info;
  std::array<SDailyModeView, kModeCount> modes;
};

// The day's lists from the server and the kept games from disk.
SDailyView fLoadDailyView(const std::string& server, const SDailyInfo& info);

class CDailyWindow {
 public:
  static constexpr int kFramesASecond = 60;

  explicit CDailyWindow(SDailyView view, int focusedMode = 0);
  CDailyWindow(const CDailyWindow&) = delete;
  CDailyWindow& operator=(const CDailyWindow&) = delete;

  // The owner may drop this window from inside its callbacks.
  void fInput();
  void fAnimate();
  void fDraw() const;

  // ---- for the owner and tests ----
  const SDailyView& fView() const { return view; }
  int fFocusedMode() const { return focused; }
  int fSecondsLeft() const;
  // The player's entry of the mode's day list, if any.
  const SRankingData* fOwnBest(int mode) const;

  std::function<void()> onClose;
  std::function<void(int)> onPlay;  // the mode
  std::function<void(int)> onSend;  // the mode with an unsent kept game
  std::function<void(const std::string&)> onMessage;
  // Once, when the time left reaches zero.
  std::function<void()> onDayOver;

 private:
  void fDrawMode(int mode, int x, int y) const;

  SDailyView view;
  std::unique_ptr<CMainWindow> window;
  std::string ownName;
  int focused = 0;
  long long frames = 0;
  bool dayOverTold = false;
};

// "H:MM:SS" parts of a number of seconds.
std::string fDailyTimeLeft(int seconds);
