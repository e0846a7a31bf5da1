// A rigid body drives a real scene model: a script hands the body a sphere
// model, each physics step places the model at the body's world matrix, and
// finalize hides it.
#include "gfx/rk_model.h"
#include "script_rigidbody_fixture.h"

namespace {

const rk::script::LuaClass kSphereObjectClass{"rk::gfx::SphereModel", rk::script::castGModel<rk::gfx::SphereModel>};

class SceneModelLink : public rktest::ScriptRigidBodyFixture {};

TEST_F(SceneModelLink, EveryPhysicsStepMovesTheModelsWorldMatrix) {
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::createInstance();  // installs the real driver
  auto* sphere = new rk::gfx::SphereModel;
  models->addModel(sphere);
  sphere->setVisible(true);
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  rk::script::pushLuaObject(L_, sphere, kSphereObjectClass, kNoMethods,
                            rk::script::lua_gcDeleteObject<rk::gfx::SphereModel, kSphereObjectClass>);
  lua_setglobal(L_, "sphere");
  lua_register(L_, "modelY", [](lua_State* S) {
    lua_settop(S, 0);
    lua_pushnumber(S, rk::gfx::ModelManager::getInstance()->models().front()->getMatrix().m[3][1]);
    return 1;
  });

  EXPECT_EQ(run(R"(
    local b = createRigidBodySphere()
    b:setModel(sphere)
    b:setPos(2, 3, 0)
    b:setValid(true)
    local last = 3
    for i = 1, 3 do
      frames(1)
      local y = modelY()
      check(y < last, 'the model falls with its body in step ' .. i .. ': ' .. y)
      last = y
    end
    same(values(b:getPos()), {2, last, 0}, 1e-5, 'the model sits where the body is')
    b:finalize()
  )"),
            "");
  EXPECT_FALSE(sphere->isVisible());
  EXPECT_FLOAT_EQ(sphere->getMatrix().m[3][0], 2.0f);
  EXPECT_TRUE(log_.empty()) << log_.text();
  rk::gfx::ModelManager::destroyInstance();
}

// The model object of "createModel" is a model that bodies accept.
TEST_F(SceneModelLink, ABodyTakesTheModelObjectOfCreateModel) {
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::createInstance();
  EXPECT_EQ(run(R"(
    local model = createModel()
    local b = createRigidBodySphere()
    b:setModel(model)
    b:setGravity(0, 0, 0)
    b:setPos(4, 5, 6)
    b:setValid(true)
    frames(1)
    b:finalize()
  )"),
            "");
  ASSERT_FALSE(models->models().empty());
  EXPECT_FLOAT_EQ(models->models().front()->getMatrix().m[3][0], 4.0f);
  EXPECT_TRUE(log_.empty()) << log_.text();
  rk::gfx::ModelManager::destroyInstance();
}

}  // namespace
