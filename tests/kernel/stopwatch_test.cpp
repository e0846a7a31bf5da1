#include <gtest/gtest.h>

#include "host/clock.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rk::driver::StopWatch;
using rk::driver::StopWatchImpl;

class StopWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::clock::useManualClock(true);
    host::clock::advanceManualClock(10.0);  // a counter value of 0 means "no pause"
    StopWatchImpl::resetSharedStateForTests();
  }
  void TearDown() override {
    StopWatchImpl::destroyInstance();
    host::clock::setPerformanceFrequencyFails(false);
    host::clock::useManualClock(false);
  }
  void advance(double s) { host::clock::advanceManualClock(s); }
};

TEST_F(StopWatchTest, StartsPausedUntilStarted) {
  auto watch = StopWatch::initialize();
  StopWatchImpl* c = watch->counter();
  ASSERT_NE(c, nullptr);
  EXPECT_NE(dynamic_cast<rk::driver::StopWatchPerformanceCounter*>(c), nullptr);
  EXPECT_TRUE(c->isPaused());
  advance(1.0);
  c->getLapTime();
  EXPECT_EQ(c->getLapTime(), 0.0);
  watch->start();
  advance(0.25);
  EXPECT_NEAR(c->getLapTime(), 0.25, 1e-9);
}

TEST_F(StopWatchTest, PauseExcludesTheWaitAndSecondPauseKeepsTheFirstMoment) {
  auto watch = StopWatch::initialize();
  StopWatchImpl* c = watch->counter();
  watch->start();
  c->reset();  // elapsed time counts from here
  advance(1.0);
  c->pause();
  advance(0.5);
  c->pause();
  advance(2.0);
  EXPECT_NEAR(c->getElapsedTime(), 1.0, 1e-9);
  c->resume();
  advance(0.5);
  EXPECT_NEAR(c->getElapsedTime(), 1.5, 1e-9);
}

TEST_F(StopWatchTest, LapsWhilePausedCountUpToThePauseThenZero) {
  auto watch = StopWatch::initialize();
  StopWatchImpl* c = watch->counter();
  watch->start();
  c->getLapTime();
  advance(0.1);
  c->pause();
  advance(1.0);
  EXPECT_NEAR(c->getLapTime(), 0.1, 1e-9);
  EXPECT_EQ(c->getLapTime(), 0.0);
  // Regaining focus: reset then resume; the paused span is not a lap.
  c->reset();
  c->resume();
  advance(0.02);
  EXPECT_NEAR(c->getLapTime(), 0.02, 1e-9);
}

TEST_F(StopWatchTest, WithoutPerformanceFrequencyUsesMillisecondTimer) {
  host::clock::setPerformanceFrequencyFails(true);
  auto watch = StopWatch::initialize();
  StopWatchImpl* c = watch->counter();
  EXPECT_NE(dynamic_cast<rk::driver::StopWatchNormalCounter*>(c), nullptr);
  watch->start();
  c->getLapTime();
  advance(0.0167);  // the millisecond timer sees 16 ms
  EXPECT_NEAR(c->getLapTime(), 0.016, 1e-9);
}

TEST_F(StopWatchTest, SecondInitialiseAndWrapperWithoutCounterAreReported) {
  rktest::ErrorLogCapture log;
  StopWatch orphan;
  EXPECT_EQ(log.entries("rk::driver::StopWatch::StopWatch"), 1u);
  auto first = StopWatch::initialize();
  StopWatchImpl* old = first->counter();
  auto second = StopWatch::initialize();
  EXPECT_EQ(log.entries("rk::driver::StopWatch::initialize"), 1u);
  delete old;
}

}  // namespace
