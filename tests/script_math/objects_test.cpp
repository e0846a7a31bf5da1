// The math script objects other than matrices and counters: VEC3, RAY,
// PLANE, the curves, NormalRandom and FFT, including methods handed the
// wrong kind of object.
#include "math/rk_fft.h"
#include "script_math_fixture.h"

namespace {

class MathObjects : public rktest::ScriptMathFixture {
 protected:
  rk::math::FFT* fftGlobal(const char* name) {
    lua_getglobal(L_, name);
    auto* fft = rk::script::toLuaObject<rk::math::FFT>(L_, -1, rk::math::kFFTClass);
    lua_pop(L_, 1);
    return fft;
  }
  static std::vector<float> imaginaryParts(const rk::math::FFT& fft) {
    std::vector<float> out;
    for (const auto& e : fft.samples()) out.push_back(e.imaginary);
    return out;
  }
};

TEST_F(MathObjects, Vec3AccessorsAndOperatorsMakeNewObjects) {
  EXPECT_EQ(run(R"(
    local a, b = createVEC3(), createVEC3()
    same(values(a:getPos()), {0, 0, 0}, 0, 'new')
    a:setPos(1, 2, 3)
    b:setX(0.5) b:setY(0.5) b:setZ(0.5)
    same(values(a:getX(), a:getY(), a:getZ()), {1, 2, 3}, 0, 'components')
    local sum, diff = a + b, a - b
    same(values(sum:getPos()), {1.5, 2.5, 3.5}, 0, 'a + b')
    same(values(diff:getPos()), {0.5, 1.5, 2.5}, 0, 'a - b')
    same(values(a:__add(b):getPos()), {1.5, 2.5, 3.5}, 0, 'as a method')
    check(sum ~= a and sum ~= b, 'a new object')
    same(values(a:getPos()), {1, 2, 3}, 0, 'a unchanged')
    same(values(b:getPos()), {0.5, 0.5, 0.5}, 0, 'b unchanged')
    a:setPos(3, 0, 4)
    same(values(a:calcNormalize()), {0.6, 0, 0.8}, 1e-6, 'normalised copy')
    same(values(a:getPos()), {3, 0, 4}, 0, 'object unchanged')
  )"), "");
}

TEST_F(MathObjects, Vec3SetPosReportsWhatItWasGiven) {
  EXPECT_EQ(run(R"(
    local v = createVEC3()
    v.setPos(5, 1, 2, 3)            -- not a userdata
    v.setPos(createRAY(), 1, 2, 3)  -- a userdata without a vector
    same(values(v:getPos()), {0, 0, 0}, 0, 'unchanged')
  )"), "");
  const std::string name = "rk::script::math::`anonymous-namespace'::lua_VEC3_setPos";
  EXPECT_EQ(log_.entries(name), 2u);
  EXPECT_NE(log_.text().find("rk_script_math(84)\n" + name), std::string::npos);
  EXPECT_NE(log_.text().find("rk_script_math(87)\n" + name), std::string::npos);
}

TEST_F(MathObjects, RayAndPlane) {
  EXPECT_EQ(run(R"(
    local r = createRAY()
    same(values(r:getPos()), {0, 0, 0}, 0, 'ray origin')
    same(values(r:calcNormalize()), {0, 0, 0}, 0, 'zero normal')
    r:setPos(1, 2, 3) r:setNormal(0, 3, 4)
    same(values(r:getPos()), {1, 2, 3}, 0, 'position')
    same(values(r:calcNormalize()), {0, 0.6, 0.8}, 1e-6, 'unit normal')
    same(values(r:getNormal()), {0, 3, 4}, 0, 'stored normal unchanged')

    local p, point, normal, l1, l2 = createPLANE(), createVEC3(), createVEC3(), createVEC3(), createVEC3()
    point:setPos(0, 2, 0) normal:setPos(0, 1, 0)
    p:calcFromPointNormal(point, normal)
    l1:setPos(1, 0, 1) l2:setPos(1, 4, 1)
    same(values(p:calcPlaneIntersectLine(l1, l2)), {true, 1, 2, 1}, 1e-6, 'crossing')
    l2:setPos(5, 0, 1)
    local nan = 0 / 0
    same(values(p:calcPlaneIntersectLine(l1, l2)), {false, nan, nan, nan}, 0, 'parallel')
  )"), "");
}

// An empty B-spline reports -1, so a loop from 0 to its last parameter does
// not run (it used to report 4294967296).
TEST_F(MathObjects, BSplineParameterRangeAndTable) {
  EXPECT_EQ(run(R"(
    local s = createBSpline()
    same(values(s:getMaxLerp()), {-1}, 0, 'empty')
    for t = 0, s:getMaxLerp() do error('an empty spline has nothing to visit') end
    check(not s:isReady(), 'new spline not ready')
    for _, p in ipairs({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}}) do s:pushPoint(p[1], p[2], p[3]) end
    same(values(s:getMaxLerp()), {3}, 0, 'four points')
    same(values(s:calc(1)), {0, 0, 0}, 0, 'no table yet')
    s:calcTable()
    check(s:isReady(), 'ready after calcTable')
    same(values(s:calc(1)), {1, 1, 0}, 1e-6, 'passes through point 1')
    same(values(s:calc(3)), {3, 1, 0}, 1e-5, 'passes through the last point')
    s:init()
    check(not s:isReady(), 'init clears the table')
    same(values(s:getMaxLerp()), {-1}, 0, 'init clears the points')
  )"), "");
}

TEST_F(MathObjects, CatmullRomOpenAndClosed) {
  EXPECT_EQ(run(R"(
    local c = createCatmullRom()
    same(values(c:calc(0.5)), {0, 0, 0}, 0, 'no points')
    c:pushPoint(0, 0, 0) c:pushPoint(1, 2, 0) c:pushPoint(2, 0, 0)
    same(values(c:getMaxLerp()), {2}, 0, 'open')
    same(values(c:calc(1)), {1, 2, 0}, 1e-6, 'through point 1')
    for _, case in ipairs({{true, 3}, {false, 2}, {0, 3}, {nil, 2}, {'', 3}}) do
      c:setLoop(case[1])
      same(values(c:getMaxLerp()), {case[2]}, 0, 'setLoop(' .. tostring(case[1]) .. ')')
    end
    c:init()
    same(values(c:getMaxLerp()), {0}, 0, 'init keeps the loop')
  )"), "");
}

TEST_F(MathObjects, BezierCurvesAndPointSpline) {
  EXPECT_EQ(run(R"(
    local b = createCubicBezierCurve()
    same(values(b:calc(0.5)), {0, 0, 0}, 0, 'control points start at zero')
    b:setP0(0, 0, 0) b:setP1(0, 1, 0) b:setP2(1, 1, 0) b:setP3(1, 0, 2)
    same(values(b:calc(0)), {0, 0, 0}, 0, 'start')
    same(values(b:calc(1)), {1, 0, 2}, 0, 'end')
    same(values(b:calc(0.5)), {0.5, 0.75, 0.25}, 1e-6, 'middle')

    local e = createBezierCurveOnce()
    same(values(e:calc(0), e:calc(0.5), e:calc(1)), {0, 0.875, 1}, 1e-6, 'ease curve 0, 1, 1, 1')
    e:setP1(0) e:setP2(0)
    same(values(e:calc(0.5)), {0.125}, 1e-6, 'changed control values')

    local q = createUnaffectedCtrlPointSprline()
    same(values(q:calc(0.5)), {0, 0, 0}, 0, 'empty')
    q:addPos(0, 0, 0) q:addPos(3, 4, 0) q:addPos(3, 4, 5)
    q:makeTable()
    same(values(q:calc(0.5)), {3, 4, 0}, 1e-5, 'chord-length parameter')
    same(values(q:calc(1)), {3, 4, 5}, 1e-5, 'end')
    q:clear()
    same(values(q:calc(0.5)), {0, 0, 0}, 0, 'cleared')
  )"), "");
}

TEST_F(MathObjects, RandomSequencesRepeatForASeed) {
  EXPECT_EQ(run(R"(
    local a, b, c, d = createNormalRandom(1), createNormalRandom('x'), createNormalRandom(), createNormalRandom(7)
    local first = {}
    for i = 1, 50 do
      local v = a:calcRand()
      first[i] = v
      check(v > 0 and v < 1, 'inside (0, 1)')
      check(b:calcRand() == v and c:calcRand() == v, 'seed 1 without a number')
    end
    check(d:calcRand() ~= first[1], 'another seed, another sequence')
    a:setSeed(1)
    for i = 1, 50 do check(a:calcRand() == first[i], 'setSeed restarts') end
    local stuck = createNormalRandom(123459876)
    same(values(stuck:calcRand(), stuck:calcRand()), {0, 0}, 0, 'the mask as state')
  )"), "");
}

TEST_F(MathObjects, FftWindowSlidesAsScriptsFeedIt) {
  ASSERT_EQ(run(R"(
    f = createFFT()
    same(values(f:getEntrySize(), f:getResultSize()), {0, 16}, 0, 'new')
    f:init(4)
    for v = 1, 8 do f:join(v) end
    same(values(f:getEntrySize()), {7}, 0, 'cursor on the last entry')
  )"), "");
  rk::math::FFT* fft = fftGlobal("f");
  ASSERT_NE(fft, nullptr);
  EXPECT_EQ(imaginaryParts(*fft), (std::vector<float>{2, 3, 4, 5, 6, 7, 0, 8}));
  ASSERT_EQ(run("f:join(9) same(values(f:getEntrySize()), {7}, 0, 'stays')"), "");
  EXPECT_EQ(imaginaryParts(*fft), (std::vector<float>{3, 4, 5, 6, 7, 0, 8, 9}));
  ASSERT_EQ(run("f:popFront() f:clear() same(values(f:getEntrySize()), {0}, 0, 'cleared')"), "");
  EXPECT_EQ(imaginaryParts(*fft), std::vector<float>(8, 0.0f));
}

TEST_F(MathObjects, FftOfAConstantSignalAndRequestsOutsideTheWindow) {
  EXPECT_EQ(run(R"(
    local f = createFFT()
    f:init(4)
    for i = 1, 8 do f:rewriteReal(i, 1) f:rewriteImaginary(i, 1) end
    f:calc(1)
    same(values(f:getResultSize(), f:getResult()), {8, 8}, 1e-5, 'all of it in the first bin')
    f:calc(-1)
    same(values(f:getResult()), {8}, 1e-5, 'inverse sign')
    f:dumpResult()
    for _, i in ipairs({0, -1, 9, 2^40}) do f:rewriteReal(i, 5) f:rewriteImaginary(i, 5) end
    f:calc(1)
    same(values(f:getResult()), {8}, 1e-5, 'nothing written outside')
    f:init(-2)
    same(values(f:getResultSize()), {8}, 0, 'a negative size is ignored')
    f:init(0)
    f:join(1) f:popFront() f:rewriteReal(1, 5) f:rewriteImaginary(1, 5) f:calc(1)
    same(values(f:getEntrySize(), f:getResultSize(), f:getResult()), {0, 0, 0}, 0, 'init(0): an empty window')
    f:init(3)
    f:calc(1)
    same(values(f:getResultSize(), f:getResult()), {6, 0}, 0, 'six entries: left untransformed')
  )"), "");
}

// A method handed another kind of object (or a plain value) reports its own
// name and does nothing.
TEST_F(MathObjects, MethodsGivenTheWrongObjectReportAndDoNothing) {
  EXPECT_EQ(run(R"(
    local v, c, s, f, r = createVEC3(), createCatmullRom(), createBSpline(), createFFT(), createNormalRandom()
    c.pushPoint(s, 1, 2, 3)
    check(c.getMaxLerp(s) == nil, 'no result')
    c.init(v)
    check(c.calc(42) == nil, 'no result')
    s.pushPoint(c, 1, 1, 1)
    f.init(r, 4)
    r.calcRand(f)
    v.getPos(s)
    same(values(c:getMaxLerp(), s:getMaxLerp(), f:getResultSize()), {-1, -1, 16}, 0, 'untouched')
  )"), "");
  const char* const ns = "rk::script::math::`anonymous-namespace'::";
  for (const char* method : {"lua_CatmullRom_pushPoint", "lua_CatmullRom_getMaxLerp", "lua_CatmullRom_init",
                             "lua_CatmullRom_calc", "lua_BSpline_pushPoint", "lua_VEC3_getPos"})
    EXPECT_EQ(log_.entries(std::string(ns) + method), 1u) << method;
  for (int line : {1604, 1629, 1649, 1669})
    EXPECT_NE(log_.text().find("rk_script_math(" + std::to_string(line) + ")"), std::string::npos) << line;
  EXPECT_EQ(log_.entries("rk::math::`anonymous-namespace'::lua_FFT_init"), 1u);
  EXPECT_EQ(log_.entries("rk::math::`anonymous-namespace'::lua_NormalRandom_calcRand"), 1u);
}

// Every object frees what it holds when collected (the sanitizer build
// watches for leaks and double frees).
TEST_F(MathObjects, CollectedObjectsAreFreedOnce) {
  EXPECT_EQ(run(R"(
    for i = 1, 3 do
      local keep = {createVEC3(), createRAY(), createPLANE(), createBSpline(), createCatmullRom(),
                    createCubicBezierCurve(), createMatrix(), createNormalRandom(), createBezierCurveOnce(),
                    createUnaffectedCtrlPointSprline(), createFFT(), createVEC3() + createVEC3()}
      collectgarbage()
    end
  )"), "");
  collect();
  EXPECT_TRUE(log_.empty());
}

}  // namespace
