#include <gtest/gtest.h>

#include "util/CEventManager.h"
#include "util/CPoint.h"

namespace {

TEST(CPointTest, RotationIsClockwiseOnScreen) {
  const SPointD right(10, 0);
  const SPointD turned = right.fRotate(90);
  EXPECT_NEAR(turned.x, 0.0, 1e-9);
  EXPECT_NEAR(turned.y, 10.0, 1e-9);  // downwards
  EXPECT_EQ(right.x, 10.0);           // the original is unchanged
  const SPointD sum = right + SPointD(1.5, -2);
  EXPECT_EQ(sum.x, 11.5);
  EXPECT_EQ(sum.y, -2.0);
}

TEST(CPointTest, CentredRectangleEdges) {
  const SRectExT<double> rect(100, 50, 31, 20);
  EXPECT_EQ(rect.fLeft(), 84.5);
  EXPECT_EQ(rect.fRight(), 115.5);
  EXPECT_EQ(rect.fTop(), 40.0);
  EXPECT_EQ(rect.fBottom(), 60.0);
}

TEST(CPointTest, IntegerFormsTruncateTowardZero) {
  EXPECT_EQ(CRect(-3, 0, 0, 0).fCentre().x, -1);
  const CPointT<int> turned = CPointT<int>(1, 1).fRotate(45);
  EXPECT_EQ(turned.x, 0);
  EXPECT_EQ(turned.y, 1);
  EXPECT_EQ(CPointT<int>(-7, 7).fDiv(2).x, -3);
  EXPECT_EQ(CRect(10, 10, 4, 30).fWidth(), -6);  // not clamped
}

TEST(CPointTest, AnglesAreMeasuredClockwiseFromStraightUp) {
  const CPointT<int> origin(0, 0);
  EXPECT_DOUBLE_EQ(origin.fAngleTo(CPointT<int>(0, -5)), 0.0);
  EXPECT_DOUBLE_EQ(origin.fAngleTo(CPointT<int>(5, 0)), 90.0);
  EXPECT_DOUBLE_EQ(origin.fAngleTo(CPointT<int>(0, 5)), 180.0);
  EXPECT_DOUBLE_EQ(origin.fAngleTo(CPointT<int>(-5, 0)), 270.0);
  EXPECT_DOUBLE_EQ(CPointT<int>(3, 4).fDistanceTo(origin), 5.0);
  EXPECT_EQ(CPointT<int>(3, 4).fLength(), 5.0L);
}

TEST(CEventManagerTest, EventsLeaveInTheOrderTheyCame) {
  CEventManager events;
  for (int i = 0; i < 3; ++i) {
    auto event = std::make_shared<CEvent>();
    event->fSetProperty2(i);
    event->fSetPayload(std::string("event ") + std::to_string(i));
    events.fAddEvent(event);
  }
  EXPECT_EQ(events.fCount(), 3);
  for (int i = 0; i < 3; ++i) {
    auto event = events.fTakeEvent();
    EXPECT_EQ(event->fGetProperty2(), i);
    EXPECT_EQ(std::any_cast<std::string>(event->fGetPayload()), "event " + std::to_string(i));
  }
  EXPECT_EQ(events.fCount(), 0);
  EXPECT_DEATH(events.fTakeEvent(), "no event");
}

}  // namespace
