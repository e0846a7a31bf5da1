// Vector, matrix, quaternion and plane arithmetic. Replaces DirectXMath for the
// framework and the renderer.
//
// Conventions (the same as the replaced library):
// - single precision throughout;
// - row vectors: a point transforms as v' = v * M, the translation lies in the
//   fourth row, and A * B applies A first;
// - left-handed coordinates, clip-space depth 0..1;
// - angles in radians; a positive angle turns +y towards +z about X, +z
//   towards +x about Y and +x towards +y about Z;
// - quaternions are (x, y, z) vector part and w scalar part.
//
// Offered:
//   types         Vector (16-byte float4), Matrix (4x4 float, row-major)
//   scalar        scalarSinCos
//   vector        vector3Dot, vector3Cross, vector3LengthSq, vector3Length,
//                 vector3Normalize, vector4Dot, vector3TransformCoord,
//                 vector3TransformNormal, vectorCatmullRom
//   matrix        matrixIdentity, matrixMultiply, matrixTranspose,
//                 matrixDeterminant, matrixInverse, matrixScaling,
//                 matrixTranslation, matrixRotationX/Y/Z, matrixRotationNormal,
//                 matrixRotationAxis, matrixRotationRollPitchYaw,
//                 matrixRotationQuaternion, matrixTransformation,
//                 matrixAffineTransformation, matrixDecompose
//   view, proj.   matrixLookToLH, matrixLookAtLH, matrixPerspectiveFovLH,
//                 matrixPerspectiveFovRH, matrixOrthographicLH,
//                 matrixOrthographicOffCenterLH, matrixShadow, matrixReflect
//   quaternion    quaternionMultiply, quaternionSlerp, quaternionRotationMatrix,
//                 quaternionRotationNormal, quaternionRotationAxis,
//                 quaternionRotationRollPitchYaw, quaternionNormalize
//   plane         planeFromPoints, planeNormalize, planeDotCoord
//
// Degenerate input: zero vectors normalise to zero and a singular matrix inverts
// to the zero matrix (its determinant reported as 0). Projections with a zero
// width, height or depth range, and a homogeneous divide by w = 0 in
// vector3TransformCoord, are left to IEEE arithmetic.
#pragma once

namespace host::xmath {

struct alignas(16) Vector {
  float x, y, z, w;
};

struct alignas(16) Matrix {
  float m[4][4];  // m[row][column]
};

// --- scalar
void scalarSinCos(float* sine, float* cosine, float angle);

// --- vector (the 3-vector functions read x, y, z only unless stated)
float vector3Dot(const Vector& a, const Vector& b);
Vector vector3Cross(const Vector& a, const Vector& b);  // w = 0
float vector3LengthSq(const Vector& v);
float vector3Length(const Vector& v);
// All four components divided by the length of x, y, z; zero length gives zero.
Vector vector3Normalize(const Vector& v);
float vector4Dot(const Vector& a, const Vector& b);
// (x, y, z, 1) * M, every component divided by the result's w.
Vector vector3TransformCoord(const Vector& v, const Matrix& m);
// (x, y, z, 0) * M, all four result components.
Vector vector3TransformNormal(const Vector& v, const Matrix& m);
// Catmull-Rom spline through p1 (s = 0) and p2 (s = 1), on all four components.
Vector vectorCatmullRom(const Vector& p0, const Vector& p1, const Vector& p2, const Vector& p3, float s);

// --- matrix
inline Matrix matrixIdentity();
inline Matrix matrixMultiply(const Matrix& a, const Matrix& b);  // a * b: a applies first
inline Matrix matrixTranspose(const Matrix& m);
float matrixDeterminant(const Matrix& m);
// The inverse; determinant (when given) receives the determinant. A singular
// matrix (determinant 0, or one whose reciprocal overflows) gives the zero matrix.
Matrix matrixInverse(const Matrix& m, float* determinant = nullptr);
Matrix matrixScaling(float sx, float sy, float sz);
Matrix matrixTranslation(float x, float y, float z);
Matrix matrixRotationX(float angle);
Matrix matrixRotationY(float angle);
Matrix matrixRotationZ(float angle);
// Rotation about a unit axis (used as given, not normalised).
Matrix matrixRotationNormal(const Vector& normalAxis, float angle);
// Rotation about an axis of any length; a zero axis gives the identity.
Matrix matrixRotationAxis(const Vector& axis, float angle);
// Roll about Z first, then pitch about X, then yaw about Y.
Matrix matrixRotationRollPitchYaw(float pitch, float yaw, float roll);
// Rotation matrix of a unit quaternion.
inline Matrix matrixRotationQuaternion(const Vector& q);
// Translate by -scalingOrigin, rotate by the inverse scaling orientation, scale,
// rotate back by the scaling orientation, translate by +scalingOrigin, translate
// by -rotationOrigin, rotate, translate by +rotationOrigin, translate.
Matrix matrixTransformation(const Vector& scalingOrigin, const Vector& scalingOrientation, const Vector& scaling,
                            const Vector& rotationOrigin, const Vector& rotation, const Vector& translation);
// Scale, then rotate about rotationOrigin, then translate.
Matrix matrixAffineTransformation(const Vector& scaling, const Vector& rotationOrigin, const Vector& rotation,
                                  const Vector& translation);
// Splits M into scale (w = 0), rotation quaternion and translation (the fourth
// row as it stands) so that M = scaling * rotation * translation, by the
// reference algorithm:
// - each scale is the length of its row; the rows are normalised, the longest
//   first; a collapsed row (length below 1e-4) is replaced: the longest by its
//   canonical axis, the middle one by a perpendicular, the shortest by the
//   cross product of the other two;
// - with a negative determinant (a mirror) the axis of the largest scale takes
//   the reflection: scaling(-2, 3, 4) gives scale (2, 3, -4) and a half turn
//   about y;
// - when the normalised rows are not a rotation (a shear), false is returned
//   and the rotation output is left as it was; scale and translation are
//   written either way.
bool matrixDecompose(Vector* scale, Vector* rotation, Vector* translation, const Matrix& m);

// --- view and projection
Matrix matrixLookToLH(const Vector& eye, const Vector& direction, const Vector& up);
Matrix matrixLookAtLH(const Vector& eye, const Vector& focus, const Vector& up);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ);
Matrix matrixPerspectiveFovRH(float fovY, float aspect, float nearZ, float farZ);
Matrix matrixOrthographicLH(float width, float height, float nearZ, float farZ);
Matrix matrixOrthographicOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ);
// Flattens geometry onto a plane as seen from a light: lightPosition.w = 0 for a
// directional light (x, y, z the direction towards the light), 1 for a point light.
Matrix matrixShadow(const Vector& plane, const Vector& lightPosition);
// Mirror through a plane (normalised first; a zero normal gives the identity).
Matrix matrixReflect(const Vector& plane);

