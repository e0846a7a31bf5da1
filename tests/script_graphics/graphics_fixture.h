// Runs Lua cases in a real script state on the built scene of the trace back
// end: light, camera and display-list managers, the wipe manager and the task
// manager. Chunks assert in Lua with check(cond, what), near(a, b, eps), join(...) and
// values(...), which packs results with their count.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "gfx/rk_wipe_manager.h"
#include "gfx_list/gfx_list_rig.h"
#include "kernel/rk_device_context.h"
#include "script/rk_script.h"
#include "support/lua_run.h"

namespace graphicstest {

inline const char* kPrelude = R"(
  function check(cond, what) if not cond then error(what or 'check failed', 2) end end
  function values(...) return {n = select('#', ...), ...} end
  -- The values as %.10g numbers joined by commas (other values by tostring).
  function join(...)
    local t = {}
    for i = 1, select('#', ...) do
      local v = select(i, ...)
      t[i] = type(v) == 'number' and string.format('%.10g', v) or tostring(v)
    end
    return table.concat(t, ',')
  end
  function near(a, b, eps) return type(a) == 'number' and math.abs(a - b) <= (eps or 1e-5) end
)";

class GraphicsApi : public gfxlisttest::GfxListRig {
 protected:
  void SetUp() override {
    GfxListRig::SetUp();
    wipes = rk::gfx::WipeManager::createInstance();
    states = rk::script::ScriptStateManager::createInstance();
    L = states->createScriptState()->luaState();
    ASSERT_NE(L, nullptr);
    ASSERT_EQ(run(kPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    rk::gfx::WipeManager::destroyInstance();
    context->setScreenEffectMode(0);
    context->setZoomBlurParam({});
    context->setResetMode(false);
    context->setScreenSize(kWidth, kHeight);
    GfxListRig::TearDown();
  }

  std::string run(const std::string& code) { return rktest::runLua(L, code); }
  void collect() { lua_gc(L, LUA_GCCOLLECT, 0); }
  void frames(int count, float dt = 1.0f / 60.0f) {
    for (int i = 0; i < count; ++i) {
      rk::task::TaskManager::getInstance()->update(dt);
      wipes->update();
    }
  }

  rk::gfx::WipeManager* wipes = nullptr;
  rk::script::ScriptStateManager* states = nullptr;
  lua_State* L = nullptr;
};

// One Lua case: its code and the error-log entry it must write once (null
// when the log must stay empty).
struct LuaCase {
  const char* name;
  const char* code;
  const char* logEntry = nullptr;
};

}  // namespace graphicstest
