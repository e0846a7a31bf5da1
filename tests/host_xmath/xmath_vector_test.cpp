#include <gtest/gtest.h>

#include <cmath>

#include "xmath_expect.h"

using namespace host::xmath;
using xmath_test::near;
using xmath_test::sameRotation;

namespace {

constexpr float kPi = 3.14159265358979f;

Vector aboutZ(float angle) { return quaternionRotationNormal({0, 0, 1, 0}, angle); }

}  // namespace

TEST(XmathVector, BasicThreeVectorOperations) {
  EXPECT_TRUE(near(vector3Cross({1, 0, 0, 7}, {0, 1, 0, 7}), {0, 0, 1, 0}));
  EXPECT_FLOAT_EQ(vector3Dot({1, 2, 3, 9}, {4, 5, 6, 9}), 32.0f);
  EXPECT_FLOAT_EQ(vector3Length({3, 0, 4, 100}), 5.0f);
  EXPECT_TRUE(near(vector3Normalize({3, 0, 4, 1}), {0.6f, 0, 0.8f, 0.2f}));
  EXPECT_TRUE(near(vector3Normalize({0, 0, 0, 5}), {0, 0, 0, 0}, 0.0f));
}

TEST(XmathVector, TransformNormalIgnoresTranslationAndCoordDividesByW) {
  const Matrix m = matrixMultiply(matrixScaling(2, 2, 2), matrixTranslation(1, 2, 3));
  EXPECT_TRUE(near(vector3TransformNormal({1, 1, 1, 9}, m), {2, 2, 2, 0}));
  EXPECT_TRUE(near(vector3TransformCoord({1, 1, 1, 9}, m), {3, 4, 5, 1}));
  Matrix halve = matrixIdentity();
  halve.m[3][3] = 2;
  EXPECT_TRUE(near(vector3TransformCoord({4, 6, 8, 0}, halve), {2, 3, 4, 1}));
}

TEST(XmathVector, CatmullRomPassesThroughTheInnerPoints) {
  const Vector p0{0, 0, 0, 0}, p1{1, 2, 0, 1}, p2{2, 2, 0, 2}, p3{3, 0, 0, 3};
  EXPECT_TRUE(near(vectorCatmullRom(p0, p1, p2, p3, 0), p1));
  EXPECT_TRUE(near(vectorCatmullRom(p0, p1, p2, p3, 1), p2));
  // Evenly spaced points on a line: the curve is the line itself.
  EXPECT_TRUE(near(vectorCatmullRom({0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}, 0.25f),
                   {1.25f, 1.25f, 1.25f, 1.25f}));
}

TEST(XmathQuaternion, MultiplyRotatesByTheFirstThenTheSecond) {
  const Vector q1 = quaternionRotationNormal({1, 0, 0, 0}, kPi / 2);
  const Vector q2 = quaternionRotationNormal({0, 1, 0, 0}, kPi / 2);
  EXPECT_TRUE(near(matrixRotationQuaternion(quaternionMultiply(q1, q2)),
                   matrixMultiply(matrixRotationQuaternion(q1), matrixRotationQuaternion(q2))));
}

TEST(XmathQuaternion, FromMatrixRoundTripsInEveryBranch) {
  const Vector cases[] = {
      {0, 0, 0, 1},                                 // trace branch
      quaternionRotationNormal({1, 0, 0, 0}, kPi),  // x largest
      quaternionRotationNormal({0, 1, 0, 0}, kPi),  // y largest
      quaternionRotationNormal({0, 0, 1, 0}, kPi),  // z largest
      quaternionRotationNormal(vector3Normalize({1, -2, 2, 0}), 2.9f),
      quaternionRotationRollPitchYaw(0.4f, -2.5f, 1.7f),
  };
  for (const Vector& q : cases) {
    const Matrix m = matrixRotationQuaternion(q);
    const Vector back = quaternionRotationMatrix(m);
    EXPECT_TRUE(sameRotation(back, q)) << q.x << " " << q.y << " " << q.z << " " << q.w;
    EXPECT_TRUE(near(matrixRotationQuaternion(back), m));
  }
}

TEST(XmathQuaternion, SlerpEndsMidpointAndShorterArc) {
  const Vector a = aboutZ(0), b = aboutZ(kPi / 2);
  EXPECT_TRUE(near(quaternionSlerp(a, b, 0), a));
  EXPECT_TRUE(near(quaternionSlerp(a, b, 1), b));
  EXPECT_TRUE(near(quaternionSlerp(a, b, 0.5f), aboutZ(kPi / 4)));
  EXPECT_TRUE(near(quaternionSlerp(a, b, 0.25f), aboutZ(kPi / 8)));
  // -b is the same rotation; the shorter arc still passes through pi/4, not 5pi/4.
  const Vector minusB{-b.x, -b.y, -b.z, -b.w};
  EXPECT_TRUE(sameRotation(quaternionSlerp(a, minusB, 0.5f), aboutZ(kPi / 4)));
}

TEST(XmathQuaternion, SlerpOfNearlyEqualQuaternionsStaysFinite) {
  const Vector a = aboutZ(0.3f);
  const Vector same = quaternionSlerp(a, a, 0.7f);
  EXPECT_TRUE(near(same, a));
  const Vector close = quaternionSlerp(a, aboutZ(0.3f + 1e-4f), 0.5f);
  EXPECT_TRUE(near(close, aboutZ(0.3f + 0.5e-4f), 1e-6f));
}

TEST(XmathPlane, FromPointsAndNormalize) {
  EXPECT_TRUE(near(planeFromPoints({0, 0, 0, 0}, {1, 0, 0, 0}, {0, 0, 1, 0}), {0, -1, 0, 0}));
  const Vector lifted = planeFromPoints({0, 2, 0, 0}, {0, 2, 1, 0}, {1, 2, 0, 0});
  EXPECT_TRUE(near(lifted, {0, 1, 0, -2}));
  EXPECT_FLOAT_EQ(planeDotCoord(lifted, {5, 7, 5, 0}), 5.0f);
  // Collinear points span no plane: zero, not NaN.
  EXPECT_TRUE(near(planeFromPoints({0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}), {0, 0, 0, 0}, 0.0f));
  EXPECT_TRUE(near(planeNormalize({0, 2, 0, 4}), {0, 1, 0, 2}));
  EXPECT_TRUE(near(planeNormalize({0, 0, 0, 4}), {0, 0, 0, 0}, 0.0f));
}
