// Tolerant comparisons of 4-float vectors (x, y, z, w) and 4x4 matrices (m[4][4]),
// shared by the framework and host math tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>

namespace rktest {

template <class V>
::testing::AssertionResult nearVector(const V& a, const V& b, float tolerance) {
  const float d[4] = {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
  for (float v : d)
    if (!(std::fabs(v) <= tolerance))
      return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs (" << b.x
                                           << ", " << b.y << ", " << b.z << ", " << b.w << ")";
  return ::testing::AssertionSuccess();
}

template <class M>
::testing::AssertionResult nearMatrix(const M& a, const M& b, float tolerance) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= tolerance))
        return ::testing::AssertionFailure()
               << "element [" << i << "][" << j << "]: " << a.m[i][j] << " vs " << b.m[i][j];
  return ::testing::AssertionSuccess();
}

}  // namespace rktest
