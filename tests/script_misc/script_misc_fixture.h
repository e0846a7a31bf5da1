// Runs Lua cases in a real script state (made by the script-state manager, so
// every global table is registered) with the managers the controller, actor,
// debug and window globals reach: task manager, input context over a driver
// the test sets, controller manager with one player, actor manager. Boxes go
// to a recording sink. Chunks assert in Lua with check(cond, what) and
// values(...), which packs results with their count.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "actor/rk_actor.h"
#include "ctrl/fake_input_driver.h"
#include "ctrl/rk_controller.h"
#include "host/ui.h"
#include "kernel/rk_input_context.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace rktest {

inline const char* kMiscPrelude = R"(
  function check(cond, what) if not cond then error(what or 'check failed', 2) end end
  function values(...) return {n = select('#', ...), ...} end
)";

class ScriptMiscFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    rk::task::TaskManager::createInstance();
    driver = new FakeInputDriver;
    rk::InputContext::createInstance()->setDriver(driver);
    controllers = rk::controller::ControllerManager::createInstance();
    controllers->setPlayerNum(1);
    actors = rk::actor::ActorManager::createInstance();
    states = rk::script::ScriptStateManager::createInstance();
    state = states->createScriptState();
    L = state->luaState();
    ASSERT_NE(L, nullptr);
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type});
      if (answers.empty()) return host::ui::defaultAnswer(type);
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    });
    ASSERT_EQ(run(kMiscPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::actor::ActorManager::destroyInstance();
    rk::controller::ControllerManager::destroyInstance();
    rk::InputContext::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
    host::ui::setMessageBoxSink({});
  }

  // Runs a chunk; returns the error text, empty on success. An exception
  // parked by a binding comes back through `thrown`.
  std::string run(const std::string& code) {
    std::string error;
    try {
      if (luaL_loadbuffer(L, code.data(), code.size(), "=case") != LUA_OK ||
          rk::script::protectedCall(L, 0, 0) != LUA_OK)
        error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(no message)";
    } catch (...) {
      thrown = std::current_exception();
      error = "(exception)";
    }
    lua_settop(L, 0);
    return error;
  }
  // One frame of the controller step, as the frame update runs it.
  void controllerFrame(float dt = 1.0f / 60) {
    controllers->update(*driver, dt);
    controllers->endFrame();
  }
  void collect() { lua_gc(L, LUA_GCCOLLECT, 0); }

  struct Box {
    std::string text;
    std::string caption;
    unsigned type;
  };

  ErrorLogCapture log;
  FakeInputDriver* driver = nullptr;  // owned by the input context
  rk::controller::ControllerManager* controllers = nullptr;
  rk::actor::ActorManager* actors = nullptr;
  rk::script::ScriptStateManager* states = nullptr;
  rk::script::ScriptState* state = nullptr;
  lua_State* L = nullptr;
  std::vector<Box> boxes;
  std::deque<int> answers;
  std::exception_ptr thrown;
};

}  // namespace rktest
