// Runs a Lua chunk in a protected call and returns the error text (empty on
// success); the stack is left empty either way.
#pragma once
#include <lua.hpp>

#include <string>

#include "script/rk_lua_guard.h"

namespace rktest {

inline std::string runLua(lua_State* L, const std::string& code) {
  std::string error;
  if (luaL_loadbuffer(L, code.data(), code.size(), "=case") != LUA_OK || rk::script::protectedCall(L, 0, 0) != LUA_OK)
    error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(no message)";
  lua_settop(L, 0);
  return error;
}

}  // namespace rktest
