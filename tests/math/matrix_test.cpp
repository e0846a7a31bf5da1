#include <gtest/gtest.h>

#include <cmath>

#include "math/rk_matrix.h"
#include "math/rk_quaternion.h"
#include "math_expect.h"

using namespace rk::math;
using math_test::near;

namespace {

constexpr float kPi = 3.14159265358979f;

// Rotation of an Euler triple: roll about Z, then pitch about X, then yaw about Y.
Matrix rotationOf(float pitch, float yaw, float roll) {
  return matrixFromQuaternion(quaternionFromYawPitchRoll(yaw, pitch, roll));
}

}  // namespace

TEST(MathQuaternion, FromYawPitchRollAppliesRollPitchYawInOrder) {
  EXPECT_TRUE(math_test::sameBits(quaternionFromYawPitchRoll(0, 0, 0), {0, 0, 0, 1}));
  const Matrix expected = matrixMultiply(matrixMultiply(matrixRotationAxis({0, 0, 1, 0}, 0.3f), matrixRotationX(-0.4f)),
                                         matrixRotationAxis({0, 1, 0, 0}, 1.1f));
  EXPECT_TRUE(near(rotationOf(-0.4f, 1.1f, 0.3f), expected));
  // An axis of any length is normalised; the half angle goes into the quaternion.
  EXPECT_TRUE(near(quaternionRotationAxis({0, 0, 2, 0}, kPi / 2), {0, 0, std::sqrt(0.5f), std::sqrt(0.5f)}));
  EXPECT_TRUE(
      near(matrixFromQuaternion(quaternionRotationAxis({1, 2, 3, 0}, 0.9f)), matrixRotationAxis({1, 2, 3, 0}, 0.9f)));
}

TEST(MathMatrix, ToYawPitchRollRecoversTheAngles) {
  struct Case {
    float pitch, yaw, roll;
  } cases[] = {{0, 0, 0}, {0.3f, -1.2f, 2.5f}, {-1.2f, 3.0f, -0.7f}, {1.5f, 0.1f, 0.2f}};
  for (const Case& c : cases) {
    const Vector4 angles = matrixToYawPitchRoll(rotationOf(c.pitch, c.yaw, c.roll));
    EXPECT_TRUE(near(angles, {c.pitch, c.yaw, c.roll, 0}, 2e-5f)) << c.pitch << " " << c.yaw << " " << c.roll;
  }
}

TEST(MathMatrix, ToYawPitchRollInTheGimbalBand) {
  Matrix m = matrixIdentity();
  m.m[2][1] = 0.99999995f;
  Vector4 angles = matrixToYawPitchRoll(m);
  EXPECT_EQ(angles.x, -1.5707964f);
  EXPECT_EQ(angles.y, 0.0f);

  // At pitch +-pi/2 yaw and roll turn about the same axis: the whole turn goes to
  // roll, and the angles found rebuild the same rotation.
  const struct {
    float pitch, yaw, roll;
  } cases[] = {{-kPi / 2, 0, 0.6f}, {kPi / 2, 0, 0.6f}, {-kPi / 2, 0.4f, 0.6f}, {kPi / 2, 0.4f, -0.6f}};
  for (const auto& c : cases) {
    const Matrix r = rotationOf(c.pitch, c.yaw, c.roll);
    angles = matrixToYawPitchRoll(r);
    EXPECT_EQ(angles.y, 0.0f);
    EXPECT_NEAR(std::fabs(angles.x), kPi / 2, 1e-6f);
    EXPECT_TRUE(near(rotationOf(angles.x, angles.y, angles.z), r, 1e-5f)) << c.pitch << " " << c.yaw << " " << c.roll;
  }
  EXPECT_NEAR(matrixToYawPitchRoll(rotationOf(-kPi / 2, 0, 0.6f)).z, 0.6f, 1e-6f);

  // A scaled matrix can push m21 past 1: clamped, not NaN.
  m = matrixIdentity();
  m.m[2][1] = 1.5f;
  EXPECT_FALSE(std::isnan(matrixToYawPitchRoll(m).x));
}

TEST(MathMatrix, ViewportHalvesIntegerSizes) {
  const struct {
    Viewport vp;
    float m00, m11, m30, m31;
  } cases[] = {
      {{0, 0, 1281, 721, 0.0f, 1.0f}, 640, -360, 640, 360},
      {{10, 20, 1280, 720, 0.0f, 1.0f}, 640, -360, 650, 380},
      {{0, 0, 1, 1, 0.0f, 1.0f}, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const Matrix m = matrixViewport(c.vp);
    EXPECT_EQ(m.m[0][0], c.m00);
    EXPECT_EQ(m.m[1][1], c.m11);
    EXPECT_EQ(m.m[3][0], c.m30);
    EXPECT_EQ(m.m[3][1], c.m31);
    EXPECT_EQ(m.m[3][3], 1.0f);
  }
  const Matrix depth = matrixViewport({0, 0, 100, 100, 0.25f, 0.75f});
  EXPECT_EQ(depth.m[2][2], 0.5f);
  EXPECT_EQ(depth.m[3][2], 0.25f);
  // Clip (-1, 1) is the top-left pixel corner, (1, -1) the bottom-right one.
  EXPECT_TRUE(near(vec3TransformCoord({-1, 1, 0, 0}, matrixViewport({0, 0, 1280, 720, 0, 1})), {0, 0, 0, 1}));
  EXPECT_TRUE(near(vec3TransformCoord({1, -1, 1, 0}, matrixViewport({0, 0, 1280, 720, 0, 1})), {1280, 720, 1, 1}));
}

TEST(MathMatrix, BuildersAndTransforms) {
  EXPECT_TRUE(near(matrixRotationAxis({0, 0, 0, 0}, 1.0f), matrixIdentity(), 0));
  const Matrix m = matrixMultiply(matrixScaling(2, 3, 4), matrixTranslation(1, 1, 1));
  EXPECT_TRUE(near(vec3TransformCoord({1, 1, 1, 7}, m), {3, 4, 5, 1}));
  EXPECT_TRUE(near(vec3TransformNormal({1, 1, 1, 7}, m), {2, 3, 4, 0}));
  EXPECT_TRUE(near(matrixMultiply(m, matrixInverse(m)), matrixIdentity()));
  EXPECT_TRUE(near(matrixInverse(matrixScaling(0, 1, 1)), Matrix{}, 0));
  EXPECT_EQ(matrixTranspose(m).m[0][3], 1.0f);
  EXPECT_TRUE(near(vec3TransformCoord({1, 2, 3, 0}, matrixOrthographicLH(2, 4, 3, 5)), {1, 1, 0, 1}));
  EXPECT_TRUE(near(vec3TransformCoord({0, 0, 2, 0}, matrixPerspectiveFovLH(kPi / 2, 1, 1, 3)), {0, 0, 0.75f, 1}));
  EXPECT_TRUE(near(vec3TransformCoord({1, 1, 1, 0}, matrixOrthographicOffCenterLH(1, 3, 1, 5, 1, 2)), {-1, -1, 0, 1}));
}
