// What the stage draws over and beside the field for the player to read it:
// the effects of the rules' events, the map of the columns and the garbage
// meter.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "rules/StageModes.h"
#include "stage/BallColours.h"
#include "stage/CPlimoStage.h"
#include "stage/FieldView.h"
#include "text/LevelNumber.h"
#include "text/Texts.h"

namespace {

constexpr int kCellUnits = 32;
constexpr int kBurstPieces = 8;
constexpr double kBurstReachPixels = 36.0;
constexpr double kBurstPieceScale = 0.45;
constexpr int kChainFontSize = 30;
constexpr int kBannerFontSize = 26;
constexpr int kPointsFontSize = 20;
constexpr int kFontSizeStep = 6;
// Where the pop-ups show: over the upper part of the field, clear of the queue.
constexpr int kFieldCentreX = 190;
constexpr int kChainY = 250;
constexpr int kBannerY = 170;
// Points rise no higher than this: under the REPLAY or PRACTICE banner and
// the replay's name line (in the theatre under its timeline, as the map).
constexpr int kPointsTop = 134;
// The level-up band: only as wide as its text, right of the map of the
// columns (at most 3 cells wide) and left of the panel.
constexpr int kBannerCentreX = 222;
constexpr int kBannerPadding = 8;
constexpr int kBannerLeftmost = 76;
constexpr int kBannerRightmost = 372;
// The map of the columns: left of the box, under the banners of a replay or
// a practice game (in the theatre under its timeline) and clear of the help
// at the bottom.
constexpr int kMapLeft = 10;
constexpr int kMapCell = 18;
// The garbage meter, a box of the panel's own kind under its texts.
constexpr int kMeterLeft = 384;
constexpr int kMeterRight = 632;
constexpr int kMeterX = 394;
constexpr int kMeterY = 372;
constexpr int kMeterPip = 14;

unsigned int fBallColour(int colour) {
  const std::uint32_t rgb = kBallColourRgb[static_cast<std::size_t>(std::clamp(colour, 0, kColourCount - 1))];
  return GetColor(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff), static_cast<int>(rgb & 0xff));
}

void fSetAlpha(double opacity) {
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, static_cast<int>(std::lround(255.0 * std::clamp(opacity, 0.0, 1.0))));
}

void fNoBlend() { SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0); }

// Text centred on x.
void fDrawCentred(int x, int y, const std::string& text, unsigned int colour, int font, unsigned int edge) {
  const int width = GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font);
  DrawStringToHandle(x - width / 2, y, text.c_str(), colour, font, edge);
}

bool fIsBlinkOn(int frameCount) { return frameCount % 30 < 18; }

}  // namespace

CPlimoStage::~CPlimoStage() {
  for (const auto& [size, font] : mEffectFonts) DeleteFontToHandle(font);
}

int CPlimoStage::fEffectFont(int size) {
  const auto found = mEffectFonts.find(size);
  if (found != mEffectFonts.end()) return found->second;
  // The system's face, which has the Japanese letters too, thick with an edge.
  const int font = CreateFontToHandle(nullptr, size, 9, DX_FONTTYPE_ANTIALIASING_EDGE, -1, -1, 0, -1);
  mEffectFonts.emplace(size, font);
  return font;
}

