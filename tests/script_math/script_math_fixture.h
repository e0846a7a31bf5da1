// Runs Lua cases against the math globals in a real script state (made by the
// script-state manager, so every global table is registered), with a task
// manager and a counter manager behind it. Chunks assert in Lua; a prelude
// offers near(), values() and the check helpers below.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "math/rk_counter_manager.h"
#include "math/rk_matrix.h"
#include "script/rk_lua_guard.h"
#include "support/lua_run.h"
#include "script/rk_script.h"
#include "script/rk_script_math.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace rktest {

// check(cond, what); near(a, b, tol); same(list, expected, tol, what) compares
// every value of a result list; values(...) packs results with their count.
inline const char* kMathPrelude = R"(
  function check(cond, what) if not cond then error(what or 'check failed', 2) end end
  function near(a, b, tol) return type(a) == 'number' and math.abs(a - b) <= (tol or 1e-5) end
  function values(...) return {n = select('#', ...), ...} end
  function same(got, expected, tol, what)
    check(got.n == nil or got.n == #expected, (what or '') .. ': ' .. tostring(got.n) .. ' results, want ' .. #expected)
    for i = 1, #expected do
      local want = expected[i]
      local ok
      if want ~= want then ok = got[i] ~= got[i]
      elseif type(want) == 'number' then ok = near(got[i], want, tol)
      else ok = got[i] == want end
      if not ok then
        error((what or '') .. ': result ' .. i .. ' is ' .. tostring(got[i]) .. ', want ' .. tostring(want), 2)
      end
    end
  end
)";

class ScriptMathFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    rk::task::TaskManager::createInstance();
    rk::math::CounterManager::createInstance();
    states_ = rk::script::ScriptStateManager::createInstance();
    state_ = states_->createScriptState();
    L_ = state_->luaState();
    ASSERT_NE(L_, nullptr);
    ASSERT_EQ(run(kMathPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }

  // Runs a chunk; returns the error text, empty on success.
  std::string run(const std::string& code) { return rktest::runLua(L_, code); }
  // The matrix held by a global Matrix object (a zero matrix when there is none).
  rk::math::Matrix matrixGlobal(const char* name) {
    lua_getglobal(L_, name);
    rk::math::Matrix* m = rk::script::math::toMatrix(L_, -1);
    lua_pop(L_, 1);
    EXPECT_NE(m, nullptr) << name;
    return m ? *m : rk::math::Matrix{};
  }
  void collect() { lua_gc(L_, LUA_GCCOLLECT, 0); }
  void frames(int count) {
    for (int i = 0; i < count; ++i) rk::task::TaskManager::getInstance()->update(1.0f / 60);
  }

  ErrorLogCapture log_;
  rk::script::ScriptStateManager* states_ = nullptr;
  rk::script::ScriptState* state_ = nullptr;
  lua_State* L_ = nullptr;
};

}  // namespace rktest
