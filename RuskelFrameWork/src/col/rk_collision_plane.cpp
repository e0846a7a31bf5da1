#include "col/rk_collision_plane.h"

#include <cmath>

namespace rk::collision {

void Plane::calcFromPointNormal(const Vector4& point, const Vector4& normal) {
  Vector4 n = normal;
  const float length = math::vec3Length(normal);
  if (length != 0.0f) n = normal.scaled(1.0f / length);
  a_ = n.x, b_ = n.y, c_ = n.z;
  d_ = -math::vec3Dot(n, point);
}

}  // namespace rk::collision
