// Comparison helpers for the framework math tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace math_test {

using rk::math::Matrix;
using rk::math::Vector4;

inline ::testing::AssertionResult near(const Vector4& a, const Vector4& b, float tolerance = 1e-5f) {
  const float d[4] = {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
  for (float v : d)
    if (!(std::fabs(v) <= tolerance))
      return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs (" << b.x
                                           << ", " << b.y << ", " << b.z << ", " << b.w << ")";
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult near(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= tolerance))
        return ::testing::AssertionFailure()
               << "element [" << i << "][" << j << "]: " << a.m[i][j] << " vs " << b.m[i][j];
  return ::testing::AssertionSuccess();
}

inline bool sameBits(const Matrix& a, const Matrix& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

inline bool sameBits(const Vector4& a, const Vector4& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace math_test
