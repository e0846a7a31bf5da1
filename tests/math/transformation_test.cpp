#include <gtest/gtest.h>

#include <vector>

#include "math/rk_quaternion.h"
#include "math/rk_transformation.h"
#include "math_expect.h"

using namespace rk::math;
using math_test::near;
using math_test::sameBits;

namespace {

Matrix rowsOf(const float (&r)[4][4]) {
  Matrix m;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m.m[i][j] = r[i][j];
  return m;
}

// Records the scale it is given, as a subclass that keeps its own copy would.
class RecordingTransformation : public Transformation {
 public:
  void setScale(const Vector4& v) override {
    seenScales.push_back(v);
    Transformation::setScale(v);
  }
  std::vector<Vector4> seenScales;
};

}  // namespace

TEST(Transformation, StartsValidWithTheIdentity) {
  const Transformation t;
  EXPECT_TRUE(t.isMatrixValid());
  EXPECT_TRUE(sameBits(t.getMatrix(), matrixIdentity()));
  EXPECT_TRUE(sameBits(t.getScale(), {1, 1, 1, 0}));
  EXPECT_TRUE(sameBits(t.getRotQuat(), {0, 0, 0, 1}));
}

TEST(Transformation, RebuildsOnlyWhenAsked) {
  Transformation t;
  t.setPos({1, 2, 3, 0});
  EXPECT_FALSE(t.isMatrixValid());
  EXPECT_TRUE(sameBits(t.getMatrix(), matrixIdentity()));  // getMatrix does not rebuild
  t.buildMatrix();
  EXPECT_TRUE(t.isMatrixValid());
  EXPECT_TRUE(near(t.getMatrix(), matrixTranslation(1, 2, 3), 0));

  // Every setter invalidates.
  const Vector4 v{0.1f, 0.2f, 0.3f, 0};
  void (Transformation::*setters[])(const Vector4&) = {&Transformation::setPos,
                                                       &Transformation::setScaleCenter,
                                                       &Transformation::setScale,
                                                       &Transformation::setRotCenter,
                                                       &Transformation::setScaleYawPitchRollVec,
                                                       &Transformation::setYawPitchRollVec,
                                                       &Transformation::setRotQuat,
                                                       &Transformation::setScaleQuat};
  for (auto set : setters) {
    t.buildMatrix();
    (t.*set)(v);
    EXPECT_FALSE(t.isMatrixValid());
  }
  EXPECT_TRUE(sameBits(t.getRotCenter(), v));
}

TEST(Transformation, AngleSettersStorePitchYawRollAndTheirQuaternion) {
  Transformation t;
  t.setYawPitchRollVec({0, 0, 0, 5});
  t.setYawPitchRoll(0.5f, 0, 0);
  EXPECT_TRUE(sameBits(t.getYawPitchRoll(), {0, 0.5f, 0, 5}));  // w kept
  EXPECT_TRUE(sameBits(t.getRotQuat(), quaternionFromYawPitchRoll(0.5f, 0, 0)));
  t.buildMatrix();
  EXPECT_TRUE(near(t.getMatrix(), matrixRotationAxis({0, 1, 0, 0}, 0.5f)));

  t.setScaleYawPitchRoll(0.1f, 0.2f, 0.3f);
  EXPECT_TRUE(near(t.getScaleYawPitchRoll(), {0.2f, 0.1f, 0.3f, 0}, 0));
  EXPECT_TRUE(sameBits(t.getScaleQuat(), quaternionFromYawPitchRoll(0.1f, 0.2f, 0.3f)));
}

TEST(Transformation, BuildComposesScaleAboutCentreThenRotationAboutCentreThenPosition) {
  Transformation t;
  t.setScale({2, 2, 2, 0});
  t.setScaleCenter({1, 0, 0, 0});
  t.setRotCenter({1, 0, 0, 0});
  t.setYawPitchRoll(0, 0, 3.14159265f / 2);  // quarter roll about Z
  t.setPos({0, 0, 5, 0});
  t.buildMatrix();
  // (2, 0, 0): scaled about x = 1 to (3, 0, 0), turned about (1, 0, 0) to (1, 2, 0), moved.
  EXPECT_TRUE(near(vec3TransformCoord({2, 0, 0, 0}, t.getMatrix()), {1, 2, 5, 1}));

  t.resetTransform();
  EXPECT_TRUE(t.isMatrixValid());
  EXPECT_TRUE(near(t.getMatrix(), matrixIdentity(), 1e-7f));
  EXPECT_TRUE(sameBits(t.getScaleCenter(), {0, 0, 0, 0}));
}

