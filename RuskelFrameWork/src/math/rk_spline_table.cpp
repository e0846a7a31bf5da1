#include "math/rk_spline_table.h"

#include <algorithm>
#include <vector>

namespace rk::math {

struct SplineTable::Impl {
  std::vector<float> t;  // parameters
  std::vector<float> y;  // values
  std::vector<float> m;  // one sixth of the second derivative at each knot
};

SplineTable::SplineTable() : impl_(std::make_unique<Impl>()) {}
SplineTable::~SplineTable() = default;

void SplineTable::push(float t, float y) {
  impl_->t.push_back(t);
  impl_->y.push_back(y);
}

void SplineTable::pushValue(float y) { impl_->y.push_back(y); }

void SplineTable::setParameters(const float* t, std::size_t count) { impl_->t.assign(t, t + count); }

std::size_t SplineTable::valueCount() const { return impl_->y.size(); }

float SplineTable::value(std::size_t i) const { return impl_->y[i]; }

void SplineTable::release() {
  impl_->t.clear();
  impl_->y.clear();
  impl_->m.clear();
}

void SplineTable::build() {
  const std::vector<float>& t = impl_->t;
  const std::vector<float>& y = impl_->y;
  const std::size_t k = std::min(t.size(), y.size());
  if (k < 3) return;

  // h[i] = t[i+1] - t[i]; slope[i+1] = (y[i+1] - y[i]) / h[i]. A repeated
  // parameter makes a span of zero length: its slope counts as 0.
  std::vector<float> h(k - 1), slope(k, 0.0f);
  for (std::size_t i = 0; i + 1 < k; ++i) {
    h[i] = t[i + 1] - t[i];
    slope[i + 1] = h[i] != 0.0f ? (y[i + 1] - y[i]) / h[i] : 0.0f;
  }
  // h[i-1] m[i-1] + 2 (t[i+1] - t[i-1]) m[i] + h[i] m[i+1] = slope[i+1] - slope[i],
  // m[0] = m[k-1] = 0; forward elimination, then back substitution. A zero
  // diagonal (two zero spans in a row) leaves that knot's m at 0.
  std::vector<float> diagonal(k, 0.0f), rhs(k, 0.0f);
  std::vector<float>& m = impl_->m;
  m.assign(k, 0.0f);
  diagonal[1] = 2.0f * (t[2] - t[0]);
  rhs[1] = slope[2] - slope[1];
  for (std::size_t i = 2; i + 1 < k; ++i) {
    const float f = diagonal[i - 1] != 0.0f ? h[i - 1] / diagonal[i - 1] : 0.0f;
    rhs[i] = slope[i + 1] - slope[i] - f * rhs[i - 1];
    diagonal[i] = 2.0f * (t[i + 1] - t[i - 1]) - f * h[i - 1];
  }
  for (std::size_t i = k - 2; i >= 1; --i) {
    m[i] = diagonal[i] != 0.0f ? (rhs[i] - h[i] * m[i + 1]) / diagonal[i] : 0.0f;
  }
}

float SplineTable::evaluate(float x) const {
  const std::vector<float>& t = impl_->t;
  const std::vector<float>& y = impl_->y;
  const std::vector<float>& m = impl_->m;
  // Only knots that belong to the last build take part, even if more were added since.
  const std::size_t k = std::min({t.size(), y.size(), m.size()});
  if (k < 2) return y.empty() ? 0.0f : y[0];

  std::size_t lo = 0, hi = k - 1;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (x > t[mid])
      lo = mid + 1;
    else
      hi = mid;
  }
  const std::size_t i = lo > 0 ? lo - 1 : 0;
  const float h = t[i + 1] - t[i];
  if (h == 0.0f) return y[i];
  const float u = x - t[i];
  const float c = m[i], d = m[i + 1];
  return y[i] + u * ((y[i + 1] - y[i]) / h - (2.0f * c + d) * h + u * (3.0f * c + (d - c) * u / h));
}

}  // namespace rk::math
