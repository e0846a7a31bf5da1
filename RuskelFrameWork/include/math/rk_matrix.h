// 4x4 matrix for row vectors and the matrix functions of the framework.
// A point transforms as v' = v * M, the translation lies in the fourth row
// (m[3][0..2]) and A * B applies A first.
#pragma once
#include <cstdint>
#include <cstring>

#include "host/xmath.h"
#include "math/rk_vector.h"

namespace rk::gfx {
class Camera;
}

namespace rk::math {

struct alignas(16) Matrix {
  float m[4][4];  // m[row][column]
};
static_assert(sizeof(Matrix) == 64);

// Pixel rectangle and depth range of a render target.
struct Viewport {
  std::uint32_t x, y, width, height;
  float minDepth, maxDepth;
};

// (x, y, z, 1) * M divided by its own w; the result's w is w / w.
Vector4 vec3TransformCoord(const Vector4& v, const Matrix& m);
// (x, y, z, 0) * M, all four result components.
Vector4 vec3TransformNormal(const Vector4& v, const Matrix& m);

inline Matrix matrixIdentity();
inline Matrix matrixMultiply(const Matrix& a, const Matrix& b);
// A singular matrix gives the zero matrix.
Matrix matrixInverse(const Matrix& m);
inline Matrix matrixTranspose(const Matrix& m);
Matrix matrixScaling(float sx, float sy, float sz);
Matrix matrixTranslation(float x, float y, float z);
Matrix matrixRotationX(float angle);
// The axis is normalised first; a zero axis gives the identity.
Matrix matrixRotationAxis(const Vector4& axis, float angle);
inline Matrix matrixFromQuaternion(const Vector4& q);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ);
Matrix matrixOrthographicLH(float width, float height, float nearZ, float farZ);
Matrix matrixOrthographicOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ);
// Euler triple (pitch, yaw, roll, 0) of a rotation matrix; see the source for the
// gimbal band, where yaw is 0 and the whole turn about the vertical goes to roll.
Vector4 matrixToYawPitchRoll(const Matrix& m);
// Clip space to the viewport's pixels (y downward). Half sizes are the integer
// sizes shifted right by one, so an odd size loses its half pixel.
Matrix matrixViewport(const Viewport& viewport);
// M * (view_A * projection_A) * inverse(view_B * projection_B): a placement as
// camera A shows it, carried into camera B's space. Both cameras' matrices are
// brought up to date first.
Matrix matrixBetweenCameras(gfx::Camera& a, gfx::Camera& b, const Matrix& m);

// The host math layer lays matrices out the same way (sixteen floats by
// rows), so values cross as plain copies.
namespace bridge {
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
}  // namespace bridge

// Inline: the physics step and the drawing build these every frame.
inline Matrix matrixIdentity() { return bridge::fromX(host::xmath::matrixIdentity()); }
inline Matrix matrixMultiply(const Matrix& a, const Matrix& b) {
  return bridge::fromX(host::xmath::matrixMultiply(bridge::toX(a), bridge::toX(b)));
}
inline Matrix matrixTranspose(const Matrix& m) { return bridge::fromX(host::xmath::matrixTranspose(bridge::toX(m))); }
inline Matrix matrixFromQuaternion(const Vector4& q) {
  return bridge::fromX(host::xmath::matrixRotationQuaternion({q.x, q.y, q.z, q.w}));
}

}  // namespace rk::math
