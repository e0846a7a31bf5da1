// The system table (the second global table): ending the game, the
// script-control globals (starting script tasks, phase entries, user libraries,
// module inclusion, running script files, the file-manager pump, mouse
// handlers, task pauses), timing, the cancel key, global variables, the normal
// pause, message boxes and font dialogs. Also the script-state table (the
// fifteenth): script-state objects and the task pause.
#pragma once
#include <lua.hpp>

#include "script/rk_script.h"

namespace rk::task { class ScriptTask; }

namespace rk::script {

LuaFunctionTable systemFunctionTable();
LuaFunctionTable scriptStateFunctionTable();

// The script task whose state `L` belongs to: the script that is calling.
// Null when the state has no task.
task::ScriptTask* currentScriptTask(lua_State* L);

}  // namespace rk::script
