#include "script/rk_script_system.h"

#include <string>

#include "fs/rk_file_manager.h"
#include "host/clock.h"
#include "host/ui.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "rk_script_system_internal.h"
#include "task/rk_script_task.h"

namespace rk::script {

task::ScriptTask* currentScriptTask(lua_State* L) {
  ScriptState* state = scriptStateOf(L);
  return state ? state->ownerTask() : nullptr;
}

namespace system {
namespace {

int lua_loadScript(lua_State* L) {
  const char* name = toTextArg(L, 1);
  const std::string scriptName = name ? name : "";
  const int priority = toIntArg(L, 2);
  lua_settop(L, 0);
  if (!name || !singletonExists(InstanceSlot::TaskManager)) {
    reportNullObject("rk::script::system::`anonymous-namespace'::loadScript");
    return 0;
  }
  std::string parent;
  const char* parentName = nullptr;
  if (task::ScriptTask* current = currentScriptTask(L)) {
    if (const char* currentName = current->currentScriptName()) {
      parent = currentName;
      parentName = parent.c_str();
    }
  }
  // Alive and inactive: it starts when the script calls its run method.
  auto* created = new task::ScriptTask(scriptName.c_str(), priority, parentName);
  return created->pushScriptObject(L);
}

int setEntry(lua_State* L, ScriptState::Phase phase, const char* functionName, int line) {
  const std::string function = toTextOrEmpty(L, 1);
  const std::string argument = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  task::ScriptTask* current = currentScriptTask(L);
  if (!current || !current->state()) {
    debug::writeErrorLog(kSource, line, functionName);
    return 0;
  }
  current->state()->setEntry(phase, function, argument);
  return 0;
}

int lua_entryDestructer(lua_State* L) {
  return setEntry(L, ScriptState::kDestructer, "rk::script::system::`anonymous-namespace'::entryDestructer", 189);
}
int lua_entryCoRoutine(lua_State* L) {
  return setEntry(L, ScriptState::kCoRoutine, "rk::script::system::`anonymous-namespace'::entryCoRoutine", 216);
}
int lua_entryDataLoad(lua_State* L) {
  return setEntry(L, ScriptState::kDataLoad, "rk::script::system::`anonymous-namespace'::entryDataLoad", 248);
}
int lua_entryReady(lua_State* L) {
  return setEntry(L, ScriptState::kReady, "rk::script::system::`anonymous-namespace'::entryReady", 275);
}
int lua_entryInitialize(lua_State* L) {
  return setEntry(L, ScriptState::kInitialize, "rk::script::system::`anonymous-namespace'::entryInitialize", 305);
}

int lua_loadUserLibrary(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  if (!singletonExists(InstanceSlot::ScriptStateManager)) return 0;
  if (const auto* library = ScriptStateManager::getInstance()->findUserLibrary(name.c_str()))
    registerLuaFunctions(L, library->pairs, library->count);
  return 0;
}

int registerMouse(lua_State* L, int kind) {
  const std::string function = toTextOrEmpty(L, 1);
  const std::string argument = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  if (task::ScriptTask* current = currentScriptTask(L))
    current->registerMouseEvent(kind, function.c_str(), argument.c_str());
  return 0;
}

int lua_registerEventMouseLButtonDown(lua_State* L) { return registerMouse(L, ScriptState::kLButtonDown); }
int lua_registerEventMouseLButtonUp(lua_State* L) { return registerMouse(L, ScriptState::kLButtonUp); }
int lua_registerEventMouseMove(lua_State* L) { return registerMouse(L, ScriptState::kMouseMove); }
int lua_registerEventMouseRButtonDown(lua_State* L) { return registerMouse(L, ScriptState::kRButtonDown); }
int lua_registerEventMouseRButtonUp(lua_State* L) { return registerMouse(L, ScriptState::kRButtonUp); }

int lua_clearWindowEvent(lua_State* L) {
  lua_settop(L, 0);
  task::ScriptTask* current = currentScriptTask(L);
  if (current && current->state()) current->state()->clearMouseEvents();
  return 0;
}

int lua_getNowScriptPriority(lua_State* L) {
  lua_settop(L, 0);
  task::ScriptTask* current = currentScriptTask(L);
  lua_pushnumber(L, current ? current->priority() : 0);
  return 1;
}

// One step of a script's waiting loop: deliver file chunks, handle one window
// message, sleep 1 ms.
int lua_runFileQuae(lua_State* L) {
  lua_settop(L, 0);
  if (singletonExists(InstanceSlot::FileManager)) fs::FileManager::getInstance()->notify();
  host::ui::Message message;
  if (host::ui::peekMessage(&message)) {
    if (message.message == host::ui::WM_QUIT) {
      host::ui::postQuitMessage(0);  // the run loop must still see it
    } else {
      host::ui::dispatchMessage(message);
    }
  }
  host::clock::sleepMs(1);
  return 0;
}

int lua_setTaskPause(lua_State* L) {
  const int priority = toIntArg(L, 1);
  const bool pause = toBoolArg(L, 2);
  lua_settop(L, 0);
  if (singletonExists(InstanceSlot::TaskManager)) task::TaskManager::getInstance()->setPause(priority, pause);
  return 0;
}

// The system table, in registration order. The general services (exit,
// timing, global variables, boxes, fonts and the rest) take their places
// between these as they are built.
const LuaFunctionPair kSystemTable[] = {
    {guarded<lua_loadScript>, "loadScript"},
    {guarded<lua_entryCoRoutine>, "entryCoRoutine"},
    {guarded<lua_entryDestructer>, "entryDestructer"},
    {guarded<lua_entryDataLoad>, "entryDataLoad"},
    {guarded<lua_entryReady>, "entryReady"},
    {guarded<lua_entryInitialize>, "entryInitialize"},
    {guarded<lua_loadUserLibrary>, "loadUserLibrary"},
    {guarded<lua_registerEventMouseLButtonDown>, "registerEventMouseLButtonDown"},
    {guarded<lua_registerEventMouseLButtonUp>, "registerEventMouseLButtonUp"},
    {guarded<lua_registerEventMouseRButtonDown>, "registerEventMouseRButtonDown"},
    {guarded<lua_registerEventMouseRButtonUp>, "registerEventMouseRButtonUp"},
    {guarded<lua_registerEventMouseMove>, "registerEventMouseMove"},
    {guarded<lua_clearWindowEvent>, "clearWindowEvent"},
    {guarded<lua_includeModule>, "includeModule"},
    {guarded<lua_loadScriptFromFile>, "loadScriptFromFile"},
    {guarded<lua_getNowScriptPriority>, "getNowScriptPriority"},
    {guarded<lua_runFileQuae>, "runFileQuae"},
    {guarded<lua_setTaskPause>, "setTaskPause"},
};

const LuaFunctionPair kScriptStateTable[] = {
    {guarded<lua_createScriptState>, "createScriptState"},
    {guarded<lua_setTaskPause>, "setTaskPause"},
};

}  // namespace
}  // namespace system

LuaFunctionTable systemFunctionTable() {
  return {system::kSystemTable, static_cast<int>(sizeof system::kSystemTable / sizeof system::kSystemTable[0])};
}

LuaFunctionTable scriptStateFunctionTable() {
  return {system::kScriptStateTable,
          static_cast<int>(sizeof system::kScriptStateTable / sizeof system::kScriptStateTable[0])};
}

}  // namespace rk::script
