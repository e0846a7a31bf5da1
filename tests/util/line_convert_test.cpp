// The polyline-to-capsule converter: the worked examples, the cut at the
// length, degenerate input and the script object.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "script_misc/script_misc_fixture.h"
#include "util/rk_line_convert.h"

namespace {

using rk::util::LineConvert;

LineConvert straightLine(float toX) {
  LineConvert c;
  c.moveTo(0, 0, 0);
  c.lineTo(toX, 0, 0);
  return c;
}

TEST(LineConvert, StraightLineBecomesNineUnitCapsules) {
  LineConvert c = straightLine(10);
  c.convert(1, 100, 1);
  // Step 0.1 accumulated in single precision passes 1 after ten additions.
  ASSERT_EQ(c.convertedPoints().size(), 10u);
  ASSERT_EQ(c.capsules().size(), 9u);
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_NEAR(c.convertedPoints()[i].x, static_cast<float>(i), 1e-4) << i;
    EXPECT_EQ(c.convertedPoints()[i].w, 0.0f);
  }
  for (std::size_t i = 0; i < 9; ++i) {
    const LineConvert::Capsule& k = c.capsules()[i];
    EXPECT_FLOAT_EQ(k.radius, 0.5f);
    EXPECT_NEAR(k.half_length, 0.5f, 1e-4);
    EXPECT_NEAR(k.centre.x, i + 0.5f, 1e-4);
    EXPECT_EQ(k.centre.w, 0.0f);
    EXPECT_NEAR(k.axis.x, 1.0f, 1e-6);
    EXPECT_NEAR(k.axis.y, 0.0f, 1e-6);
  }
}

TEST(LineConvert, ThePolylineIsCutAtTheLength) {
  LineConvert c = straightLine(10);
  c.convert(1, 4, 1);  // total 4, step 0.25: five points, the last at (4, 0, 0)
  ASSERT_EQ(c.convertedPoints().size(), 5u);
  EXPECT_NEAR(c.convertedPoints().back().x, 4.0f, 1e-5);

  // A bend: the cut falls on the second segment.
  LineConvert bent;
  bent.moveTo(0, 0, 0);
  bent.lineTo(3, 0, 0);
  bent.lineTo(3, 0, 0);  // a repeated point adds nothing
  bent.lineTo(3, 4, 0);
  bent.lineTo(9, 9, 9);
  bent.convert(0.5f, 4, 1);  // step 0.25 again: the last sample is the cut point
  ASSERT_EQ(bent.convertedPoints().size(), 5u);
  const rk::math::Vector4 end = bent.convertedPoints().back();
  EXPECT_NEAR(end.x, 3.0f, 1e-4);
  EXPECT_NEAR(end.y, 1.0f, 1e-4);
  EXPECT_NEAR(end.z, 0.0f, 1e-4);
  EXPECT_EQ(bent.capsules().size(), bent.convertedPoints().size() - 1);
}

TEST(LineConvert, DegenerateInputProducesNothing) {
  struct Case {
    const char* name;
    std::vector<rk::math::Vector4> points;
    float thickness, length, spacing;
  };
  const Case cases[] = {
      {"too thick for the length", {{0, 0, 0, 0}, {10, 0, 0, 0}}, 2, 3, 1},
      {"one point", {{0, 0, 0, 0}}, 1, 100, 1},
      {"all points equal", {{1, 1, 1, 0}, {1, 1, 1, 0}, {1, 1, 1, 0}}, 1, 100, 1},
      {"zero step", {{0, 0, 0, 0}, {10, 0, 0, 0}}, 0, 100, 0},
      {"negative step", {{0, 0, 0, 0}, {10, 0, 0, 0}}, -1, 100, -5},
      {"not a number", {{0, 0, 0, 0}, {10, 0, 0, 0}}, 0, 100, std::nanf("")},
      {"cut at the first point", {{0, 0, 0, 0}, {10, 0, 0, 0}}, 0, 0, 1},
  };
  for (const Case& c : cases) {
    LineConvert convert;
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      const rk::math::Vector4& p = c.points[i];
      i == 0 ? convert.moveTo(p.x, p.y, p.z) : convert.lineTo(p.x, p.y, p.z);
    }
    convert.convert(c.thickness, c.length, c.spacing);
    EXPECT_TRUE(convert.convertedPoints().empty()) << c.name;
    EXPECT_TRUE(convert.capsules().empty()) << c.name;
  }
}

TEST(LineConvert, ATinySpacingStopsAtTheSampleLimit) {
  LineConvert c = straightLine(10);
  const auto start = std::chrono::steady_clock::now();
  c.convert(1e-30f, 100, 1e-30f);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_LE(c.convertedPoints().size(), LineConvert::kMaxConvertPoints);
  EXPECT_EQ(c.capsules().size(), c.convertedPoints().size() - 1);
}

using LineConvertScript = rktest::ScriptMiscFixture;

TEST_F(LineConvertScript, MethodsRecordConvertAndReadBack) {
  EXPECT_EQ(run(R"(
    local c = createPointConvert()
    c:lineTo(5, 5, 5)
    c:moveTo(0, 0, 0)   -- starts over
    c:lineTo(10, 0, 0)
    c:convertPoint(1, 100, 1)
    check(c:getConvertPointMax() == 10 and c:getCapsuleMax() == 9)
    local x, y, z = c:getConvertPoint(1)
    check(x == 0 and y == 0 and z == 0)
    local k = values(c:getCapsule(9))
    check(k.n == 8 and k[1] == 0.5 and math.abs(k[2] - 0.5) < 1e-4 and k[3] == 1 and math.abs(k[6] - 8.5) < 1e-4)
    for _, n in ipairs({0, 10, 11, -1, 1e12}) do
      check(values(c:getCapsule(n)).n == (n >= 1 and n <= 9 and 8 or 0), 'capsule ' .. n)
      check(values(c:getConvertPoint(n)).n == (n >= 1 and n <= 10 and 3 or 0), 'point ' .. n)
    end
    c:convertPoint(2, 3, 1)
    check(c:getConvertPointMax() == 0 and c:getCapsuleMax() == 0)
  )"), "");
  EXPECT_TRUE(log.empty()) << log.text();
  EXPECT_EQ(run("local c = createPointConvert() c.moveTo({}, 1, 2, 3) check(c.getCapsuleMax(nil) == 0)"), "");
  EXPECT_EQ(log.entries("rk::util::`anonymous-namespace'::lua_LineConvert_moveTo"), 1u);
  EXPECT_EQ(log.entries("rk::util::`anonymous-namespace'::lua_LineConvert_getCapsuleMax"), 1u);
}

}  // namespace
