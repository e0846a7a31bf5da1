#include "math/rk_plane.h"

#include <cmath>

namespace rk::math {

Vector4 planeFromPointNormal(const Vector4& p, const Vector4& n) { return {n.x, n.y, n.z, -vec3Dot(p, n)}; }

Vector4 planeFromPoints(const Vector4& p1, const Vector4& p2, const Vector4& p3) {
  Vector4 n = vec3Normalize(vec3Cross(p1.minus(p2), p1.minus(p3)));
  n.w = -vec3Dot(n, p1);
  return n;
}

Vector4* planeIntersectLine(const Vector4& plane, const Vector4& l1, const Vector4& l2, Vector4& out) {
  const float denominator = vec3Dot(plane, l1) - vec3Dot(plane, l2);
  if (!(std::fabs(denominator) > kFloatEpsilon)) {
    out.set(kQuietNaN, kQuietNaN, kQuietNaN, kQuietNaN);
    return nullptr;
  }
  const float t = (vec3Dot(plane, l1) + plane.w) / denominator;
  out = Vector4::lerp(l1, l2, t);
  return &out;
}

}  // namespace rk::math
