// Script methods that several classes register: a task's run and stop, and
// the policy interfaces' initialize, finalize, setUse and isUse. Each reads
// argument 1 through the held class's cast to the interface, so any class
// whose LuaClass casts to it can list these in its method table.
#pragma once
#include <lua.hpp>

namespace rk::task::lua_task {
// The held task's active flag := true / false. No results.
int lua_command_run(lua_State* L);
int lua_command_stop(lua_State* L);
}  // namespace rk::task::lua_task

namespace rk::policy::lua_initialize {
// initialize(); a negative result shows the error-code box and is logged.
// Returns true when the result is not negative.
int lua_command_initialize(lua_State* L);
// finalize(). No results.
int lua_command_finalize(lua_State* L);
// setUse(argument 2 as a condition). No results.
int lua_command_setUse(lua_State* L);
// isUse() as a boolean.
int lua_command_isUse(lua_State* L);
}  // namespace rk::policy::lua_initialize
