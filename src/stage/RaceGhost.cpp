#include "stage/RaceGhost.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/Globals.h"
#include "gamelib/GameLib.h"
#include "gfx/CImageManager.h"
#include "persist/ReplayArchiveFile.h"
#include "replay/ReplayGame.h"
#include "rules/StageModes.h"
#include "stage/BallColours.h"
#include "stage/CPlimoStage.h"
#include "stage/ModelTable.h"
#include "text/LevelNumber.h"
#include "text/Texts.h"

namespace {

// The strip left of the player's box, under the map of the columns (at most
// three cells of 18 from 140) and over the end hint.
constexpr int kStripLeft = 2;
constexpr int kStripRight = 78;
constexpr int kStripTop = 200;
constexpr int kTextLeft = 7;
constexpr int kRow = 15;
constexpr int kTextRows = 6;
// The ghost's box: a cabinet view from the front, a cell's depth drawn half
// a cell up and right, so that every column shows whatever the ghost's own
// camera does. Fixed, so that its turns never spin the box.
constexpr int kCell = 12;
constexpr int kBoxLeft = kTextLeft;
constexpr int kBoxTop = kStripTop + kTextRows * kRow + 8;
// The end line over the field right of the strip, under the end picture
// (280 to 360) and over the end hint (450).
constexpr int kEndLineLeft = 86;
constexpr int kEndLineTop = 368;
// Dark enough under the strip's small text for 4.5:1 over the brightest sky.
constexpr int kStripAlpha = 230;

unsigned int fRgb(std::uint32_t rgb) {
  return GetColor(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff), static_cast<int>(rgb & 0xff));
}

void fBacked(int left, int top, int right, int bottom, int alpha) {
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, alpha);
  DrawBox(left, top, right, bottom, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
}

}  // namespace

CRaceGhost::CRaceGhost(std::shared_ptr<const SCheckedReplay> replay)
    : mReplay(std::move(replay)),
      mRules(fReplayRules(*mReplay)),
      mKeys(std::shared_ptr<const CCompactLog>(mReplay, &mReplay->keyLog)) {}

CRaceGhost::~CRaceGhost() {
  if (mFont != -1) DeleteFontToHandle(mFont);
}

void CRaceGhost::fFrame() {
  if (mStopped) return;
  if (mFrames == 0) {
    mRules.fAnimate();
  } else if (!mKeys.fHasWholeFrame() || !fPlayRecordedFrame(mRules, mKeys)) {
    // The log ended, or its end was confirmed: the replay would leave here.
    mStopped = true;
  }
  mRules.fClearEvents();
  if (!mStopped) ++mFrames;
}

std::shared_ptr<const SCheckedReplay> fCheckRaceArchive(const std::string& path) {
  return std::make_shared<const SCheckedReplay>(fCheckReplayArchiveFile(path));
}

std::string fRaceEndLine(int lead) {
  const std::string by = fWithThousandsSeparators(std::abs(lead));
  if (lead > 0) return fFormatText(ETextId::RaceEndAheadFormat, by.c_str());
  if (lead < 0) return fFormatText(ETextId::RaceEndBehindFormat, by.c_str());
  return fText(ETextId::RaceEndLevel);
}

