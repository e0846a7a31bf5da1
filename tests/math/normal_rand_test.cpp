// The random source against an independent 64-bit form of the same generator.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "math/rk_normal_rand.h"

using rk::math::NormalRand;

namespace {

constexpr std::int64_t kMask = 123459876;
constexpr std::int64_t kModulus = 2147483647;

// state -> (value, next state) by a plain modular product in 64 bits.
std::pair<double, std::int32_t> reference(std::int32_t state) {
  const std::int64_t s = static_cast<std::int32_t>(state ^ kMask);
  std::int64_t next = (16807 * s) % kModulus;
  if (next < 0) next += kModulus;
  return {static_cast<double>(next) / static_cast<double>(kModulus), static_cast<std::int32_t>(next ^ kMask)};
}

}  // namespace

TEST(NormalRand, MatchesTheMinimalStandardGeneratorFromAnySeed) {
  for (std::int32_t seed : {1, 0, -1, 42, 127773, -127773, INT_MAX, INT_MIN, 2147483646}) {
    NormalRand rand(seed);
    std::int32_t state = seed;
    for (int i = 0; i < 1000; ++i) {
      const auto [value, next] = reference(state);
      ASSERT_NEAR(rand.calcRand(), value, 1e-12) << "seed " << seed << " draw " << i;
      ASSERT_EQ(rand.state(), next) << "seed " << seed << " draw " << i;
      state = next;
    }
  }
}

TEST(NormalRand, SameSeedSameSequenceAndValuesInsideTheUnitInterval) {
  NormalRand a(1), b;
  b.calcRand();
  b.setSeed(1);
  for (int i = 0; i < 500; ++i) {
    const double v = a.calcRand();
    EXPECT_EQ(v, b.calcRand());
    EXPECT_GT(v, 0.0);
    EXPECT_LT(v, 1.0);
  }
}

TEST(NormalRand, StateEqualToTheMaskIsStuckAtZero) {
  NormalRand rand(123459876);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rand.calcRand(), 0.0);
}
