// What the stage shows: the box and its balls, the queue panel and the
// head-up display.
#include <cstdio>
#include <string>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "stage/CPlimoStage.h"
#include "stage/StageModes.h"
#include "stage/StageReplay.h"
#include "util/CFpsTimer.h"

namespace {

constexpr int kReadyFirstFrame = 10;
constexpr int kReadyLastFrame = 79;
constexpr int kGoFirstFrame = 90;

// Pictures need the image manager; a stage without one (a test) skips them.
void fDrawPicture(int x, int y, const std::string& name, bool transparent) {
  if (!gImageManager) return;
  DrawGraph(x, y, gImageManager->fGetImage(name), transparent ? 1 : 0);
}

void fDrawText(int x, int y, const std::string& text, unsigned int colour, int font) {
  DrawStringToHandle(x, y, text.c_str(), colour, font, 0);
}

std::string fBallPicture(int colour) { return std::string("ui_parts/plimoball_") + fColourName(colour) + ".png"; }

bool fIsBlinkOn(int frameCount) { return frameCount % 60 < 30; }

}  // namespace

std::string fWithThousandsSeparators(int value) {
  const bool negative = value < 0;
  // Through a wider type, so that the lowest int has a magnitude too.
  std::string digits = std::to_string(negative ? -static_cast<long long>(value) : static_cast<long long>(value));
  std::string out;
  const int length = static_cast<int>(digits.size());
  for (int i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) out += ',';
    out += digits[static_cast<std::size_t>(i)];
  }
  return negative ? "-" + out : out;
}

void CPlimoStage::fDraw() {
  fDrawPicture(0, 0, "bg.png", false);
  fDrawPicture(374, 0, "ui_parts/menu.png", false);

  for (CModel& part : scenery) part.fDraw();
  for (auto& ball : balls) ball->fDraw();
  if (ghost) ghost->fDraw();

  fDrawQueuePanel();
  fDrawTexts();

  const bool newRecord = fBeatsHighScore();
  if (state == EState::GameOver || state == EState::StageClear) {
    fDrawPicture(50, 280, state == EState::GameOver ? "ui_parts/gameover.png" : "ui_parts/stageclear.png", true);
    if (newRecord && fIsBlinkOn(frameCount)) fDrawPicture(400, 380, "ui_parts/save_highscore.png", true);
  }

  if (replayInfo.mode == SReplayInfo::EMode::Practice) {
    fDrawText(10, 76, "PRACTICE", GetColor(255, 160, 60), gFontLarge);
  }

  if (gFpsTimer) {
    const unsigned int white = GetColor(255, 255, 255);
    if (gFpsTimer->noWait) fDrawText(10, 460, "No wait", white, gFontSmall);
    if (gFpsTimer->slowMotion) fDrawText(10, 440, "Slow mode", white, gFontSmall);
  }

  if (state == EState::Ready) {
    // The opening sounds belong to the pictures: a skipped frame plays neither.
    if (stateTimer >= kReadyFirstFrame && stateTimer <= kReadyLastFrame) {
      fDrawPicture(100, 240, "ui_parts/ready.png", true);
      if (stateTimer == kReadyFirstFrame) fPlaySound(ESoundEffect::Ok1a);
    } else if (stateTimer >= kGoFirstFrame) {
      fDrawPicture(140, 240, "ui_parts/go.png", true);
      if (stateTimer == kGoFirstFrame) fPlaySound(ESoundEffect::Ok1b);
    }
  }
}

void CPlimoStage::fDrawQueuePanel() {
  fDrawPicture(32, 10, "ui_parts/hold_waku.png", true);
  fDrawPicture(8, 10, "ui_parts/hold.png", true);
  fDrawPicture(140, 10, "ui_parts/next_waku.png", true);
  fDrawPicture(250, 70, "ui_parts/next.png", true);
  if (!hold.empty() && !hold[0].isEnd) fDrawPicture(50, 18, fBallPicture(hold[0].colour), true);
  if (!queue[0].isEnd) fDrawPicture(160, 18, fBallPicture(queue[0].colour), true);
  if (!gImageManager) return;
  constexpr int kSmallX[] = {258, 308};
  for (int i = 1; i <= 2; ++i) {
    if (queue[i].isEnd) continue;
    DrawRotaGraph(kSmallX[i - 1], 40, 0.8, 0.0, gImageManager->fGetImage(fBallPicture(queue[i].colour)), 1);
  }
}

void CPlimoStage::fDrawTexts() {
  const unsigned int levelColour = GetColor(255, 255, 100);
  const unsigned int scoreColour = GetColor(100, 255, 255);
  const unsigned int highColour = GetColor(100, 100, 255);
  const unsigned int rensaColour = GetColor(255, 100, 100);
  const unsigned int createdColour = GetColor(100, 255, 100);
  char text[64];

  std::snprintf(text, sizeof text, "LV:%d", level + 1);
  fDrawText(390, 10, text, levelColour, gFontLarge);
  fDrawText(390, 50, "SCORE:", scoreColour, gFontLarge);
  fDrawText(440, 90, fWithThousandsSeparators(score), scoreColour, gFontLarge);
  fDrawText(390, 130, "HIGH SCORE:", highColour, gFontLarge);
  fDrawText(440, 170, fWithThousandsSeparators(fModeHighScore(mode)), highColour, gFontLarge);
  if (rensa > 0 && state == EState::Playing) {
    // The running chain blinks; hidden half the time.
    if (fIsBlinkOn(frameCount)) {
      fDrawText(390, 210, "RENSA:", rensaColour, gFontLarge);
      std::snprintf(text, sizeof text, "%d", rensa);
      fDrawText(440, 250, text, rensaColour, gFontLarge);
    }
  } else {
    fDrawText(390, 210, "MAX RENSA:", rensaColour, gFontLarge);
    std::snprintf(text, sizeof text, "%d", maxRensa);
    fDrawText(440, 250, text, rensaColour, gFontLarge);
  }
  fDrawText(390, 290, "CREATED:", createdColour, gFontLarge);
  std::snprintf(text, sizeof text, "(%d/%d)", dealt, ballLimit);
  fDrawText(440, 330, text, createdColour, gFontLarge);
}
