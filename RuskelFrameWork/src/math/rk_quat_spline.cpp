#include "math/rk_quat_spline.h"

#include <cmath>
#include <vector>

namespace rk::math {

QuatSpline::QuatSpline() : tables_(new SplineTable[3]) {}

QuatSpline::~QuatSpline() {
  for (int i = 0; i < 3; ++i) tables_[i].release();
}

void QuatSpline::addPos(const Vector4& p) {
  tables_[0].pushValue(p.x);
  tables_[1].pushValue(p.y);
  tables_[2].pushValue(p.z);
}

void QuatSpline::makeTable() {
  const std::size_t n = tables_[0].valueCount();
  if (n < 3) return;
  // Cumulative chord lengths, scaled to run from 0 to 1.
  std::vector<float> t(n, 0.0f);
  for (std::size_t i = 1; i < n; ++i) {
    const float dx = tables_[0].value(i) - tables_[0].value(i - 1);
    const float dy = tables_[1].value(i) - tables_[1].value(i - 1);
    const float dz = tables_[2].value(i) - tables_[2].value(i - 1);
    t[i] = t[i - 1] + static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy + dz * dz)));
  }
  const float total = t[n - 1];
  // All points equal: no length to divide by; every parameter stays 0.
  if (total > 0.0f)
    for (float& v : t) v /= total;
  for (int i = 0; i < 3; ++i) {
    tables_[i].setParameters(t.data(), n);
    tables_[i].build();
  }
}

void QuatSpline::calc(float t, Vector4& out) const {
  const std::size_t n = tables_[0].valueCount();
  if (n >= 3) {
    out.x = tables_[0].evaluate(t);
    out.y = tables_[1].evaluate(t);
    out.z = tables_[2].evaluate(t);
    return;
  }
  if (n == 0) {
    out.zero();
    return;
  }
  const Vector4 first{tables_[0].value(0), tables_[1].value(0), tables_[2].value(0), 0.0f};
  const Vector4 last{tables_[0].value(n - 1), tables_[1].value(n - 1), tables_[2].value(n - 1), 0.0f};
  out = first.plus(last.minus(first).scaled(t));
}

void QuatSpline::clear() {
  for (int i = 0; i < 3; ++i) tables_[i].release();
}

}  // namespace rk::math
