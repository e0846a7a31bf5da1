// The sphere model object and the model-pause globals, on a live model manager.
#include "gfx/rk_model.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_graphics.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

const char* const kRadiusEntry = "rk::script::gph::`anonymous-namespace'::lua_SphereModel_setRadius";
const char* const kPosEntry = "rk::script::gph::`anonymous-namespace'::lua_SphereModel_setPos";

class SphereModelApi : public GraphicsApi {
 protected:
  void SetUp() override {
    GraphicsApi::SetUp();
    models = rk::gfx::ModelManager::createInstance();
  }
  void TearDown() override {
    lua_settop(L, 0);
    collect();
    rk::gfx::ModelManager::destroyInstance();
    GraphicsApi::TearDown();
  }
  rk::gfx::SphereModel* sphereOf(const char* global) {
    lua_getglobal(L, global);
    auto* sphere = rk::script::toLuaObject<rk::gfx::SphereModel>(L, -1, rk::script::gph::kSphereModelClass);
    lua_pop(L, 1);
    return sphere;
  }
  rk::gfx::ModelManager* models = nullptr;
};

TEST_F(SphereModelApi, NewSphereIsListedAndItsMethodsReachTheModel) {
  ASSERT_EQ(run("s = createSphereModel(1, 2, 3)"), "");
  rk::gfx::SphereModel* sphere = sphereOf("s");
  ASSERT_NE(sphere, nullptr);
  EXPECT_TRUE(models->contains(sphere));
  EXPECT_FLOAT_EQ(sphere->getRadius(), 1.0f);
  EXPECT_EQ(sphere->getRenderCameraBit(), 1);
  ASSERT_EQ(run("s:setRadius(2.5) s:setPos(1, 2)"), "");
  EXPECT_FLOAT_EQ(sphere->getRadius(), 2.5f);
  EXPECT_FLOAT_EQ(sphere->getPos().x, 1.0f);
  EXPECT_FLOAT_EQ(sphere->getPos().y, 2.0f);
  EXPECT_FLOAT_EQ(sphere->getPos().z, 0.0f);
  ASSERT_EQ(run("s:setRadius()"), "");
  EXPECT_FLOAT_EQ(sphere->getRadius(), 0.0f);
  EXPECT_TRUE(log.empty()) << log.text();

  ASSERT_EQ(run("s = nil"), "");
  collect();
  EXPECT_TRUE(models->models().empty());
}

TEST_F(SphereModelApi, WrongSelfIsTheNullObjectAndASceneDeletedSphereReadsNull) {
  ASSERT_EQ(run("s = createSphereModel() l = createLight(0)"), "");
  EXPECT_EQ(run("s.setRadius(l, 3) s.setPos(nil, 1, 1, 1)"), "");
  EXPECT_EQ(log.entries(kRadiusEntry), 1u) << log.text();
  EXPECT_EQ(log.entries(kPosEntry), 1u) << log.text();
  log.clear();
  models->deleteModels();  // the scene's shut-down deletes what is listed
  EXPECT_EQ(sphereOf("s"), nullptr);
  EXPECT_EQ(run("s:setRadius(2)"), "");
  EXPECT_EQ(log.entries(kRadiusEntry), 1u) << log.text();
  ASSERT_EQ(run("s = nil"), "");
  collect();  // nothing deleted twice
}

TEST_F(SphereModelApi, CollectedAfterTheManagerIsGoneStillFreesTheModel) {
  ASSERT_EQ(run("s = createSphereModel()"), "");
  rk::gfx::ModelManager::destroyInstance();
  ASSERT_EQ(run("s = nil"), "");
  collect();  // the sanitizer build sees a leak or a double free here
  models = rk::gfx::ModelManager::createInstance();
}

TEST_F(SphereModelApi, ModelPauseFlag) {
  EXPECT_EQ(run(R"(
    check(isModelPause() == false, 'new')
    setModelPause(true) check(isModelPause() == true, 'set')
    setModelPause() check(isModelPause() == false, 'nil clears')
    setModelPause(1) check(isModelPause() == true, 'number')
    dumpDisplayModelContainer())"),
            "");
  EXPECT_TRUE(models->isPause());
}

}  // namespace
}  // namespace graphicstest
