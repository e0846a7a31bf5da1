#include "col/rk_collision_sphere.h"

namespace rk::collision {

void Sphere::setFromMatrix(const Matrix& m) { center_.set(m.m[3][0], m.m[3][1], m.m[3][2], 0.0f); }

void Sphere::project(float& center, float& radius, const Vector4& d) const {
  center = math::vec3Dot(centerOf(*this), d);
  radius = radius_;
}

// One point whatever the list held before.
std::uint32_t Sphere::getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const {
  out.push_back(centerOf(*this).plus(d.scaled(radius_)));
  return 1;
}

}  // namespace rk::collision
