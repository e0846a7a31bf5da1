// Keeps a value of the stack alive while a binding empties the stack and
// builds a new object: the collector may run during that allocation, and an
// owner collected then would delete what the new object is about to link to.
#pragma once
#include <lua.hpp>

namespace rk::script {

class LuaPin {
 public:
  LuaPin(lua_State* L, int index) : L_(L) {
    lua_pushvalue(L, index);
    ref_ = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  ~LuaPin() { luaL_unref(L_, LUA_REGISTRYINDEX, ref_); }
  LuaPin(const LuaPin&) = delete;
  LuaPin& operator=(const LuaPin&) = delete;

 private:
  lua_State* L_;
  int ref_;
};

}  // namespace rk::script
