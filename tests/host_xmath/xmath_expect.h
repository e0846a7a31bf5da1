// Comparison helpers for the host math tests.
#pragma once
#include <gtest/gtest.h>

#include "support/math_near.h"

#include <cmath>

#include "host/xmath.h"

namespace xmath_test {

using host::xmath::Matrix;
using host::xmath::Vector;

inline ::testing::AssertionResult near(const Vector& a, const Vector& b, float tolerance = 1e-5f) {
  return rktest::nearVector(a, b, tolerance);
}

inline ::testing::AssertionResult near(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
  return rktest::nearMatrix(a, b, tolerance);
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
