#include <gtest/gtest.h>

#include "xmath_expect.h"

using namespace host::xmath;
using xmath_test::near;

namespace {

constexpr float kPi = 3.14159265358979f;

Vector point(float x, float y, float z, const Matrix& m) { return vector3TransformCoord({x, y, z, 1}, m); }

}  // namespace

TEST(XmathProjection, LookToPutsTheEyeAtTheOriginLookingAlongZ) {
  const Matrix ahead = matrixLookToLH({0, 0, -5, 1}, {0, 0, 1, 0}, {0, 1, 0, 0});
  EXPECT_TRUE(near(point(0, 0, 0, ahead), {0, 0, 5, 1}));
  EXPECT_TRUE(near(point(1, 2, 0, ahead), {1, 2, 5, 1}));

  // From (3, 0, 0) looking along -x: +z is to the right, the origin 3 ahead.
  const Matrix west = matrixLookToLH({3, 0, 0, 1}, {-1, 0, 0, 0}, {0, 1, 0, 0});
  EXPECT_TRUE(near(point(0, 0, 0, west), {0, 0, 3, 1}));
  EXPECT_TRUE(near(point(3, 0, 1, west), {1, 0, 0, 1}));
  EXPECT_TRUE(near(point(3, 1, 0, west), {0, 1, 0, 1}));
  // The up vector need not be perpendicular or of unit length.
  EXPECT_TRUE(near(matrixLookToLH({3, 0, 0, 1}, {-2, 0, 0, 0}, {1, 4, 0, 0}), west));
  EXPECT_TRUE(near(matrixLookAtLH({3, 0, 0, 1}, {-7, 0, 0, 1}, {0, 1, 0, 0}), west));
}

TEST(XmathProjection, PerspectiveMapsNearAndFarToDepthZeroAndOne) {
  // Vertical field 90 degrees, aspect 2: the frustum edge at depth z is y = z, x = 2z.
  const Matrix lh = matrixPerspectiveFovLH(kPi / 2, 2.0f, 1.0f, 10.0f);
  EXPECT_NEAR(lh.m[0][0], 0.5f, 1e-6f);
  EXPECT_NEAR(lh.m[1][1], 1.0f, 1e-6f);
  EXPECT_EQ(lh.m[2][3], 1.0f);
  EXPECT_NEAR(lh.m[3][2], -10.0f / 9.0f, 1e-6f);
  EXPECT_TRUE(near(point(0, 0, 1, lh), {0, 0, 0, 1}));
  EXPECT_TRUE(near(point(20, 10, 10, lh), {1, 1, 1, 1}));
  EXPECT_TRUE(near(point(-4, 2, 4, lh), {-0.5f, 0.5f, 10.0f / 9.0f * (1 - 1.0f / 4), 1}));

  // Right-handed: the camera looks down -z.
  const Matrix rh = matrixPerspectiveFovRH(kPi / 2, 2.0f, 1.0f, 10.0f);
  EXPECT_EQ(rh.m[2][3], -1.0f);
  EXPECT_TRUE(near(point(0, 0, -1, rh), {0, 0, 0, 1}));
  EXPECT_TRUE(near(point(20, 10, -10, rh), {1, 1, 1, 1}));
}

TEST(XmathProjection, OrthographicMapsTheBoxToClipSpace) {
  const Matrix centred = matrixOrthographicLH(4, 2, 1, 11);
  EXPECT_TRUE(near(point(2, 1, 1, centred), {1, 1, 0, 1}));
  EXPECT_TRUE(near(point(-2, -1, 11, centred), {-1, -1, 1, 1}));
  const Matrix offCentre = matrixOrthographicOffCenterLH(0, 8, 0, 4, 0, 1);
  EXPECT_TRUE(near(point(0, 0, 0, offCentre), {-1, -1, 0, 1}));
  EXPECT_TRUE(near(point(8, 4, 1, offCentre), {1, 1, 1, 1}));
  EXPECT_TRUE(near(point(4, 2, 0.5f, offCentre), {0, 0, 0.5f, 1}));
}

TEST(XmathProjection, ShadowFlattensOntoThePlaneAlongTheLight) {
  const Vector ground{0, 1, 0, 0};
  // Light from straight above: the shadow drops vertically.
  EXPECT_TRUE(near(point(1, 2, 3, matrixShadow(ground, {0, 1, 0, 0})), {1, 0, 3, 1}));
  // Point light at (0, 10, 0): the ray through (1, 2, 3) meets y = 0 at 10/8 of the way.
  EXPECT_TRUE(near(point(1, 2, 3, matrixShadow(ground, {0, 10, 0, 1})), {1.25f, 0, 3.75f, 1}));
  // The plane y = 1 given unnormalised; light along (1, 1, 0) towards the light.
  EXPECT_TRUE(near(point(3, 3, 0, matrixShadow({0, 2, 0, -2}, {1, 1, 0, 0})), {1, 1, 0, 1}));
}

TEST(XmathProjection, ReflectMirrorsThroughThePlane) {
  const Matrix mirror = matrixReflect({0, 2, 0, -2});  // y = 1, unnormalised
  EXPECT_TRUE(near(point(1, 3, 2, mirror), {1, -1, 2, 1}));
  EXPECT_TRUE(near(matrixMultiply(mirror, mirror), matrixIdentity()));
  EXPECT_TRUE(near(matrixReflect({0, 0, 0, 0}), matrixIdentity(), 0.0f));
}
