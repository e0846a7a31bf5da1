#include <gtest/gtest.h>

#include <cmath>

#include "math/rk_plane.h"
#include "math/rk_ray.h"
#include "math_expect.h"

using namespace rk::math;
using math_test::near;

TEST(MathPlane, FromPointNormalAndFromPoints) {
  EXPECT_TRUE(near(planeFromPointNormal({0, 2, 0, 0}, {0, 3, 0, 0}), {0, 3, 0, -6}));  // normal kept as given
  EXPECT_TRUE(near(planeFromPoints({0, 2, 0, 0}, {0, 2, 1, 0}, {1, 2, 0, 0}), {0, 1, 0, -2}));
  EXPECT_TRUE(near(planeFromPoints({1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}), {0, 0, 0, 0}, 0));  // collinear
}

TEST(MathPlane, IntersectLine) {
  const Vector4 ground{0, 1, 0, 0};
  Vector4 out{9, 9, 9, 9};
  // Crossing at t = 0.5: the midpoint of l1 and l2, on all four components.
  EXPECT_EQ(planeIntersectLine(ground, {0, 1, 0, 2}, {0, -1, 0, 4}, out), &out);
  EXPECT_TRUE(near(out, {0, 0, 0, 3}));
  // Crossing outside the segment still counts: it is a line.
  EXPECT_EQ(planeIntersectLine({0, 1, 0, -1}, {2, 3, 0, 0}, {2, 4, 0, 0}, out), &out);
  EXPECT_TRUE(near(out, {2, 1, 0, 0}));
  // Parallel: no point, the output filled with quiet NaNs.
  EXPECT_EQ(planeIntersectLine(ground, {0, 1, 0, 0}, {1, 1, 0, 0}, out), nullptr);
  EXPECT_TRUE(std::isnan(out.x) && std::isnan(out.y) && std::isnan(out.z) && std::isnan(out.w));
}

TEST(MathRay, SphereHits) {
  const Vector4 untouched{7, 7, 7, 7};
  const struct {
    const char* name;
    Vector4 pos, normal;
    int hits;
    Vector4 first, second;
  } cases[] = {
      {"through the centre", {0, 0, -5, 0}, {0, 0, 1, 0}, 2, {0, 0, 1, 0}, {0, 0, -1, 0}},
      {"from inside", {0, 0, 0, 0}, {1, 0, 0, 0}, 2, {1, 0, 0, 0}, {-1, 0, 0, 0}},
      {"tangent", {-5, 1, 0, 0}, {1, 0, 0, 0}, 1, {0, 1, 0, 0}, untouched},
      {"miss", {-5, 2, 0, 0}, {1, 0, 0, 0}, 0, untouched, untouched},
      {"no direction", {0, 0, 0, 0}, {0, 0, 0, 0}, 0, untouched, untouched},
  };
  for (const auto& c : cases) {
    Ray ray;
    ray.setPos(c.pos);
    ray.setNormal(c.normal);
    Vector4 a = untouched, b = untouched;
    EXPECT_EQ(raySphereIntersect(1.0f, ray, a, b), c.hits) << c.name;
    EXPECT_TRUE(near(a, c.first)) << c.name;
    EXPECT_TRUE(near(b, c.second)) << c.name;
  }
}
