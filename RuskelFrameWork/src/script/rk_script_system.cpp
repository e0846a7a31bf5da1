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

// The system table, in registration order (76 globals). The script-state
// table registered later replaces "setTaskPause" with the same behaviour, and
// the font table replaces "changeUserFont".
const LuaFunctionPair kSystemTable[] = {
    {guarded<lua_exitGame>, "exitGame"},
    {guarded<lua_loadScript>, "loadScript"},
    {guarded<lua_entryCoRoutine>, "entryCoRoutine"},
    {guarded<lua_entryDestructer>, "entryDestructer"},
    {guarded<lua_entryDataLoad>, "entryDataLoad"},
    {guarded<lua_entryReady>, "entryReady"},
    {guarded<lua_entryInitialize>, "entryInitialize"},
    {guarded<lua_loadUserLibrary>, "loadUserLibrary"},
    {guarded<lua_resetCancelFlag>, "resetCancelFlag"},
    {guarded<lua_isCancel>, "isCancel"},
    {guarded<lua_registerEventMouseLButtonDown>, "registerEventMouseLButtonDown"},
    {guarded<lua_registerEventMouseLButtonUp>, "registerEventMouseLButtonUp"},
    {guarded<lua_registerEventMouseRButtonDown>, "registerEventMouseRButtonDown"},
    {guarded<lua_registerEventMouseRButtonUp>, "registerEventMouseRButtonUp"},
    {guarded<lua_registerEventMouseMove>, "registerEventMouseMove"},
    {guarded<lua_clearWindowEvent>, "clearWindowEvent"},
    {guarded<lua_getDT>, "getDT"},
    {guarded<lua_setFixFrame>, "setFixFrame"},
    {guarded<lua_isVisibleCollision>, "isVisibleCollision"},
    {guarded<lua_setVisibleCollision>, "setVisibleCollision"},
    {lua_doNothing, "displayTaskNumTTY"},
    {lua_doNothing, "displayCollisionNumTTY"},
    {guarded<lua_ToMeter>, "ToMeter"},
    {guarded<lua_chooseGameFont>, "chooseGameFont"},
    {guarded<lua_includeModule>, "includeModule"},
    {guarded<lua_loadScriptFromFile>, "loadScriptFromFile"},
    {guarded<lua_setGlobalVariable>, "setGlobalVariable"},
    {guarded<lua_getGlobalVariable>, "getGlobalVariable"},
    {guarded<lua_getGlobalString>, "getGlobalString"},
    {guarded<lua_setGlobalString>, "setGlobalString"},
    {guarded<lua_getGlobalBoolean>, "getGlobalBoolean"},
    {guarded<lua_setGlobalBoolean>, "setGlobalBoolean"},
    {guarded<lua_setNormalPause>, "setNormalPause"},
    {guarded<lua_isNormalPause>, "isNormalPause"},
    {lua_returnBoolean<false>, "isDebugMenuValid"},
    {guarded<lua_askMessageBox>, "askMessageBox"},
    {guarded<lua_checkStringIncludeBack>, "checkStringIncludeBack"},
    {guarded<lua_warningMessageBox>, "warningMessageBox"},
    {guarded<lua_setDebugCollisonCameraNo>, "setDebugCollisonCameraNo"},
    {guarded<lua_getNowScriptPriority>, "getNowScriptPriority"},
    {guarded<lua_selectFont>, "selectFont"},
    {lua_doNothing, "changeUserFont"},  // the font table's global of this name is the one in force
    {guarded<lua_runFileQuae>, "runFileQuae"},
    {lua_returnBoolean<true>, "isWindowAcquire"},
    {lua_doNothing, "LUA_OutputDebugString"},
    {guarded<lua_sleepThread>, "sleepThread"},
    {guarded<lua_MesssageWindow>, "MesssageWindow"},
    {lua_returnNumber<host::ui::MB_OK>, "MESWND_OK"},
    {lua_returnNumber<host::ui::MB_OKCANCEL>, "MESWND_OKCANCEL"},
    {lua_returnNumber<host::ui::MB_ABORTRETRYIGNORE>, "MESWND_ABORTRETRYIGNORE"},
    {lua_returnNumber<host::ui::MB_YESNOCANCEL>, "MESWND_YESNOCANCEL"},
    {lua_returnNumber<host::ui::MB_YESNO>, "MESWND_YESNO"},
    {lua_returnNumber<host::ui::MB_RETRYCANCEL>, "MESWND_RETRYCANCEL"},
    {lua_returnNumber<host::ui::MB_CANCELTRYCONTINUE>, "MESWND_CANCELTRYCONTINUE"},
    {lua_returnNumber<host::ui::MB_ICONHAND>, "MESWND_ICONHAND"},
    {lua_returnNumber<host::ui::MB_ICONSTOP>, "MESWND_ICONSTOP"},
    {lua_returnNumber<host::ui::MB_ICONERROR>, "MESWND_ICONERROR"},
    {lua_returnNumber<host::ui::MB_ICONQUESTION>, "MESWND_ICONQUESTION"},
    {lua_returnNumber<host::ui::MB_ICONEXCLAMATION>, "MESWND_ICONEXCLAMATION"},
    {lua_returnNumber<host::ui::MB_ICONWARNING>, "MESWND_ICONWARNING"},
    {lua_returnNumber<host::ui::MB_ICONASTERISK>, "MESWND_ICONASTERISK"},
    {lua_returnNumber<host::ui::MB_ICONINFORMATION>, "MESWND_ICONINFORMATION"},
    {lua_returnNumber<host::ui::IDOK>, "MESID_OK"},
    {lua_returnNumber<host::ui::IDCANCEL>, "MESID_CANCEL"},
    {lua_returnNumber<host::ui::IDABORT>, "MESID_ABORT"},
    {lua_returnNumber<host::ui::IDRETRY>, "MESID_RETRY"},
    {lua_returnNumber<host::ui::IDIGNORE>, "MESID_IGNORE"},
    {lua_returnNumber<host::ui::IDYES>, "MESID_YES"},
    {lua_returnNumber<host::ui::IDNO>, "MESID_NO"},
    {lua_returnNumber<host::ui::IDTRYAGAIN>, "MESID_TRYAGAIN"},
    {lua_returnNumber<host::ui::IDCONTINUE>, "MESID_CONTINUE"},
    {lua_returnBoolean<true>, "isPackRom"},
    {lua_returnBoolean<true>, "CheckMemory"},
    {lua_doNothing, "dumpMemory"},
    {guarded<lua_setTaskPause>, "setTaskPause"},
    {guarded<lua_getGlobalMemoryByPar>, "getGlobalMemoryByPar"},
};
static_assert(sizeof kSystemTable / sizeof kSystemTable[0] == 76, "the system table holds 76 globals");

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
