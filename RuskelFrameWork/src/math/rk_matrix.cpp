#include "math/rk_matrix.h"

#include <cmath>

#include "gfx/rk_camera.h"
#include "rk_xmath_bridge.h"

namespace rk::math {

using bridge::fromX;
using bridge::toX;
namespace xm = host::xmath;

Vector4 vec3TransformCoord(const Vector4& v, const Matrix& m) {
  return fromX(xm::vector3TransformCoord(toX(v), toX(m)));
}

Vector4 vec3TransformNormal(const Vector4& v, const Matrix& m) {
  return fromX(xm::vector3TransformNormal(toX(v), toX(m)));
}

Matrix matrixInverse(const Matrix& m) { return fromX(xm::matrixInverse(toX(m))); }

Matrix matrixScaling(float sx, float sy, float sz) { return fromX(xm::matrixScaling(sx, sy, sz)); }

Matrix matrixTranslation(float x, float y, float z) { return fromX(xm::matrixTranslation(x, y, z)); }

Matrix matrixRotationX(float angle) { return fromX(xm::matrixRotationX(angle)); }

Matrix matrixRotationAxis(const Vector4& axis, float angle) {
  const Vector4 n = vec3Normalize(axis);
  // Without an axis there is no rotation; the bare formula would scale by cos(angle).
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return matrixIdentity();
  return fromX(xm::matrixRotationNormal(toX(n), angle));
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ) {
  return fromX(xm::matrixPerspectiveFovLH(fovY, aspect, nearZ, farZ));
}

Matrix matrixOrthographicLH(float width, float height, float nearZ, float farZ) {
  return fromX(xm::matrixOrthographicLH(width, height, nearZ, farZ));
}

Matrix matrixOrthographicOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ) {
  return fromX(xm::matrixOrthographicOffCenterLH(left, right, bottom, top, nearZ, farZ));
}

Vector4 matrixToYawPitchRoll(const Matrix& mat) {
  // For M = Rz(roll) * Rx(pitch) * Ry(yaw): m21 = -sin(pitch),
  // (m20, m22) = cos(pitch) * (sin(yaw), cos(yaw)), (m01, m11) = cos(pitch) * (sin(roll), cos(roll)).
  // Near pitch = +-pi/2 yaw and roll turn about the same axis; yaw is then taken
  // as 0 and (m00, -m10) = (cos(roll), sin(roll)).
  const auto& m = mat.m;
  const float m21 = m[2][1];
  constexpr float kBandLow = 0.9999999f;
  constexpr float kBandHigh = 1.0000001f;
  constexpr float kHalfPi = 1.5707964f;
  double pitch, yaw, roll;
  if (m21 >= kBandLow && m21 <= kBandHigh) {
    pitch = -kHalfPi;
    yaw = 0.0;
    roll = std::atan2(-static_cast<double>(m[1][0]), static_cast<double>(m[0][0]));
  } else if (m21 >= -kBandHigh && m21 <= -kBandLow) {
    pitch = kHalfPi;
    yaw = 0.0;
    roll = std::atan2(-static_cast<double>(m[1][0]), static_cast<double>(m[0][0]));
  } else {
    // A matrix that is not a pure rotation can put m21 beyond +-1: clamp rather than return NaN.
    pitch = std::asin(std::fmax(-1.0, std::fmin(1.0, -static_cast<double>(m21))));
    yaw = std::atan2(static_cast<double>(m[2][0]), static_cast<double>(m[2][2]));
    roll = std::atan2(static_cast<double>(m[0][1]), static_cast<double>(m[1][1]));
  }
  return {static_cast<float>(pitch), static_cast<float>(yaw), static_cast<float>(roll), 0.0f};
}

Matrix matrixViewport(const Viewport& vp) {
  const float halfWidth = static_cast<float>(vp.width >> 1);
  const float halfHeight = static_cast<float>(vp.height >> 1);
  Matrix r{};
  r.m[0][0] = halfWidth;
  r.m[1][1] = -halfHeight;
  r.m[2][2] = vp.maxDepth - vp.minDepth;
  r.m[3][0] = static_cast<float>(vp.x) + halfWidth;
  r.m[3][1] = static_cast<float>(vp.y) + halfHeight;
  r.m[3][2] = vp.minDepth;
  r.m[3][3] = 1.0f;
  return r;
}

Matrix matrixBetweenCameras(gfx::Camera& a, gfx::Camera& b, const Matrix& m) {
  a.updateMatrices();
  b.updateMatrices();
  const Matrix toScreenA = matrixMultiply(a.viewMatrix(), a.projectionMatrix());
  const Matrix toScreenB = matrixMultiply(b.viewMatrix(), b.projectionMatrix());
  return matrixMultiply(matrixMultiply(m, toScreenA), matrixInverse(toScreenB));
}

}  // namespace rk::math
