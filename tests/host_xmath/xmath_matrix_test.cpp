#include <gtest/gtest.h>

#include <cmath>

#include "xmath_expect.h"

using namespace host::xmath;
using xmath_test::near;
using xmath_test::sameRotation;

namespace {

constexpr float kPi = 3.14159265358979f;

Vector point(const Vector& p, const Matrix& m) { return vector3TransformCoord(p, m); }

}  // namespace

TEST(XmathMatrix, ProductAppliesTheLeftMatrixFirst) {
  const Matrix translate = matrixTranslation(1, 0, 0);
  const Matrix scale = matrixScaling(2, 2, 2);
  EXPECT_TRUE(near(point({0, 0, 0, 0}, matrixMultiply(translate, scale)), {2, 0, 0, 1}));
  EXPECT_TRUE(near(point({0, 0, 0, 0}, matrixMultiply(scale, translate)), {1, 0, 0, 1}));
  // Row vectors: the translation lies in the fourth row.
  EXPECT_EQ(translate.m[3][0], 1.0f);
  EXPECT_EQ(matrixTranspose(translate).m[0][3], 1.0f);
}

TEST(XmathMatrix, RotationsTurnTheAxesLeftHanded) {
  const float q = kPi / 2;
  struct Case {
    const char* name;
    Matrix m;
    Vector in, out;
  } cases[] = {
      {"X turns y to z", matrixRotationX(q), {0, 1, 0, 0}, {0, 0, 1, 0}},
      {"X turns z to -y", matrixRotationX(q), {0, 0, 1, 0}, {0, -1, 0, 0}},
      {"Y turns z to x", matrixRotationY(q), {0, 0, 1, 0}, {1, 0, 0, 0}},
      {"Y turns x to -z", matrixRotationY(q), {1, 0, 0, 0}, {0, 0, -1, 0}},
      {"Z turns x to y", matrixRotationZ(q), {1, 0, 0, 0}, {0, 1, 0, 0}},
      {"normal about x equals X", matrixRotationNormal({1, 0, 0, 0}, q), {0, 1, 0, 0}, {0, 0, 1, 0}},
      {"axis of any length", matrixRotationAxis({0, 0, 5, 0}, q), {1, 0, 0, 0}, {0, 1, 0, 0}},
      {"zero axis is no rotation", matrixRotationAxis({0, 0, 0, 0}, q), {1, 2, 3, 0}, {1, 2, 3, 0}},
  };
  for (const Case& c : cases) EXPECT_TRUE(near(vector3TransformNormal(c.in, c.m), c.out)) << c.name;
}

TEST(XmathMatrix, RotationFormsAgree) {
  const Vector axis = vector3Normalize({1, -2, 3, 0});
  EXPECT_TRUE(near(matrixRotationNormal(axis, 0.8f), matrixRotationQuaternion(quaternionRotationNormal(axis, 0.8f))));
  // Roll about Z first, then pitch about X, then yaw about Y.
  const Matrix expected =
      matrixMultiply(matrixMultiply(matrixRotationZ(0.3f), matrixRotationX(-0.4f)), matrixRotationY(1.1f));
  EXPECT_TRUE(near(matrixRotationRollPitchYaw(-0.4f, 1.1f, 0.3f), expected));
  EXPECT_TRUE(near(matrixRotationQuaternion(quaternionRotationRollPitchYaw(-0.4f, 1.1f, 0.3f)), expected));
}

TEST(XmathMatrix, InverseUndoesTheMatrix) {
  const Matrix cases[] = {
      matrixIdentity(),
      matrixMultiply(matrixMultiply(matrixScaling(2, 3, 0.5f), matrixRotationAxis({1, 1, 0, 0}, 0.7f)),
                     matrixTranslation(4, -5, 6)),
      matrixPerspectiveFovLH(1.0f, 1.5f, 0.5f, 100.0f),
      xmath_test::rows({{2, 1, 0, 3}, {1, 3, 1, 0}, {0, 1, 4, 1}, {1, 0, 1, 5}}),
  };
  for (const Matrix& m : cases) {
    float det = 0;
    const Matrix inv = matrixInverse(m, &det);
    EXPECT_NEAR(det, matrixDeterminant(m), 1e-4f);
    EXPECT_TRUE(near(matrixMultiply(m, inv), matrixIdentity(), 1e-4f));
    EXPECT_TRUE(near(matrixMultiply(inv, m), matrixIdentity(), 1e-4f));
  }
}

