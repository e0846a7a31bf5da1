#include "math/rk_vector.h"

#include <cmath>

namespace rk::math {

Vector4 vec3Cross(const Vector4& a, const Vector4& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

float vec3Length(const Vector4& v) { return std::sqrt(vec3LengthSq(v)); }

Vector4 vec3Normalize(const Vector4& v) {
  const double x = v.x, y = v.y, z = v.z;
  const double length = std::sqrt(x * x + y * y + z * z);
  const double k = length > 0.0 ? 1.0 / length : 0.0;
  return {static_cast<float>(v.x * k), static_cast<float>(v.y * k), static_cast<float>(v.z * k),
          static_cast<float>(v.w * k)};
}

}  // namespace rk::math
