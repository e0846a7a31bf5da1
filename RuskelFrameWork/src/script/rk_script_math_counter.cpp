// Counter script objects. Each holds one reference to a shared counter; the
// collector drops it, and the last release unregisters and deletes the counter.
#include "kernel/rk_error_log.h"
#include "math/rk_counter_manager.h"
#include "rk_script_math_internal.h"
#include "script/rk_lua_shared_methods.h"

namespace rk::script::math {

using rk::math::Counter;
using rk::math::CounterManager;

namespace {

const LuaClass kCounterClass{"rk::math::Counter", castToInterface<Counter, task::Task, policy::SharedObject>};

Counter* counter(lua_State* L, const char* name) {
  auto* c = toLuaObject<Counter>(L, 1, kCounterClass);
  if (!c) reportNullObject(name);
  return c;
}

int lua_Counter_reset(lua_State* L) {
  if (Counter* c = counter(L, "rk::script::math::`anonymous-namespace'::lua_Counter_reset")) c->reset();
  lua_settop(L, 0);
  return 0;
}

int lua_Counter_getSec(lua_State* L) {
  Counter* c = counter(L, "rk::script::math::`anonymous-namespace'::lua_Counter_getSec");
  lua_settop(L, 0);
  return c ? pushNumbers(L, {c->value()}) : 0;
}

// The rate is kept within [0, 1]; a NaN counts as 0.
int lua_Counter_setDtPar(lua_State* L) {
  if (Counter* c = counter(L, "rk::script::math::`anonymous-namespace'::lua_Counter_setDtPar")) {
    float rate = toFloatArg(L, 2);
    if (!(rate > 0.0f)) rate = 0.0f;
    if (rate > 1.0f) rate = 1.0f;
    c->setRate(rate);
  }
  lua_settop(L, 0);
  return 0;
}

int pushCounter(lua_State* L, Counter* c);

int lua_Counter_clone(lua_State* L) {
  Counter* c = counter(L, "rk::script::math::`anonymous-namespace'::lua_Counter_clone");
  lua_settop(L, 0);
  if (!c) return 0;
  Counter* copy = c->clone();
  return copy ? pushCounter(L, copy) : 0;
}

int lua_Counter___gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kCounterClass && block->object) {
    auto* c = static_cast<Counter*>(block->object);
    block->object = nullptr;
    c->release(kSource, 1861);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kCounterMethods[] = {
    {"stop", task::lua_task::lua_command_stop},
    {"start", task::lua_task::lua_command_run},
    {"reset", lua_Counter_reset},
    {"getSec", lua_Counter_getSec},
    {"setDtPar", lua_Counter_setDtPar},
    {"clone", lua_Counter_clone},
    {nullptr, nullptr},
};

// The userdata takes over the reference that `c` carries.
int pushCounter(lua_State* L, Counter* c) {
  return pushLuaObject(L, c, kCounterClass, kCounterMethods, lua_Counter___gc);
}

}  // namespace

// kind, name: a name that is neither a string nor a number counts as absent,
// which, like the empty name, makes a new unshared counter. Without a counter
// manager (reported by its accessor) there is no result.
int createCounter(lua_State* L) {
  const int kind = toIntArg(L, 1);
  const std::string name = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  CounterManager* manager = CounterManager::getInstance();
  if (!manager) return 0;
  return pushCounter(L, manager->getCounter(kind, name.c_str()));
}

}  // namespace rk::script::math
