// A Lua state with the game's libraries loaded over the managers that game
// objects need (tasks, counters, actors), all torn down at the end of a test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include <lua.hpp>

#include "actor/rk_actor.h"
#include "math/rk_counter_manager.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace gametest {

class GameScript : public testing::Test {
 protected:
  GameScript() {
    rk::task::TaskManager::createInstance();
    rk::math::CounterManager::createInstance();
    rk::actor::ActorManager::createInstance();
    L = luaL_newstate();
    luaL_openlibs(L);
  }
  ~GameScript() override {
    lua_close(L);  // the scripts' references go first
    rk::actor::ActorManager::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    rk::task::TaskManager::destroyInstance();
  }

  void reg(const char* name, lua_CFunction function) { lua_register(L, name, function); }
  // Runs a chunk; its results joined by ","; "error: ..." when it fails.
  std::string run(const std::string& chunk) {
    const int base = lua_gettop(L);
    if (luaL_dostring(L, chunk.c_str()) != 0) {
      std::string error = std::string("error: ") + lua_tostring(L, -1);
      lua_settop(L, base);
      return error;
    }
    std::string out;
    for (int i = base + 1; i <= lua_gettop(L); ++i) {
      if (!out.empty()) out += ",";
      out += luaL_tolstring(L, i, nullptr);
      lua_pop(L, 1);
    }
    lua_settop(L, base);
    return out;
  }
  // One frame of the task manager: counters advance by dt.
  void frame(float dt) { rk::task::TaskManager::getInstance()->update(dt); }

  rktest::ErrorLogCapture log_;
  lua_State* L;
};

}  // namespace gametest
