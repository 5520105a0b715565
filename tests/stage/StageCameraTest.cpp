// The direction keys move the piece the way the picture shows: projected
// with the renderer's own view and projection, from every camera rest
// position of every mode.
#include <cmath>
#include <string>

#include "gamelib/sdl/Camera3D.h"
#include "stage/StageTestKit.h"

namespace {

constexpr float kWidth = 640.0f;
constexpr float kHeight = 480.0f;

class StageCameraTest : public StageTest {
 protected:
  // The view the stage last gave the game library, as the renderer builds it.
  SScreenPosition fOnScreen(VECTOR point) {
    const CHeadlessBackend::SCameraState& state = backend().fCameraState();
    SCamera3D camera;
    camera.fieldOfView = state.fieldOfView;
    camera.eye = {state.eye.x, state.eye.y, state.eye.z};
    camera.target = {state.target.x, state.target.y, state.target.z};
    camera.up = {state.up.x, state.up.y, state.up.z};
    camera.centreX = state.centreX;
    camera.centreY = state.centreY;
    const auto shown = fProjectToScreen(fViewProjectionMatrix(camera, kWidth, kHeight),
                                        SVector3{point.x, point.y, point.z}, kWidth, kHeight);
    EXPECT_TRUE(shown.has_value());
    return shown.value_or(SScreenPosition{});
  }

  // The piece's move on screen for one press of `key`. A key that meets a
  // wall is pressed again after one press of the opposite key.
  SScreenPosition fScreenMove(EGameKey key, EGameKey opposite) {
    SRuleBall& piece = *stage().rules.fPiece();
    auto cell = [&] { return piece.a * 100 + piece.b; };
    int before = cell();
    VECTOR from = fBallWorldPosition(piece, stage().originA, stage().originB);
    fTap(key);
    if (cell() == before) {
      fTap(opposite);
      EXPECT_NE(cell(), before) << "neither way is open";
      before = cell();
      from = fBallWorldPosition(piece, stage().originA, stage().originB);
      fTap(key);
      EXPECT_NE(cell(), before) << "the key moved nothing";
    }
    VECTOR to = fBallWorldPosition(piece, stage().originA, stage().originB);
    to.z = from.z;  // the fall is not the key's doing
    const SScreenPosition a = fOnScreen(from);
    const SScreenPosition b = fOnScreen(to);
    return {b.x - a.x, b.y - a.y, 0.0f};
  }
};

TEST_F(StageCameraTest, EachKeyMovesThePieceThatWayOnScreenAtEveryRestPositionInEveryMode) {
  struct SCase {
    EGameKey key;
    EGameKey opposite;
    float x;  // the expected sign on screen, y downwards
    float y;
    const char* name;
  };
  const SCase cases[] = {{EGameKey::Right, EGameKey::Left, 1, 0, "Right"},
                         {EGameKey::Left, EGameKey::Right, -1, 0, "Left"},
                         {EGameKey::Up, EGameKey::Down, 0, -1, "Up"},
                         {EGameKey::Down, EGameKey::Up, 0, 1, "Down"}};
  for (int mode = 0; mode < 3; ++mode) {
    fStartPlaying(mode);
    ASSERT_TRUE(fStepUntil([&] { return stage().rules.fPiece() != nullptr; }, 200));
    fStep();
    for (int turns = 0; turns < 4; ++turns) {
      stage().rules.fPiece()->speed = 0;  // hold it in the air
      for (const SCase& c : cases) {
        const SScreenPosition move = fScreenMove(c.key, c.opposite);
        const std::string where = std::string(c.name) + " in mode " + std::to_string(mode) + " after " +
                                  std::to_string(turns) + " turns: (" + std::to_string(move.x) + ", " +
                                  std::to_string(move.y) + ")";
        if (c.x != 0) {
          EXPECT_GT(std::fabs(move.x), 2.0f * std::fabs(move.y)) << where;
          EXPECT_GT(move.x * c.x, 8.0f) << where;
        } else {
          EXPECT_GT(std::fabs(move.y), 2.0f * std::fabs(move.x)) << where;
          EXPECT_GT(move.y * c.y, 8.0f) << where;
        }
      }
      // A quarter-turn to the left, through its ten frames.
      fTap(EGameKey::KeyZ);
      ASSERT_TRUE(rules().turning);
      ASSERT_TRUE(fStepUntil([&] { return !rules().turning; }, 20));
      fStep();
    }
  }
}

TEST_F(StageCameraTest, TheLightComesFromBehindTheCameraAtEveryAngleOfATurn) {
  CPlimoStage& s = fStartPlaying(2);
  ASSERT_TRUE(fStepUntil([&] { return s.rules.fPiece() != nullptr; }, 200));
  s.rules.fPiece()->speed = 0;
  fStep();
  for (EGameKey way : {EGameKey::KeyC, EGameKey::KeyZ, EGameKey::KeyZ}) {
    fTap(way);
    for (int frame = 0; frame < 12; ++frame) {
      const CHeadlessBackend::SCameraState& state = backend().fCameraState();
      // Horizontally the light points from the camera's side at the box.
      const float cross = state.eye.x * state.lightDirection.y - state.eye.y * state.lightDirection.x;
      const float along = state.eye.x * state.lightDirection.x + state.eye.y * state.lightDirection.y;
      EXPECT_NEAR(cross, 0.0f, 1e-2f);
      EXPECT_LT(along, 0.0f);
      EXPECT_LT(state.lightDirection.z, 0.0f) << "lit from above";
      fStep();
    }
  }
}

}  // namespace
