#include "script/rk_lua_shared_methods.h"

#include <string>

#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_object.h"

namespace rk::task::lua_task {

namespace {
int setActive(lua_State* L, bool active, const char* name) {
  if (Task* task = script::toLuaObject<Task>(L, 1, script::kTaskClass)) {
    task->setActive(active);
  } else {
    script::reportNullObject(name);
  }
  lua_settop(L, 0);
  return 0;
}
}  // namespace

int lua_command_run(lua_State* L) { return setActive(L, true, "rk::task::lua_task::lua_command_run"); }
int lua_command_stop(lua_State* L) { return setActive(L, false, "rk::task::lua_task::lua_command_stop"); }

}  // namespace rk::task::lua_task

namespace rk::policy::lua_initialize {

int lua_command_initialize(lua_State* L) {
  auto* target = script::toLuaObject<IInitialize>(L, 1, script::kInitializeClass);
  lua_settop(L, 0);
  if (!target) {
    script::reportNullObject("rk::policy::lua_initialize::lua_command_initialize");
    lua_pushboolean(L, 0);
    return 1;
  }
  host::HResult result = target->initialize();
  if (result < 0) {
    std::string text, caption;
    debug::showErrorCodeMessage(text, caption, result, "include/policy/rk_initialize", 54);
    debug::writeErrorLog("include/policy/rk_initialize", 55, "rk::policy::lua_initialize::lua_command_initialize");
  }
  lua_pushboolean(L, result >= 0);
  return 1;
}

int lua_command_finalize(lua_State* L) {
  if (auto* target = script::toLuaObject<IFinalize>(L, 1, script::kFinalizeClass)) {
    target->finalize();
  } else {
    script::reportNullObject("rk::policy::lua_initialize::lua_command_finalize");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_command_setUse(lua_State* L) {
  bool use = script::toBoolArg(L, 2);
  if (auto* target = script::toLuaObject<IIsUse>(L, 1, script::kIsUseClass)) {
    target->setUse(use);
  } else {
    script::reportNullObject("rk::policy::lua_initialize::lua_command_setUse");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_command_isUse(lua_State* L) {
  auto* target = script::toLuaObject<IIsUse>(L, 1, script::kIsUseClass);
  lua_settop(L, 0);
  if (!target) script::reportNullObject("rk::policy::lua_initialize::lua_command_isUse");
  lua_pushboolean(L, target && target->isUse());
  return 1;
}

}  // namespace rk::policy::lua_initialize
