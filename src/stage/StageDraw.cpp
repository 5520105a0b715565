// What the stage shows: the box and its balls, the queue panel and the
// head-up display.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "gfx/CImageManager.h"
#include "stage/BallColours.h"
#include "stage/CPlimoStage.h"
#include "rules/StageModes.h"
#include "stage/StageReplay.h"
#include "text/KeyHints.h"
#include "text/LevelNumber.h"
#include "text/Texts.h"
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

// Small text over the play, on a dark backing that keeps it 4.5:1 or more
// over the brightest sky and grass.
void fDrawBackedText(int x, int y, const std::string& text, unsigned int colour, int font, int rowHeight) {
  const int width = GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font);
  SetDrawBlendMode(DX_BLENDMODE_ALPHA, 200);
  DrawBox(x - 4, y - 3, x + width + 4, y + rowHeight + 2, GetColor(0, 0, 0), 1);
  SetDrawBlendMode(DX_BLENDMODE_NOBLEND, 0);
  fDrawText(x, y, text, colour, font);
}

bool fIsBlinkOn(int frameCount) { return frameCount % 60 < 30; }

// Walls between the camera and the balls are see-through, so that every
// ball in the box shows from every rest position; the far walls stay solid.
constexpr float kNearWallOpacity = 0.18f;
// The landing ghost is a brighter, see-through copy of the piece, more
// opaque than it is made so that it reads among the balls.
constexpr float kGhostBrightness = 1.4f;
constexpr float kGhostOpacity = 0.6f;
constexpr int kCellUnits = 32;
// The balls' radius in world units, and the ghost's outline: a ring of the
// piece's colour between two dark ones, drawn over the box so that the
// landing cell reads among many balls, see-through ones included.
constexpr float kBallRadius = 15.0f;
constexpr int kOutlineColourWidth = 2;

// A ring of whole rows: for each screen row inside the circle of `radius`
// round (cx, cy), the parts left and right of the inner circle.
void fDrawRing(int cx, int cy, int radius, int width, unsigned int colour) {
  const int inside = radius - width;
  for (int dy = -radius; dy < radius; ++dy) {
    const double y = dy + 0.5;
    const double outer2 = static_cast<double>(radius) * radius - y * y;
    if (outer2 <= 0.0) continue;
    const int outer = static_cast<int>(std::lround(std::sqrt(outer2)));
    const double inner2 = static_cast<double>(inside) * inside - y * y;
    const int inner = inside > 0 && inner2 > 0.0 ? static_cast<int>(std::lround(std::sqrt(inner2))) : 0;
    if (outer <= 0) continue;
    if (inner <= 0) {
      DrawBox(cx - outer, cy + dy, cx + outer, cy + dy + 1, colour, 1);
    } else {
      DrawBox(cx - outer, cy + dy, cx - inner, cy + dy + 1, colour, 1);
      DrawBox(cx + inner, cy + dy, cx + outer, cy + dy + 1, colour, 1);
    }
  }
}

}  // namespace

bool CPlimoStage::fIsNearWall(const CModel& part) const {
  const VECTOR at = part.fPosition();
  if (at.z < 0.0f) return false;  // the turf under the box
  constexpr float kTolerance = 0.5f;
  auto on = [&](float coordinate, double plane) { return std::fabs(coordinate - static_cast<float>(plane)) < kTolerance; };
  const double nearB = originB - kCellUnits / 2;
  const double farB = originB + kCellUnits * (rules.D - 1) + kCellUnits / 2;
  const double nearA = originA - kCellUnits / 2;
  const double farA = originA + kCellUnits * (rules.W - 1) + kCellUnits / 2;
  // A wall stands between the camera and the box when the camera is on its
  // outer side.
  if (on(at.y, nearB)) return cameraPos.y < nearB;
  if (on(at.y, farB)) return cameraPos.y > farB;
  if (on(at.x, nearA)) return cameraPos.x < nearA;
  if (on(at.x, farA)) return cameraPos.x > farA;
  return false;
}

void CPlimoStage::fSyncBallModels() {
  // Listed balls get their models (made or moved); the models of balls no
  // longer listed go. Once a step, so the list is walked once. A stage that
  // has released its models (it is leaving) makes none.
  if (!mModelTable.fIsLoaded()) return;
  ++mSyncStamp;
  for (const int slot : rules.balls) {
    const SRuleBall& ball = rules.fBall(slot);
    if (!ball.alive) continue;
    auto found = mBallModels.find(ball.id);
    if (found != mBallModels.end() && found->second.fColour() != ball.colour) {
      // A restored game may give an id another ball: never show the wrong colour.
      found->second.fReleaseModels();
      mBallModels.erase(found);
      found = mBallModels.end();
    }
    if (found == mBallModels.end()) {
      found = mBallModels.emplace(ball.id, CPlimoBall(mModelTable, ball, originA, originB)).first;
    } else {
      found->second.fPlace(ball);
    }
    found->second.mSyncStamp = mSyncStamp;
  }
  for (auto it = mBallModels.begin(); it != mBallModels.end();) {
    if (it->second.mSyncStamp == mSyncStamp) {
      ++it;
      continue;
    }
    it->second.fReleaseModels();
    it = mBallModels.erase(it);
  }
  fPlaceGhost();
}

