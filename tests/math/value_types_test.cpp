#include <gtest/gtest.h>

#include <cmath>

#include "gfx/rk_color.h"
#include "math_expect.h"

using math_test::near;
using rk::gfx::Color;
using rk::math::Vector4;

TEST(Color, ConstructorAndSettersClampEveryChannel) {
  const Color c(1.5f, -0.2f, 0.5f, 2.0f);
  EXPECT_EQ(c.getR(), 1.0f);
  EXPECT_EQ(c.getG(), 0.0f);
  EXPECT_EQ(c.getB(), 0.5f);
  EXPECT_EQ(c.getA(), 1.0f);

  struct Case {
    void (Color::*set)(float);
    float (Color::*get)() const;
    float in, stored;
  } cases[] = {
      {&Color::setR, &Color::getR, 0.25f, 0.25f},
      {&Color::setG, &Color::getG, -3.0f, 0.0f},
      {&Color::setB, &Color::getB, 7.0f, 1.0f},
      {&Color::setA, &Color::getA, 1.0f, 1.0f},
  };
  for (const Case& k : cases) {
    Color x(0.5f, 0.5f, 0.5f, 0.5f);
    (x.*k.set)(k.in);
    EXPECT_EQ((x.*k.get)(), k.stored) << k.in;
  }
  // Both comparisons fail for NaN, so it is stored as it is.
  EXPECT_TRUE(std::isnan(Color(NAN, 0, 0, 0).getR()));
}

TEST(Color, ScaleClampedMultipliesThenClamps) {
  Color c(0.2f, 0.6f, 1.0f, 0.0f);
  c.scaleClamped(2.0f);
  EXPECT_FLOAT_EQ(c.getR(), 0.4f);
  EXPECT_EQ(c.getG(), 1.0f);
  EXPECT_EQ(c.getB(), 1.0f);
  EXPECT_EQ(c.getA(), 0.0f);
  c.scaleClamped(-1.0f);
  EXPECT_EQ(c.getR(), 0.0f);
  EXPECT_EQ(c.data()[0], 0.0f);
}

TEST(Vector4, ThreeVectorOperationsWriteWZeroFourVectorOnesKeepW) {
  const Vector4 a{1, 2, 3, 4}, b{0.5f, 0.5f, 0.5f, 2};
  EXPECT_TRUE(near(a.plus(b), {1.5f, 2.5f, 3.5f, 0}));
  EXPECT_TRUE(near(a.minus(b), {0.5f, 1.5f, 2.5f, 0}));
  EXPECT_TRUE(near(a.scaled(2), {2, 4, 6, 0}));
  EXPECT_TRUE(near(a.divided(2), {0.5f, 1, 1.5f, 0}));
  EXPECT_TRUE(near(a.mulComponents(b), {0.5f, 1, 1.5f, 8}));
  EXPECT_TRUE(near(Vector4::lerp(a, b, 0.5f), {0.75f, 1.25f, 1.75f, 3}));

  Vector4 v = a;
  v.addAssign(b);
  EXPECT_TRUE(near(v, {1.5f, 2.5f, 3.5f, 6}));
  v.subAssign(b);
  EXPECT_TRUE(near(v, a));
  v.scaleXYZ(3);
  EXPECT_TRUE(near(v, {3, 6, 9, 0}));
  v.set(1, 2, 3, 4);
  v.setXYZ(5, 6, 7);
  EXPECT_TRUE(near(v, {5, 6, 7, 0}));
  v.setW(9);
  v.setXYZ0(1, 1, 1);
  EXPECT_TRUE(near(v, {1, 1, 1, 0}));
  v.setY(8);
  EXPECT_TRUE(near(v, {1, 8, 1, 0}));
  v.zero();
  EXPECT_TRUE(near(v, {0, 0, 0, 0}, 0));

  rk::math::Int2 i{7, 7, 7, 7};
  i.set(-3, 4);
  EXPECT_EQ(i.x, -3);
  EXPECT_EQ(i.y, 4);
  EXPECT_EQ(i.reserved0, 0);
  EXPECT_EQ(i.reserved1, 0);
}

TEST(Vector4, NormalizeScalesAllFourComponentsAndKeepsZeroZero) {
  struct Case {
    Vector4 in, out;
  } cases[] = {
      {{0, 0, 0, 5}, {0, 0, 0, 0}},
      {{3, 0, 4, 1}, {0.6f, 0, 0.8f, 0.2f}},
      {{0, -2, 0, 0}, {0, -1, 0, 0}},
      {{1e-30f, 0, 0, 0}, {1, 0, 0, 0}},  // the double-precision length does not underflow
  };
  for (const auto& c : cases) EXPECT_TRUE(near(rk::math::vec3Normalize(c.in), c.out, 1e-7f));
  EXPECT_FLOAT_EQ(rk::math::vec3Length({3, 0, 4, 9}), 5.0f);
  EXPECT_FLOAT_EQ(rk::math::vec3LengthSq({1, 2, 2, 9}), 9.0f);
  EXPECT_TRUE(near(rk::math::vec3Cross({0, 1, 0, 3}, {0, 0, 1, 3}), {1, 0, 0, 0}));
}