TEST(XmathMatrix, DeterminantOfKnownMatrices) {
  EXPECT_FLOAT_EQ(matrixDeterminant(matrixScaling(2, 3, 4)), 24.0f);
  EXPECT_FLOAT_EQ(matrixDeterminant(matrixScaling(-1, 1, 1)), -1.0f);
  // Expanded by hand along the first row.
  EXPECT_FLOAT_EQ(matrixDeterminant(xmath_test::rows({{2, 1, 0, 3}, {1, 3, 1, 0}, {0, 1, 4, 1}, {1, 0, 1, 5}})), 48.0f);
}

TEST(XmathMatrix, SingularMatrixInvertsToZero) {
  float det = 7;
  const Matrix inv = matrixInverse(matrixScaling(1, 0, 1), &det);
  EXPECT_EQ(det, 0.0f);
  EXPECT_TRUE(near(inv, Matrix{}, 0.0f));
}

TEST(XmathMatrix, TransformationUsesCentresAndOrientation) {
  const Vector none{0, 0, 0, 0}, noTurn{0, 0, 0, 1}, unit{1, 1, 1, 0};
  // Scale by 2 about x = 1: that point stays, (2, 0, 0) moves to (3, 0, 0).
  const Matrix scaleAbout = matrixTransformation({1, 0, 0, 0}, noTurn, {2, 2, 2, 0}, none, noTurn, none);
  EXPECT_TRUE(near(point({1, 0, 0, 0}, scaleAbout), {1, 0, 0, 1}));
  EXPECT_TRUE(near(point({2, 0, 0, 0}, scaleAbout), {3, 0, 0, 1}));
  // Scale (2, 1, 1) in a frame turned 90 degrees about Z stretches y instead of x.
  const Vector quarterZ = quaternionRotationNormal({0, 0, 1, 0}, kPi / 2);
  const Matrix orientedScale = matrixTransformation(none, quarterZ, {2, 1, 1, 0}, none, noTurn, none);
  EXPECT_TRUE(near(point({1, 1, 0, 0}, orientedScale), {1, 2, 0, 1}));
  // Turn 90 degrees about Z around (1, 0, 0), then translate by (0, 0, 5).
  const Matrix turnAbout = matrixTransformation(none, noTurn, unit, {1, 0, 0, 0}, quarterZ, {0, 0, 5, 0});
  EXPECT_TRUE(near(point({2, 0, 0, 0}, turnAbout), {1, 1, 5, 1}));
  EXPECT_TRUE(near(matrixAffineTransformation(unit, {1, 0, 0, 0}, quarterZ, {0, 0, 5, 0}), turnAbout));
}

