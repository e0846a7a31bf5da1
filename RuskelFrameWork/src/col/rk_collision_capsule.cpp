#include "col/rk_collision_capsule.h"

#include <cmath>

namespace rk::collision {

void Capsule::setFromMatrix(const Matrix& m) {
  const Vector4& b = base_axis_;
  float a[4];
  for (int j = 0; j < 4; ++j) a[j] = b.x * m.m[0][j] + b.y * m.m[1][j] + b.z * m.m[2][j];
  axis_.set(a[0], a[1], a[2], a[3]);
  center_.set(m.m[3][0], m.m[3][1], m.m[3][2], 0.0f);
}

void Capsule::project(float& center, float& radius, const Vector4& d) const {
  center = math::vec3Dot(centerOf(*this), d);
  radius = std::fabs(math::vec3Dot(axis_, d)) * height_ + radius_;
}

// Across the axis the whole side line is extreme: both of its ends.
std::uint32_t Capsule::getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const {
  const Vector4 c = centerOf(*this);
  const Vector4 side = d.scaled(radius_);
  const float s = math::vec3Dot(axis_, d);
  if (std::fabs(s) < kAcrossAxis) {
    out.push_back(c.plus(axis_.scaled(height_)).plus(side));
    out.push_back(c.minus(axis_.scaled(height_)).plus(side));
  } else {
    out.push_back(c.plus(axis_.scaled(s < 0.0f ? -height_ : height_)).plus(side));
  }
  return static_cast<std::uint32_t>(out.size());
}

}  // namespace rk::collision
