// Bindings of the script-control globals that live in their own sources.
#pragma once
#include <string>

#include <lua.hpp>

#include "host/hresult.h"

namespace rk::script::system {

constexpr const char* kSource = "src/script/rk_script_system";

int lua_includeModule(lua_State* L);
int lua_loadScriptFromFile(lua_State* L);
int lua_createScriptState(lua_State* L);

// The Retry/Cancel box of a script that failed to load or run: the caption
// tells the Lua status, the text is the script's name and the error on top of
// L's stack. Returns the chosen button.
int showScriptLoadError(int status, const std::string& name, lua_State* L);

}  // namespace rk::script::system
