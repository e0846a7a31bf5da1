// The controller globals: the pad, key and direction constants, controller
// objects and the key-name lookups (the first global table), and the player
// settings (the third).
#pragma once
#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::script {

LuaFunctionTable controllerFunctionTable();
LuaFunctionTable playerFunctionTable();

namespace ctrl {
// Controller objects point to a controller without owning it; they read as
// the null object once the controller is deleted.
extern const LuaClass kControllerClass;
}  // namespace ctrl

}  // namespace rk::script
