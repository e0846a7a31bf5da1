// The present pacer's schedule on a made-up clock: presents that return at
// once wait for the next 60 Hz tick, presents that waited for the display or
// came late are not held back.
#include <gtest/gtest.h>

#include "host/gpu/present_pacer.h"

namespace {

using host::gpu::PresentPacer;
using std::chrono::microseconds;
using std::chrono::milliseconds;
constexpr auto kTick = PresentPacer::kTick;

TEST(PresentPacer, PresentsThatReturnAtOnceWaitForTheNextTick) {
  PresentPacer pacer;
  PresentPacer::Clock::time_point now{};
  EXPECT_EQ(pacer.delayAfter(now, 1), PresentPacer::Clock::duration::zero());
  // Frames of 3 ms: each present waits out the rest of its tick, and the
  // ticks stay on one grid (the wake-up's own lateness is not carried on).
  for (int frame = 1; frame <= 5; ++frame) {
    const auto start = PresentPacer::Clock::time_point{} + kTick * (frame - 1) + microseconds(80);
    now = start + milliseconds(3);
    EXPECT_EQ(pacer.delayAfter(now, 1), kTick * frame - (now - PresentPacer::Clock::time_point{})) << frame;
  }
}

TEST(PresentPacer, PresentsThatWaitedOrCameLateAreNotDelayed) {
  PresentPacer pacer;
  const PresentPacer::Clock::time_point zero{};
  pacer.delayAfter(zero, 1);
  // A display that holds each present until its refresh, a little early or late.
  EXPECT_EQ(pacer.delayAfter(zero + kTick - microseconds(300), 1).count(), 0);
  EXPECT_EQ(pacer.delayAfter(zero + kTick * 2 + microseconds(200), 1).count(), 0);
  // A frame three ticks long, then a quick one paced from the late present.
  const auto late = zero + kTick * 5;
  EXPECT_EQ(pacer.delayAfter(late, 1).count(), 0);
  EXPECT_EQ(pacer.delayAfter(late + milliseconds(1), 1), kTick - milliseconds(1));
}

TEST(PresentPacer, ASyncIntervalOfTwoWaitsTwoTicks) {
  PresentPacer pacer;
  const PresentPacer::Clock::time_point zero{};
  pacer.delayAfter(zero, 2);
  EXPECT_EQ(pacer.delayAfter(zero + milliseconds(1), 2), kTick * 2 - milliseconds(1));
}

}  // namespace