void CRaceGhost::fDraw(int playerScore, bool ballSymbols) const {
  const CStageRules& r = mRules;
  // The system's face, as the theatre's legend: Arial Black has no kana.
  if (mFont == -1) mFont = CreateFontToHandle(nullptr, 13, 0, DX_FONTTYPE_ANTIALIASING, -1, -1, 0, -1);
  const int font = mFont;
  const int visible = std::max(1, r.H - 2);
  const int boxWidth = r.W * kCell + r.D * kCell / 2;
  const int boxHeight = visible * kCell + r.D * kCell / 2;
  const int boxBottom = kBoxTop + boxHeight;
  fBacked(kStripLeft, kStripTop - 2, kStripRight, boxBottom + 4, kStripAlpha);

  // The figures: whose box, its score, level and chain, and the player's lead.
  const unsigned int black = GetColor(0, 0, 0);
  int y = kStripTop;
  DrawStringToHandle(kTextLeft, y, fText(ETextId::RaceGhostLabel), GetColor(210, 170, 255), font, black, 0);
  y += kRow;
  DrawStringToHandle(kTextLeft, y, fWithThousandsSeparators(r.score).c_str(), GetColor(100, 255, 255), font, black, 0);
  y += kRow;
  const std::string level = "LV:" + std::to_string(fShownLevel(r.level));
  DrawStringToHandle(kTextLeft, y, level.c_str(), GetColor(255, 255, 100), font, black, 0);
  y += kRow;
  const std::string chain = fFormatText(ETextId::RaceChainFormat, r.rensa > 0 ? r.rensa : r.maxRensa);
  DrawStringToHandle(kTextLeft, y, chain.c_str(), GetColor(255, 130, 130), font, black, 0);
  y += kRow;
  DrawStringToHandle(kTextLeft, y, fText(ETextId::RaceLeadLabel), GetColor(230, 230, 230), font, black, 0);
  y += kRow;
  const int lead = fLead(playerScore);
  const std::string leadText = (lead > 0 ? "+" : "") + fWithThousandsSeparators(lead);
  const unsigned int leadColour = lead > 0 ? GetColor(120, 255, 120) : lead < 0 ? GetColor(255, 120, 100) : GetColor(230, 230, 230);
  DrawStringToHandle(kTextLeft, y, leadText.c_str(), leadColour, font, black, 0);

  // The box: its back and floor, then the balls far row first, so that the
  // nearer ones cover them.
  DrawBox(kBoxLeft, kBoxTop, kBoxLeft + boxWidth, boxBottom, GetColor(70, 40, 40), 0);
  std::vector<const SRuleBall*> shown;
  shown.reserve(r.balls.size());
  for (const int slot : r.balls) {
    const SRuleBall& ball = r.fBall(slot);
    if (ball.alive && ball.h < visible) shown.push_back(&ball);
  }
  std::stable_sort(shown.begin(), shown.end(), [](const SRuleBall* a, const SRuleBall* b) { return a->b > b->b; });
  for (const SRuleBall* ball : shown) {
    const int x = kBoxLeft + ball->a * kCell + ball->b * kCell / 2;
    const int top = boxBottom - (ball->h + 1) * kCell - ball->b * kCell / 2 + ball->progress * kCell / 512;
    if (gImageManager) {
      const int picture = gImageManager->fGetImage(fBallPictureName(ball->colour, ballSymbols));
      int width = 0, height = 0;
      GetGraphSize(picture, &width, &height);
      const double scale = width > 0 ? static_cast<double>(kCell) / width : 1.0;
      DrawRotaGraph(x + kCell / 2, top + kCell / 2, scale, 0.0, picture, 1);
    } else {
      const std::size_t colour = static_cast<std::size_t>(std::clamp(ball->colour, 0, kColourCount - 1));
      DrawBox(x + 1, top + 1, x + kCell - 1, top + kCell - 1, fRgb(kBallColourRgb[colour]), 1);
    }
  }

  // From the moment the ghost tops out, through its end.
  const bool out = r.state == CStageRules::EState::ToppingOut || r.state == CStageRules::EState::GameOver;
  if (out || r.state == CStageRules::EState::StageClear) {
    const char* line = fText(out ? ETextId::RaceGhostToppedOut : ETextId::RaceGhostCleared);
    const int width = GetDrawStringWidthToHandle(line, static_cast<int>(std::string(line).size()), font, 0);
    const int top = boxBottom + 8;
    fBacked(kStripLeft, top - 2, std::max(kStripRight, kTextLeft + width + 5), top + kRow, kStripAlpha);
    DrawStringToHandle(kTextLeft, top, line, GetColor(255, 220, 80), font, black, 0);
  }
}

void fDrawRaceEndLine(int lead) {
  const std::string line = fRaceEndLine(lead);
  const int width = GetDrawStringWidthToHandle(line.c_str(), static_cast<int>(line.size()), gFontText, 0);
  fBacked(kEndLineLeft - 6, kEndLineTop - 3, kEndLineLeft + width + 6, kEndLineTop + 21, kStripAlpha);
  DrawStringToHandle(kEndLineLeft, kEndLineTop, line.c_str(), GetColor(255, 255, 255), gFontText, GetColor(0, 0, 0), 0);
}
