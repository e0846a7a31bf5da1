// Comparison helpers for the host math tests.
#pragma once
#include <gtest/gtest.h>

#include <cmath>

#include "host/xmath.h"

namespace xmath_test {

using host::xmath::Matrix;
using host::xmath::Vector;

inline ::testing::AssertionResult near(const Vector& a, const Vector& b, float tolerance = 1e-5f) {
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

// The same rotation: q and -q both qualify.
inline ::testing::AssertionResult sameRotation(const Vector& a, const Vector& b, float tolerance = 1e-5f) {
  if (near(a, b, tolerance)) return ::testing::AssertionSuccess();
  return near(a, Vector{-b.x, -b.y, -b.z, -b.w}, tolerance);
}

inline Matrix rows(const float (&r)[4][4]) {
  Matrix m;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m.m[i][j] = r[i][j];
  return m;
}

}  // namespace xmath_test
