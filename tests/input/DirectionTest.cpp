#include <gtest/gtest.h>

#include <numbers>

#include "input/GameKey.h"

namespace {

constexpr EDirection4 kAll[] = {EDirection4::Left, EDirection4::Up, EDirection4::Right, EDirection4::Down};

TEST(DirectionTest, QuarterTurnsFollowTheCompass) {
  // One quarter to the left: Left->Down, Up->Left, Right->Up, Down->Right.
  EXPECT_EQ(fRotateDirection(EDirection4::Left, EDirection4::Left, 1), EDirection4::Down);
  EXPECT_EQ(fRotateDirection(EDirection4::Up, EDirection4::Left, 1), EDirection4::Left);
  EXPECT_EQ(fRotateDirection(EDirection4::Right, EDirection4::Left, 1), EDirection4::Up);
  EXPECT_EQ(fRotateDirection(EDirection4::Down, EDirection4::Left, 1), EDirection4::Right);
  // One quarter to the right: Left->Up, Up->Right, Right->Down, Down->Left.
  EXPECT_EQ(fRotateDirection(EDirection4::Left, EDirection4::Right, 1), EDirection4::Up);
  EXPECT_EQ(fRotateDirection(EDirection4::Up, EDirection4::Right, 1), EDirection4::Right);
  EXPECT_EQ(fRotateDirection(EDirection4::Right, EDirection4::Right, 1), EDirection4::Down);
  EXPECT_EQ(fRotateDirection(EDirection4::Down, EDirection4::Right, 1), EDirection4::Left);
}

TEST(DirectionTest, SeveralTurnsCompose) {
  for (EDirection4 dir : kAll) {
    // A half turn either way lands on the opposite side; four quarters come home.
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Left, 2), fRotateDirection(dir, EDirection4::Right, 2));
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Left, 4), dir);
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Right, 8), dir);
    // Three to the left is one to the right.
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Left, 3), fRotateDirection(dir, EDirection4::Right, 1));
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Left, 5),
              fRotateDirection(fRotateDirection(dir, EDirection4::Left, 4), EDirection4::Left, 1));
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Left, 0), dir);
    EXPECT_EQ(fRotateDirection(dir, EDirection4::Right, -3), dir);
  }
}

TEST(DirectionDeathTest, TurningUpOrDownIsAProgrammingError) {
  EXPECT_DEATH(fRotateDirection(EDirection4::Left, EDirection4::Up, 1), "Left or Right");
  EXPECT_DEATH(fRotateDirection(EDirection4::Left, EDirection4::Down, 0), "Left or Right");
  EXPECT_DEATH(fDirectionToDegree(static_cast<EDirection4>(4)), "out of range");
  EXPECT_DEATH(fKeyIndex(static_cast<EGameKey>(28)), "EGameKey out of range");
  EXPECT_DEATH(fKeyIndex(static_cast<EGameKey>(-1)), "EGameKey out of range");
}

TEST(DirectionTest, DegreesAreClockwiseFromUp) {
  EXPECT_EQ(fDirectionToDegree(EDirection4::Up), 0.0);
  EXPECT_EQ(fDirectionToDegree(EDirection4::Right), 90.0);
  EXPECT_EQ(fDirectionToDegree(EDirection4::Down), 180.0);
  EXPECT_EQ(fDirectionToDegree(EDirection4::Left), 270.0);
  // A right turn adds a quarter circle.
  for (EDirection4 dir : kAll) {
    const double turned = fDirectionToDegree(fRotateDirection(dir, EDirection4::Right, 1));
    EXPECT_EQ(static_cast<int>(fDirectionToDegree(dir) + 90.0) % 360, static_cast<int>(turned));
  }
}

TEST(DirectionTest, RadiansAreDegreesTimesPiOver180) {
  EXPECT_DOUBLE_EQ(fDegreeToRadian(180.0), std::numbers::pi);
  EXPECT_DOUBLE_EQ(fDegreeToRadian(90.0), std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(fDegreeToRadian(-270.0), -3 * std::numbers::pi / 2);
  EXPECT_EQ(fDegreeToRadian(0.0), 0.0);
  // Product first, then the division: bit-identical on every build.
  EXPECT_EQ(fDegreeToRadian(33.0), 33.0 * std::numbers::pi / 180.0);
}

}  // namespace
