// Cubic Bezier curves: a scalar one for easing and one of points.
// value(t) = u^3 P0 + 3 t u^2 P1 + 3 t^2 u P2 + t^3 P3 with u = 1 - t; t is not clamped.
#pragma once
#include "math/rk_vector.h"

namespace rk::math {

// Starts as the ease curve 0, 1, 1, 1.
class BezierCurve {
 public:
  BezierCurve() = default;
  BezierCurve(float p0, float p1, float p2, float p3) : p0_(p0), p1_(p1), p2_(p2), p3_(p3) {}
  virtual ~BezierCurve() = default;

  void setP0(float v) { p0_ = v; }
  void setP1(float v) { p1_ = v; }
  void setP2(float v) { p2_ = v; }
  void setP3(float v) { p3_ = v; }
  float calc(float t) const;

 private:
  float p0_ = 0.0f, p1_ = 1.0f, p2_ = 1.0f, p3_ = 1.0f;
};

// Control points start at zero; they and the result carry w = 0.
class CubicBezierCurve {
 public:
  virtual ~CubicBezierCurve() = default;

  void setP0(float x, float y, float z) { p_[0] = {x, y, z, 0.0f}; }
  void setP1(float x, float y, float z) { p_[1] = {x, y, z, 0.0f}; }
  void setP2(float x, float y, float z) { p_[2] = {x, y, z, 0.0f}; }
  void setP3(float x, float y, float z) { p_[3] = {x, y, z, 0.0f}; }
  void calc(float t, Vector4& out) const;

 private:
  Vector4 p_[4] = {};
};

}  // namespace rk::math
