// The effect globals and the unit and handle methods, run as Lua cases in a
// real script state. Effect "effect/a" is delivered as a ready resource;
// "effect/bad" holds damaged bytes. Test globals: instanceMatrix(handle)
// answers the twelve numbers of the handle's instance transform (nothing when
// it has none); isShown(handle) whether it draws.
#include <gtest/gtest.h>

#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "host/effect.h"
#include "res/rk_resource.h"
#include "script/rk_script.h"
#include "script/rk_script_effect.h"
#include "script_math/script_math_fixture.h"
#include "support/error_log_capture.h"
#include "support/lua_run.h"
#include "support/temp_dir.h"
#include "task/rk_task.h"

namespace {

using rk::effect::EffectHandle;

int instanceMatrix(lua_State* L) {
  auto* handle = rk::script::toLuaObject<EffectHandle>(L, 1, rk::script::effect::kEffectHandleClass);
  lua_settop(L, 0);
  float m[4][3];
  if (!handle || !handle->owner()->manager().matrix(handle->instance(), m)) return 0;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) lua_pushnumber(L, m[r][c]);
  return 12;
}

int isShown(lua_State* L) {
  auto* handle = rk::script::toLuaObject<EffectHandle>(L, 1, rk::script::effect::kEffectHandleClass);
  lua_settop(L, 0);
  lua_pushboolean(L, handle && handle->owner()->manager().isShown(handle->instance()));
  return 1;
}

std::vector<std::uint8_t> effectBytes() {
  host::effect::EmitterDesc e;
  e.burst = 4;
  e.life = 100.0f;
  host::effect::EffectDesc d;
  d.emitters = {e};
  return host::effect::writeEffect(d);
}

class ScriptEffect : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(dir_.path());
    rk::task::TaskManager::createInstance();
    resources_ = rk::res::ResourceManager::createInstance();
    rk::fs::FileManager::createInstance(resources_, false);
    rk::gfx::CameraManager::createInstance();
    system_ = rk::effect::EffectSystem::createInstance();
    provide("effect/a.ea", effectBytes());
    std::vector<std::uint8_t> bad = effectBytes();
    bad[20] ^= 1;
    provide("effect/bad.ea", bad);
    states_ = rk::script::ScriptStateManager::createInstance();
    L_ = states_->createScriptState()->luaState();
    ASSERT_NE(L_, nullptr);
    lua_register(L_, "instanceMatrix", instanceMatrix);
    lua_register(L_, "isShown", isShown);
    ASSERT_EQ(run(rktest::kMathPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    EXPECT_EQ(system_->unitCount(), 0u) << "collected units leave the system";
    rk::effect::EffectSystem::destroyInstance();
    held_.clear();
    rk::gfx::CameraManager::destroyInstance();
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
    cwd_.reset();
  }

  // The bytes as the delivered resource of a stored name.
  void provide(const std::string& stored, const std::vector<std::uint8_t>& bytes) {
    rk::res::ResourcePtr r = resources_->getResourceData(stored);
    r->ownedBytes() = bytes;
    r->setReady(true);
    held_.push_back(r);
  }
  std::string run(const std::string& code) { return rktest::runLua(L_, code); }

  rktest::ErrorLogCapture log_;
  rktest::TempDir dir_;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::effect::EffectSystem* system_ = nullptr;
  rk::script::ScriptStateManager* states_ = nullptr;
  lua_State* L_ = nullptr;
  std::vector<rk::res::ResourcePtr> held_;
};

// Each case starts with unit u of camera 3 holding "effect/a".
const char* const kSetup = R"(
  u = createEffectUnit(3, 10, 0, 0, 0, 16)
  check(u:load('effect/a') == true, 'load')
  check(u:isSetupAll() == true, 'set up')
)";

struct LuaCase {
  const char* name;
  const char* code;
  const char* logEntry;  // expected once in the error log, or null for an empty log
};

