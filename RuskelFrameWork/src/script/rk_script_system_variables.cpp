// The system table's access to rk::GlobalVariable's named numbers, texts and
// flags. A name that is neither a string nor a number names nothing: setting
// stores nothing and reading gives the answer for an absent name.
#include <string>

#include "kernel/rk_global_data.h"
#include "script/rk_lua_arg.h"
#include "rk_script_system_internal.h"

namespace rk::script::system {

namespace {

bool isText(lua_State* L, int index) { return toTextArg(L, index) != nullptr; }

}  // namespace

int lua_setGlobalVariable(lua_State* L) {
  const bool named = isText(L, 1);
  const std::string name = toTextOrEmpty(L, 1);
  const float value = toFloatArg(L, 2);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  if (variables && named) variables->setNumber(name, value);
  return 0;
}

int lua_getGlobalVariable(lua_State* L) {
  const bool named = isText(L, 1);
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  lua_pushnumber(L, variables && named ? variables->getNumber(name) : 0.0f);
  return 1;
}

// A value that is neither a string nor a number stores nothing.
int lua_setGlobalString(lua_State* L) {
  const bool valid = isText(L, 1) && isText(L, 2);
  const std::string name = toTextOrEmpty(L, 1);
  const std::string value = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  if (variables && valid) variables->setString(name, value);
  return 0;
}

int lua_getGlobalString(lua_State* L) {
  const bool named = isText(L, 1);
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  const std::string* value = variables && named ? variables->findString(name) : nullptr;
  if (value) {
    lua_pushlstring(L, value->data(), value->size());
  } else {
    lua_pushnil(L);
  }
  return 1;
}

int lua_setGlobalBoolean(lua_State* L) {
  const bool named = isText(L, 1);
  const std::string name = toTextOrEmpty(L, 1);
  const bool value = toBoolArg(L, 2);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  if (variables && named) variables->setBoolean(name, value);
  return 0;
}

int lua_getGlobalBoolean(lua_State* L) {
  const bool named = isText(L, 1);
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  lua_pushboolean(L, variables && named && variables->getBoolean(name));
  return 1;
}

}  // namespace rk::script::system
