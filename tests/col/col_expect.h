// Shorthands for the collision tests: vectors, and a tolerant comparison of
// point lists.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "math/rk_vector.h"
#include "support/math_near.h"

namespace rktest {

inline rk::math::Vector4 v3(float x, float y, float z) { return {x, y, z, 0.0f}; }

inline ::testing::AssertionResult nearPoints(const std::vector<rk::math::Vector4>& got,
                                             const std::vector<rk::math::Vector4>& want, float tolerance = 1e-5f) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " points, want " << want.size();
  for (std::size_t i = 0; i < got.size(); ++i) {
    ::testing::AssertionResult r = nearVector(got[i], want[i], tolerance);
    if (!r) return ::testing::AssertionFailure() << "point " << i << ": " << r.message();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace rktest
