// Four-float vector used as point, direction, quaternion, plane, Euler triple
// and colour, the integer pair, the shared constants and the 3-vector helpers.
#pragma once
#include <cstdint>
#include <limits>

namespace rk::math {

// Float epsilon of every near-zero test in the math code (2^-23).
constexpr float kFloatEpsilon = 1.1920928955078125e-7f;
// Fills a point that does not exist.
constexpr float kQuietNaN = std::numeric_limits<float>::quiet_NaN();

// Most operations treat the vector as (x, y, z) and write w = 0 into their
// results; lerp, mulComponents, addAssign and subAssign use all four.
struct alignas(16) Vector4 {
  float x, y, z, w;

  void zero() { x = y = z = w = 0.0f; }
  void set(float nx, float ny, float nz, float nw) { x = nx, y = ny, z = nz, w = nw; }
  void setXYZ(float nx, float ny, float nz) { set(nx, ny, nz, 0.0f); }
  void setXYZ0(float nx, float ny, float nz) { set(nx, ny, nz, 0.0f); }
  void setX(float v) { x = v; }
  void setY(float v) { y = v; }
  void setZ(float v) { z = v; }
  void setW(float v) { w = v; }
  void addAssign(const Vector4& o) { x += o.x, y += o.y, z += o.z, w += o.w; }
  void subAssign(const Vector4& o) { x -= o.x, y -= o.y, z -= o.z, w -= o.w; }
  Vector4 plus(const Vector4& o) const { return {x + o.x, y + o.y, z + o.z, 0.0f}; }
  Vector4 minus(const Vector4& o) const { return {x - o.x, y - o.y, z - o.z, 0.0f}; }
  Vector4 scaled(float k) const { return {x * k, y * k, z * k, 0.0f}; }
  Vector4 divided(float k) const { return {x / k, y / k, z / k, 0.0f}; }
  void scaleXYZ(float k) { x *= k, y *= k, z *= k, w = 0.0f; }
  Vector4 mulComponents(const Vector4& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }
  static Vector4 lerp(const Vector4& a, const Vector4& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t};
  }
};
static_assert(sizeof(Vector4) == 16);

// Integer position or size; the two trailing words are always 0.
struct Int2 {
  std::int32_t x, y, reserved0, reserved1;
  void set(std::int32_t nx, std::int32_t ny) { x = nx, y = ny, reserved0 = 0, reserved1 = 0; }
};
static_assert(sizeof(Int2) == 16);

inline float vec3Dot(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector4 vec3Cross(const Vector4& a, const Vector4& b);  // w = 0
inline float vec3LengthSq(const Vector4& v) { return vec3Dot(v, v); }
float vec3Length(const Vector4& v);
// Length of x, y, z in double precision; all four components times 1/length,
// or times 0 when the length is 0 (so (0, 0, 0, w) becomes the zero vector).
Vector4 vec3Normalize(const Vector4& v);

}  // namespace rk::math
