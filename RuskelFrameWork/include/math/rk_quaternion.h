// Quaternions (x, y, z vector part, w scalar part) from angles.
#pragma once
#include "math/rk_vector.h"

namespace rk::math {

// Rotation that applies roll (about Z), then pitch (about X), then yaw (about
// Y). Half-angle sines and cosines are taken in double precision.
Vector4 quaternionFromYawPitchRoll(float yaw, float pitch, float roll);
// Rotation by angle about the normalised axis: (axis * sin(angle/2), cos(angle/2)).
Vector4 quaternionRotationAxis(const Vector4& axis, float angle);

}  // namespace rk::math