TEST(XmathMatrix, DecomposeRecoversScaleRotationTranslation) {
  struct Case {
    const char* name;
    Vector scale, rotation, translation;
  } cases[] = {
      {"identity", {1, 1, 1, 0}, {0, 0, 0, 1}, {0, 0, 0, 1}},
      {"uniform", {2, 2, 2, 0}, quaternionRotationNormal({0, 1, 0, 0}, 0.5f), {1, 2, 3, 1}},
      {"non-uniform", {2, 3, 4, 0}, quaternionRotationRollPitchYaw(0.3f, -1.2f, 2.0f), {-4, 5, 6, 1}},
      {"half turn", {1, 0.5f, 1, 0}, quaternionRotationNormal({1, 0, 0, 0}, kPi), {0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    const Matrix m = matrixMultiply(
        matrixMultiply(matrixScaling(c.scale.x, c.scale.y, c.scale.z), matrixRotationQuaternion(c.rotation)),
        matrixTranslation(c.translation.x, c.translation.y, c.translation.z));
    Vector s, r, t;
    EXPECT_TRUE(matrixDecompose(&s, &r, &t, m)) << c.name;
    EXPECT_TRUE(near(s, c.scale, 1e-5f)) << c.name;
    EXPECT_TRUE(sameRotation(r, c.rotation, 1e-5f)) << c.name;
    EXPECT_TRUE(near(t, c.translation)) << c.name;
  }
}

TEST(XmathMatrix, DecomposePutsAMirrorOnTheAxisOfTheLargestScale) {
  // The parts differ from those given, but they rebuild the same matrix.
  struct Case {
    const char* name;
    Matrix m;
    Vector scale;
  } cases[] = {
      {"x mirrored, z largest", matrixScaling(-2, 3, 4), {2, 3, -4, 0}},
      {"y mirrored, moved", matrixMultiply(matrixScaling(2, -3, 4), matrixTranslation(1, 2, 3)), {2, 3, -4, 0}},
      {"x mirrored, x largest", matrixMultiply(matrixScaling(-5, 3, 4), matrixRotationY(0.4f)), {-5, 3, 4, 0}},
      {"equal scales: x first", matrixMultiply(matrixScaling(1, 1, -1), matrixRotationY(0.4f)), {-1, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Vector s, r, t;
    EXPECT_TRUE(matrixDecompose(&s, &r, &t, c.m));
    EXPECT_TRUE(near(s, c.scale, 1e-5f));
    const Matrix rebuilt = matrixMultiply(matrixMultiply(matrixScaling(s.x, s.y, s.z), matrixRotationQuaternion(r)),
                                          matrixTranslation(t.x, t.y, t.z));
    EXPECT_TRUE(near(rebuilt, c.m, 1e-5f));
  }
  Vector s, r, t;
  ASSERT_TRUE(matrixDecompose(&s, &r, &t, matrixScaling(-2, 3, 4)));
  EXPECT_TRUE(sameRotation(r, {0, 1, 0, 0})) << "a half turn about y";
  // Two mirrors are a half turn: nothing negative remains.
  EXPECT_TRUE(matrixDecompose(&s, &r, &t, matrixScaling(-1, -1, 1)));
  EXPECT_TRUE(near(s, {1, 1, 1, 0}));
  EXPECT_TRUE(sameRotation(r, {0, 0, 1, 0}));
}

TEST(XmathMatrix, DecomposeOfDegenerateOrShearedMatrices) {
  // Collapsed rows keep scale 0, and the parts still rebuild the matrix.
  const Matrix cases[] = {
      matrixMultiply(matrixScaling(0, 2, 3), matrixRotationY(0.5f)),
      matrixMultiply(matrixScaling(0, 0, 3), matrixRotationX(1.0f)),
      matrixMultiply(matrixScaling(0, 0, 0), matrixTranslation(7, 8, 9)),
  };
  for (const Matrix& m : cases) {
    Vector s, r, t;
    EXPECT_TRUE(matrixDecompose(&s, &r, &t, m));
    EXPECT_NEAR(vector4Dot(r, r), 1.0f, 1e-5f);
    const Matrix rebuilt = matrixMultiply(matrixMultiply(matrixScaling(s.x, s.y, s.z), matrixRotationQuaternion(r)),
                                          matrixTranslation(t.x, t.y, t.z));
    EXPECT_TRUE(near(rebuilt, m, 1e-5f));
  }

  // Shear is no scale-rotation-translation: reported, and the rotation is
  // left as it came in; scale and translation are still the rows' lengths
  // and the fourth row.
  const Matrix shear = xmath_test::rows({{1, 0, 0, 0}, {1, 1, 0, 0}, {0, 0, 1, 0}, {4, 5, 6, 1}});
  Vector s, r{0, 0, 0, 1}, t;
  EXPECT_FALSE(matrixDecompose(&s, &r, &t, shear));
  EXPECT_TRUE(near(r, {0, 0, 0, 1}, 0.0f));
  EXPECT_TRUE(near(s, {1, std::sqrt(2.0f), 1, 0}, 1e-6f));
  EXPECT_TRUE(near(t, {4, 5, 6, 1}));
}
