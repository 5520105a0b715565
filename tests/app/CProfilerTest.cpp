#include <gtest/gtest.h>

#include "app/CProfiler.h"
#include "support/HeadlessTest.h"

namespace {

class CProfilerTest : public HeadlessTest {};

TEST_F(CProfilerTest, MeasuresNothingUntilSwitchedOn) {
  CProfiler profiler;
  profiler.fMeasureStart("draw");
  profiler.fMeasureEnd("never started");  // no assertion while off
  EXPECT_EQ(profiler.fGetReport(), "");
}

TEST_F(CProfilerTest, ReportSumsAndAveragesEveryCheckpoint) {
  CProfiler profiler;
  profiler.fToggle();
  profiler.fMeasureStart("update");
  backend().fAdvanceClock(10);
  profiler.fMeasureEnd("update");
  profiler.fMeasureStart("update");
  backend().fAdvanceClock(30);
  profiler.fMeasureEnd("update");
  profiler.fMeasureStart("draw");
  backend().fAdvanceClock(5);
  profiler.fMeasureEnd("draw");
  profiler.fMeasureStart("draw");
  backend().fAdvanceClock(2);
  profiler.fMeasureEnd("draw");
  EXPECT_EQ(profiler.fGetReport(),
            "draw: call(2) total(7) average(3.5)update: call(2) total(40) average(20)");
  profiler.fToggle();  // the report does not depend on measuring
  EXPECT_EQ(profiler.fGetReport(),
            "draw: call(2) total(7) average(3.5)update: call(2) total(40) average(20)");
}

TEST_F(CProfilerTest, AnEndWithoutAMatchingStartCountsFromTheLastStartAgain) {
  CProfiler profiler;
  profiler.fToggle();
  profiler.fMeasureStart("load");
  backend().fAdvanceClock(4);
  profiler.fMeasureEnd("load");
  backend().fAdvanceClock(6);
  profiler.fMeasureEnd("load");
  EXPECT_EQ(profiler.fGetReport(), "load: call(1) total(14) average(14)");
}

TEST_F(CProfilerTest, EndingAnUnknownNameIsAProgrammingError) {
  CProfiler profiler;
  profiler.fToggle();
  EXPECT_DEATH(profiler.fMeasureEnd("missing"), "fMeasureEnd InType not found");
}

}  // namespace
