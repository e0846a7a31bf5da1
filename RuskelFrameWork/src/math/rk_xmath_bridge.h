// Conversions between the framework's value types and the host math layer;
// both use the same layout, so these are plain copies.
#pragma once
#include "host/xmath.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::math::bridge {

inline host::xmath::Vector toX(const Vector4& v) { return {v.x, v.y, v.z, v.w}; }
inline Vector4 fromX(const host::xmath::Vector& v) { return {v.x, v.y, v.z, v.w}; }

// The matrix conversions live with Matrix (math/rk_matrix.h).

}  // namespace rk::math::bridge
