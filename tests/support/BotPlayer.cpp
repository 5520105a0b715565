#include "support/BotPlayer.h"

#include <climits>

#include "app/GameMain.h"
#include "app/Globals.h"
#include "stage/CPlimoStage.h"
#include "util/Assert.h"
#include "util/CRandom.h"

namespace {

constexpr long long kFrameLimit = 2'000'000;

int fKeyFor(EDirection4 pressed) {
  switch (pressed) {
    case EDirection4::Left: return KEY_INPUT_J;
    case EDirection4::Up: return KEY_INPUT_I;
    case EDirection4::Right: return KEY_INPUT_L;
    case EDirection4::Down: return KEY_INPUT_K;
  }
  return KEY_INPUT_J;
}

// The key whose move, seen through the camera, goes in `wanted`.
int fKeyMoving(EDirection4 wanted, EDirection4 cameraDir) {
  for (EDirection4 key : {EDirection4::Left, EDirection4::Up, EDirection4::Right, EDirection4::Down}) {
    if (fRotateDirection(key, EDirection4::Left, static_cast<int>(cameraDir)) == wanted) return fKeyFor(key);
  }
  return KEY_INPUT_J;
}

// What to press in this frame (0: nothing).
int fChooseKey(const CStageRules& stage, const SBotStyle& style, long long frame) {
  if (stage.state == CPlimoStage::EState::GameOver || stage.state == CPlimoStage::EState::StageClear) {
    return KEY_INPUT_Z;
  }
  if (stage.fPiece() == nullptr || stage.state != CPlimoStage::EState::Playing) return 0;
  const SRuleBall& piece = *stage.fPiece();
  const int serial = piece.serial;
  if (style.holdEvery > 0 && serial % style.holdEvery == 0 && !piece.fromHold) return KEY_INPUT_SPACE;
  if (style.turnEvery > 0 && serial % style.turnEvery == 0 && frame % 40 == 0 && !stage.turning) {
    return serial % 2 == 0 ? KEY_INPUT_Z : KEY_INPUT_C;
  }
  if (stage.turning) return 0;
  // The lowest column; the spawn column last, it is the one that tops out.
  int bestA = piece.a, bestB = piece.b, bestLayer = INT_MAX;
  for (int a = 0; a < stage.W; ++a) {
    for (int b = 0; b < stage.D; ++b) {
      const int layer = stage.fLandingLayer(a, b, stage.H - 1) + (a == 1 && b == 1 ? 1 : 0);
      if (layer < bestLayer) {
        bestLayer = layer;
        bestA = a;
        bestB = b;
      }
    }
  }
  if (piece.a > bestA) return fKeyMoving(EDirection4::Left, stage.cameraDir);
  if (piece.a < bestA) return fKeyMoving(EDirection4::Right, stage.cameraDir);
  if (piece.b > bestB) return fKeyMoving(EDirection4::Up, stage.cameraDir);
  if (piece.b < bestB) return fKeyMoving(EDirection4::Down, stage.cameraDir);
  if (style.dropEvery > 0 && serial % style.dropEvery == 0) return KEY_INPUT_X;
  return 0;
}

// P pauses; keys pressed while paused must change nothing; P again resumes.
void fPlayPause(CHeadlessBackend& backend, int frames) {
  backend.fSetKey(KEY_INPUT_P, true);
  fRunFrameLogic();
  backend.fReleaseAllKeys();
  for (int i = 0; i < frames; ++i) {
    backend.fSetKey(KEY_INPUT_X, i % 4 == 1);
    backend.fSetKey(KEY_INPUT_SPACE, i % 4 == 3);
    fRunFrameLogic();
  }
  backend.fReleaseAllKeys();
  fRunFrameLogic();
  backend.fSetKey(KEY_INPUT_P, true);
  fRunFrameLogic();
  backend.fReleaseAllKeys();
}

}  // namespace

SBotGame fPlayBotGame(CHeadlessBackend& backend, int mode, std::int64_t utcMillis, SBotStyle style) {
  backend.fSetUtcBase(utcMillis - backend.fNow());
  gCurrentScene = std::make_unique<CPlimoStage>(mode, SReplayInfo::fNormal(mode));
  // Built outside a frame: its first animation, as the frame that builds a
  // stage gives it.
  gCurrentScene->fAnimate();
  gCurrentScene.fReleaseRetired();
  return fPlayBotStage(backend, style);
}

SBotGame fPlayBotStage(CHeadlessBackend& backend, SBotStyle style) {
  auto* stage = dynamic_cast<CPlimoStage*>(gCurrentScene.fGet());
  PLIMO_ASSERT(stage != nullptr, "the bot plays the current stage");
  SBotGame game;
  game.seed = stage->rules.fRandom().fGetSeed();
  for (long long frame = 0; frame < kFrameLimit; ++frame) {
    backend.fReleaseAllKeys();
    if (style.pauseEvery > 0 && frame > 0 && frame % style.pauseEvery == 0) fPlayPause(backend, style.pauseFrames);
    // Keys are pressed on even frames only, so every press is a new one.
    const int key = frame % 2 == 0 ? fChooseKey(stage->rules, style, frame) : 0;
    if (key != 0) backend.fSetKey(key, true);
    fRunFrameLogic();
    ++game.frames;
    // Confirmed: the end only stays on screen from here.
    if (gCurrentScene.fGet() != stage || stage->endHoldLeft > 0) break;
    gCurrentScene.fReleaseRetired();
  }
  switch (stage->rules.state) {
    case CPlimoStage::EState::GameOver: game.state = "GameOver"; break;
    case CPlimoStage::EState::StageClear: game.state = "StageClear"; break;
    default: game.state = "Unfinished"; break;
  }
  game.score = stage->rules.score;
  game.maxRensa = stage->rules.maxRensa;
  game.cleared = stage->rules.cleared;
  game.dealt = stage->rules.dealt;
  game.level = stage->rules.level;
  gCurrentScene.fReleaseRetired();
  return game;
}
