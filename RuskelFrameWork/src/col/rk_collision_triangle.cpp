#include "col/rk_collision_triangle.h"

#include <algorithm>
#include <cmath>

#include "math/rk_plane.h"

namespace rk::collision {

void Triangle::setVertices(const Vector4& v0, const Vector4& v1, const Vector4& v2) {
  v_[0] = v0, v_[1] = v1, v_[2] = v2;
  const Vector4 plane = math::planeFromPoints(v0, v1, v2);
  normal_.set(plane.x, plane.y, plane.z, 0.0f);
  d_ = plane.w;
  for (int j = 0; j < 3; ++j) edges_[j] = math::vec3Normalize(v_[(j + 1) % 3].minus(v_[j]));
}

void Triangle::getInterval(float& min, float& max, const Vector4& d) const {
  const float p0 = math::vec3Dot(v_[0], d), p1 = math::vec3Dot(v_[1], d), p2 = math::vec3Dot(v_[2], d);
  min = std::min({p0, p1, p2});
  max = std::max({p0, p1, p2});
}

void Triangle::project(float& center, float& radius, const Vector4& d) const {
  float min = 0.0f, max = 0.0f;
  getInterval(min, max, d);
  radius = (max - min) / 2.0f;
  center = min + radius;
}

// The face (wound to face d), an edge lying across d on the side d points to,
// or the farthest vertex (ties to the lower index). With the corners counter-
// clockwise about the normal, e × normal points out of the triangle across
// edge e, so the edge is extreme when d·(e × normal) = (d × e)·normal > 0.
std::uint32_t Triangle::getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const {
  const float a = math::vec3Dot(normal_, d);
  if (std::fabs(a) > kAlongAxis) {
    out.push_back(v_[0]);
    out.push_back(a >= 0.0f ? v_[1] : v_[2]);
    out.push_back(a >= 0.0f ? v_[2] : v_[1]);
    return static_cast<std::uint32_t>(out.size());
  }
  for (int i = 0; i < 3; ++i) {
    const Vector4& from = v_[i];
    const Vector4& to = v_[(i + 1) % 3];
    const Vector4 e = to.minus(from);
    if (std::fabs(math::vec3Dot(e, d)) < kAcrossAxis && math::vec3Dot(math::vec3Cross(d, e), normal_) > 0.0f) {
      out.push_back(from);
      out.push_back(to);
      return static_cast<std::uint32_t>(out.size());
    }
  }
  const float p0 = math::vec3Dot(v_[0], d), p1 = math::vec3Dot(v_[1], d), p2 = math::vec3Dot(v_[2], d);
  int best = 0;
  if (p2 > p0 && p2 > p1)
    best = 2;
  else if (p1 > p0)
    best = 1;
  out.push_back(v_[best]);
  return static_cast<std::uint32_t>(out.size());
}

}  // namespace rk::collision
