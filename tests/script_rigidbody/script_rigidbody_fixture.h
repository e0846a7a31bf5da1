// Lua cases against the rigid-body globals and body methods, in a real script
// state with the collision fixture's managers plus the physics step. Test
// globals: makeHooks(name), an object that answers the sync-body and the six
// hook interfaces and records their calls; makeModel(), a stand-in model
// object; frames(n) runs n frames of the task manager (the physics step
// among them); trace() returns the recorded calls as one text.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script_rigidbody.h"
#include "script_col/script_col_fixture.h"

namespace rktest {

namespace rb = rk::rigidbody;

inline std::string& hookTrace() {
  static std::string trace;
  return trace;
}

class ScriptHooks : public rb::ISyncBody,
                    public rb::ISyncSimStart,
                    public rb::ISyncSimInit,
                    public rb::ISyncSimConst,
                    public rb::ISyncSimExec,
                    public rb::ISyncSimExeced,
                    public rb::ISyncSimFlush {
 public:
  explicit ScriptHooks(std::string name) : name_(std::move(name)) {}
  void syncBody(const rk::math::Matrix*) override { add("sync"); }
  void syncSimStart(rb::RigidBody*) override { add("start"); }
  void syncSimInit(rb::RigidBody*) override { add("init"); }
  void syncSimConst(rb::RigidBody*) override { add("const"); }
  void syncSimExec(rb::RigidBody*, float) override { add("exec"); }
  void syncSimExeced(rb::RigidBody*, float) override { add("execed"); }
  void syncSimFlush(rb::RigidBody*) override { add("flush"); }

 private:
  void add(const char* what) { hookTrace() += std::string(what) + ":" + name_ + " "; }
  std::string name_;
};

inline const rk::script::LuaClass kScriptHooksClass{
    "rktest::ScriptHooks",
    rk::script::castToInterface<ScriptHooks, rb::ISyncBody, rb::ISyncSimStart, rb::ISyncSimInit, rb::ISyncSimConst,
                                rb::ISyncSimExec, rb::ISyncSimExeced, rb::ISyncSimFlush>};

inline int makeHooks(lua_State* L) {
  auto* hooks = new ScriptHooks(rk::script::toTextOrEmpty(L, 1));
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  return rk::script::pushLuaObject(L, hooks, kScriptHooksClass, kNoMethods,
                                   rk::script::lua_gcDeleteObject<ScriptHooks, kScriptHooksClass>);
}

// A model is only passed on by address; the driver below records what reaches it.
struct FakeModel {
  int placed = 0;
  int hidden = 0;
  float y = 0.0f;
};
inline void* fakeModelCast(void* object, const rk::script::LuaClass& target) {
  return &target == &rk::script::rigidbody::kGModelClass ? object : nullptr;
}
inline const rk::script::LuaClass kFakeModelClass{"rktest::FakeModel", fakeModelCast};

inline int makeModel(lua_State* L) {
  static const luaL_Reg kMethods[] = {
      {"placed",
       [](lua_State* S) {
         auto* m = rk::script::toLuaObject<FakeModel>(S, 1, kFakeModelClass);
         lua_settop(S, 0);
         lua_pushinteger(S, m->placed);
         lua_pushnumber(S, m->y);
         lua_pushinteger(S, m->hidden);
         return 3;
       }},
      {nullptr, nullptr},
  };
  return rk::script::pushLuaObject(L, new FakeModel, kFakeModelClass, kMethods,
                                   rk::script::lua_gcDeleteObject<FakeModel, kFakeModelClass>);
}

class ScriptRigidBodyFixture : public ScriptCollisionFixture {
 protected:
  void SetUp() override {
    ScriptCollisionFixture::SetUp();
    hookTrace().clear();
    rb::ModelDriver driver;
    driver.setMatrix = [](rk::gfx::GModel* m, const rk::math::Matrix& w) {
      auto* model = reinterpret_cast<FakeModel*>(m);
      ++model->placed;
      model->y = w.m[3][1];
    };
    driver.hide = [](rk::gfx::GModel* m) { ++reinterpret_cast<FakeModel*>(m)->hidden; };
    rb::setModelDriver(driver);
    physics_ = rb::RigidBodyManager::createInstance();
    lua_register(L_, "makeHooks", makeHooks);
    lua_register(L_, "makeModel", makeModel);
    lua_register(L_, "frames", [](lua_State* S) {
      const int count = static_cast<int>(lua_tointeger(S, 1));
      lua_settop(S, 0);
      for (int i = 0; i < count; ++i) rk::task::TaskManager::getInstance()->update(1.0f / 60);
      return 0;
    });
    lua_register(L_, "trace", [](lua_State* S) {
      lua_settop(S, 0);
      lua_pushstring(S, hookTrace().c_str());
      hookTrace().clear();
      return 1;
    });
  }
  // The base closes the script states (releasing the bodies) before the task
  // manager deletes the physics task.
  void TearDown() override {
    ScriptCollisionFixture::TearDown();
    rb::setModelDriver({});
  }

  rb::RigidBodyManager* physics_ = nullptr;
};

}  // namespace rktest
