// The effect table's script bindings: the globals that create and find effect
// units and create effect handles, and the two objects' method tables.
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::effect {
class EffectUnit;
class EffectHandle;
}  // namespace rk::effect

namespace rk::script {

// The effect table, in registration order.
LuaFunctionTable effectFunctionTable();

namespace effect {

extern const LuaClass kEffectUnitClass;    // holds a rk::effect::EffectUnit (one reference)
extern const LuaClass kEffectHandleClass;  // holds a rk::effect::EffectHandle (one reference)

// The method lists (ending in {null, null}) and collectors of the two objects.
const luaL_Reg* unitMethods();
const luaL_Reg* handleMethods();
int unitCollector(lua_State* L);
int handleCollector(lua_State* L);

// Pushes a script object holding one reference to the unit or handle (taken
// here); nil for null.
int pushEffectUnit(lua_State* L, rk::effect::EffectUnit* unit);
int pushEffectHandle(lua_State* L, rk::effect::EffectHandle* handle);

}  // namespace effect
}  // namespace rk::script