void CPlimoStage::fDrawEffects() {
  const unsigned int black = GetColor(0, 0, 0);
  // The level-up band's bottom while it shows (a chain's pop-up keeps below it).
  int levelUpBottom = 0;
  for (const SStageEffect& effect : mEffects.fLive()) {
    if (effect.kind == EStageEffect::LevelUp) levelUpBottom = fBannerY() + kBannerFontSize + 10;
  }
  // Points rise to the top of the field, but stay under that band too.
  const int pointsTop = std::max({kPointsTop, mFieldMapTop - 3, levelUpBottom + 2});
  for (const SStageEffect& effect : mEffects.fLive()) {
    const double progress = effect.fProgress();
    const double opacity = CStageEffects::fOpacity(progress);
    const VECTOR world = VGet(static_cast<float>(originA + kCellUnits * effect.a),
                              static_cast<float>(originB + kCellUnits * effect.b), static_cast<float>(kCellUnits * effect.h));
    switch (effect.kind) {
      case EStageEffect::Burst: {
        const VECTOR at = ConvWorldPosToScreenPos(world);
        if (at.z < 0.0f || at.z > 1.0f) break;
        // Small balls of the colour flying apart, and a flash at the start.
        const double reach = kBurstReachPixels * std::sqrt(progress);
        fSetAlpha(opacity);
        if (progress < 0.25) {
          const int flash = static_cast<int>(14 * (1.0 - progress * 2));
          DrawBox(static_cast<int>(at.x) - flash, static_cast<int>(at.y) - flash, static_cast<int>(at.x) + flash,
                  static_cast<int>(at.y) + flash, GetColor(255, 255, 255), 1);
        }
        const int picture = gImageManager && effect.colour >= 0 && effect.colour < kColourCount
                                ? gImageManager->fGetImage(std::string("ui_parts/plimoball_") + fColourName(effect.colour) + ".png")
                                : -1;
        for (int i = 0; i < kBurstPieces; ++i) {
          const double angle = 2.0 * std::numbers::pi * (i + 0.5 * (effect.colour % 2)) / kBurstPieces;
          const int x = static_cast<int>(at.x + reach * std::cos(angle));
          const int y = static_cast<int>(at.y + reach * std::sin(angle) - 10.0 * progress);
          if (picture != -1) {
            DrawRotaGraph(x, y, kBurstPieceScale * (1.0 - 0.5 * progress), 0.0, picture, 1);
          } else {
            DrawBox(x - 3, y - 3, x + 3, y + 3, fBallColour(effect.colour), 1);
          }
        }
        fNoBlend();
        break;
      }
      case EStageEffect::Points: {
        const VECTOR at = ConvWorldPosToScreenPos(world);
        if (at.z < 0.0f || at.z > 1.0f) break;
        fSetAlpha(opacity);
        fDrawCentred(static_cast<int>(at.x),
                     std::max(pointsTop, static_cast<int>(at.y - 20 - CStageEffects::fPointsRise(progress))),
                     "+" + fWithThousandsSeparators(effect.value), fBallColour(effect.colour),
                     fEffectFont(kPointsFontSize), black);
        fNoBlend();
        break;
      }
      case EStageEffect::Chain: {
        // In steps of a few pixels: each size is a font of its own, made once.
        const int size = kFontSizeStep * static_cast<int>(std::lround(
                                             kChainFontSize * CStageEffects::fChainScale(effect.value, progress) / kFontSizeStep));
        fSetAlpha(opacity);
        // Warmer the longer the chain; under the level-up band when both show.
        const int green = std::max(60, 230 - 30 * (effect.value - 2));
        const int top = std::max(kChainY - size / 2, levelUpBottom + 4);
        fDrawCentred(kFieldCentreX, top, fFormatText(ETextId::ChainPopupFormat, effect.value), GetColor(255, green, 60),
                     fEffectFont(size), black);
        fNoBlend();
        break;
      }
      case EStageEffect::LevelUp: {
        // A band the field shows through, as wide as the text, which slides
        // in from the left over its first tenth (seen only inside the band).
        const int font = fEffectFont(kBannerFontSize);
        // The rules count levels from 0; the panel shows them from 1.
        const std::string text = fFormatText(ETextId::LevelUpFormat, fShownLevel(effect.value));
        const int width = GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font);
        const int left = std::max(kBannerLeftmost, kBannerCentreX - width / 2 - kBannerPadding);
        const int right = std::min(kBannerRightmost, kBannerCentreX + (width + 1) / 2 + kBannerPadding);
        const int y = fBannerY();
        fSetAlpha(0.6 * opacity);
        DrawBox(left, y - 6, right, y + kBannerFontSize + 10, GetColor(20, 20, 60), 1);
        fSetAlpha(opacity);
        const int slide = progress < 0.1 ? static_cast<int>(-300.0 * (0.1 - progress) / 0.1) : 0;
        SetDrawArea(left, y - 6, right, y + kBannerFontSize + 10);
        fDrawCentred(kBannerCentreX + slide, y, text, GetColor(255, 255, 110), font, black);
        SetDrawArea(0, 0, 640, 480);
        fNoBlend();
        break;
      }
    }
  }
}

int CPlimoStage::fBannerY() const {
  // Below what the theatre stacks over the field (its timeline and legend),
  // where it has moved the map.
  return std::max(kBannerY, mFieldMapTop + 1);
}

