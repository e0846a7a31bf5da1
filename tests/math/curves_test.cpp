#include <gtest/gtest.h>

#include <cmath>

#include "math/rk_bezier_curve.h"
#include "math/rk_bspline.h"
#include "math/rk_catmull_rom.h"
#include "math/rk_quat_spline.h"
#include "math/rk_spline_table.h"
#include "math_expect.h"

using namespace rk::math;
using math_test::near;
using math_test::sameBits;

namespace {

// Checks that the curve's slope is the same just before and just after t.
template <typename Curve>
void expectSmoothAt(Curve&& at, float t, const char* what) {
  const float h = 1e-3f;
  const Vector4 before = at(t).minus(at(t - h)).divided(h);
  const Vector4 after = at(t + h).minus(at(t)).divided(h);
  EXPECT_TRUE(near(before, after, 5e-2f)) << what << " at " << t;
}

}  // namespace

TEST(Bezier, ScalarEaseCurve) {
  BezierCurve ease;  // 0, 1, 1, 1
  EXPECT_EQ(ease.calc(0.0f), 0.0f);
  EXPECT_FLOAT_EQ(ease.calc(0.5f), 0.875f);
  EXPECT_EQ(ease.calc(1.0f), 1.0f);
  BezierCurve line(0, 1, 2, 3);
  EXPECT_FLOAT_EQ(line.calc(2.0f), 6.0f);  // not clamped
  line.setP3(6);
  EXPECT_FLOAT_EQ(line.calc(1.0f), 6.0f);
}

TEST(Bezier, CurveOfPointsStartsAndEndsAtItsEndPoints) {
  CubicBezierCurve c;
  Vector4 out{9, 9, 9, 9};
  c.calc(0.5f, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}, 0));  // all control points zero at construction
  c.setP0(0, 0, 0);
  c.setP1(1, 2, 0);
  c.setP2(3, 2, 0);
  c.setP3(4, 0, 1);
  c.calc(0, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}));
  c.calc(1, out);
  EXPECT_TRUE(near(out, {4, 0, 1, 0}));
  c.calc(0.5f, out);
  EXPECT_TRUE(near(out, {2, 1.5f, 0.125f, 0}));
}

TEST(BSpline, PassesThroughItsPointsAndClampsTheSegment) {
  BSpline s;
  s.pushPoint({0, 0, 0, 0});
  s.pushPoint({1, 1, 0, 0});
  s.pushPoint({2, 0, 0, 0});
  EXPECT_FALSE(s.isReady());
  s.calcTable();
  EXPECT_TRUE(s.isReady());
  const struct {
    float t;
    Vector4 v;
  } cases[] = {
      {0, {0, 0, 0, 0}},    {1, {1, 1, 0, 0}},
      {2, {2, 0, 0, 0}},    {0.5f, {0.5f, 0.6875f, 0, 0}},  // hand-solved natural spline
      {5, {5, 9, 0, 0}},                                    // last segment at s = 4
      {-1, {-1, -1, 0, 0}},                                 // first segment at s = -1
  };
  for (const auto& c : cases) EXPECT_TRUE(near(s.calc(c.t), c.v, 1e-5f)) << c.t;
}

TEST(BSpline, IsNaturalAndSmooth) {
  BSpline s;
  const Vector4 points[] = {{0, 0, 0, 0}, {1, 3, -1, 0}, {2, -1, 4, 0}, {4, 2, 0, 0}, {5, 0, 1, 0}};
  for (const Vector4& p : points) s.pushPoint(p);
  s.calcTable();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(near(s.calc(static_cast<float>(i)), points[i], 1e-5f)) << i;
  auto at = [&](float t) { return s.calc(t); };
  for (float knot : {1.0f, 2.0f, 3.0f}) expectSmoothAt(at, knot, "B-spline");
  // Natural ends: no curvature at the first point.
  const float h = 1e-2f;
  EXPECT_TRUE(near(s.calc(0).minus(s.calc(h).scaled(2)).plus(s.calc(2 * h)), {0, 0, 0, 0}, 1e-3f));
}

TEST(BSpline, FewPointsAndStaleTables) {
  BSpline s;
  EXPECT_TRUE(near(s.calc(1), {0, 0, 0, 0}, 0));  // no table yet
  s.calcTable();
  EXPECT_TRUE(near(s.calc(1), {0, 0, 0, 0}, 0));  // no points
  s.pushPoint({3, 4, 5, 0});
  s.calcTable();
  EXPECT_TRUE(near(s.calc(-7), {3, 4, 5, 0}, 0));
  EXPECT_TRUE(near(s.calc(1e30f), {3, 4, 5, 0}, 0));
  // A point appended after the build is not in the table until the next one.
  s.pushPoint({5, 4, 5, 0});
  EXPECT_TRUE(s.isReady());
  EXPECT_TRUE(near(s.calc(1), {3, 4, 5, 0}, 0));
  s.calcTable();
  EXPECT_TRUE(near(s.calc(0.5f), {4, 4, 5, 0}));
  s.clear();
  EXPECT_FALSE(s.isReady());
  EXPECT_TRUE(near(s.calc(0.5f), {0, 0, 0, 0}, 0));
}

