// The Matrix script object: every builder checked against its formula or the
// math library, projections checked by where they put the near and far
// planes, and products, inversion, decomposition and conversions.
#include <cmath>
#include <cstring>

#include "host/xmath.h"
#include "math/rk_quaternion.h"
#include "gfx/rk_camera.h"
#include "script_math_fixture.h"

namespace {

using rk::math::Matrix;

// Elements not listed are 0.
Matrix sparse(std::initializer_list<std::tuple<int, int, float>> elements) {
  Matrix m;
  std::memset(&m, 0, sizeof m);
  for (const auto& [row, column, value] : elements) m.m[row][column] = value;
  return m;
}

::testing::AssertionResult near(const Matrix& a, const Matrix& b, float tolerance = 1e-5f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= tolerance))
        return ::testing::AssertionFailure() << "[" << i << "][" << j << "] " << a.m[i][j] << " vs " << b.m[i][j];
  return ::testing::AssertionSuccess();
}

Matrix fromX(const host::xmath::Matrix& x) {
  Matrix m;
  std::memcpy(&m, &x, sizeof m);
  return m;
}

class MatrixObject : public rktest::ScriptMathFixture {
 protected:
  // Builds global m with one method call (arguments as Lua text) and returns it.
  Matrix build(const std::string& call) {
    EXPECT_EQ(run("m = createMatrix() m:" + call), "") << call;
    return matrixGlobal("m");
  }
};

