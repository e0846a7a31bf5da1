// The math globals on plain numbers as scripts call them: registration, the
// argument rule (non-numbers read as 0), several results as several values,
// rectangles, masks, colours, vectors, quaternions, planes and sphere tests.
#include <boost/make_shared.hpp>

#include "font/recording_adapter.h"
#include "font/rk_font.h"
#include "gfx/rk_gfx_list_manager.h"
#include "script_math_fixture.h"

namespace {

class MathGlobals : public rktest::ScriptMathFixture {};

TEST_F(MathGlobals, AllFortyTwoGlobalsAreRegistered) {
  EXPECT_EQ(rk::script::mathFunctionTable().count, 42);
  EXPECT_EQ(run(R"(
    local names = {'createVEC3', 'createRAY', 'createPLANE', 'createBSpline', 'createCatmullRom',
      'createCubicBezierCurve', 'calcSphereBoundProbe', 'calcSphereLineHitPos', 'calcAddRect', 'calcOffsetRect',
      'calcMessageRect', 'calcAnd', 'vec3Normalize', 'quatCalcRotAxis', 'quatCalcTransFormVec3', 'vec3Dot',
      'vec3Cross', 'vec3LenSq', 'vec3Len', 'vec3MulMtxNormal', 'vec3MulMtxCoord', 'quatCalcSlerp', 'quatCalcMul',
      'quatIdentity', 'quatCalcYawPitchRoll', 'calcPlaneFromPointNormal', 'calcPlaneIntersectLine', 'createCounter',
      'convertQuatToEuler', 'calcToXRGB', 'calcToARGB', 'createMatrix', 'getFltEpsilon', 'calcColorLerp',
      'calcColorElement', 'createNormalRandom', 'getFltEpislon', 'calcPlaneFromPoints', 'createBezierCurveOnce',
      'createUnaffectedCtrlPointSprline', 'createPointConvert', 'createFFT'}
    check(#names == 42)
    for _, name in ipairs(names) do check(type(_G[name]) == 'function', name) end
    same(values(getFltEpsilon()), {2^-23}, 0, 'epsilon')
    same(values(getFltEpislon()), {2^-23}, 0, 'epsilon, second name')
  )"), "");
}

// Strings that hold numbers convert; anything else reads as 0. Several
// results are several numbers, never a table.
TEST_F(MathGlobals, NonNumbersReadAsZeroAndResultsComeBackAsValues) {
  EXPECT_EQ(run(R"(
    same(values(vec3Dot('2', {}, nil, 3, 'x', true)), {6}, 0, 'dot')
    same(values(vec3Cross(1, {}, 0, nil, nil, '1')), {0, -1, 0}, 0, 'cross')
    same(values(calcAddRect('12', 0, 10, 10, 5, -5, 20, 8)), {5, -5, 20, 10}, 0, 'string number')
    same(values(quatCalcYawPitchRoll(print, coroutine.create(print), {})), {0, 0, 0, 1}, 0, 'functions')
    for _, r in ipairs({values(vec3Normalize(3, 0, 4)), values(calcOffsetRect(1, 2, 3, 4, 5, 6)),
                        values(quatIdentity()), values(calcColorElement(0))}) do
      for i = 1, r.n do check(type(r[i]) == 'number', 'result ' .. i .. ' is a ' .. type(r[i])) end
    end
  )"), "");
  EXPECT_TRUE(log_.empty());
}

TEST_F(MathGlobals, RectanglesAndMasks) {
  EXPECT_EQ(run(R"(
    same(values(calcAddRect(0, 0, 10, 10, 5, -5, 20, 8)), {0, -5, 20, 10}, 0, 'union')
    same(values(calcOffsetRect(1, 2, 3, 4, 10, -10)), {11, -8, 13, -6}, 0, 'offset')
    same(values(calcOffsetRect(1.9, -1.9, 0, 0, 0.5, 0)), {1, -1, 0, 0}, 0, 'truncated toward zero')
    same(values(calcOffsetRect(2147483647, 0, 0, 0, 1, 0)), {-2147483648, 0, 1, 0}, 0, 'wraps')
    same(values(calcAnd(0xFFFFFFFF, 0x80000001)), {2147483649}, 0, 'unsigned result')
    same(values(calcAnd(-1, 0x1FF)), {0x1FF}, 0, '-1 is all bits')
    same(values(calcAnd(2^32 + 5, 7)), {5}, 0, 'wrapped to 32 bits')
  )"), "");
}

TEST_F(MathGlobals, PackedColoursAreUnsignedAndTruncated) {
  EXPECT_EQ(run(R"(
    same(values(calcToXRGB(1, 2, 3)), {0xFF010203}, 0, 'xrgb')
    same(values(calcToXRGB(257, -1, 3.9)), {0xFF01FF03}, 0, 'xrgb low bytes')
    same(values(calcToARGB(128, 0, 0, 0)), {2147483648}, 0, 'argb')
    same(values(calcToARGB(0x1FF, 1, 2, 3)), {0xFF010203}, 0, 'argb low bytes')
    same(values(calcColorElement(0x80FF4000)), {128, 255, 64, 0}, 0, 'element')
    for _, c in ipairs({0, 0xFFFFFFFF, 0x12345678, 0x9ABCDEF0, 0x01FE7F80}) do
      same(values(calcColorElement(c)), {math.floor(c / 2^24), math.floor(c / 2^16) % 256,
                                         math.floor(c / 2^8) % 256, c % 256}, 0, 'element ' .. c)
    end
    same(values(calcColorLerp(0xFF000000, 0xFFFFFFFF, 0.5)), {0xFF7F7F7F}, 0, 'black to white')
    same(values(calcColorLerp(0x12345678, 0x9ABCDEF0, 0)), {0x12345678}, 0, 'lerp start')
    same(values(calcColorLerp(0x00000000, 0xFFFFFFFF, 1)), {0xFFFFFFFF}, 0, 'lerp end')
  )"), "");
}

TEST_F(MathGlobals, VectorArithmetic) {
  EXPECT_EQ(run(R"(
    same(values(vec3Normalize(3, 0, 4)), {0.6, 0, 0.8}, 1e-6, 'normalize')
    same(values(vec3Normalize(0, 0, 0)), {0, 0, 0}, 0, 'zero stays zero')
    same(values(vec3Dot(1, 2, 3, 4, 5, 6)), {32}, 0, 'dot')
    same(values(vec3Cross(1, 0, 0, 0, 1, 0)), {0, 0, 1}, 0, 'x cross y')
    same(values(vec3LenSq(1, 2, 2)), {9}, 0, 'squared length')
    same(values(vec3Len(1, 2, 2)), {3}, 1e-6, 'length')
    local m = createMatrix()
    m:translation(1, 2, 3)
    same(values(vec3MulMtxNormal(1, 1, 1, m)), {1, 1, 1}, 0, 'directions ignore translation')
    same(values(vec3MulMtxCoord(1, 1, 1, m)), {2, 3, 4}, 0, 'points move')
    m:perspectiveFovLH(math.pi / 2, 1, 1, 11)
    same(values(vec3MulMtxCoord(2, 2, 2, m)), {1, 1, 0.55}, 1e-6, 'divided by w')
  )"), "");
}

TEST_F(MathGlobals, Quaternions) {
  EXPECT_EQ(run(R"(
    local s = math.sqrt(0.5)
    same(values(quatIdentity()), {0, 0, 0, 1}, 0, 'identity')
    same(values(quatCalcRotAxis(0, 0, 2, math.pi / 2)), {0, 0, s, s}, 1e-6, 'axis is normalised')
    same(values(quatCalcYawPitchRoll(0, 0, 0)), {0, 0, 0, 1}, 0, 'no rotation')
    same(values(quatCalcYawPitchRoll(math.pi / 2, 0, 0)), {0, s, 0, s}, 1e-6, 'yaw')
    local zx, zy, zz, zw = quatCalcRotAxis(0, 0, 1, math.pi / 2)
    local xx, xy, xz, xw = quatCalcRotAxis(1, 0, 0, math.pi / 2)
    same(values(quatCalcTransFormVec3(zx, zy, zz, zw, 1, 0, 0)), {0, 1, 0}, 1e-6, 'z turns x to y')
    -- first about z (x -> y), then about x (y -> z)
    local qx, qy, qz, qw = quatCalcMul(zx, zy, zz, zw, xx, xy, xz, xw)
    same(values(quatCalcTransFormVec3(qx, qy, qz, qw, 1, 0, 0)), {0, 0, 1}, 1e-6, 'product order')
    same(values(quatCalcSlerp(0, 0, 0, 1, zx, zy, zz, zw, 0.5)),
         {0, 0, math.sin(math.pi / 8), math.cos(math.pi / 8)}, 1e-6, 'slerp halfway')
    local ex, ey, ez, ew = quatCalcYawPitchRoll(0.3, 0.2, 0.1)
    same(values(convertQuatToEuler(ex, ey, ez, ew)), {0.2, 0.3, 0.1}, 1e-5, 'euler: pitch, yaw, roll')
    same(values(convertQuatToEuler(2 * ex, 2 * ey, 2 * ez, 2 * ew)), {0.2, 0.3, 0.1}, 1e-5, 'normalised first')
    same(values(convertQuatToEuler(0, 0, 0, 0)), {0, 0, 0}, 0, 'zero quaternion')
  )"), "");
}

TEST_F(MathGlobals, Planes) {
  EXPECT_EQ(run(R"(
    local nan = 0 / 0
    same(values(calcPlaneFromPointNormal(0, 2, 0, 0, 1, 0)), {0, 1, 0, -2}, 0, 'point and normal')
    same(values(calcPlaneFromPoints(0, 0, 0, 1, 0, 0, 0, 0, 1)), {0, -1, 0, 0}, 1e-6, 'three points')
    same(values(calcPlaneFromPoints(0, 3, 0, 0, 3, 2, 2, 3, 0)), {0, 1, 0, -3}, 1e-6, 'three points, offset')
    same(values(calcPlaneIntersectLine(0, 1, 0, 0, 0, 1, 0, 0, -1, 0)), {true, 0, 0, 0}, 0, 'crossing')
    same(values(calcPlaneIntersectLine(0, 1, 0, -1, 4, 0, 0, 4, 4, 0)), {true, 4, 1, 0}, 1e-6, 'quarter way')
    same(values(calcPlaneIntersectLine(0, 1, 0, 0, 0, 1, 0, 1, 1, 0)), {false, nan, nan, nan}, 0, 'parallel')
  )"), "");
}

TEST_F(MathGlobals, SphereProbeAndHitPoints) {
  EXPECT_EQ(run(R"(
    local centre, ray = createVEC3(), createRAY()
    local function aim(px, py, pz, nx, ny, nz) ray:setPos(px, py, pz) ray:setNormal(nx, ny, nz) end
    local cases = {
      -- ray, probe, hit points (farther first)
      {{0, 0, -5, 0, 0, 1}, true, {0, 0, 1, 0, 0, -1}},
      {{0, 0, -5, 0, 0, -1}, false, {0, 0, -1, 0, 0, 1}},   -- points away; the line still meets the sphere
      {{0, 0, 0.5, 0, 0, 1}, true, {0, 0, 1, 0, 0, -1}},    -- starts inside, points away from the centre
      {{1, 0, -5, 0, 0, 1}, true, {1, 0, 0, 1, 0, 0}},      -- tangent: one point, twice
      {{0, 5, -5, 0, 0, 1}, false, {0, 0, 0, 0, 0, 0}},     -- misses
    }
    for i, c in ipairs(cases) do
      aim(table.unpack(c[1]))
      same(values(calcSphereBoundProbe(centre, 1, ray)), {c[2]}, 0, 'probe ' .. i)
      same(values(calcSphereLineHitPos(centre, 1, ray)), c[3], 1e-5, 'hits ' .. i)
    end
    centre:setPos(10, 0, 0)
    aim(10, 0, -5, 0, 0, 1)
    same(values(calcSphereLineHitPos(centre, 2, ray)), {10, 0, 2, 10, 0, -2}, 1e-5, 'hits in world coordinates')
  )"), "");
}

TEST_F(MathGlobals, WrongObjectsAreReportedAndGiveNeutralResults) {
  EXPECT_EQ(run(R"(
    local v, m = createVEC3(), createMatrix()
    same(values(calcSphereBoundProbe(v, 1, v)), {false}, 0, 'probe without ray')
    same(values(calcSphereLineHitPos(m, 1, createRAY())), {0, 0, 0, 0, 0, 0}, 0, 'hits without centre')
    same(values(vec3MulMtxCoord(1, 2, 3, v)), {0, 0, 0}, 0, 'no matrix')
    same(values(vec3MulMtxNormal(1, 2, 3, nil)), {0, 0, 0}, 0, 'nil matrix')
  )"), "");
  EXPECT_EQ(log_.entries("rk::script::math::`anonymous-namespace'::calcSphereBoundProbe"), 1u);
  EXPECT_EQ(log_.entries("rk::script::math::`anonymous-namespace'::calcSphereLineHitPos"), 1u);
  EXPECT_EQ(log_.entries("rk::script::math::`anonymous-namespace'::vec3MulMtxCoord"), 1u);
  EXPECT_EQ(log_.entries("rk::script::math::`anonymous-namespace'::vec3MulMtxNormal"), 1u);
}

// Texts (numbers as Lua writes them) are measured with the display list's
// font, '%' and all; anything else is reported and measures nothing.
TEST_F(MathGlobals, MessageRectMeasuresTextWithTheDisplayListFont) {
  rk::gfx::GfxListManager* lists = rk::gfx::GfxListManager::createInstance();
  auto font = boost::make_shared<rk::font::RKFont>();
  auto adapter = boost::make_shared<rktest::RecordingAdapter>();
  font->swapFontAdapter(adapter);
  lists->setFont(font);
  EXPECT_EQ(run(R"(
    same(values(calcMessageRect('100% hit')), {1, 2, 3, 4}, 0, 'text')
    same(values(calcMessageRect(12)), {1, 2, 3, 4}, 0, 'number')
    same(values(calcMessageRect({})), {0, 0, 0, 0}, 0, 'a table')
  )"), "");
  EXPECT_EQ(adapter->calls, (std::vector<std::string>{"calcSize 0 0 [100% hit]", "calcSize 0 0 [12]"}));
  EXPECT_EQ(log_.entries("rk::script::math::`anonymous-namespace'::calcMessageRect"), 1u);
  EXPECT_NE(log_.text().find("rk_script_math(744)"), std::string::npos);

  lists->setFont({});
  EXPECT_EQ(run("same(values(calcMessageRect('x')), {0, 0, 0, 0}, 0, 'no font')"), "");
  rk::gfx::GfxListManager::destroyInstance();
  EXPECT_EQ(run("same(values(calcMessageRect('x')), {0, 0, 0, 0}, 0, 'no display list')"), "");
  EXPECT_EQ(log_.entries("rk::gfx::GfxListManager::getInstance"), 1u) << log_.text();
}

}  // namespace
