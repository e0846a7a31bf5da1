// View, projection, shadow and mirror matrices of host/xmath.h.
#include "host/xmath.h"

namespace host::xmath {

Matrix matrixLookToLH(const Vector& eye, const Vector& direction, const Vector& up) {
  // Rows of the camera basis become columns: the view matrix is the inverse of
  // the camera's placement (rotation transposed, translation rotated back).
  const Vector zAxis = vector3Normalize(direction);
  const Vector xAxis = vector3Normalize(vector3Cross(up, zAxis));
  const Vector yAxis = vector3Cross(zAxis, xAxis);
  Matrix r = matrixIdentity();
  r.m[0][0] = xAxis.x;
  r.m[1][0] = xAxis.y;
  r.m[2][0] = xAxis.z;
  r.m[0][1] = yAxis.x;
  r.m[1][1] = yAxis.y;
  r.m[2][1] = yAxis.z;
  r.m[0][2] = zAxis.x;
  r.m[1][2] = zAxis.y;
  r.m[2][2] = zAxis.z;
  r.m[3][0] = -vector3Dot(xAxis, eye);
  r.m[3][1] = -vector3Dot(yAxis, eye);
  r.m[3][2] = -vector3Dot(zAxis, eye);
  return r;
}

Matrix matrixLookAtLH(const Vector& eye, const Vector& focus, const Vector& up) {
  const Vector direction{focus.x - eye.x, focus.y - eye.y, focus.z - eye.z, 0.0f};
  return matrixLookToLH(eye, direction, up);
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ) {
  float s, c;
  scalarSinCos(&s, &c, 0.5f * fovY);
  const float h = c / s;
  const float range = farZ / (farZ - nearZ);
  Matrix r{};
  r.m[0][0] = h / aspect;
  r.m[1][1] = h;
  r.m[2][2] = range;
  r.m[2][3] = 1.0f;
  r.m[3][2] = -range * nearZ;
  return r;
}

Matrix matrixPerspectiveFovRH(float fovY, float aspect, float nearZ, float farZ) {
  float s, c;
  scalarSinCos(&s, &c, 0.5f * fovY);
  const float h = c / s;
  const float range = farZ / (nearZ - farZ);
  Matrix r{};
  r.m[0][0] = h / aspect;
  r.m[1][1] = h;
  r.m[2][2] = range;
  r.m[2][3] = -1.0f;
  r.m[3][2] = range * nearZ;
  return r;
}

Matrix matrixOrthographicLH(float width, float height, float nearZ, float farZ) {
  const float range = 1.0f / (farZ - nearZ);
  Matrix r{};
  r.m[0][0] = 2.0f / width;
  r.m[1][1] = 2.0f / height;
  r.m[2][2] = range;
  r.m[3][2] = -range * nearZ;
  r.m[3][3] = 1.0f;
  return r;
}

Matrix matrixOrthographicOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ) {
  const float invWidth = 1.0f / (right - left);
  const float invHeight = 1.0f / (top - bottom);
  const float range = 1.0f / (farZ - nearZ);
  Matrix r{};
  r.m[0][0] = 2.0f * invWidth;
  r.m[1][1] = 2.0f * invHeight;
  r.m[2][2] = range;
  r.m[3][0] = -(left + right) * invWidth;
  r.m[3][1] = -(top + bottom) * invHeight;
  r.m[3][2] = -range * nearZ;
  r.m[3][3] = 1.0f;
  return r;
}

Matrix matrixShadow(const Vector& plane, const Vector& light) {
  // M = (P . L) * I - P^T * L: a point p goes to (P . L) p - (P . p) L, which is
  // on the plane and on the line through p and the light.
  const Vector p = planeNormalize(plane);
  const float d = vector4Dot(p, light);
  const float pv[4] = {p.x, p.y, p.z, p.w};
  const float lv[4] = {light.x, light.y, light.z, light.w};
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = (i == j ? d : 0.0f) - pv[i] * lv[j];
  return r;
}

Matrix matrixReflect(const Vector& plane) {
  // M = I - 2 * P^T * (a, b, c, 0) for the unit plane P: p goes to p - 2 (P . p) n.
  const Vector p = planeNormalize(plane);
  const float pv[4] = {p.x, p.y, p.z, p.w};
  const float nv[4] = {p.x, p.y, p.z, 0.0f};
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = (i == j ? 1.0f : 0.0f) - 2.0f * pv[i] * nv[j];
  return r;
}

}  // namespace host::xmath
