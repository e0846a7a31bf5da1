// Vector, quaternion and plane arithmetic of host/xmath.h.
#include <cmath>

#include "host/xmath.h"

namespace host::xmath {

void scalarSinCos(float* sine, float* cosine, float angle) {
  *sine = std::sin(angle);
  *cosine = std::cos(angle);
}

float vector3Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector vector3Cross(const Vector& a, const Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

float vector3LengthSq(const Vector& v) { return vector3Dot(v, v); }

float vector3Length(const Vector& v) { return std::sqrt(vector3LengthSq(v)); }

Vector vector3Normalize(const Vector& v) {
  const float length = vector3Length(v);
  if (!(length > 0.0f)) return {0.0f, 0.0f, 0.0f, 0.0f};
  const float k = 1.0f / length;
  return {v.x * k, v.y * k, v.z * k, v.w * k};
}

float vector4Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

static Vector transformRow(float x, float y, float z, float w, const Matrix& m) {
  Vector r;
  r.x = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + w * m.m[3][0];
  r.y = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + w * m.m[3][1];
  r.z = x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + w * m.m[3][2];
  r.w = x * m.m[0][3] + y * m.m[1][3] + z * m.m[2][3] + w * m.m[3][3];
  return r;
}

Vector vector3TransformCoord(const Vector& v, const Matrix& m) {
  Vector r = transformRow(v.x, v.y, v.z, 1.0f, m);
  const float w = r.w;
  return {r.x / w, r.y / w, r.z / w, r.w / w};
}

Vector vector3TransformNormal(const Vector& v, const Matrix& m) { return transformRow(v.x, v.y, v.z, 0.0f, m); }

Vector vectorCatmullRom(const Vector& p0, const Vector& p1, const Vector& p2, const Vector& p3, float s) {
  const float s2 = s * s;
  const float s3 = s2 * s;
  const float k0 = (-s3 + 2.0f * s2 - s) * 0.5f;
  const float k1 = (3.0f * s3 - 5.0f * s2 + 2.0f) * 0.5f;
  const float k2 = (-3.0f * s3 + 4.0f * s2 + s) * 0.5f;
  const float k3 = (s3 - s2) * 0.5f;
  return {k0 * p0.x + k1 * p1.x + k2 * p2.x + k3 * p3.x, k0 * p0.y + k1 * p1.y + k2 * p2.y + k3 * p3.y,
          k0 * p0.z + k1 * p1.z + k2 * p2.z + k3 * p3.z, k0 * p0.w + k1 * p1.w + k2 * p2.w + k3 * p3.w};
}

// --- quaternion

Vector quaternionMultiply(const Vector& q1, const Vector& q2) {
  // Hamilton product q2 * q1: rotating by the result rotates by q1, then q2.
  return {q2.w * q1.x + q2.x * q1.w + q2.y * q1.z - q2.z * q1.y, q2.w * q1.y - q2.x * q1.z + q2.y * q1.w + q2.z * q1.x,
          q2.w * q1.z + q2.x * q1.y - q2.y * q1.x + q2.z * q1.w, q2.w * q1.w - q2.x * q1.x - q2.y * q1.y - q2.z * q1.z};
}

Vector quaternionSlerp(const Vector& q0, const Vector& q1, float t) {
  float cosOmega = vector4Dot(q0, q1);
  // q and -q are the same rotation: take the end that gives the shorter arc.
  float sign = 1.0f;
  if (cosOmega < 0.0f) {
    cosOmega = -cosOmega;
    sign = -1.0f;
  }
  float k0, k1;
  if (cosOmega < 1.0f - 0.00001f) {
    const float omega = std::acos(cosOmega);
    const float invSin = 1.0f / std::sin(omega);
    k0 = std::sin((1.0f - t) * omega) * invSin;
    k1 = std::sin(t * omega) * invSin;
  } else {
    // Nearly the same rotation: sin(omega) is too small to divide by.
    k0 = 1.0f - t;
    k1 = t;
  }
  k1 *= sign;
  return {k0 * q0.x + k1 * q1.x, k0 * q0.y + k1 * q1.y, k0 * q0.z + k1 * q1.z, k0 * q0.w + k1 * q1.w};
}

Vector quaternionRotationMatrix(const Matrix& m) {
  // Row-vector rotation matrix of (x, y, z, w):
  //   m01 - m10 = 4zw, m20 - m02 = 4yw, m12 - m21 = 4xw,
  //   m01 + m10 = 4xy, m02 + m20 = 4xz, m12 + m21 = 4yz.
  // Start from the largest of w, x, y, z so the divisor stays well away from 0.
  const float m00 = m.m[0][0], m01 = m.m[0][1], m02 = m.m[0][2];
  const float m10 = m.m[1][0], m11 = m.m[1][1], m12 = m.m[1][2];
  const float m20 = m.m[2][0], m21 = m.m[2][1], m22 = m.m[2][2];
  const float trace = m00 + m11 + m22;
  Vector q;
  if (trace > 0.0f) {
    const float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
    q = {(m12 - m21) / s, (m20 - m02) / s, (m01 - m10) / s, 0.25f * s};
  } else if (m00 >= m11 && m00 >= m22) {
    const float s = std::sqrt(1.0f + m00 - m11 - m22) * 2.0f;  // 4x
    q = {0.25f * s, (m01 + m10) / s, (m02 + m20) / s, (m12 - m21) / s};
  } else if (m11 >= m22) {
    const float s = std::sqrt(1.0f + m11 - m00 - m22) * 2.0f;  // 4y
    q = {(m01 + m10) / s, 0.25f * s, (m12 + m21) / s, (m20 - m02) / s};
  } else {
    const float s = std::sqrt(1.0f + m22 - m00 - m11) * 2.0f;  // 4z
    q = {(m02 + m20) / s, (m12 + m21) / s, 0.25f * s, (m01 - m10) / s};
  }
  return q;
}

Vector quaternionRotationNormal(const Vector& n, float angle) {
  float s, c;
  scalarSinCos(&s, &c, 0.5f * angle);
  return {n.x * s, n.y * s, n.z * s, c};
}

Vector quaternionRotationAxis(const Vector& axis, float angle) {
  const Vector n = vector3Normalize(axis);
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return {0.0f, 0.0f, 0.0f, 1.0f};
  return quaternionRotationNormal(n, angle);
}

Vector quaternionRotationRollPitchYaw(float pitch, float yaw, float roll) {
  const Vector qr = quaternionRotationNormal({0.0f, 0.0f, 1.0f, 0.0f}, roll);
  const Vector qp = quaternionRotationNormal({1.0f, 0.0f, 0.0f, 0.0f}, pitch);
  const Vector qy = quaternionRotationNormal({0.0f, 1.0f, 0.0f, 0.0f}, yaw);
  return quaternionMultiply(quaternionMultiply(qr, qp), qy);
}

Vector quaternionNormalize(const Vector& q) {
  const float length = std::sqrt(vector4Dot(q, q));
  if (!(length > 0.0f)) return {0.0f, 0.0f, 0.0f, 0.0f};
  const float k = 1.0f / length;
  return {q.x * k, q.y * k, q.z * k, q.w * k};
}

// --- plane

Vector planeFromPoints(const Vector& p1, const Vector& p2, const Vector& p3) {
  const Vector a{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z, 0.0f};
  const Vector b{p1.x - p3.x, p1.y - p3.y, p1.z - p3.z, 0.0f};
  Vector n = vector3Normalize(vector3Cross(a, b));
  n.w = -vector3Dot(n, p1);
  return n;
}

Vector planeNormalize(const Vector& plane) { return vector3Normalize(plane); }

float planeDotCoord(const Vector& plane, const Vector& p) {
  return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w;
}

}  // namespace host::xmath
