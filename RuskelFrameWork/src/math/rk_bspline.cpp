#include "math/rk_bspline.h"

#include <cmath>

namespace rk::math {

void BSpline::clear() {
  points_.clear();
  a_.clear();
  b_.clear();
  c_.clear();
  d_.clear();
  segments_ = 0;
  ready_ = 0;
}

void BSpline::calcTable() {
  const int count = static_cast<int>(points_.size());
  const int n = count - 1;
  const Vector4 zero{0.0f, 0.0f, 0.0f, 0.0f};
  a_.clear();
  for (const Vector4& p : points_) a_.push_back({p.x, p.y, p.z, 0.0f});
  b_.assign(count, zero);
  c_.assign(count, zero);
  d_.assign(count, zero);
  segments_ = n > 0 ? n : 0;
  ready_ = 1;
  if (n < 1) return;  // zero or one point: nothing to solve, calc returns the point itself

  // Second-derivative terms c: c[i-1] + 4 c[i] + c[i+1] = 3 (p[i+1] - 2 p[i] + p[i-1]),
  // c[0] = c[n] = 0, solved by the tridiagonal sweep.
  for (int i = 1; i < n; ++i) c_[i] = a_[i + 1].minus(a_[i].scaled(2.0f)).plus(a_[i - 1]).scaled(3.0f);
  std::vector<float> w(count, 0.0f);
  for (int i = 1; i < n; ++i) {
    w[i] = 1.0f / (4.0f - w[i - 1]);
    c_[i] = c_[i].minus(c_[i - 1]).scaled(w[i]);
  }
  for (int i = n - 1; i >= 1; --i) c_[i] = c_[i].minus(c_[i + 1].scaled(w[i]));
  for (int i = 0; i < n; ++i) {
    d_[i] = c_[i + 1].minus(c_[i]).divided(3.0f);
    b_[i] = a_[i + 1].minus(a_[i]).minus(c_[i]).minus(d_[i]);
  }
}

Vector4 BSpline::calc(float t) const {
  if (a_.empty()) return {0.0f, 0.0f, 0.0f, 0.0f};
  if (segments_ < 1) return a_[0];
  // Clamp in float before converting: a huge or NaN parameter must not reach the int cast.
  const float last = static_cast<float>(segments_ - 1);
  const float segment = std::floor(t);
  const int i = segment >= last ? segments_ - 1 : (segment > 0.0f ? static_cast<int>(segment) : 0);
  const float s = t - static_cast<float>(i);
  const Vector4 v = d_[i].scaled(s).plus(c_[i]).scaled(s).plus(b_[i]).scaled(s).plus(a_[i]);
  return v;
}

}  // namespace rk::math
