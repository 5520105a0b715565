#include "menu/CDailyWindow.h"

#include <algorithm>
#include <climits>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "gui/CSetupWindowInfo.h"
#include "input/CKeyManagerBase.h"
#include "persist/Settings.h"
#include "stage/CPlimoStage.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "util/Assert.h"

namespace {

// The same frame as the ranking list, so the two read as one family.
constexpr int kWindowLeft = 10;
constexpr int kWindowTop = 10;
constexpr int kWindowWidth = 620;
constexpr int kWindowHeight = 460;
constexpr int kLeft = 28;
constexpr int kRightEdge = 592;
constexpr int kTitleY = 16;
constexpr int kFirstModeY = 56;
constexpr int kModePitch = 116;
constexpr int kBestY = 32;
constexpr int kTopNameY = 56;
constexpr int kTopScoreY = 78;
constexpr int kTopX = 48;
constexpr int kTopColumn = 180;
constexpr int kTopShown = 3;
constexpr int kHintY = 420;
constexpr int kFocusPad = 4;

ETextId fModeTitleId(int mode) {
  switch (mode) {
    case 0: return ETextId::RankingModePlimo;
    case 1: return ETextId::RankingModeYoiko;
    default: return ETextId::RankingModeWanpaku;
  }
}

void fText(int x, int y, const std::string& line, unsigned int colour, int font) {
  DrawStringToHandle(x, y, line.c_str(), colour, font, 0, 0);
}

int fWidth(const std::string& line, int font) {
  return GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), font, 0);
}

}  // namespace

std::string fDailyTimeLeft(int seconds) {
  const int left = std::max(seconds, 0);
  return fFormatText(ETextId::DailyTimeLeftFormat, left / 3600, left / 60 % 60, left % 60);
}

SDailyView fLoadDailyView(const std::string& server, const SDailyInfo& info) {
  SDailyView view;
  view.info = info;
  for (int mode = 0; mode < kModeCount; ++mode) {
    SDailyModeView& shown = view.modes[static_cast<std::size_t>(mode)];
    shown.list = fRequestDailyList(server, mode, info.date);
    shown.kept = fKeptDailyGame(mode, info.date);
  }
  return view;
}

CDailyWindow::CDailyWindow(SDailyView shown, int focusedMode)
    : view(std::move(shown)), ownName(gSettings.rankingName), focused(std::clamp(focusedMode, 0, kModeCount - 1)) {
  CSetupWindowInfo info;
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_bg.png"), 20, 20, 20, 20, 255, true, kWindowWidth,
                      kWindowHeight);
  info.fAddBackground(gImageManager->fGetImage("ui_parts/window1_waku.png"), 20, 20, 20, 20, 255, true,
                      kWindowWidth, kWindowHeight);
  window = std::make_unique<CMainWindow>();
  window->fSetupBackground(info.backgrounds, 0, 0);
  window->fSetPosition(SPointD(kWindowLeft, kWindowTop));
}

int CDailyWindow::fSecondsLeft() const {
  const long long left = view.info.secondsLeft - frames / kFramesASecond;
  return static_cast<int>(std::max(left, 0LL));
}

const SRankingData* CDailyWindow::fOwnBest(int mode) const {
  if (ownName.empty()) return nullptr;
  const auto& entries = view.modes[static_cast<std::size_t>(mode)].list.entries;
  // The list is best first: the first under the name is the best.
  const auto own = std::find_if(entries.begin(), entries.end(), [&](const SRankingData& e) { return e.name == ownName; });
  return own == entries.end() ? nullptr : &*own;
}

void CDailyWindow::fInput() {
  CKeyManagerBase& keys = *gKeyManager;
  // Every key is asked each frame so that its once-per-press latch follows it.
  const bool up = keys.fIsPush(EGameKey::Up, true);
  const bool down = keys.fIsPush(EGameKey::Down, true);
  const bool play = fIsConfirmPush(keys);
  const bool send = keys.fIsPush(EGameKey::KeyC, true);
  const bool back = keys.fIsPush(EGameKey::KeyX, true) || keys.fIsPush(EGameKey::KeyEsc, true);
  if (up) focused = std::max(focused - 1, 0);
  if (down) focused = std::min(focused + 1, kModeCount - 1);
  if (back) {
    if (onClose) onClose();
    return;
  }
  if (play) {
    if (onPlay) onPlay(focused);
    return;
  }
  if (send) {
    const auto& kept = view.modes[static_cast<std::size_t>(focused)].kept;
    if (kept && !kept->sent) {
      if (onSend) onSend(focused);
    } else if (onMessage) {
      onMessage(::fText(ETextId::DailyNothingToSend));
    }
  }
}

