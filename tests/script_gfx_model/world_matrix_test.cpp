// The world-matrix object: its method table, the transformation its methods
// read and write, and the world matrix it gives the commands after it,
// turned to face the camera when it is a billboard.
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "math/rk_matrix.h"
#include "script_gfx_model/gfx_model_api_fixture.h"
#include "support/math_near.h"

namespace gfxmodelapitest {
namespace {

using rk::gfx::gfx_model_command::GfxTransformation;
using rk::math::Matrix;

class WorldMatrixApi : public GfxModelApi {
 protected:
  void SetUp() override {
    GfxModelApi::SetUp();
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true) w = g:createWorldMatrix()"), "");
  }
  GfxTransformation* world() { return dynamic_cast<GfxTransformation*>(command("w")); }
};

::testing::AssertionResult near(const Matrix& a, const Matrix& b) { return rktest::nearMatrix(a, b, 1e-4f); }

TEST_F(WorldMatrixApi, MethodTableInOrder) {
  const std::vector<std::string> expected = {
      "getScaleCenter", "setScaleCenter", "getScaleRot", "setScaleYawPitchRoll", "setScaleQuat", "getScaleQuat",
      "getScale",       "setScale",       "setRotCenter", "getRotCenter",        "setYawPitchRoll", "getRot",
      "setRotQuat",     "setPos",         "getPos",       "calc",                "setBillboard",    "isBillboard"};
  EXPECT_EQ(namesOf(rk::script::gph::kWorldMatrixMethods), expected);
  GfxTransformation* made = world();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(gfxModel("g")->commands().back(), made);
  ASSERT_EQ(run("local n = 0 for k in pairs(getmetatable(w).__index) do n = n + 1 end\n"
                "check(n == 18, 'eighteen methods')\n"
                "check(getmetatable(w).__gc == getmetatable(g:createAddBlend(0)).__gc, 'releaseGfxCommand')"),
            "");
}

TEST_F(WorldMatrixApi, MethodsReadAndWriteTheTransformation) {
  const std::vector<LuaCase> cases = {
      {"fresh", "check(join(w:getPos()) == '0,0,0') check(join(w:getScale()) == '1,1,1')\n"
                "check(join(w:getScaleCenter()) == '0,0,0') check(join(w:getRotCenter()) == '0,0,0')\n"
                "check(join(w:getRot()) == '0,0,0') check(join(w:getScaleRot()) == '0,0,0')\n"
                "check(join(w:getScaleQuat()) == '0,0,0,1') check(w:isBillboard() == false)"},
      {"position", "w:setPos(1, '2', 3.5) check(join(w:getPos()) == '1,2,3.5')"},
      {"scale", "w:setScale(2, 3) check(join(w:getScale()) == '2,3,0')"},
      {"scale centre", "w:setScaleCenter(4, 5, 6) check(join(w:getScaleCenter()) == '4,5,6')"},
      {"rotation centre", "w:setRotCenter(1, 2, 3) check(join(w:getRotCenter()) == '1,2,3')\n"
                          "check(join(w:getRot()) == '0,0,0')"},
      {"angles", "w:setYawPitchRoll(0.5, 0.25, 0.125) check(join(w:getRot()) == '0.5,0.25,0.125')"},
      {"scale angles", "w:setScaleYawPitchRoll(0.5, 0, 0.25) check(join(w:getScaleRot()) == '0.5,0,0.25')"},
      {"scale quaternion", "w:setScaleQuat(0, 0, 0, 1) check(join(w:getScaleQuat()) == '0,0,0,1')"},
      {"rotation quaternion", "w:setRotQuat(0, math.sin(0.25), 0, math.cos(0.25))\n"
                              "local y, p, r = w:getRot() check(near(y, 0.5, 1e-5) and near(p, 0) and near(r, 0))"},
      {"billboard", "w:setBillboard(0) check(w:isBillboard() == true) w:setBillboard() check(w:isBillboard() == false)"},
  };
  runCases(cases, "w = g:createWorldMatrix() ");
}

TEST_F(WorldMatrixApi, CalcRebuildsTheMatrixOfTheSetters) {
  ASSERT_EQ(run("w:setPos(1, 2, 3) w:setScale(2, 2, 2)"), "");
  GfxTransformation* made = world();
  EXPECT_FALSE(made->transform().isMatrixValid());
  ASSERT_EQ(run("w:calc()"), "");
  EXPECT_TRUE(made->transform().isMatrixValid());
  const Matrix expected = rk::math::matrixMultiply(rk::math::matrixScaling(2, 2, 2), rk::math::matrixTranslation(1, 2, 3));
  EXPECT_TRUE(near(made->transform().getMatrix(), expected));
}

TEST_F(WorldMatrixApi, EachWorldMatrixPlacesTheCommandsAfterIt) {
  addProbe("g");
  ASSERT_EQ(run("w:setPos(1, 2, 3)"), "");
  addProbe("g");
  ASSERT_EQ(run("w2 = g:createWorldMatrix() w2:setScale(2, 2, 2)"), "");
  addProbe("g");
  rk::DeviceContext::getInstance()->setWorldMatrix(rk::math::matrixTranslation(9, 9, 9));
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(near(seen[1].world, rk::math::matrixTranslation(1, 2, 3))) << "the matrix is rebuilt before drawing";
  EXPECT_TRUE(near(seen[2].world, rk::math::matrixScaling(2, 2, 2)));

  seen.clear();
  ASSERT_EQ(run("w = nil"), "");
  collect();
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(near(seen[1].world, seen[0].world)) << "a collected world matrix places nothing";
}

// As a billboard the camera's turn is undone first, then the transformation
// applies: the content faces the camera from wherever it looks.
TEST_F(WorldMatrixApi, BillboardFacesTheCamera) {
  camera->setEye({5, 4, -6, 0});
  camera->updateMatrices();
  ASSERT_EQ(run("w:setBillboard(true) w:setPos(1, 2, 3)"), "");
  addProbe("g");
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 1u);
  // Seen through the view, an unturned billboard has no rotation left.
  const Matrix inView = rk::math::matrixMultiply(seen[0].world, camera->viewMatrix());
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(inView.m[r][c], r == c ? 1.0f : 0.0f, 1e-4f) << r << "," << c;

  // Its own rotation applies after the turn.
  seen.clear();
  ASSERT_EQ(run("w:setYawPitchRoll(0.3, 0.2, 0)"), "");
  drawModel(gfxModel("g"));
  ASSERT_EQ(seen.size(), 1u);
  Matrix turn = rk::math::matrixInverse(camera->viewMatrix());
  turn.m[3][0] = turn.m[3][1] = turn.m[3][2] = 0.0f;
  EXPECT_TRUE(near(seen[0].world, rk::math::matrixMultiply(turn, world()->transform().getMatrix())));
}

TEST_F(WorldMatrixApi, NullCommandAndNullModel) {
  const std::vector<LuaCase> cases = {
      {"setter", "w.setPos(g, 1, 2, 3)", GPH("lua_GfxModel_Trans_setPos")},
      {"getter", "check(join(w.getScaleQuat(nil)) == '0,0,0,0')", GPH("lua_GfxModel_Trans_getScaleQuat")},
      {"flag", "check(w.isBillboard(g:createAddBlend(1)) == false)", GPH("lua_GfxModel_Trans_isBillboard")},
      {"creator", "local d = g.createWorldMatrix(createLight(0)) d:setPos(1, 1, 1) check(join(d:getPos()) == '1,1,1')",
       GPH("lua_GfxModel_createWorldMatrix")},
  };
  runCases(cases);
}

}  // namespace
}  // namespace gfxmodelapitest