TEST(CatmullRomOpen, ThreePoints) {
  Vec3CatmullRom c;
  c.pushPoint({0, 0, 0, 0});
  c.pushPoint({1, 1, 0, 0});
  c.pushPoint({2, 0, 0, 3});
  Vector4 out{};
  const struct {
    float t;
    Vector4 v;
  } cases[] = {
      {0.0000001f, {0, 0, 0, 0}},                                // s snaps to 0
      {0.5f, {0.5f, 0.75f, 0, 0}},                               // first segment
      {1, {1, 1, 0, 0}},           {1.5f, {1.5f, 0.75f, 0, 0}},  // last segment
      {2, {2, 0, 0, 3}},  // at and past the end: the last point, all four components
      {7, {2, 0, 0, 3}},           {-0.5f, {-0.5f, -1.25f, 0, 0}},  // the first segment extends backwards
      {-1, {0, 0, 0, 0}},                                           // before that: the first point
      {-1e30f, {0, 0, 0, 0}},
  };
  for (const auto& k : cases) {
    ASSERT_EQ(c.calc(k.t, out), &out);
    EXPECT_TRUE(near(out, k.v)) << k.t;
  }
  c.calc(0.0000001f, out);
  EXPECT_TRUE(sameBits(out, {0, 0, 0, 0}));
}

TEST(CatmullRomOpen, ManyPointsAreSmoothThroughEveryPoint) {
  Vec3CatmullRom c;
  const Vector4 points[] = {{0, 0, 0, 0}, {1, 2, 0, 0}, {3, 3, 1, 0}, {4, 1, 2, 0}, {6, 0, 0, 0}};
  for (const Vector4& p : points) c.pushPoint(p);
  Vector4 out;
  for (int i = 0; i < 5; ++i) {
    c.calc(static_cast<float>(i), out);
    EXPECT_TRUE(near(out, points[i])) << i;
  }
  auto at = [&](float t) {
    Vector4 v;
    c.calc(t, v);
    return v;
  };
  for (float knot : {1.0f, 2.0f, 3.0f}) expectSmoothAt(at, knot, "Catmull-Rom");
}

TEST(CatmullRomOpen, FewPoints) {
  Vec3CatmullRom c;
  Vector4 out{9, 9, 9, 9};
  EXPECT_EQ(c.calc(0.5f, out), nullptr);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}, 0));
  c.pushPoint({1, 2, 3, 4});
  EXPECT_EQ(c.calc(5, out), &out);
  EXPECT_TRUE(near(out, {1, 2, 3, 4}, 0));
  c.pushPoint({5, 2, 3, 4});
  c.calc(3.25f, out);  // only the fraction counts
  EXPECT_TRUE(near(out, {2, 2, 3, 0}));
}

TEST(CatmullRomClosed, WrapsAroundTheLoop) {
  Vec3CatmullRom c;
  const Vector4 p[] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}};
  for (const Vector4& v : p) c.pushPoint(v);
  c.setLoop(true);
  auto at = [&](float t) {
    Vector4 v{9, 9, 9, 9};
    EXPECT_EQ(c.calc(t, v), &v);
    return v;
  };
  auto segment = [&](int i, float s) {
    const float s2 = s * s, s3 = s2 * s;
    const float k[4] = {(-s3 + 2 * s2 - s) / 2, (3 * s3 - 5 * s2 + 2) / 2, (-3 * s3 + 4 * s2 + s) / 2, (s3 - s2) / 2};
    Vector4 v{0, 0, 0, 0};
    for (int j = 0; j < 4; ++j) v = v.plus(p[(i + 3 + j) % 4].scaled(k[j]));
    return v;
  };
  EXPECT_TRUE(near(at(5.5f), segment(1, 0.5f)));
  EXPECT_TRUE(near(at(3.5f), segment(3, 0.5f)));  // neighbours wrap past the last point
  EXPECT_TRUE(near(at(4), p[0]));
  EXPECT_TRUE(near(at(3), p[3]));
  EXPECT_TRUE(near(at(-0.5f), p[0]));  // negative: the first point
  expectSmoothAt(at, 4.0f, "closed loop");
  EXPECT_TRUE(near(at(1e30f), at(0)));  // huge parameters wrap without overflow

  Vec3CatmullRom empty;
  empty.setLoop(true);
  Vector4 out{9, 9, 9, 9};
  EXPECT_EQ(empty.calc(1, out), nullptr);
  EXPECT_TRUE(near(out, {9, 9, 9, 9}, 0));  // not written
}

