// Bindings of the script-control globals that live in their own sources.
#pragma once
#include <string>

#include <lua.hpp>

#include "host/hresult.h"
#include "host/ui.h"

namespace rk::script::system {

constexpr const char* kSource = "src/script/rk_script_system";

int lua_includeModule(lua_State* L);
int lua_loadScriptFromFile(lua_State* L);
int lua_createScriptState(lua_State* L);

// The Retry/Cancel box of a script that failed to load or run: the caption
// tells the Lua status, the text is the script's name and the error on top of
// L's stack. Returns the chosen button.
int showScriptLoadError(int status, const std::string& name, lua_State* L);

// The game window, owner of every box and dialog the scripts open (null before it exists).
host::ui::Window* mainWindow();

// Globals that only answer a fixed value or do nothing.
template <int Value>
int lua_returnNumber(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, Value);
  return 1;
}
template <bool Value>
int lua_returnBoolean(lua_State* L) {
  lua_settop(L, 0);
  lua_pushboolean(L, Value);
  return 1;
}
int lua_doNothing(lua_State* L);

// General services (rk_script_system_general.cpp).
int lua_exitGame(lua_State* L);
int lua_resetCancelFlag(lua_State* L);
int lua_isCancel(lua_State* L);
int lua_getDT(lua_State* L);
int lua_setFixFrame(lua_State* L);
int lua_isVisibleCollision(lua_State* L);
int lua_setVisibleCollision(lua_State* L);
int lua_setDebugCollisonCameraNo(lua_State* L);
int lua_ToMeter(lua_State* L);
int lua_setNormalPause(lua_State* L);
int lua_isNormalPause(lua_State* L);
int lua_checkStringIncludeBack(lua_State* L);
int lua_sleepThread(lua_State* L);
int lua_getGlobalMemoryByPar(lua_State* L);

// Named numbers, texts and flags of rk::GlobalVariable (rk_script_system_variables.cpp).
int lua_setGlobalVariable(lua_State* L);
int lua_getGlobalVariable(lua_State* L);
int lua_getGlobalString(lua_State* L);
int lua_setGlobalString(lua_State* L);
int lua_getGlobalBoolean(lua_State* L);
int lua_setGlobalBoolean(lua_State* L);

// Message boxes and font dialogs (rk_script_system_dialogs.cpp).
int lua_askMessageBox(lua_State* L);
int lua_warningMessageBox(lua_State* L);
int lua_MesssageWindow(lua_State* L);
int lua_chooseGameFont(lua_State* L);
int lua_selectFont(lua_State* L);

}  // namespace rk::script::system
