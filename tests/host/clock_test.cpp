// The counters, with the manual clock tests use and with real time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "host/clock.h"

namespace {

using namespace host::clock;

class ManualClock : public ::testing::Test {
 protected:
  void SetUp() override { useManualClock(true); }
  void TearDown() override {
    useManualClock(false);
    setPerformanceFrequencyFails(false);
  }
};

TEST_F(ManualClock, MovesOnlyWhenTold) {
  std::int64_t frequency = 0, counter = -1;
  ASSERT_TRUE(queryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency, 10'000'000);
  ASSERT_TRUE(queryPerformanceCounter(&counter));
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(timeGetTime(), 0u);

  advanceManualClock(1.5);
  queryPerformanceCounter(&counter);
  EXPECT_EQ(counter, 15'000'000);
  EXPECT_EQ(timeGetTime(), 1500u);

  sleepMs(250);
  queryPerformanceCounter(&counter);
  EXPECT_EQ(counter, 17'500'000);
  EXPECT_EQ(timeGetTime(), 1750u);

  // Time never runs backwards.
  advanceManualClock(-1.0);
  advanceManualClock(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(timeGetTime(), 1750u);

  useManualClock(true);  // starts again from zero
  queryPerformanceCounter(&counter);
  EXPECT_EQ(counter, 0);
}

TEST_F(ManualClock, MillisecondsWrapAt32Bits) {
  advanceManualClock(4294967.296 + 0.005);  // 2^32 ms + 5 ms
  EXPECT_EQ(timeGetTime(), 5u);
}

TEST_F(ManualClock, FrequencyCanBeMadeToFail) {
  std::int64_t frequency = 123;
  setPerformanceFrequencyFails(true);
  EXPECT_FALSE(queryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency, 0);
  setPerformanceFrequencyFails(false);
  EXPECT_TRUE(queryPerformanceFrequency(&frequency));
  EXPECT_FALSE(queryPerformanceFrequency(nullptr));
  EXPECT_FALSE(queryPerformanceCounter(nullptr));
}

TEST(RealClock, RunsForwardAcrossASleep) {
  std::int64_t before = 0, after = 0;
  queryPerformanceCounter(&before);
  std::uint32_t msBefore = timeGetTime();
  sleepMs(5);
  queryPerformanceCounter(&after);
  // A sleep lasts at least as long as asked.
  EXPECT_GE(after - before, 5 * 10'000);
  EXPECT_GE(static_cast<std::uint32_t>(timeGetTime() - msBefore), 4u);
}

}  // namespace
