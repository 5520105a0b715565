// What the replay theatre draws over its stage: the REPLAY banner, the
// timeline bar with its marks and their legend, the speed just chosen, and the help lines while paused (the pad's
// too, when one is plugged in).
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/Globals.h"
#include "input/PauseKeys.h"
#include "text/KeyHints.h"
#include "text/Texts.h"
#include "gamelib/GameLib.h"
#include "stage/CPlimoStage.h"
#include "stage/CReplayTheatre.h"
#include "util/Assert.h"
#include "util/CFpsTimer.h"

namespace {

// The bar lies across the top of the box, under the banner and left of the
// score panel, where the stack seldom reaches: the balls stay in view, and
// its backing is see-through besides.
constexpr int kBarLeft = 10;
constexpr int kBarRight = 364;
constexpr int kBarTop = 156;
constexpr int kBarHeight = 8;
constexpr int kMarkHeight = 5;
// Dark enough that white text on it keeps 4.5:1 over the brightest sky,
// light enough that the box shows through.
constexpr int kBackingAlpha = 170;
constexpr int kLegendTop = kBarTop + kBarHeight + kMarkHeight + 2;
// The speed after 1 - 5, beside the banner.
constexpr int kSpeedX = 190;
constexpr int kSpeedY = 86;

// Small text's backings: dark enough for 4.5:1 whatever the play shows.
constexpr int kTextBackingAlpha = 200;

// A dark backing round lines of small text, `lines` rows of `rowHeight`
// from (x, y), as wide as the widest.
void fDrawTextBacking(int x, int y, const std::vector<std::string>& lines, int rowHeight, int font, int alpha) {
  int width = 0;
  for (const std::string& line : lines) {
    width = std::max(width, GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), font, 0));
  }
  if (alpha < 255) SetDrawBlendMode(DX_BLENDMODE_ALPHA, alpha);
  DrawBox(x - 4, y - 3, x + width + 4, y + rowHeight * static_cast<int>(lines.size()) + 2, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
}

// "m:ss.cc" of a frame count at the game's 17 ms a frame.
std::string fClock(long long frames) {
  const long long centis = frames * CFpsTimer::kFrameMilliseconds / 10;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", centis / 6000, centis / 100 % 60, centis % 100);
  return text;
}

const char* const kSpeedNames[] = {"x1/4", "x1/2", "x1", "x2", "x4"};

}  // namespace

void CReplayTheatre::fDrawBanner() const {
  const unsigned int gold = GetColor(255, 220, 80);
  DrawStringToHandle(10, 76, fText(ETextId::TheatreBanner), gold, gFontLarge, GetColor(0, 0, 0), 0);
}

void CReplayTheatre::fDrawWho() const {
  if (mInfo.player.empty()) return;
  // Whose game: on a solid band drawn after the play, so that no ball or
  // pop-up passing under it covers it.
  const std::string who = mInfo.player + "  " + mInfo.date;
  fDrawTextBacking(12, 116, {who}, 14, gFontSmall, 255);
  DrawStringToHandle(12, 116, who.c_str(), GetColor(255, 255, 255), gFontSmall, GetColor(0, 0, 0), 0);
}

// At the replay's end, over the field above the stage's end picture, clear
// of the timeline and the help lines.
void CReplayTheatre::fDrawEndLine() const {
  const auto state = mStage->rules.state;
  if (state != CPlimoStage::EState::GameOver && state != CPlimoStage::EState::StageClear) return;
  const char* line = fText(ETextId::TheatreEndLine);
  constexpr int kLeft = 12, kTop = 258;
  const int width = GetDrawStringWidthToHandle(line, static_cast<int>(std::string_view(line).size()), gFontText, 0);
  // On a dark band, so that it reads over the sky as well as the field.
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, 160);
  DrawBox(kLeft - 6, kTop - 3, kLeft + width + 6, kTop + 21, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  DrawStringToHandle(kLeft, kTop, line, GetColor(255, 255, 255), gFontText, GetColor(0, 0, 0), 0);
}

