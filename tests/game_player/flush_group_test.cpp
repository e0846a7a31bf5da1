// The model flush group places the range scope on a frame of a model every
// frame: the frame's position, its backward axis flat on the ground as the
// direction, and the model's own position as the scope's position field.
#include <gtest/gtest.h>

#include "flush/rk_flush_unit.h"
#include "flushgroup/flush_model_range.h"
#include "game_enemy/model_stub.h"
#include "game_player/range_fixture.h"

namespace {

using rk::math::Matrix;

class FlushGroup : public playertest::RangeWorld {
 protected:
  FlushGroup() {
    rk::flush::FlushUnit::createInstance();
    reg("createFlushModelAndRangeScope", flushgroup::lua_createFlushModelAndRangeScope);
    rk::gfx::ModelManager::getInstance()->addModel(&stub_.model);
    stub_.model.setVisible(true);
    stub_.model.setPos({1.0f, 0.0f, 0.0f, 0.0f});
    stub_.model.buildMatrix();
    Matrix muzzle = rk::math::matrixIdentity();  // z axis (0, 0, 1): backward is -z
    muzzle.m[3][0] = 2.0f, muzzle.m[3][1] = 1.0f, muzzle.m[3][2] = 4.0f;
    stub_.root->frames["muzzle"] = muzzle;
    stub_.push(L, "model");
    EXPECT_EQ(run("s = createRangeScope(3) s:open() g = createFlushModelAndRangeScope() g:setGroupA(model) "
                  "g:setGroupB(s) g:setFrameName('muzzle')"),
              "");
  }
  ~FlushGroup() override {
    lua_close(L);
    L = luaL_newstate();
    rk::gfx::ModelManager::getInstance()->removeModel(&stub_.model);
    rk::flush::FlushUnit::destroyInstance();
  }
  void flush() { rk::flush::FlushUnit::getInstance()->update(1.0f / 60.0f); }

  enemytest::StubModel stub_;
};

TEST_F(FlushGroup, PlacesTheScopeOnTheFrameFacingItsBackwardAxis) {
  EXPECT_EQ(rk::flush::FlushUnit::getInstance()->count(), 1u);
  flush();
  range_scope::RangeScope* s = scope("s");
  const rk::math::Vector4 at = s->worldPosition();
  EXPECT_FLOAT_EQ(at.x, 3.0f) << "the frame through the model's placement";
  EXPECT_FLOAT_EQ(at.y, 1.0f);
  EXPECT_FLOAT_EQ(at.z, 4.0f);
  EXPECT_EQ(s->record().direction.z, -1.0f);
  EXPECT_EQ(s->record().direction.w, 0.0f);
  EXPECT_EQ(s->record().position.x, 1.0f) << "the model's own position";

  // A frame whose z axis points straight up gives no direction.
  Matrix up = rk::math::matrixIdentity();
  up.m[1][1] = 0.0f, up.m[1][2] = -1.0f;
  up.m[2][1] = 1.0f, up.m[2][2] = 0.0f;
  stub_.root->frames["muzzle"] = up;
  flush();
  EXPECT_NEAR(rk::math::vec3Length(s->record().direction), 0.0f, 1e-6f);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(FlushGroup, InvisibleModelsLeaveTheScopeAndUnknownFramesAreReported) {
  stub_.model.setVisible(false);
  flush();
  EXPECT_EQ(scope("s")->worldPosition().x, 0.0f);
  stub_.model.setVisible(true);
  ASSERT_EQ(run("s:close()"), "");
  flush();
  EXPECT_EQ(scope("s")->worldPosition().x, 0.0f) << "a closed scope is hidden: left alone";

  ASSERT_EQ(run("s:open() g:setFrameName('nowhere')"), "");
  flush();
  EXPECT_GE(log_.entries("flushgroup::FlushModelAndRangeScope::flushProc"), 1u);
}

TEST_F(FlushGroup, GroupsRunIndependentlyAndLeaveTheUnitWhenCollected) {
  ASSERT_EQ(run("s2 = createRangeScope(3) s2:open() g2 = createFlushModelAndRangeScope() g2:setGroupA(model) "
                "g2:setGroupB(s2)"),
            "");
  EXPECT_EQ(rk::flush::FlushUnit::getInstance()->count(), 2u);
  flush();
  EXPECT_FLOAT_EQ(scope("s")->worldPosition().z, 4.0f);
  EXPECT_FLOAT_EQ(scope("s2")->worldPosition().x, 1.0f) << "no frame name: the model's own matrix";

  // A scope collected while a group points to it.
  ASSERT_EQ(run("s2 = nil"), "");
  collect();
  flush();
  ASSERT_EQ(run("g2 = nil g = nil"), "");
  collect();
  EXPECT_EQ(rk::flush::FlushUnit::getInstance()->count(), 0u);
}

TEST_F(FlushGroup, AnOffsetMatrixMovesThePlacement) {
  ASSERT_EQ(run("g:setOffsetMtx({})"), "");
  EXPECT_EQ(log_.entries("flushgroup::FlushModelAndRangeScope::lua_setOffsetMtx"), 1u);
  flushgroup::FlushModelAndRangeScope* g =
      object<flushgroup::FlushModelAndRangeScope>("g", flushgroup::kFlushModelAndRangeScopeClass);
  g->setOffsetMtx(rk::math::matrixTranslation(0.0f, 0.0f, 2.0f));
  flush();
  EXPECT_FLOAT_EQ(scope("s")->worldPosition().z, 6.0f);
}

}  // namespace
