// Smooth 3-D path through points, parameterised by chord length from 0 (first
// point) to 1 (last point): one natural cubic spline per axis. It interpolates
// positions, not rotations.
#pragma once
#include <memory>

#include "math/rk_spline_table.h"
#include "math/rk_vector.h"

namespace rk::math {

class QuatSpline {
 public:
  QuatSpline();
  virtual ~QuatSpline();
  QuatSpline(const QuatSpline&) = delete;
  QuatSpline& operator=(const QuatSpline&) = delete;

  void addPos(const Vector4& p);
  // Builds the three splines over the points present now (needs three points).
  void makeTable();
  // With three points or more: x, y, z of the splines built by the last
  // makeTable (out.w untouched; the first point if none was built). With one or
  // two: the straight line first + (last - first) * t, w = 0. With none: zero.
  void calc(float t, Vector4& out) const;
  void clear();

 private:
  std::unique_ptr<SplineTable[]> tables_;  // x, y, z
};

}  // namespace rk::math