TEST_F(MatrixObject, NewMatrixIsTheIdentityAndIsIdentityComparesBits) {
  EXPECT_EQ(run(R"(
    local m = createMatrix()
    check(m:isIdentity(), 'new')
    m:scaling(2, 1, 1) check(not m:isIdentity(), 'scaled')
    m:identity() check(m:isIdentity(), 'identity')
    m:rotationZ(0) check(m:isIdentity(), 'a -0 off the diagonal still counts')
    m:scaling(0.99999994, 1, 1) check(not m:isIdentity(), 'one ulp below 1')
  )"), "");
}

TEST_F(MatrixObject, ProjectionsMatchTheirFormulas) {
  struct Case {
    const char* call;
    Matrix expected;
  };
  const float n = 1, f = 11;
  const Case cases[] = {
      {"perspectiveLH(2, 4, 1, 11)", sparse({{0, 0, 1}, {1, 1, 0.5f}, {2, 2, 1.1f}, {2, 3, 1}, {3, 2, -1.1f}})},
      {"perspectiveRH(2, 4, 1, 11)", sparse({{0, 0, 1}, {1, 1, 0.5f}, {2, 2, -1.1f}, {2, 3, -1}, {3, 2, -1.1f}})},
      {"perspectiveRH(2, 2, 1, 11)", sparse({{0, 0, 1}, {1, 1, 1}, {2, 2, -1.1f}, {2, 3, -1}, {3, 2, -1.1f}})},
      {"orthoRH(2, 2, 1, 11)", sparse({{0, 0, 1}, {1, 1, 1}, {2, 2, -0.1f}, {3, 2, -0.1f}, {3, 3, 1}})},
      {"perspectiveOffCenterLH(-1, 3, -2, 2, 1, 11)",
       sparse({{0, 0, 0.5f}, {1, 1, 0.5f}, {2, 0, -0.5f}, {2, 2, 1.1f}, {2, 3, 1}, {3, 2, -1.1f}})},
      {"perspectiveOffCenterRH(-1, 3, -2, 2, 1, 11)",
       sparse({{0, 0, 0.5f}, {1, 1, 0.5f}, {2, 0, 0.5f}, {2, 2, -1.1f}, {2, 3, -1}, {3, 2, -1.1f}})},
      {"orthoOffCenterRH(-1, 3, -2, 2, 1, 11)",
       sparse({{0, 0, 0.5f}, {1, 1, 0.5f}, {2, 2, -0.1f}, {3, 0, -0.5f}, {3, 2, -0.1f}, {3, 3, 1}})},
      {"perspectiveFovRH(1.2, 1.5, 1, 11)", fromX(host::xmath::matrixPerspectiveFovRH(1.2f, 1.5f, n, f))},
      {"perspectiveFovLH(1.2, 1.5, 1, 11)", rk::math::matrixPerspectiveFovLH(1.2f, 1.5f, n, f)},
      {"orthoLH(4, 2, 1, 11)", rk::math::matrixOrthographicLH(4, 2, n, f)},
      {"orthoOffCenterLH(-1, 3, -2, 2, 1, 11)", rk::math::matrixOrthographicOffCenterLH(-1, 3, -2, 2, n, f)},
  };
  for (const Case& c : cases) EXPECT_TRUE(near(build(c.call), c.expected)) << c.call;
}

// Left-handed projections look down +z, right-handed ones down -z; both put
// the near plane at depth 0 and the far plane at depth 1.
TEST_F(MatrixObject, ProjectionsMapNearAndFarPlanesToDepthZeroAndOne) {
  EXPECT_EQ(run(R"(
    local m = createMatrix()
    local cases = {
      {'perspectiveLH', {2, 2, 1, 11}, 1}, {'perspectiveRH', {2, 2, 1, 11}, -1},
      {'perspectiveFovLH', {math.pi / 2, 1, 1, 11}, 1}, {'perspectiveFovRH', {math.pi / 2, 1, 1, 11}, -1},
      {'perspectiveOffCenterLH', {-1, 1, -1, 1, 1, 11}, 1}, {'perspectiveOffCenterRH', {-1, 1, -1, 1, 1, 11}, -1},
      {'orthoLH', {2, 2, 1, 11}, 1}, {'orthoRH', {2, 2, 1, 11}, -1},
      {'orthoOffCenterLH', {-1, 1, -1, 1, 1, 11}, 1}, {'orthoOffCenterRH', {-1, 1, -1, 1, 1, 11}, -1},
    }
    for _, c in ipairs(cases) do
      m[c[1]](m, table.unpack(c[2]))
      local z = c[3]
      same(values(vec3MulMtxCoord(1, 1, z, m)), {1, 1, 0}, 1e-5, c[1] .. ' near corner')
      same(values(vec3MulMtxCoord(0, 0, 11 * z, m)), {0, 0, 1}, 1e-5, c[1] .. ' far plane')
    end
  )"), "");
}

TEST_F(MatrixObject, LookAtLeftAndRightHandedMirrorEachOther) {
  const std::string args = "(1, 2, -3, 4, 0, 5, 0, 1, 0)";
  const Matrix lh = build("lookAtLH" + args);
  const Matrix rh = build("lookAtRH" + args);
  for (int row = 0; row < 4; ++row) {
    EXPECT_NEAR(rh.m[row][0], -lh.m[row][0], 1e-6f) << row;
    EXPECT_NEAR(rh.m[row][1], lh.m[row][1], 1e-6f) << row;
    EXPECT_NEAR(rh.m[row][2], -lh.m[row][2], 1e-6f) << row;
  }
  EXPECT_EQ(run(R"(
    local m = createMatrix()
    m:lookAtLH(1, 2, -3, 1, 2, 7, 0, 1, 0)
    same(values(vec3MulMtxCoord(1, 2, -3, m)), {0, 0, 0}, 1e-6, 'eye at the origin')
    same(values(vec3MulMtxCoord(1, 2, 7, m)), {0, 0, 10}, 1e-5, 'target straight ahead')
    m:lookAtRH(1, 2, -3, 1, 2, 7, 0, 1, 0)
    same(values(vec3MulMtxCoord(1, 2, 7, m)), {0, 0, -10}, 1e-5, 'right-handed: ahead is -z')
  )"), "");
}

TEST_F(MatrixObject, RotationsTranslationsAndReflection) {
  EXPECT_EQ(run(R"(
    local m, h = createMatrix(), math.pi / 2
    local cases = {
      {'rotationX', {h}, {0, 1, 0}, {0, 0, 1}},
      {'rotationY', {h}, {0, 0, 1}, {1, 0, 0}},
      {'rotationZ', {h}, {1, 0, 0}, {0, 1, 0}},
      {'rotationAxis', {0, 0, 5, h}, {1, 0, 0}, {0, 1, 0}},
      {'translation', {1, 2, 3}, {1, 1, 1}, {2, 3, 4}},
      {'scaling', {2, 3, 4}, {1, 1, 1}, {2, 3, 4}},
      {'reflect', {0, 2, 0, -4}, {1, 5, 1}, {1, -1, 1}},  -- the plane y = 2
      {'reflect', {0, 0, 0, 0}, {1, 5, 1}, {1, 5, 1}},    -- no plane: no change
    }
    for _, c in ipairs(cases) do
      m[c[1]](m, table.unpack(c[2]))
      same(values(vec3MulMtxCoord(c[3][1], c[3][2], c[3][3], m)), c[4], 1e-6, c[1])
    end
    local a, b = createMatrix(), createMatrix()
    a:rotation(0.2, 0.3, 0.1)
    b:rotationYawPitchRoll(0.3, 0.2, 0.1)
    same(values(a:toEuler()), {0.2, 0.3, 0.1}, 1e-5, 'toEuler: pitch, yaw, roll')
    same(values(b:toEuler()), {0.2, 0.3, 0.1}, 1e-5, 'the same rotation from yaw, pitch, roll')
    same(values(a:toQuat()), values(quatCalcYawPitchRoll(0.3, 0.2, 0.1)), 1e-6, 'toQuat')
  )"), "");
}

// The product is formed before it is stored, so self may be either factor.
TEST_F(MatrixObject, ProductsAreSafeWhenSelfIsAFactor) {
  ASSERT_EQ(run(R"(
    a, b, c = createMatrix(), createMatrix(), createMatrix()
    a:rotationX(0.3) b:translation(1, 2, 3)
    c:multiply(a, b)
    ta = createMatrix() ta:multiplyTranspose(a, b)
    sa = createMatrix() sa:copy(a) sa:multiply(sa, b)
    sb = createMatrix() sb:copy(b) sb:multiply(a, sb)
    sq = createMatrix() sq:copy(a) sq:multiply(sq, sq)
  )"), "");
  const Matrix a = rk::math::matrixRotationX(0.3f), b = rk::math::matrixTranslation(1, 2, 3);
  const Matrix ab = rk::math::matrixMultiply(a, b);
  EXPECT_TRUE(near(matrixGlobal("c"), ab));
  EXPECT_TRUE(near(matrixGlobal("ta"), rk::math::matrixTranspose(ab)));
  EXPECT_TRUE(near(matrixGlobal("sa"), ab));
  EXPECT_TRUE(near(matrixGlobal("sb"), ab));
  EXPECT_TRUE(near(matrixGlobal("sq"), rk::math::matrixRotationX(0.6f)));
}

TEST_F(MatrixObject, InverseDeterminantAndDecompose) {
  EXPECT_EQ(run(R"(
    local m, r, t = createMatrix(), createMatrix(), createMatrix()
    m:scaling(2, 3, 4)
    same(values(m:determinant()), {24}, 1e-5, 'determinant of a scaling')
    same(values(m:decompose()), {2, 3, 4, 0, 0, 0, 1, 0, 0, 0}, 1e-6, 'decompose a scaling')
    m:scaling(2, 2, 2) r:rotationY(0.5) t:translation(1, 2, 3)
    m:multiply(m, r) m:multiply(m, t)
    same(values(m:determinant()), {8}, 1e-5, 'rotation and translation keep the volume')
    same(values(m:decompose()), {2, 2, 2, 0, math.sin(0.25), 0, math.cos(0.25), 1, 2, 3}, 1e-5, 'decompose S R T')
    local inv = createMatrix()
    inv:copy(m) inv:inverse()
    inv:multiply(m, inv)
    same(values(vec3MulMtxCoord(5, -6, 7, inv)), {5, -6, 7}, 1e-5, 'M times its inverse')
    local saved = createMatrix()
    saved:copy(m)
    m:transpose() m:transpose()
    same(values(m:decompose()), values(saved:decompose()), 0, 'transpose twice')
    -- A mirror goes to the axis of the largest scale, with a half turn.
    m:scaling(-2, 3, 4)
    local sx, sy, sz, qx, qy, qz, qw = m:decompose()
    same({sx, sy, sz, qx, math.abs(qy), qz, qw}, {2, 3, -4, 0, 1, 0, 0}, 1e-6, 'decompose a mirror')
    -- A shear is no scale-rotation-translation: the rotation stays (0, 0, 0, 1).
    local b = createMatrix()
    m:scaling(1, 2, 1) r:rotationZ(0.5) b:scaling(3, 1, 1)
    m:multiply(m, r) m:multiply(m, b)
    local d = {m:decompose()}
    same({d[4], d[5], d[6], d[7], d[8], d[9], d[10]}, {0, 0, 0, 1, 0, 0, 0}, 0, 'decompose a shear')
  )"), "");
}

TEST_F(MatrixObject, SwapYZExchangesTheUpperRowsAndTwiceRestores) {
  ASSERT_EQ(run(R"(
    m = createMatrix()
    m:perspectiveOffCenterLH(-1, 3, -2, 2, 1, 11)
    local r = createMatrix() r:rotation(0.1, 0.2, 0.3)
    m:multiply(r, m)
    original = createMatrix() original:copy(m)
    m:swapYZ()
    once = createMatrix() once:copy(m)
    m:swapYZ()
  )"), "");
  const Matrix original = matrixGlobal("original"), once = matrixGlobal("once"), twice = matrixGlobal("m");
  EXPECT_EQ(std::memcmp(&original, &twice, sizeof original), 0);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(once.m[1][j], original.m[2][j]);
    EXPECT_EQ(once.m[2][j], original.m[1][j]);
  }
  EXPECT_EQ(once.m[1][3], original.m[1][3]);
  EXPECT_EQ(once.m[2][3], original.m[2][3]);
  EXPECT_EQ(std::memcmp(once.m[0], original.m[0], sizeof once.m[0]), 0);
  EXPECT_EQ(std::memcmp(once.m[3], original.m[3], sizeof once.m[3]), 0);
}

// self := M carried from camera A's clip space into camera B's; a camera
// that does not exist is reported and leaves self as it was.
TEST_F(MatrixObject, CameraToCameraCarriesMFromOneCamerasClipSpaceToTheOther) {
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::createInstance();
  rk::gfx::Camera* a = cameras->createCamera(0);
  rk::gfx::Camera* b = cameras->createCamera(3);
  b->setEye({5, 1, -10, 0});
  b->setFovy(0.5f);
  b->updateMatrices();
  ASSERT_EQ(run(R"(
    m, given = createMatrix(), createMatrix()
    given:rotationY(0.3)
    m:calcCameraToCameraWorld(0, 3, given)
    missingA, missingB = createMatrix(), createMatrix()
    missingA:translation(1, 2, 3) missingB:translation(1, 2, 3)
    missingA:calcCameraToCameraWorld(9, 3, given)
    missingB:calcCameraToCameraWorld(0, -1, given)
  )"), "");
  const Matrix clipA = rk::math::matrixMultiply(a->viewMatrix(), a->projectionMatrix());
  const Matrix clipB = rk::math::matrixMultiply(b->viewMatrix(), b->projectionMatrix());
  const Matrix want = rk::math::matrixMultiply(rk::math::matrixMultiply(rk::math::matrixRotationAxis({0, 1, 0, 0}, 0.3f), clipA),
                                               rk::math::matrixInverse(clipB));
  EXPECT_TRUE(near(matrixGlobal("m"), want, 1e-5f));
  // What M places in A's clip space lands at the same clip position of B's.
  const rk::math::Vector4 p{0.25f, -0.5f, 3.0f, 0.0f};
  const rk::math::Vector4 viaA = rk::math::vec3TransformCoord(rk::math::vec3TransformCoord(p, matrixGlobal("m")), clipB);
  const rk::math::Vector4 direct = rk::math::vec3TransformCoord(p, rk::math::matrixMultiply(rk::math::matrixRotationAxis({0, 1, 0, 0}, 0.3f), clipA));
  EXPECT_NEAR(viaA.x, direct.x, 2e-3f);  // through an inverse projection: loose
  EXPECT_NEAR(viaA.y, direct.y, 2e-3f);
  EXPECT_TRUE(near(matrixGlobal("missingA"), rk::math::matrixTranslation(1, 2, 3), 0));
  EXPECT_TRUE(near(matrixGlobal("missingB"), rk::math::matrixTranslation(1, 2, 3), 0));
  const std::string name = "rk::script::math::`anonymous-namespace'::lua_Matrix_calcCameraToCameraWorld";
  EXPECT_EQ(log_.entries(name), 2u) << log_.text();
  EXPECT_NE(log_.text().find("rk_script_math(2834)"), std::string::npos);
  EXPECT_NE(log_.text().find("rk_script_math(2835)"), std::string::npos);
  rk::gfx::CameraManager::destroyInstance();
}

TEST_F(MatrixObject, WrongObjectsLeaveTheMatrixAndAreReported) {
  ASSERT_EQ(run(R"(
    m = createMatrix()
    m:translation(1, 2, 3)
    m:multiply(m, createVEC3())
    m:copy(nil)
    m.identity(createVEC3())
    check(m.determinant(7) == nil, 'no result without a matrix')
  )"), "");
  EXPECT_TRUE(near(matrixGlobal("m"), rk::math::matrixTranslation(1, 2, 3), 0));
  const std::string ns = "rk::script::math::`anonymous-namespace'::";
  for (const char* method : {"lua_Matrix_multiply", "lua_Matrix_copy", "lua_Matrix_identity", "lua_Matrix_determinant"})
    EXPECT_EQ(log_.entries(ns + method), 1u) << method;
}

}  // namespace
