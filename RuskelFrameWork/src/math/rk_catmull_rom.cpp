#include "math/rk_catmull_rom.h"

#include <cmath>

#include "rk_xmath_bridge.h"

namespace rk::math {

namespace {

// Bases of the open path's end segments: point = (s^3 R0 + s^2 R1 + s R2 + R3) / 2
// with R = basis * G, G holding the segment's points as rows.
constexpr float kFirstSegmentBasis[4][4] = {{0, 0, 0, 0}, {0, 1, -2, 1}, {0, -3, 4, -1}, {0, 2, 0, 0}};
constexpr float kLastSegmentBasis[4][4] = {{0, 0, 0, 0}, {1, -2, 1, 0}, {-1, 0, 1, 0}, {0, 2, 0, 0}};

Vector4 endSegment(const float (&basis)[4][4], const Vector4 (&g)[4], float s) {
  Vector4 r[4];
  for (int k = 0; k < 4; ++k) {
    r[k] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int j = 0; j < 4; ++j) {
      r[k].x += basis[k][j] * g[j].x;
      r[k].y += basis[k][j] * g[j].y;
      r[k].z += basis[k][j] * g[j].z;
    }
  }
  const float s2 = s * s, s3 = s2 * s;
  return {0.5f * (s3 * r[0].x + s2 * r[1].x + s * r[2].x + r[3].x),
          0.5f * (s3 * r[0].y + s2 * r[1].y + s * r[2].y + r[3].y),
          0.5f * (s3 * r[0].z + s2 * r[1].z + s * r[2].z + r[3].z), 0.0f};
}

Vector4 catmullRom(const Vector4& p0, const Vector4& p1, const Vector4& p2, const Vector4& p3, float s) {
  using bridge::toX;
  Vector4 v = bridge::fromX(host::xmath::vectorCatmullRom(toX(p0), toX(p1), toX(p2), toX(p3), s));
  v.w = 0.0f;
  return v;
}

Vector4 line(const Vector4& p0, const Vector4& p1, float s) { return p0.plus(p1.minus(p0).scaled(s)); }

}  // namespace

Vector4* Vec3CatmullRom::calc(float t, Vector4& out) const { return loop_ ? calcClosed(t, out) : calcOpen(t, out); }

Vector4* Vec3CatmullRom::calcOpen(float t, Vector4& out) const {
  const int n = static_cast<int>(points_.size());
  if (n == 0) {
    out.zero();
    return nullptr;
  }
  float whole;
  float s = std::modf(t, &whole);  // same sign as t
  if (std::fabs(s) < kFloatEpsilon) s = 0.0f;
  const std::vector<Vector4>& p = points_;
  if (n == 1) {
    out = p[0];
  } else if (n == 2) {
    out = line(p[0], p[1], s);
  } else if (!(whole >= 0.0f)) {
    out = p[0];  // before the first point (or NaN): stay at the start
  } else if (whole >= static_cast<float>(n - 1)) {
    out = p[n - 1];
  } else {
    const int i = static_cast<int>(whole);
    if (i == 0) {
      const Vector4 g[4] = {{0, 0, 0, 0}, p[0], p[1], {p[2].x, p[2].y, p[2].z, 1.0f}};
      out = endSegment(kFirstSegmentBasis, g, s);
    } else if (i == n - 2) {
      const Vector4 g[4] = {p[i - 1], p[i], p[i + 1], {0, 0, 0, 1}};
      out = endSegment(kLastSegmentBasis, g, s);
    } else {
      out = catmullRom(p[i - 1], p[i], p[i + 1], p[i + 2], s);
    }
  }
  return &out;
}

Vector4* Vec3CatmullRom::calcClosed(float t, Vector4& out) const {
  const int n = static_cast<int>(points_.size());
  if (n == 0) return nullptr;
  float whole;
  const float s = std::modf(t, &whole);
  const std::vector<Vector4>& p = points_;
  if (n == 1) {
    out = p[0];
  } else if (n == 2) {
    out = line(p[0], p[1], s);
  } else if (!(t >= 0.0f) || !std::isfinite(t)) {
    out = p[0];  // negative, infinite or NaN: stay at the start
  } else {
    // Wrap in float first: the integer part can exceed the int range.
    const int i = static_cast<int>(std::fmod(whole, static_cast<float>(n)));
    out = catmullRom(p[(i + n - 1) % n], p[i], p[(i + 1) % n], p[(i + 2) % n], s);
  }
  return &out;
}

}  // namespace rk::math
