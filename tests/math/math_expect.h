// Comparison helpers for the framework math tests.
#pragma once
#include <gtest/gtest.h>

#include "support/math_near.h"

#include <cmath>
#include <cstring>

#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace math_test {

using rk::math::Matrix;
using rk::math::Vector4;

inline ::testing::AssertionResult near(const Vector4& a, const Vector4& b, float tolerance = 1e-5f) {
  return rktest::nearVector(a, b, tolerance);
}

inline ::testing::AssertionResult near(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
  return rktest::nearMatrix(a, b, tolerance);
}

inline bool sameBits(const Matrix& a, const Matrix& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

inline bool sameBits(const Vector4& a, const Vector4& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace math_test