const LuaCase kCases[] = {
    {"the three globals exist",
     "check(type(createEffectUnit) == 'function' and type(findEffectUnit) == 'function' and "
     "type(createEffectHandle) == 'function')",
     nullptr},
    {"find and create share the unit; no unit finds nil",
     R"(local f = findEffectUnit(3)
        check(type(f) == 'userdata' and f ~= u, 'another object')
        local h = f:play('effect/a', 0, 0, 0)
        check(u:isAlive(h) and h:getCameraNo() == 3, 'the same unit')
        check(createEffectUnit(3.9, 99, 0, 0, 0, 1) ~= nil, 'truncated camera number')
        check(findEffectUnit(4) == nil, 'no unit 4'))",
     nullptr},
    {"load, setup and release",
     R"(check(u:load('effect/a') == true, 'second load')
        check(u:setup('effect/a') == true, 'setup')
        u:release('effect/a')
        check(u:play('effect/a', 0, 0, 0):isAlive(), 'one load left')
        u:release('effect/a')
        check(not u:play('effect/a', 0, 0, 0):isAlive(), 'released')
        u:release('effect/a')
        check(u:setup(nil) == false and u:load({}) == false, 'no name')
        u:setupAll())",
     nullptr},
    {"a missing file loads nothing and plays nothing",
     R"(check(u:load('effect/none') == false, 'load')
        check(u:isSetupAll(), 'nothing waits for it')
        check(not u:play('effect/none', 0, 0, 0):isAlive(), 'play'))",
     "rk::effect::EffectMaster::load"},
    {"a damaged file sets up empty and plays nothing",
     R"(check(u:load('effect/bad') == true, 'requested')
        check(u:setup('effect/bad') == true and u:isSetupAll(), 'done with it')
        check(not u:play('effect/bad', 0, 0, 0):isAlive(), 'play'))",
     "rk::effect::EffectMaster::setup"},
    {"play with a position alone takes rotation and scale from absent arguments",
     R"(local h = u:play('effect/a', 1, 2, 3)
        check(h:isAlive() and u:isAlive(h), 'alive')
        same(values(instanceMatrix(h)), {0,0,0, 0,0,0, 0,0,0, 1,2,3}, 1e-6, 'scale 0'))",
     nullptr},
    {"play with nil groups takes rotation 0 and scale 1",
     R"(same(values(instanceMatrix(u:play('effect/a', 1, 2, 3, nil))), {1,0,0, 0,1,0, 0,0,1, 1,2,3}, 1e-6, 'nil at 6')
        same(values(instanceMatrix(u:play('effect/a', 0, 0, 0, 0, 0, 0, nil))), {1,0,0, 0,1,0, 0,0,1, 0,0,0}, 1e-6,
             'nil at 9')
        same(values(instanceMatrix(u:play('effect/a', 0, 0, 0, 0, 0, math.pi / 2, 2, 2, 2))),
             {0,2,0, -2,0,0, 0,0,2, 0,0,0}, 1e-5, 'rotated and scaled'))",
     nullptr},
    {"play without a position gives a handle that never plays",
     R"(local h = u:play('effect/a', nil)
        check(not h:isAlive(), 'not playing')
        h:playEffect(0, 0, 0)
        check(not h:isAlive(), 'no name to play')
        check(not u:play('effect/never', 0, 0, 0):isAlive(), 'never loaded'))",
     nullptr},
    {"handles from createEffectHandle play, move, hide and stop",
     R"(local h = createEffectHandle(u, 'effect/a')
        check(not h:isAlive(), 'not played yet')
        h:playEffect(1, 2, 3, nil)
        check(h:isAlive(), 'played')
        same(values(instanceMatrix(h)), {1,0,0, 0,1,0, 0,0,1, 1,2,3}, 1e-6, 'at its position')
        h:setPos(4, 5, 6)
        same(values(instanceMatrix(h)), {1,0,0, 0,1,0, 0,0,1, 4,5,6}, 1e-6, 'moved')
        local m = createMatrix()
        m:translation(7, 8, 9)
        h:setMatrix(m)
        same(values(instanceMatrix(h)), {1,0,0, 0,1,0, 0,0,1, 7,8,9}, 1e-6, 'matrix')
        h:setEffectShown(false)
        check(not isShown(h), 'hidden')
        h:setEffectShown(1)
        check(isShown(h), 'shown')
        h:stop()
        check(not h:isAlive(), 'stopped')
        h:stop())",
     nullptr},
    {"the unit's stop takes a handle or nil",
     R"(local h = u:play('effect/a', 0, 0, 0)
        u:stop(nil)
        u:stop()
        check(h:isAlive(), 'nil stops nothing')
        u:stop(h)
        check(not h:isAlive() and not u:isAlive(h), 'stopped'))",
     nullptr},
    {"a handle passed as a unit is the null object",
     R"(local h = u:play('effect/a', 0, 0, 0)
        check(u.load(h, 'effect/a') == false, 'no unit'))",
     "rk::effect::`anonymous-namespace'::lua_EffectUnit_load"},
    {"createEffectHandle without a unit answers nil",
     "check(createEffectHandle(42, 'effect/a') == nil)",
     "rk::effect::`anonymous-namespace'::lua_createEffectHandle"},
    {"setMatrix without a matrix changes nothing",
     R"(local h = u:play('effect/a', 1, 2, 3, nil)
        h:setMatrix(5)
        same(values(instanceMatrix(h)), {1,0,0, 0,1,0, 0,0,1, 1,2,3}, 1e-6, 'unchanged'))",
     "rk::effect::`anonymous-namespace'::lua_EffectHandle_setMatrix"},
};

TEST_F(ScriptEffect, GlobalsAndMethodsBehaveCaseByCase) {
  for (const LuaCase& c : kCases) {
    SCOPED_TRACE(c.name);
    log_.clear();
    EXPECT_EQ(run(std::string(kSetup) + c.code), "");
    if (c.logEntry)
      EXPECT_EQ(log_.entries(c.logEntry), 1u) << log_.text();
    else
      EXPECT_TRUE(log_.empty()) << log_.text();
    ASSERT_EQ(run("u = nil collectgarbage() collectgarbage()"), "");
    EXPECT_EQ(system_->unitCount(), 0u);
  }
}

TEST_F(ScriptEffect, CollectedHandlesStopTheirInstancesAndCollectedUnitsLeaveTheSystem) {
  ASSERT_EQ(run(std::string(kSetup) + "h = u:play('effect/a', 0, 0, 0) kept = u:play('effect/a', 0, 0, 0)"), "");
  rk::effect::EffectUnit* unit = system_->getEffectUnit(3);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(unit->manager().instanceCount(), 2);
  ASSERT_EQ(run("h = nil collectgarbage() collectgarbage()"), "");
  EXPECT_EQ(unit->manager().instanceCount(), 1);
  EXPECT_EQ(unit->handles().size(), 1u);
  unit->release("test", 0);
  // The unit lives while a handle holds it.
  ASSERT_EQ(run("u = nil collectgarbage() collectgarbage()"), "");
  EXPECT_EQ(system_->unitCount(), 1u);
  ASSERT_EQ(run("kept = nil collectgarbage() collectgarbage()"), "");
  EXPECT_EQ(system_->unitCount(), 0u);
}

}  // namespace
