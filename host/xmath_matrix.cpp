// Matrix products, inverse, the basic transforms, composition and decomposition
// of host/xmath.h.
#include <cmath>

#include "host/xmath.h"

namespace host::xmath {

namespace {

// The 2x2 minors of the upper two rows (s) and the lower two rows (c), shared by
// the determinant and the cofactor expansion of the inverse.
struct Minors {
  float s0, s1, s2, s3, s4, s5, c0, c1, c2, c3, c4, c5;
  explicit Minors(const Matrix& m) {
    const auto& a = m.m;
    s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  }
  float determinant() const { return s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0; }
};

}  // namespace

float matrixDeterminant(const Matrix& m) { return Minors(m).determinant(); }

Matrix matrixInverse(const Matrix& m, float* determinant) {
  const Minors k(m);
  const float det = k.determinant();
  if (determinant) *determinant = det;
  const float inv = 1.0f / det;
  if (det == 0.0f || !std::isfinite(inv)) {
    // No inverse exists; a zero matrix keeps infinities out of every product.
    if (determinant) *determinant = 0.0f;
    return Matrix{};
  }
  const auto& a = m.m;
  Matrix r;
  r.m[0][0] = (a[1][1] * k.c5 - a[1][2] * k.c4 + a[1][3] * k.c3) * inv;
  r.m[0][1] = (-a[0][1] * k.c5 + a[0][2] * k.c4 - a[0][3] * k.c3) * inv;
  r.m[0][2] = (a[3][1] * k.s5 - a[3][2] * k.s4 + a[3][3] * k.s3) * inv;
  r.m[0][3] = (-a[2][1] * k.s5 + a[2][2] * k.s4 - a[2][3] * k.s3) * inv;
  r.m[1][0] = (-a[1][0] * k.c5 + a[1][2] * k.c2 - a[1][3] * k.c1) * inv;
  r.m[1][1] = (a[0][0] * k.c5 - a[0][2] * k.c2 + a[0][3] * k.c1) * inv;
  r.m[1][2] = (-a[3][0] * k.s5 + a[3][2] * k.s2 - a[3][3] * k.s1) * inv;
  r.m[1][3] = (a[2][0] * k.s5 - a[2][2] * k.s2 + a[2][3] * k.s1) * inv;
  r.m[2][0] = (a[1][0] * k.c4 - a[1][1] * k.c2 + a[1][3] * k.c0) * inv;
  r.m[2][1] = (-a[0][0] * k.c4 + a[0][1] * k.c2 - a[0][3] * k.c0) * inv;
  r.m[2][2] = (a[3][0] * k.s4 - a[3][1] * k.s2 + a[3][3] * k.s0) * inv;
  r.m[2][3] = (-a[2][0] * k.s4 + a[2][1] * k.s2 - a[2][3] * k.s0) * inv;
  r.m[3][0] = (-a[1][0] * k.c3 + a[1][1] * k.c1 - a[1][2] * k.c0) * inv;
  r.m[3][1] = (a[0][0] * k.c3 - a[0][1] * k.c1 + a[0][2] * k.c0) * inv;
  r.m[3][2] = (-a[3][0] * k.s3 + a[3][1] * k.s1 - a[3][2] * k.s0) * inv;
  r.m[3][3] = (a[2][0] * k.s3 - a[2][1] * k.s1 + a[2][2] * k.s0) * inv;
  return r;
}

Matrix matrixScaling(float sx, float sy, float sz) {
  Matrix r = matrixIdentity();
  r.m[0][0] = sx;
  r.m[1][1] = sy;
  r.m[2][2] = sz;
  return r;
}

Matrix matrixTranslation(float x, float y, float z) {
  Matrix r = matrixIdentity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Matrix matrixRotationX(float angle) {
  float s, c;
  scalarSinCos(&s, &c, angle);
  Matrix r = matrixIdentity();
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

Matrix matrixRotationY(float angle) {
  float s, c;
  scalarSinCos(&s, &c, angle);
  Matrix r = matrixIdentity();
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

Matrix matrixRotationZ(float angle) {
  float s, c;
  scalarSinCos(&s, &c, angle);
  Matrix r = matrixIdentity();
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Matrix matrixRotationNormal(const Vector& n, float angle) {
  // Rodrigues' formula, transposed for row vectors: c*I + (1 - c)*n*n^T - s*[n]x.
  float s, c;
  scalarSinCos(&s, &c, angle);
  const float t = 1.0f - c;
  Matrix r = matrixIdentity();
  r.m[0][0] = c + t * n.x * n.x;
  r.m[0][1] = t * n.x * n.y + s * n.z;
  r.m[0][2] = t * n.x * n.z - s * n.y;
  r.m[1][0] = t * n.x * n.y - s * n.z;
  r.m[1][1] = c + t * n.y * n.y;
  r.m[1][2] = t * n.y * n.z + s * n.x;
  r.m[2][0] = t * n.x * n.z + s * n.y;
  r.m[2][1] = t * n.y * n.z - s * n.x;
  r.m[2][2] = c + t * n.z * n.z;
  return r;
}

Matrix matrixRotationAxis(const Vector& axis, float angle) {
  const Vector n = vector3Normalize(axis);
  if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) return matrixIdentity();
  return matrixRotationNormal(n, angle);
}

Matrix matrixRotationRollPitchYaw(float pitch, float yaw, float roll) {
  return matrixMultiply(matrixMultiply(matrixRotationZ(roll), matrixRotationX(pitch)), matrixRotationY(yaw));
}

Matrix matrixTransformation(const Vector& scalingOrigin, const Vector& scalingOrientation, const Vector& scaling,
                            const Vector& rotationOrigin, const Vector& rotation, const Vector& translation) {
  const Matrix orient = matrixRotationQuaternion(scalingOrientation);
  Matrix r = matrixTranslation(-scalingOrigin.x, -scalingOrigin.y, -scalingOrigin.z);
  r = matrixMultiply(r, matrixTranspose(orient));  // inverse of a rotation
  r = matrixMultiply(r, matrixScaling(scaling.x, scaling.y, scaling.z));
  r = matrixMultiply(r, orient);
  r.m[3][0] += scalingOrigin.x - rotationOrigin.x;
  r.m[3][1] += scalingOrigin.y - rotationOrigin.y;
  r.m[3][2] += scalingOrigin.z - rotationOrigin.z;
  r = matrixMultiply(r, matrixRotationQuaternion(rotation));
  r.m[3][0] += rotationOrigin.x + translation.x;
  r.m[3][1] += rotationOrigin.y + translation.y;
  r.m[3][2] += rotationOrigin.z + translation.z;
  return r;
}

Matrix matrixAffineTransformation(const Vector& scaling, const Vector& rotationOrigin, const Vector& rotation,
                                  const Vector& translation) {
  const Vector none{0.0f, 0.0f, 0.0f, 0.0f};
  const Vector identity{0.0f, 0.0f, 0.0f, 1.0f};
  return matrixTransformation(none, identity, scaling, rotationOrigin, rotation, translation);
}

// --- decomposition

namespace {

// Below this a row counts as collapsed; above it (det - 1)^2 marks a matrix
// that is not scale-rotation-translation.
constexpr float kDecomposeEpsilon = 0.0001f;

Vector row3(const Matrix& m, int i) { return {m.m[i][0], m.m[i][1], m.m[i][2], 0.0f}; }

Vector unitAxis(int i) {
  Vector e{0.0f, 0.0f, 0.0f, 0.0f};
  (&e.x)[i] = 1.0f;
  return e;
}

// The indices of x, y, z from the largest value to the smallest; of equal
// values the lower index ranks first.
void rankDecreasing(float x, float y, float z, int& a, int& b, int& c) {
  if (x < y) {
    if (y < z) {
      a = 2, b = 1, c = 0;
    } else {
      a = 1;
      if (x < z) {
        b = 2, c = 0;
      } else {
        b = 0, c = 2;
      }
    }
  } else {
    if (x < z) {
      a = 2, b = 0, c = 1;
    } else {
      a = 0;
      if (y < z) {
        b = 2, c = 1;
      } else {
        b = 1, c = 2;
      }
    }
  }
}

}  // namespace

bool matrixDecompose(Vector* scale, Vector* rotation, Vector* translation, const Matrix& m) {
  *translation = {m.m[3][0], m.m[3][1], m.m[3][2], m.m[3][3]};

  Vector basis[3] = {row3(m, 0), row3(m, 1), row3(m, 2)};
  float s[3] = {vector3Length(basis[0]), vector3Length(basis[1]), vector3Length(basis[2])};
  int a, b, c;
  rankDecreasing(s[0], s[1], s[2], a, b, c);

  // The longest row gives the first direction, a canonical axis when it has
  // collapsed; the middle one is made perpendicular to it only when it has
  // collapsed too; the shortest one, collapsed, completes the basis.
  if (s[a] < kDecomposeEpsilon) basis[a] = unitAxis(a);
  basis[a] = vector3Normalize(basis[a]);
  if (s[b] < kDecomposeEpsilon) {
    int aa, bb, cc;
    rankDecreasing(std::fabs(basis[a].x), std::fabs(basis[a].y), std::fabs(basis[a].z), aa, bb, cc);
    basis[b] = vector3Cross(basis[a], unitAxis(cc));
  }
  basis[b] = vector3Normalize(basis[b]);
  if (s[c] < kDecomposeEpsilon) basis[c] = vector3Cross(basis[a], basis[b]);
  basis[c] = vector3Normalize(basis[c]);

  Matrix rows = matrixIdentity();
  auto setRows = [&] {
    for (int i = 0; i < 3; ++i) {
      rows.m[i][0] = basis[i].x;
      rows.m[i][1] = basis[i].y;
      rows.m[i][2] = basis[i].z;
    }
  };
  setRows();
  float det = matrixDeterminant(rows);
  // A mirror: the axis of the largest scale takes the reflection.
  if (det < 0.0f) {
    s[a] = -s[a];
    basis[a] = {-basis[a].x, -basis[a].y, -basis[a].z, 0.0f};
    setRows();
    det = -det;
  }
  *scale = {s[0], s[1], s[2], 0.0f};
  det -= 1.0f;
  if (det * det > kDecomposeEpsilon) return false;  // shear: the rotation is left as it was
  *rotation = quaternionRotationMatrix(rows);
  return true;
}

}  // namespace host::xmath
