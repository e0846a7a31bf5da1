// The present pacer's arithmetic on made-up sleeps: it asks for less by the
// lateness it has seen, learns that lateness and keeps outliers out of it.
#include <gtest/gtest.h>

#include "host/gpu/present_pacer.h"

namespace {

using host::gpu::PresentPacer;
using std::chrono::microseconds;
using std::chrono::milliseconds;
constexpr auto kZero = PresentPacer::Clock::duration::zero();

double micros(PresentPacer::Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

TEST(PresentPacer, WaitsThatRanOutAskForNoSleep) {
  PresentPacer pacer;
  EXPECT_EQ(pacer.sleepTime(milliseconds(5)), milliseconds(5));
  EXPECT_EQ(pacer.sleepTime(kZero), kZero);
  EXPECT_EQ(pacer.sleepTime(-milliseconds(2)), kZero);
}

// Sleeps that all end 300 µs late: the pacer comes to ask for 300 µs less, so
// that the waits end on time; one sleep held up for 40 ms moves it by no
// more than the cap allows.
TEST(PresentPacer, LearnsHowLateSleepsEnd) {
  PresentPacer pacer;
  for (int i = 0; i < 100; ++i) {
    const auto asked = pacer.sleepTime(milliseconds(10));
    pacer.observe(asked, asked + microseconds(300));
  }
  EXPECT_NEAR(micros(pacer.lateness()), 300.0, 1.0);
  EXPECT_NEAR(micros(pacer.sleepTime(milliseconds(10))), 9700.0, 1.0);
  const auto before = pacer.lateness();
  pacer.observe(milliseconds(5), milliseconds(45));
  EXPECT_LE(pacer.lateness() - before, (milliseconds(1) - before) / 8 + microseconds(1));
  // Sleeps that end early teach nothing below zero.
  PresentPacer early;
  early.observe(milliseconds(5), milliseconds(4));
  EXPECT_EQ(early.lateness(), kZero);
}

}  // namespace