void CPlimoStage::fDrawFieldMap() {
  const std::vector<int> heights = fColumnHeights(rules);
  const double angle = rules.fCameraAngle();
  const SMapPlace size = fMapSize(rules.W, rules.D, angle);
  const int top = mFieldMapTop;
  const int bottom = top + size.y * kMapCell;
  const SRuleBall* piece = rules.fPiece();
  const bool inPlay = rules.state == EState::Playing || rules.state == EState::Finishing;
  fSetAlpha(0.7);
  DrawBox(kMapLeft - 3, top - 3, kMapLeft + size.x * kMapCell + 3, bottom + 3, GetColor(10, 10, 30), 1);
  fNoBlend();
  // The top-out layer is the top but one: the closer a column comes, the redder.
  const int danger = std::max(1, rules.H - 2);
  for (int a = 0; a < rules.W; ++a) {
    for (int b = 0; b < rules.D; ++b) {
      const SMapPlace place = fMapPlace(a, b, rules.W, rules.D, angle);
      const int x = kMapLeft + place.x * kMapCell;
      const int y = top + place.y * kMapCell;
      const int height = heights[static_cast<std::size_t>(a + rules.W * b)];
      const double fill = std::min(1.0, static_cast<double>(height) / danger);
      const unsigned int shade =
          height == 0 ? GetColor(40, 40, 60)
                      : GetColor(60 + static_cast<int>(190 * fill), 200 - static_cast<int>(150 * fill), 70);
      DrawBox(x + 1, y + 1, x + kMapCell - 1, y + kMapCell - 1, shade, 1);
      if (height > 0) {
        const std::string digits = std::to_string(height);
        // Dark on every shade of the cells: 5:1 or more from green to red.
        fDrawCentred(x + kMapCell / 2, y + 2, digits, GetColor(0, 0, 0), gFontSmall, 0);
      }
      if (piece != nullptr && inPlay && piece->a == a && piece->b == b) {
        DrawBox(x, y, x + kMapCell, y + kMapCell, fBallColour(piece->colour), 0);
        DrawBox(x + 1, y + 1, x + kMapCell - 1, y + kMapCell - 1, GetColor(255, 255, 255), 0);
      }
    }
  }
}

void CPlimoStage::fDrawGarbageMeter() {
  const int limit = std::max(1, rules.garbageLimit);
  const int meter = std::min(rules.garbageMeter, limit);
  DrawBox(kMeterLeft, kMeterY, kMeterRight, kMeterY + 54, GetColor(25, 25, 50), 1);
  DrawBox(kMeterLeft, kMeterY, kMeterLeft + 3, kMeterY + 54, GetColor(200, 200, 200), 1);
  DrawStringToHandle(kMeterX, kMeterY + 4, fText(ETextId::GarbageMeterLabel), GetColor(220, 220, 220), gFontText, 0);
  // One pip a single clear: garbage falls with the next ball once all are lit.
  const int pipsX = kMeterX + 110;
  for (int i = 0; i < limit; ++i) {
    const int x = pipsX + i * (kMeterPip + 4);
    const unsigned int colour = i < meter ? (meter >= limit ? GetColor(255, 70, 50) : GetColor(240, 180, 60))
                                          : GetColor(60, 60, 80);
    DrawBox(x, kMeterY + 7, x + kMeterPip, kMeterY + 7 + kMeterPip, colour, 1);
  }
  const bool inPlay = rules.state == EState::Playing || rules.state == EState::Finishing;
  if (inPlay && meter >= limit && fIsBlinkOn(rules.frameCount)) {
    DrawStringToHandle(kMeterX, kMeterY + 29, fText(ETextId::GarbageWarning), GetColor(255, 80, 60), gFontText, 0);
  }
}

namespace {

// A ball between the camera and the piece: enough left to see it is there.
constexpr float kHidingOpacity = 0.28f;

}  // namespace

void CPlimoStage::fDrawBalls(bool inPlay) {
  const std::set<int> hiding =
      inPlay ? fBallsHidingReach(rules, cameraPos, originA, originB) : std::set<int>{};
  std::vector<const SRuleBall*> byDistance;
  byDistance.reserve(rules.balls.size());
  for (const int slot : rules.balls) byDistance.push_back(&rules.fBall(slot));
  auto distance = [this](const SRuleBall& ball) {
    const VECTOR at = fBallWorldPosition(ball, originA, originB);
    const float dx = at.x - cameraPos.x, dy = at.y - cameraPos.y, dz = at.z - cameraPos.z;
    return dx * dx + dy * dy + dz * dz;
  };
  std::stable_sort(byDistance.begin(), byDistance.end(),
                   [&](const SRuleBall* a, const SRuleBall* b) { return distance(*a) < distance(*b); });
  mHidingBalls.clear();
  for (const SRuleBall* ball : byDistance) {
    CPlimoBall* look = fBallModels(*ball);
    if (look == nullptr) continue;
    if (hiding.count(ball->id) != 0) {
      mHidingBalls.push_back(ball);
      continue;
    }
    look->fDraw(*ball, inPlay, rules.frameCount);
  }
  std::reverse(mHidingBalls.begin(), mHidingBalls.end());
}

void CPlimoStage::fDrawHidingBalls(bool inPlay) {
  for (const SRuleBall* ball : mHidingBalls) {
    CPlimoBall* look = fBallModels(*ball);
    if (look == nullptr) continue;
    look->fSetOpacity(kHidingOpacity);
    look->fDraw(*ball, inPlay, rules.frameCount);
    look->fSetOpacity(1.0f);
  }
  mHidingBalls.clear();
}
