// The script-state object of createScriptState: a state held by a script,
// whose phase and entries it may set. Its collector closes and frees the state.
#include <string>

#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "script/rk_script.h"
#include "rk_script_system_internal.h"

namespace rk::script::system {

namespace {

const LuaClass kScriptStateClass{"rk::script::ScriptState"};

ScriptState* stateArg(lua_State* L, const char* name) {
  auto* state = toLuaObject<ScriptState>(L, 1, kScriptStateClass);
  if (!state) reportNullObject(name);
  return state;
}

int lua_ScriptState_isReady(lua_State* L) {
  ScriptState* state = stateArg(L, "rk::script::system::`anonymous-namespace'::lua_ScriptState_isReady");
  lua_settop(L, 0);
  lua_pushboolean(L, state && state->phase() == ScriptState::kReady);
  return 1;
}

int lua_ScriptState_getReady(lua_State* L) {
  if (ScriptState* state = stateArg(L, "rk::script::system::`anonymous-namespace'::lua_ScriptState_getReady"))
    state->setPhase(ScriptState::kInitialize);
  lua_settop(L, 0);
  return 0;
}

int setFunction(lua_State* L, ScriptState::Phase phase, const char* name) {
  const std::string function = toTextOrEmpty(L, 2);
  if (ScriptState* state = stateArg(L, name)) state->setEntry(phase, function, state->entry(phase).field);
  lua_settop(L, 0);
  return 0;
}

int lua_ScriptState_entryInitalize(lua_State* L) {
  return setFunction(L, ScriptState::kInitialize, "rk::script::system::`anonymous-namespace'::lua_ScriptState_entryInitalize");
}
int lua_ScriptState_entryDataLoad(lua_State* L) {
  return setFunction(L, ScriptState::kDataLoad, "rk::script::system::`anonymous-namespace'::lua_ScriptState_entryDataLoad");
}
int lua_ScriptState_entryCoRoutine(lua_State* L) {
  return setFunction(L, ScriptState::kCoRoutine, "rk::script::system::`anonymous-namespace'::lua_ScriptState_entryCoRoutine");
}
int lua_ScriptState_entryDestructer(lua_State* L) {
  return setFunction(L, ScriptState::kDestructer,
                     "rk::script::system::`anonymous-namespace'::lua_ScriptState_entryDestructer");
}

int lua_ScriptState_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kScriptStateClass && block->object) {
    auto* state = static_cast<ScriptState*>(block->object);
    block->object = nullptr;
    if (singletonExists(InstanceSlot::ScriptStateManager))
      ScriptStateManager::getInstance()->releaseScriptState(state);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"isReady", guarded<lua_ScriptState_isReady>},
    {"getReady", guarded<lua_ScriptState_getReady>},
    {"entryInitalize", guarded<lua_ScriptState_entryInitalize>},
    {"entryDataLoad", guarded<lua_ScriptState_entryDataLoad>},
    {"entryCoRoutine", guarded<lua_ScriptState_entryCoRoutine>},
    {"entryDestructer", guarded<lua_ScriptState_entryDestructer>},
    {nullptr, nullptr},
};

}  // namespace

int lua_createScriptState(lua_State* L) {
  lua_settop(L, 0);
  if (!singletonExists(InstanceSlot::ScriptStateManager)) return 0;
  ScriptState* state = ScriptStateManager::getInstance()->createScriptState();
  return pushLuaObject(L, state, kScriptStateClass, kMethods, guarded<lua_ScriptState_gc>);
}

}  // namespace rk::script::system