TEST(SplineTable, NaturalCubicThroughTheKnots) {
  SplineTable s;
  const float t[] = {0, 1, 3, 4}, y[] = {0, 1, 0, 2};
  for (int i = 0; i < 4; ++i) s.push(t[i], y[i]);
  EXPECT_EQ(s.evaluate(2), 0.0f);  // not built: the first value
  s.build();
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(s.evaluate(t[i]), y[i], 1e-6f);
  auto at = [&](float x) { return Vector4{s.evaluate(x), 0, 0, 0}; };
  for (float knot : {1.0f, 3.0f}) expectSmoothAt(at, knot, "spline table");
  // Outside the knots the end cubics carry on; natural ends are straight there.
  const float h = 1e-2f;
  EXPECT_NEAR(s.evaluate(0) - 2 * s.evaluate(h) + s.evaluate(2 * h), 0.0f, 1e-4f);
  EXPECT_TRUE(std::isfinite(s.evaluate(-3)) && std::isfinite(s.evaluate(9)));
}

TEST(SplineTable, RepeatedParametersNeverDivideByZero) {
  SplineTable pair;
  const float t[] = {0, 0, 1, 1}, y[] = {5, 5, 7, 7};
  for (int i = 0; i < 4; ++i) pair.push(t[i], y[i]);
  pair.build();
  for (float x : {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f}) EXPECT_TRUE(std::isfinite(pair.evaluate(x))) << x;
  EXPECT_EQ(pair.evaluate(0), 5.0f);
  EXPECT_NEAR(pair.evaluate(1), 7.0f, 1e-6f);

  SplineTable same;
  for (int i = 0; i < 3; ++i) same.push(2, 4);
  same.build();
  for (float x : {1.0f, 2.0f, 3.0f}) EXPECT_EQ(same.evaluate(x), 4.0f) << x;
}

TEST(QuatSpline, ChordLengthParameters) {
  QuatSpline s;
  s.addPos({0, 0, 0, 0});
  s.addPos({3, 4, 0, 0});
  s.addPos({3, 4, 5, 0});
  s.makeTable();  // chords 5 and 5: parameters 0, 0.5, 1
  Vector4 out{0, 0, 0, 9};
  s.calc(0.5f, out);
  EXPECT_TRUE(near(out, {3, 4, 0, 9}));  // w untouched
  s.calc(0, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 9}));
  s.calc(1, out);
  EXPECT_TRUE(near(out, {3, 4, 5, 9}));

  QuatSpline uneven;
  uneven.addPos({0, 0, 0, 0});
  uneven.addPos({1, 0, 0, 0});
  uneven.addPos({4, 0, 0, 0});
  uneven.makeTable();  // parameters 0, 0.25, 1
  uneven.calc(0.25f, out);
  EXPECT_TRUE(near(out, {1, 0, 0, 9}));
}

TEST(QuatSpline, FewPointsStaleTablesAndRepeats) {
  QuatSpline s;
  Vector4 out{9, 9, 9, 9};
  s.calc(0.5f, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}, 0));  // no points
  s.addPos({0, 0, 0, 0});
  s.addPos({4, 2, 0, 0});
  s.makeTable();  // too few points: nothing to build, a straight line
  s.calc(0.25f, out);
  EXPECT_TRUE(near(out, {1, 0.5f, 0, 0}));

  s.addPos({4, 2, 8, 0});
  s.calc(0.5f, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}));  // three points, no table yet: the first point
  s.makeTable();
  s.addPos({100, 100, 100, 0});  // not in the table until the next makeTable
  s.calc(1, out);
  EXPECT_TRUE(near(out, {4, 2, 8, 0}, 1e-5f));
  s.clear();
  s.calc(1, out);
  EXPECT_TRUE(near(out, {0, 0, 0, 0}, 0));

  // Equal points: zero-length chords.
  for (int i = 0; i < 3; ++i) s.addPos({1, 2, 3, 0});
  s.makeTable();
  s.calc(0.5f, out);
  EXPECT_TRUE(near(out, {1, 2, 3, 0}, 0));
  s.clear();
  s.addPos({0, 0, 0, 0});
  s.addPos({0, 0, 0, 0});
  s.addPos({2, 0, 0, 0});
  s.makeTable();
  for (float t : {0.0f, 0.5f, 1.0f}) {
    s.calc(t, out);
    EXPECT_TRUE(std::isfinite(out.x)) << t;
  }
  s.calc(1, out);
  EXPECT_NEAR(out.x, 2.0f, 1e-6f);
}
