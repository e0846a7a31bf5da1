// Natural cubic spline through points at unit parameter spacing: point i lies
// at t = i. The coefficient table describes the points of the last calcTable.
#pragma once
#include <cstdint>
#include <vector>

#include "math/rk_vector.h"

namespace rk::math {

class BSpline {
 public:
  virtual ~BSpline() = default;

  void pushPoint(const Vector4& p) { points_.push_back(p); }
  // Empties the points and the table; not ready afterwards.
  void clear();
  // Builds the coefficients of the current points and marks the table ready.
  void calcTable();
  // Segment floor(t), clamped to the table, evaluated at s = t - segment (s is
  // not clamped, so the end segments extrapolate). With one point that point;
  // without a table the zero vector. w = 0.
  Vector4 calc(float t) const;

  bool isReady() const { return ready_ != 0; }
  const std::vector<Vector4>& points() const { return points_; }

 private:
  std::vector<Vector4> points_;
  std::vector<Vector4> a_, b_, c_, d_;  // value, slope, curvature, cubic terms per segment
  std::int32_t segments_ = 0;
  std::uint8_t ready_ = 0;
};

}  // namespace rk::math
