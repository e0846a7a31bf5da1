#include "col/rk_collision_obb.h"

#include <cmath>

namespace rk::collision {

namespace {

// Signs of axes 0, 1, 2 for the eight corners.
constexpr signed char kCornerSigns[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1},
                                            {-1, 1, -1},  {1, 1, -1},  {1, 1, 1},  {-1, 1, 1}};
// Corners of each face in winding order: faces 2i and 2i + 1 lie on −axis i and +axis i.
constexpr int kFaceCorners[6][4] = {{4, 0, 3, 7}, {1, 5, 6, 2}, {0, 1, 2, 3}, {7, 6, 5, 4}, {5, 1, 0, 4}, {6, 7, 3, 2}};

float signOf(float s) { return s < 0.0f ? -1.0f : 1.0f; }

}  // namespace

void OBB::setFromMatrix(const Matrix& m) {
  for (int i = 0; i < 3; ++i) axes_[i].set(m.m[i][0], m.m[i][1], m.m[i][2], 0.0f);
  center_.set(m.m[3][0], m.m[3][1], m.m[3][2], 0.0f);
}

void OBB::project(float& center, float& radius, const Vector4& d) const {
  center = math::vec3Dot(centerOf(*this), d);
  const float size[3] = {size_.x, size_.y, size_.z};
  radius = 0.0f;
  for (int i = 0; i < 3; ++i) radius += std::fabs(math::vec3Dot(axes_[i], d)) * size[i];
}

Vector4 OBB::corner(int index) const {
  Vector4 p = centerOf(*this);
  const float size[3] = {size_.x, size_.y, size_.z};
  for (int i = 0; i < 3; ++i) {
    const Vector4 step = axes_[i].scaled(kCornerSigns[index][i] * size[i]);
    p.x += step.x, p.y += step.y, p.z += step.z;
  }
  return p;  // keeps the centre's w
}

// A face when d runs along an axis, an edge when it runs across one, else a corner.
std::uint32_t OBB::getSupportPoints(std::vector<Vector4>& out, const Vector4& d) const {
  const float s[3] = {math::vec3Dot(axes_[0], d), math::vec3Dot(axes_[1], d), math::vec3Dot(axes_[2], d)};
  const float size[3] = {size_.x, size_.y, size_.z};
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(s[i]) > kAlongAxis) {
      const int face = 2 * i + (s[i] >= 0.0f ? 1 : 0);
      for (int k = 0; k < 4; ++k) out.push_back(corner(kFaceCorners[face][k]));
      return static_cast<std::uint32_t>(out.size());
    }
  }
  const Vector4 c = centerOf(*this);
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(s[i]) < kAcrossAxis) {
      const int j = (i + 1) % 3, k = (i + 2) % 3;
      const Vector4 middle =
          c.plus(axes_[j].scaled(signOf(s[j]) * size[j])).plus(axes_[k].scaled(signOf(s[k]) * size[k]));
      const Vector4 half = axes_[i].scaled(size[i]);
      out.push_back(middle.plus(half));
      out.push_back(middle.minus(half));
      return static_cast<std::uint32_t>(out.size());
    }
  }
  Vector4 p = c;
  for (int i = 0; i < 3; ++i) {
    const Vector4 step = axes_[i].scaled(signOf(s[i]) * size[i]);
    p.x += step.x, p.y += step.y, p.z += step.z;
  }
  out.push_back(p);
  return static_cast<std::uint32_t>(out.size());
}

}  // namespace rk::collision