void CReplayTheatre::fDrawTimeline() const {
  const long long length = std::max(1LL, mMarks.length);
  const int width = kBarRight - kBarLeft;
  auto xOf = [&](long long frame) {
    return kBarLeft + static_cast<int>(static_cast<double>(std::min(frame, length)) * width / static_cast<double>(length));
  };
  const unsigned int black = GetColor(0, 0, 0);
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, kBackingAlpha);
  DrawBox(kBarLeft - 4, kBarTop - 20, kBarRight + 4, kLegendTop + 16, black, 1);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  DrawBox(kBarLeft, kBarTop, kBarRight, kBarTop + kBarHeight, GetColor(90, 90, 90), 1);
  DrawBox(kBarLeft, kBarTop, xOf(mFrame), kBarTop + kBarHeight, GetColor(120, 200, 255), 1);
  // Chains of 2 or more above the bar, level-ups below it.
  const unsigned int chainColour = GetColor(255, 100, 100);
  for (const auto& chain : mMarks.chains) {
    const int x = xOf(chain.frame);
    DrawBox(x, kBarTop - kMarkHeight, x + 1, kBarTop, chainColour, 1);
  }
  const unsigned int levelColour = GetColor(255, 255, 100);
  for (const long long frame : mMarks.levelUps) {
    const int x = xOf(frame);
    DrawBox(x, kBarTop + kBarHeight, x + 1, kBarTop + kBarHeight + kMarkHeight, levelColour, 1);
  }
  const int at = xOf(mFrame);
  DrawBox(at - 1, kBarTop - 3, at + 2, kBarTop + kBarHeight + 3, GetColor(255, 255, 255), 1);

  const std::string text = fFormatText(ETextId::TheatrePositionFormat, fClock(mFrame).c_str(),
                                       fClock(mMarks.length).c_str(), mFrame, mMarks.length, kSpeedNames[mSpeed]);
  // Clear of the chain marks above the bar.
  DrawStringToHandle(kBarLeft, kBarTop - 18, text.c_str(), GetColor(255, 255, 255), gFontSmall, black, 0);
  fDrawTimelineLegend();
}

int CReplayTheatre::fBelowTimeline() { return kLegendTop + 16 + 8; }

void CReplayTheatre::fDrawTimelineLegend() const {
  // A mark of each kind, then what the marks mean.
  DrawBox(kBarLeft, kLegendTop + 2, kBarLeft + 2, kLegendTop + 10, GetColor(255, 100, 100), 1);
  DrawBox(kBarLeft + 4, kLegendTop + 2, kBarLeft + 6, kLegendTop + 10, GetColor(255, 255, 100), 1);
  DrawStringToHandle(kBarLeft + 12, kLegendTop, fText(ETextId::TheatreLegend), GetColor(255, 255, 255), mLegendFont,
                     GetColor(0, 0, 0), 0);
}

std::string fTheatreSpeedText(int index) {
  PLIMO_ASSERT(index >= 0 && index < static_cast<int>(std::size(kSpeedNames)), "replay speed out of range");
  return fFormatText(ETextId::TheatreSpeedFormat, kSpeedNames[index]);
}

void CReplayTheatre::fDrawSpeed() const {
  const std::string text = fTheatreSpeedText(mSpeed);
  fDrawTextBacking(kSpeedX, kSpeedY, {text}, 20, gFontText, kTextBackingAlpha);
  DrawStringToHandle(kSpeedX, kSpeedY, text.c_str(), GetColor(255, 255, 255), gFontText, GetColor(0, 0, 0), 0);
}

void CReplayTheatre::fDrawHelp() const {
  const unsigned int white = GetColor(255, 255, 255);
  const unsigned int black = GetColor(0, 0, 0);
  fDrawTextBacking(12, 440, {fText(ETextId::TheatreHelpLine1), fText(ETextId::TheatreHelpLine2)}, 16, gFontSmall,
                   kTextBackingAlpha);
  DrawStringToHandle(12, 440, fText(ETextId::TheatreHelpLine1), white, gFontSmall, black, 0);
  DrawStringToHandle(12, 456, fText(ETextId::TheatreHelpLine2), white, gFontSmall, black, 0);
  if (GetJoypadNum() <= 0) return;
  // With a pad plugged in, its buttons as the option menu assigned them.
  auto button = [](EGameKey key) {
    const std::string name = fPadButtonName(key);
    return name.empty() ? std::string("-") : name;
  };
  const int pauseMask = fPausePadMask();
  const std::string pause = pauseMask == PAD_INPUT_8 ? "Button8" : pauseMask == PAD_INPUT_7 ? "Button7" : "-";
  const std::string line1 = fFormatText(ETextId::TheatrePadHelpLine1Format, pause.c_str());
  const std::string line2 =
      fFormatText(ETextId::TheatrePadHelpLine2Format, button(EGameKey::KeyZ).c_str(), button(EGameKey::KeyC).c_str(),
                  button(EGameKey::KeySpace).c_str(), button(EGameKey::KeyX).c_str());
  fDrawTextBacking(12, 352, {line1, line2}, 16, gFontSmall, kTextBackingAlpha);
  DrawStringToHandle(12, 352, line1.c_str(), white, gFontSmall, black, 0);
  DrawStringToHandle(12, 368, line2.c_str(), white, gFontSmall, black, 0);
}