CPlimoBall* CPlimoStage::fBallModels(const SRuleBall& ball) {
  const auto found = mBallModels.find(ball.id);
  return found == mBallModels.end() ? nullptr : &found->second;
}

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
  if (paused) {
    fDrawTexts();
    fDrawPaused();
    return;
  }

  // Opaque first, nearest first, so that the depth test spares the shading
  // of what is hidden: the balls from the camera outwards, then the far
  // walls and the turf. Then what is seen through: the ghost, the balls
  // that hide the piece and the near walls.
  const bool inPlay = rules.state == EState::Playing || rules.state == EState::Finishing;
  fTurnSymbolsToCamera();
  fDrawBalls(inPlay);
  std::vector<CModel*> nearWalls;
  for (auto part = scenery.rbegin(); part != scenery.rend(); ++part) {  // the walls before the turf
    if (fIsNearWall(*part)) {
      nearWalls.push_back(&*part);
      continue;
    }
    if (part->fPosition().z >= 0.0f && part->fHandle() != -1) MV1SetOpacityRate(part->fHandle(), 1.0f);
    part->fDraw();
  }
  // The ghost shows where the piece will land: only while there is one in play.
  if (ghost && rules.fPiece() != nullptr && inPlay) {
    if (ghost->fHandle() != -1) {
      MV1SetDifColorScale(ghost->fHandle(), GetColorF(kGhostBrightness, kGhostBrightness, kGhostBrightness, 1.0f));
      MV1SetOpacityRate(ghost->fHandle(), kGhostOpacity);
    }
    ghost->fDraw();
  }
  fDrawHidingBalls(inPlay);
  for (CModel* wall : nearWalls) {
    if (wall->fHandle() != -1) MV1SetOpacityRate(wall->fHandle(), kNearWallOpacity);
    wall->fDraw();
  }
  if (ghost && rules.fPiece() != nullptr && inPlay) fDrawGhostOutline();

  fDrawEffects();
  fDrawFieldMap();
  if (race) race->fDraw(rules.score, mBallSymbols);
  fDrawQueuePanel();
  fDrawTexts();
  fDrawGarbageMeter();

  const bool newRecord = fBeatsHighScore();
  if (rules.state == EState::GameOver || rules.state == EState::StageClear) {
    fDrawPicture(50, 280, rules.state == EState::GameOver ? "ui_parts/gameover.png" : "ui_parts/stageclear.png", true);
    if (newRecord && fIsBlinkOn(rules.frameCount)) fDrawPicture(400, 380, "ui_parts/save_highscore.png", true);
    // As the ghost's box shows it: a ghost still playing may yet pass.
    if (race && race->fEndLead()) fDrawRaceEndLine(race->fLead(rules.score));
    fDrawEndHint();
  }

  if (replayInfo.mode == SReplayInfo::EMode::Practice) {
    fDrawText(10, 76, fText(ETextId::PracticeBanner), GetColor(255, 160, 60), gFontLarge);
  }
  if (race) fDrawText(10, 76, fText(ETextId::RaceBanner), GetColor(180, 110, 255), gFontLarge);

  if (gFpsTimer) {
    const unsigned int white = GetColor(255, 255, 255);
    if (gFpsTimer->noWait) fDrawBackedText(10, 460, "No wait", white, gFontSmall, 14);
    if (gFpsTimer->slowMotion) fDrawBackedText(10, 440, "Slow mode", white, gFontSmall, 14);
  }

  if (rules.state == EState::Ready) {
    // The opening sounds belong to the pictures: a skipped frame plays neither.
    const int stateTimer = rules.stateTimer;
    if (stateTimer >= kReadyFirstFrame && stateTimer <= kReadyLastFrame) {
      fDrawPicture(100, 240, "ui_parts/ready.png", true);
      if (stateTimer == kReadyFirstFrame) fPlaySound(ESoundEffect::Ok1a);
    } else if (stateTimer >= kGoFirstFrame) {
      fDrawPicture(140, 240, "ui_parts/go.png", true);
      if (stateTimer == kGoFirstFrame) fPlaySound(ESoundEffect::Ok1b);
    }
  }
}

SGhostOutline CPlimoStage::fGhostOutline() const {
  SGhostOutline outline;
  if (!ghost) return outline;
  const VECTOR at = ghost->fPosition();
  // The camera's right, level with the floor: a ball's radius that way
  // shows its radius on screen.
  const float across = std::sqrt(cameraPos.x * cameraPos.x + cameraPos.y * cameraPos.y);
  if (across <= 0.0f) return outline;
  const VECTOR side = VGet(at.x + kBallRadius * cameraPos.y / across, at.y - kBallRadius * cameraPos.x / across, at.z);
  const VECTOR centre = ConvWorldPosToScreenPos(at);
  const VECTOR edge = ConvWorldPosToScreenPos(side);
  if (centre.z < 0.0f || centre.z > 1.0f) return outline;
  outline.x = static_cast<int>(std::lround(centre.x));
  outline.y = static_cast<int>(std::lround(centre.y));
  outline.radius = static_cast<int>(std::lround(std::hypot(edge.x - centre.x, edge.y - centre.y)));
  return outline;
}

