#include "math/rk_ray.h"

#include <algorithm>
#include <cmath>

namespace rk::math {

int raySphereIntersect(float radius, const Ray& ray, Vector4& hit1, Vector4& hit2) {
  const Vector4& p = ray.getPos();
  const Vector4& n = ray.getNormal();
  const float a = vec3Dot(n, n);
  // A ray without a direction is a point: the quadratic collapses and would divide by zero.
  if (!(a > 0.0f)) return 0;
  const float b = 2.0f * vec3Dot(p, n);
  const float c = vec3Dot(p, p) - radius * radius;
  const float disc = b * b - 4.0f * a * c;
  const float twoA = 2.0f * a;
  if (std::fabs(disc) < kFloatEpsilon) {
    const float t = (-b + std::sqrt(std::max(disc, 0.0f))) / twoA;
    hit1 = p.plus(n.scaled(t));
    return 1;
  }
  if (disc > kFloatEpsilon) {
    const float root = std::sqrt(disc);
    hit1 = p.plus(n.scaled((-b + root) / twoA));
    hit2 = p.plus(n.scaled((-b - root) / twoA));
    return 2;
  }
  return 0;
}

}  // namespace rk::math