TEST(Transformation, QuaternionSettersAreUsedAsGiven) {
  Transformation t;
  t.setScaleYawPitchRoll(0.3f, 0, 0);
  const Vector4 scaleQuatBefore = t.getScaleQuat();
  const Vector4 scaleAnglesBefore = t.getScaleYawPitchRoll();
  // Not a unit quaternion: rebuilt from its angles it would become a different,
  // unit rotation, so the build shows which one is used.
  const Vector4 q{0, 0, 1, 1};
  t.setRotQuat(q);
  EXPECT_TRUE(sameBits(t.getRotQuat(), q));
  EXPECT_TRUE(sameBits(t.getScaleQuat(), scaleQuatBefore));
  EXPECT_TRUE(sameBits(t.getScaleYawPitchRoll(), scaleAnglesBefore));
  t.setScaleYawPitchRoll(0, 0, 0);
  t.buildMatrix();
  EXPECT_TRUE(near(t.getMatrix(), matrixFromQuaternion(q)));
  EXPECT_EQ(t.getMatrix().m[0][0], -1.0f);

  const Vector4 turn = quaternionRotationAxis({0, 0, 1, 0}, 0.7f);
  t.setRotQuat(turn);
  EXPECT_TRUE(near(t.getYawPitchRoll(), {0, 0, 0.7f, 0}));

  // A new scaling orientation takes effect at the next build.
  Transformation s;
  s.setScale({2, 1, 1, 0});
  s.setScaleQuat(quaternionRotationAxis({0, 0, 1, 0}, 3.14159265f / 2));
  s.buildMatrix();
  EXPECT_TRUE(near(vec3TransformCoord({1, 1, 0, 0}, s.getMatrix()), {1, 2, 0, 1}));
}

TEST(Transformation, SetMatrixKeepsTheMatrixAndDecomposesThroughTheSetters) {
  const Matrix sheared = rowsOf({{2, 0, 0, 0}, {1, 3, 0, 0}, {0, 0, 4, 0}, {5, 6, 7, 1}});
  RecordingTransformation t;
  t.setMatrix(sheared);
  EXPECT_TRUE(t.isMatrixValid());
  EXPECT_TRUE(sameBits(t.getMatrix(), sheared));
  ASSERT_EQ(t.seenScales.size(), 1u);
  EXPECT_NEAR(t.seenScales[0].x, 2.0f, 1e-6f);
  EXPECT_NEAR(t.seenScales[0].z, 4.0f, 1e-6f);
  EXPECT_TRUE(near(t.getPos(), {5, 6, 7, 1}));
  EXPECT_TRUE(near(t.getRotQuat(), {0, 0, 0, 1})) << "a shear keeps the identity rotation";

  // A later setter rebuilds from the decomposed parts.
  t.setPos({0, 0, 0, 0});
  t.buildMatrix();
  EXPECT_FALSE(sameBits(t.getMatrix(), sheared));
  EXPECT_EQ(t.getMatrix().m[3][0], 0.0f);

  // Without shear the parts rebuild the same matrix.
  const Matrix clean = matrixMultiply(
      matrixMultiply(matrixScaling(2, 3, 4), matrixFromQuaternion(quaternionFromYawPitchRoll(0.4f, -0.2f, 1.0f))),
      matrixTranslation(1, 2, 3));
  Transformation u;
  u.setMatrix(clean);
  u.setScaleCenter({0, 0, 0, 0});  // invalidate without changing anything
  u.buildMatrix();
  EXPECT_TRUE(near(u.getMatrix(), clean, 1e-5f));
}
