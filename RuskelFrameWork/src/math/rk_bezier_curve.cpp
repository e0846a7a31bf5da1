#include "math/rk_bezier_curve.h"

namespace rk::math {

namespace {

struct BernsteinWeights {
  float w0, w1, w2, w3;
  explicit BernsteinWeights(float t) {
    const float u = 1.0f - t;
    w0 = u * u * u;
    w1 = 3.0f * t * u * u;
    w2 = 3.0f * t * t * u;
    w3 = t * t * t;
  }
};

}  // namespace

float BezierCurve::calc(float t) const {
  const BernsteinWeights k(t);
  return k.w0 * p0_ + k.w1 * p1_ + k.w2 * p2_ + k.w3 * p3_;
}

void CubicBezierCurve::calc(float t, Vector4& out) const {
  const BernsteinWeights k(t);
  out.x = k.w0 * p_[0].x + k.w1 * p_[1].x + k.w2 * p_[2].x + k.w3 * p_[3].x;
  out.y = k.w0 * p_[0].y + k.w1 * p_[1].y + k.w2 * p_[2].y + k.w3 * p_[3].y;
  out.z = k.w0 * p_[0].z + k.w1 * p_[1].z + k.w2 * p_[2].z + k.w3 * p_[3].z;
  out.w = 0.0f;
}

}  // namespace rk::math
