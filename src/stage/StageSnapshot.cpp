#include "stage/StageSnapshot.h"

#include <map>

#include "util/Assert.h"

using stage_snapshot_detail::fChangingFields;

SStageSnapshot fTakeStageSnapshot(CPlimoStage& stage, long long frame, const CKeyPlayer& keys, const CRandom& random) {
  SStageSnapshot snapshot;
  snapshot.frame = frame;
  snapshot.mode = stage.mode;
  snapshot.fields = fChangingFields(stage);
  std::map<const CPlimoBall*, int> index;
  snapshot.balls.reserve(stage.balls.size());
  for (const auto& ball : stage.balls) {
    index[ball.get()] = static_cast<int>(snapshot.balls.size());
    if (ball.get() == stage.piece) snapshot.pieceIndex = static_cast<int>(snapshot.balls.size());
    snapshot.balls.push_back({ball->serial, ball->a, ball->b, ball->h, ball->progress, ball->colour, ball->fromHold,
                              ball->speed, ball->vanishCount, ball->lockCount, ball->alive, ball->state,
                              ball->highlighted, ball->mDarkened, ball->fPlacement(), ball->model.fPosition(),
                              ball->highlightModel.fPosition()});
  }
  PLIMO_ASSERT(stage.piece == nullptr || snapshot.pieceIndex >= 0, "the piece is not in the stage's ball list");
  snapshot.cells.reserve(stage.grid.fCells().size());
  for (const CPlimoBall* held : stage.grid.fCells()) {
    if (held == nullptr) {
      snapshot.cells.push_back(-1);
      continue;
    }
    const auto found = index.find(held);
    PLIMO_ASSERT(found != index.end(), "a grid cell holds a ball the stage does not list");
    snapshot.cells.push_back(found->second);
  }
  snapshot.hasGhost = stage.ghost != nullptr;
  if (stage.ghost) {
    snapshot.ghostColour = stage.ghostColour;
    snapshot.ghostPosition = stage.ghost->fPosition();
  }
  snapshot.keys = keys.fPosition();
  snapshot.random = random;
  return snapshot;
}

void fRestoreStageSnapshot(CPlimoStage& stage, const SStageSnapshot& snapshot, CKeyPlayer& keys, CRandom& random) {
  PLIMO_ASSERT(stage.mode == snapshot.mode, "a snapshot restored into a stage of another mode");
  for (auto& ball : stage.balls) ball->fReleaseModels();
  stage.balls.clear();
  stage.piece = nullptr;
  if (stage.ghost) stage.ghost->fDelete();
  stage.ghost.reset();

  fChangingFields(stage) = snapshot.fields;
  stage.balls.reserve(snapshot.balls.size());
  for (const SStageSnapshot::SBall& saved : snapshot.balls) {
    auto ball = std::make_unique<CPlimoBall>(stage, saved.serial, saved.a, saved.b, saved.h, saved.colour,
                                             saved.fromHold);
    ball->progress = saved.progress;
    ball->speed = saved.speed;
    ball->vanishCount = saved.vanishCount;
    ball->lockCount = saved.lockCount;
    ball->alive = saved.alive;
    ball->state = saved.state;
    ball->highlighted = saved.highlighted;
    ball->model.fSetPosition(saved.modelPosition);
    ball->highlightModel.fSetPosition(saved.highlightPosition);
    ball->fRestorePlacement(saved.placement);
    if (saved.darkened) ball->fDarken();
    stage.balls.push_back(std::move(ball));
  }
  if (snapshot.pieceIndex >= 0) stage.piece = stage.balls[static_cast<std::size_t>(snapshot.pieceIndex)].get();

  stage.grid = CStageGrid(stage.W, stage.D, stage.H);
  PLIMO_ASSERT(snapshot.cells.size() == stage.grid.fCells().size(), "a snapshot's grid of another size");
  std::size_t cell = 0;
  for (int a = 0; a < stage.W; ++a) {
    for (int b = 0; b < stage.D; ++b) {
      for (int h = 0; h < stage.H; ++h, ++cell) {
        const int held = snapshot.cells[cell];
        if (held >= 0) stage.grid.fSet(a, b, h, stage.balls[static_cast<std::size_t>(held)].get());
      }
    }
  }

  stage.ghostColour = snapshot.ghostColour;
  if (snapshot.hasGhost) stage.fMakeGhost(snapshot.ghostColour, snapshot.ghostPosition);
  keys.fSetPosition(snapshot.keys);
  random = snapshot.random;
  stage.fApplyView();
}