// --- quaternion
// The rotation q1 followed by q2.
Vector quaternionMultiply(const Vector& q1, const Vector& q2);
// Spherical interpolation along the shorter arc; nearly equal quaternions are
// interpolated linearly.
Vector quaternionSlerp(const Vector& q0, const Vector& q1, float t);
// Unit quaternion of the rotation part of M (rows assumed orthonormal).
Vector quaternionRotationMatrix(const Matrix& m);
Vector quaternionRotationNormal(const Vector& normalAxis, float angle);
Vector quaternionRotationAxis(const Vector& axis, float angle);  // zero axis: identity
Vector quaternionRotationRollPitchYaw(float pitch, float yaw, float roll);
Vector quaternionNormalize(const Vector& q);  // as a 4-vector; zero stays zero

// --- plane (a, b, c, d) with a*x + b*y + c*z + d = 0
// Normal = normalize((p1 - p2) x (p1 - p3)), d = -normal . p1.
Vector planeFromPoints(const Vector& p1, const Vector& p2, const Vector& p3);
// All four components divided by the length of (a, b, c); zero stays zero.
Vector planeNormalize(const Vector& plane);
// a*x + b*y + c*z + d.
float planeDotCoord(const Vector& plane, const Vector& point);

// Defined here so that the per-frame callers (bodies, cameras, models) can
// inline them.
inline Matrix matrixIdentity() {
  return {{{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}}};
}

inline Matrix matrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}

inline Matrix matrixTranspose(const Matrix& m) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = m.m[j][i];
  return r;
}

inline Matrix matrixRotationQuaternion(const Vector& q) {
  const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  Matrix r = matrixIdentity();
  r.m[0][0] = 1.0f - 2.0f * (yy + zz);
  r.m[0][1] = 2.0f * (xy + wz);
  r.m[0][2] = 2.0f * (xz - wy);
  r.m[1][0] = 2.0f * (xy - wz);
  r.m[1][1] = 1.0f - 2.0f * (xx + zz);
  r.m[1][2] = 2.0f * (yz + wx);
  r.m[2][0] = 2.0f * (xz + wy);
  r.m[2][1] = 2.0f * (yz - wx);
  r.m[2][2] = 1.0f - 2.0f * (xx + yy);
  return r;
}

}  // namespace host::xmath
