#include "math/rk_quaternion.h"

#include <cmath>

#include "rk_xmath_bridge.h"

namespace rk::math {

Vector4 quaternionFromYawPitchRoll(float yaw, float pitch, float roll) {
  const float sy = static_cast<float>(std::sin(yaw * 0.5)), cy = static_cast<float>(std::cos(yaw * 0.5));
  const float sp = static_cast<float>(std::sin(pitch * 0.5)), cp = static_cast<float>(std::cos(pitch * 0.5));
  const float sr = static_cast<float>(std::sin(roll * 0.5)), cr = static_cast<float>(std::cos(roll * 0.5));
  return {cr * sp * cy + sr * cp * sy, cr * cp * sy - sr * sp * cy, sr * cp * cy - cr * sp * sy,
          cr * cp * cy + sr * sp * sy};
}

Vector4 quaternionRotationAxis(const Vector4& axis, float angle) {
  const Vector4 n = vec3Normalize(axis);
  float s, c;
  host::xmath::scalarSinCos(&s, &c, angle * 0.5f);
  return {n.x * s, n.y * s, n.z * s, c};
}

}  // namespace rk::math