void CPlimoStage::fDrawGhostOutline() {
  const SGhostOutline outline = fGhostOutline();
  if (outline.radius < 3) return;
  const SRuleBall* piece = rules.fPiece();
  const std::uint32_t rgb = kBallColourRgb[static_cast<std::size_t>(std::clamp(piece->colour, 0, kColourCount - 1))];
  const unsigned int colour = GetColor(static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff),
                                       static_cast<int>(rgb & 0xff));
  fDrawRing(outline.x, outline.y, outline.radius + 1, kOutlineColourWidth + 2, GetColor(10, 10, 20));
  fDrawRing(outline.x, outline.y, outline.radius, kOutlineColourWidth, colour);
}

// A replay's end belongs to the theatre, which says so itself; a practice
// game's keys lead back to the menu, a daily game's to the daily screen,
// not into a new game.
void CPlimoStage::fDrawEndHint() {
  if (replayInfo.mode == SReplayInfo::EMode::Replay) return;
  const ETextId format = replayInfo.mode == SReplayInfo::EMode::Practice ? ETextId::PracticeEndHintFormat
                         : replayInfo.fIsDaily()                         ? ETextId::DailyEndHintFormat
                                                                         : ETextId::EndHintFormat;
  const std::string hint = fFormatText(format, fKeyboardKeyName(EGameKey::KeyZ).c_str(),
                                       fKeyboardKeyName(EGameKey::KeyX).c_str());
  fDrawBackedText(12, 450, hint, GetColor(255, 255, 255), gFontText, 20);
}

void CPlimoStage::fDrawQueuePanel() {
  const auto& hold = rules.hold;
  const auto& queue = rules.queue;
  fDrawPicture(32, 10, "ui_parts/hold_waku.png", true);
  fDrawPicture(8, 10, "ui_parts/hold.png", true);
  fDrawPicture(140, 10, "ui_parts/next_waku.png", true);
  fDrawPicture(250, 70, "ui_parts/next.png", true);
  if (!hold.empty() && !hold[0].isEnd) fDrawPicture(50, 18, fBallPictureName(hold[0].colour, mBallSymbols), true);
  if (!queue[0].isEnd) fDrawPicture(160, 18, fBallPictureName(queue[0].colour, mBallSymbols), true);
  if (!gImageManager) return;
  constexpr int kSmallX[] = {258, 308};
  for (int i = 1; i <= 2; ++i) {
    if (queue[i].isEnd) continue;
    DrawRotaGraph(kSmallX[i - 1], 40, 0.8, 0.0, gImageManager->fGetImage(fBallPictureName(queue[i].colour, mBallSymbols)), 1);
  }
}

void CPlimoStage::fDrawTexts() {
  const CStageRules& r = rules;
  const unsigned int levelColour = GetColor(255, 255, 100);
  const unsigned int scoreColour = GetColor(100, 255, 255);
  const unsigned int highColour = GetColor(100, 100, 255);
  const unsigned int rensaColour = GetColor(255, 100, 100);
  const unsigned int createdColour = GetColor(100, 255, 100);
  char text[64];

  std::snprintf(text, sizeof text, "LV:%d", fShownLevel(r.level));
  fDrawText(390, 10, text, levelColour, gFontLarge);
  fDrawText(390, 50, "SCORE:", scoreColour, gFontLarge);
  fDrawText(440, 90, fWithThousandsSeparators(r.score), scoreColour, gFontLarge);
  fDrawText(390, 130, "HIGH SCORE:", highColour, gFontLarge);
  fDrawText(440, 170, fWithThousandsSeparators(fShownHighScore()), highColour, gFontLarge);
  if (r.rensa > 0 && r.state == EState::Playing) {
    // The running chain blinks; hidden half the time.
    if (fIsBlinkOn(r.frameCount)) {
      fDrawText(390, 210, fText(ETextId::HudChain), rensaColour, gFontLarge);
      std::snprintf(text, sizeof text, "%d", r.rensa);
      fDrawText(440, 250, text, rensaColour, gFontLarge);
    }
  } else {
    fDrawText(390, 210, fText(ETextId::HudMaxChain), rensaColour, gFontLarge);
    std::snprintf(text, sizeof text, "%d", r.maxRensa);
    fDrawText(440, 250, text, rensaColour, gFontLarge);
  }
  fDrawText(390, 290, "CREATED:", createdColour, gFontLarge);
  std::snprintf(text, sizeof text, "(%d/%d)", r.dealt, r.ballLimit);
  fDrawText(440, 330, text, createdColour, gFontLarge);
}