void CDailyWindow::fAnimate() {
  window->fUpdate();
  if (frames < LLONG_MAX) ++frames;
  if (!dayOverTold && fSecondsLeft() == 0) {
    dayOverTold = true;
    if (onDayOver) onDayOver();
  }
}

void CDailyWindow::fDraw() const {
  window->fDraw();
  const SPointD at = window->fGetPosition();
  const int x = static_cast<int>(at.x);
  const int y = static_cast<int>(at.y);
  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int pale = GetColor(170, 200, 255);
  fText(x + kLeft, y + kTitleY, fFormatText(ETextId::DailyTitleFormat, view.info.date.c_str()), white, gFontMenu);
  const std::string left = fSecondsLeft() > 0 ? fDailyTimeLeft(fSecondsLeft()) : ::fText(ETextId::DailyDayOver);
  fText(x + kRightEdge - fWidth(left, gFontText), y + kTitleY + 4, left, pale, gFontText);
  for (int mode = 0; mode < kModeCount; ++mode) fDrawMode(mode, x, y + kFirstModeY + mode * kModePitch);
  const std::string hint =
      fFormatText(ETextId::DailyHintFormat, fKeyboardKeyName(EGameKey::KeyZ).c_str(),
                  fKeyboardKeyName(EGameKey::KeyC).c_str(), fKeyboardKeyName(EGameKey::KeyX).c_str());
  fText(x + kLeft, y + kHintY, hint, white, gFontText);
}

void CDailyWindow::fDrawMode(int mode, int x, int top) const {
  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int pale = GetColor(170, 200, 255);
  const unsigned int own = GetColor(255, 220, 80);
  const SDailyModeView& shown = view.modes[static_cast<std::size_t>(mode)];
  const std::string title = ::fText(fModeTitleId(mode));
  int size = 0;
  GetFontStateToHandle(nullptr, &size, nullptr, gFontMenu);
  if (mode == focused) {
    // The chosen mode is a white bar under its name, as a focused row is.
    DrawBox(x + kLeft - kFocusPad, top - kFocusPad, x + kLeft + std::max(fWidth(title, gFontMenu), 160) + kFocusPad,
            top + size + kFocusPad, white, 1);
  }
  fText(x + kLeft, top, title, mode == focused ? GetColor(0, 0, 0) : white, gFontMenu);
  if (shown.kept && !shown.kept->sent) {
    const std::string line = fFormatText(ETextId::DailyKeptFormat, fWithThousandsSeparators(shown.kept->score).c_str(),
                                         fKeyboardKeyName(EGameKey::KeyC).c_str());
    fText(x + kRightEdge - fWidth(line, gFontText), top + 4, line, own, gFontText);
  }
  if (!shown.list.ok) {
    fText(x + kTopX, top + kBestY, shown.list.message, pale, gFontText);
    return;
  }
  const SRankingData* best = fOwnBest(mode);
  const std::string bestLine =
      best ? fFormatText(ETextId::DailyYourBestFormat, fWithThousandsSeparators(best->score).c_str(), best->rank)
           : ::fText(ETextId::DailyNoBest);
  fText(x + kTopX, top + kBestY, bestLine, best ? own : pale, gFontText);
  if (shown.list.entries.empty()) {
    fText(x + kTopX, top + kTopNameY, ::fText(ETextId::DailyNoEntries), pale, gFontText);
    return;
  }
  const int count = std::min(kTopShown, static_cast<int>(shown.list.entries.size()));
  for (int i = 0; i < count; ++i) {
    const SRankingData& entry = shown.list.entries[static_cast<std::size_t>(i)];
    const unsigned int colour = !ownName.empty() && entry.name == ownName ? own : white;
    const int column = x + kTopX + i * kTopColumn;
    fText(column, top + kTopNameY, fFormatText(ETextId::DailyTopFormat, entry.rank, entry.name.c_str()), colour,
          gFontText);
    fText(column + 24, top + kTopScoreY, fWithThousandsSeparators(entry.score), colour, gFontText);
  }
}
