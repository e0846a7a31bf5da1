// Conversions between the framework's value types and the host math layer;
// both use the same layout, so these are plain copies.
#pragma once
#include <cstring>

#include "host/xmath.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::math::bridge {

inline host::xmath::Vector toX(const Vector4& v) { return {v.x, v.y, v.z, v.w}; }
inline Vector4 fromX(const host::xmath::Vector& v) { return {v.x, v.y, v.z, v.w}; }

inline host::xmath::Matrix toX(const Matrix& m) {
  host::xmath::Matrix r;
  std::memcpy(r.m, m.m, sizeof r.m);
  return r;
}
inline Matrix fromX(const host::xmath::Matrix& m) {
  Matrix r;
  std::memcpy(r.m, m.m, sizeof r.m);
  return r;
}

}  // namespace rk::math::bridge
