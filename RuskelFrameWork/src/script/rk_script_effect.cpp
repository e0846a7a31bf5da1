// The effect table: "createEffectUnit", "findEffectUnit", "createEffectHandle",
// and the methods of unit and handle objects. Each object holds one counted
// reference, dropped by its collector. A method handed anything but its own
// kind of object reports it and does nothing; a name that is neither a string
// nor a number is treated as an unknown name.
#include "script/rk_script_effect.h"

#include <string>

#include "effect/rk_effect_handle.h"
#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "kernel/rk_hr_exception.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_math.h"

namespace rk::script {

namespace effect {

using rk::effect::EffectHandle;
using rk::effect::EffectSystem;
using rk::effect::EffectUnit;

const LuaClass kEffectUnitClass{"rk::effect::EffectUnit", castToInterface<EffectUnit, policy::SharedObject>};
const LuaClass kEffectHandleClass{"rk::effect::EffectHandle", castToInterface<EffectHandle, policy::SharedObject>};

namespace {

#define RK_EFFECT_BINDING(name) "rk::effect::`anonymous-namespace'::" name

EffectUnit* selfUnit(lua_State* L, const char* binding) {
  auto* unit = toLuaObject<EffectUnit>(L, 1, kEffectUnitClass);
  if (!unit) reportNullObject(binding);
  return unit;
}

EffectHandle* selfHandle(lua_State* L, const char* binding) {
  auto* handle = toLuaObject<EffectHandle>(L, 1, kEffectHandleClass);
  if (!handle) reportNullObject(binding);
  return handle;
}

int pushBool(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

int nothing(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

rk::math::Vector4 vectorArg(lua_State* L, int first) {
  return {toFloatArg(L, first), toFloatArg(L, first + 1), toFloatArg(L, first + 2), 0.0f};
}

// Position from `first`; rotation and scale each from the next group unless
// that group's first argument is nil (an absent argument counts as given).
void transformArgs(lua_State* L, int first, rk::math::Vector4& position, rk::math::Vector4& rotation, rk::math::Vector4& scale) {
  position = vectorArg(L, first);
  rotation = {0.0f, 0.0f, 0.0f, 0.0f};
  scale = {1.0f, 1.0f, 1.0f, 0.0f};
  if (lua_type(L, first + 3) == LUA_TNIL) return;
  rotation = vectorArg(L, first + 3);
  if (lua_type(L, first + 6) == LUA_TNIL) return;
  scale = vectorArg(L, first + 6);
}

// --------------------------------------------------------------- globals

int lua_createEffectUnit(lua_State* L) {
  const int camera = toIntArg(L, 1), priority = toIntArg(L, 2), a = toIntArg(L, 3), b = toIntArg(L, 4),
            c = toIntArg(L, 5), maxInstances = toIntArg(L, 6);
  lua_settop(L, 0);
  EffectSystem* system = EffectSystem::getInstance();
  if (!system) return 0;
  EffectUnit* unit = system->createEffectUnit(camera, priority, a, b, c, maxInstances);
  const int results = pushEffectUnit(L, unit);
  unit->release("src/script/rk_script_effect", 62);  // the object holds its own
  return results;
}

int lua_findEffectUnit(lua_State* L) {
  const int camera = toIntArg(L, 1);
  lua_settop(L, 0);
  EffectSystem* system = EffectSystem::getInstance();
  EffectUnit* unit = system ? system->getEffectUnit(camera) : nullptr;
  if (!unit) return 0;  // no unit: nil rather than an object around nothing
  const int results = pushEffectUnit(L, unit);
  unit->release("src/script/rk_script_effect", 78);
  return results;
}

int lua_createEffectHandle(lua_State* L) {
  EffectUnit* unit = toLuaObject<EffectUnit>(L, 1, kEffectUnitClass);
  const std::string name = toTextOrEmpty(L, 2);
  if (!unit) {
    reportNullObject(RK_EFFECT_BINDING("lua_createEffectHandle"));
    return nothing(L);
  }
  auto* handle = new (std::nothrow) EffectHandle(unit, name);
  if (!handle) throw HrException(host::E_OUTOFMEMORY, "src/script/rk_script_effect", 103, L"*pp");
  return pushEffectHandle(L, handle);
}

// ---------------------------------------------------------- unit methods

int lua_EffectUnit_load(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_load"));
  const char* name = toTextArg(L, 2);
  return pushBool(L, unit && name && unit->loadEffect(name));
}

int lua_EffectUnit_setup(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_setup"));
  const char* name = toTextArg(L, 2);
  return pushBool(L, unit && name && unit->setupEffect(name));
}

int lua_EffectUnit_setupAll(lua_State* L) {
  if (EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_setupAll"))) unit->setupAll();
  return nothing(L);
}

int lua_EffectUnit_isSetupAll(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_isSetupAll"));
  return pushBool(L, unit && unit->isSetupAll());
}

int lua_EffectUnit_play(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_play"));
  if (!unit) return nothing(L);
  const char* text = toTextArg(L, 2);
  const std::string name = text ? text : "";
  // Without a position: a handle with no name that plays nothing.
  if (lua_type(L, 3) == LUA_TNIL) {
    lua_settop(L, 0);
    auto* handle = new (std::nothrow) EffectHandle(unit, "");
    if (!handle) throw HrException(host::E_OUTOFMEMORY, "src/effect/rk_effect_unit", 928, L"handle");
    return pushEffectHandle(L, handle);
  }
  rk::math::Vector4 position, rotation, scale;
  transformArgs(L, 3, position, rotation, scale);
  lua_settop(L, 0);
  auto* handle = new (std::nothrow) EffectHandle(unit, name);
  if (!handle) throw HrException(host::E_OUTOFMEMORY, "src/effect/rk_effect_unit", 928, L"handle");
  if (text) handle->setInstance(unit->play(name, position, rotation, scale));
  return pushEffectHandle(L, handle);
}

int lua_EffectUnit_stop(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_stop"));
  if (unit && !lua_isnoneornil(L, 2)) {
    if (EffectHandle* handle = toLuaObject<EffectHandle>(L, 2, kEffectHandleClass))
      handle->stop();
    else
      reportNullObject(RK_EFFECT_BINDING("lua_EffectUnit_stop"));
  }
  return nothing(L);
}

int lua_EffectUnit_isAlive(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_isAlive"));
  EffectHandle* handle = toLuaObject<EffectHandle>(L, 2, kEffectHandleClass);
  return pushBool(L, unit && handle && handle->instance() >= 0 && unit->manager().exists(handle->instance()));
}

int lua_EffectUnit_release(lua_State* L) {
  EffectUnit* unit = selfUnit(L, RK_EFFECT_BINDING("lua_EffectUnit_release"));
  const char* name = toTextArg(L, 2);
  if (unit && name) unit->removeEffect(name);
  return nothing(L);
}

const luaL_Reg kUnitMethods[] = {
    {"load", lua_EffectUnit_load},
    {"setup", lua_EffectUnit_setup},
    {"setupAll", lua_EffectUnit_setupAll},
    {"isSetupAll", lua_EffectUnit_isSetupAll},
    {"play", guarded<lua_EffectUnit_play>},
    {"stop", lua_EffectUnit_stop},
    {"isAlive", lua_EffectUnit_isAlive},
    {"release", lua_EffectUnit_release},
    {nullptr, nullptr},
};

// -------------------------------------------------------- handle methods

int lua_EffectHandle_isAlive(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_isAlive"));
  return pushBool(L, handle && handle->isAlive());
}

int lua_EffectHandle_playEffect(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_playEffect"));
  if (handle) {
    rk::math::Vector4 position, rotation, scale;
    transformArgs(L, 2, position, rotation, scale);
    handle->playEffect(position, rotation, scale);
  }
  return nothing(L);
}

int lua_EffectHandle_stop(lua_State* L) {
  if (EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_stop"))) handle->stop();
  return nothing(L);
}

int lua_EffectHandle_setEffectShown(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_setEffectShown"));
  if (handle) handle->setShown(toBoolArg(L, 2));
  return nothing(L);
}

int lua_EffectHandle_setPos(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_setPos"));
  if (handle) handle->setPos(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4));
  return nothing(L);
}

int lua_EffectHandle_setMatrix(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_setMatrix"));
  if (handle) {
    if (const rk::math::Matrix* matrix = rk::script::math::toMatrix(L, 2))
      handle->setMatrix(*matrix);
    else
      reportNullObject(RK_EFFECT_BINDING("lua_EffectHandle_setMatrix"));
  }
  return nothing(L);
}

int lua_EffectHandle_getCameraNo(lua_State* L) {
  EffectHandle* handle = selfHandle(L, RK_EFFECT_BINDING("lua_EffectHandle_getCameraNo"));
  lua_settop(L, 0);
  if (!handle) return 0;
  lua_pushinteger(L, handle->owner()->cameraNumber());
  return 1;
}

const luaL_Reg kHandleMethods[] = {
    {"isAlive", lua_EffectHandle_isAlive},
    {"playEffect", lua_EffectHandle_playEffect},
    {"stop", lua_EffectHandle_stop},
    {"setEffectShown", lua_EffectHandle_setEffectShown},
    {"setPos", lua_EffectHandle_setPos},
    {"setMatrix", lua_EffectHandle_setMatrix},
    {"getCameraNo", lua_EffectHandle_getCameraNo},
    {nullptr, nullptr},
};

// Drops the block's reference. A release that fails has already written its
// log entry; the exception must not cross the collector.
template <class T>
int releaseBlock(lua_State* L, const LuaClass& cls, const char* file, int line) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &cls && block->object) {
    T* object = static_cast<T*>(block->object);
    block->object = nullptr;
    try {
      object->release(file, line);
    } catch (const std::exception&) {
    }
  }
  lua_settop(L, 0);
  return 0;
}

const LuaFunctionPair kEffectFunctions[] = {
    {guarded<lua_createEffectUnit>, "createEffectUnit"},
    {guarded<lua_findEffectUnit>, "findEffectUnit"},
    {guarded<lua_createEffectHandle>, "createEffectHandle"},
};

}  // namespace

const luaL_Reg* unitMethods() { return kUnitMethods; }
const luaL_Reg* handleMethods() { return kHandleMethods; }

int unitCollector(lua_State* L) {
  return releaseBlock<EffectUnit>(L, kEffectUnitClass, "src/effect/rk_effect_unit", 1020);
}

int handleCollector(lua_State* L) {
  return releaseBlock<EffectHandle>(L, kEffectHandleClass, "src/effect/rk_effect_handle", 217);
}

int pushEffectUnit(lua_State* L, EffectUnit* unit) {
  if (!unit) {
    lua_settop(L, 0);
    return 0;
  }
  unit->addRef();
  return pushLuaObject(L, *unit, static_cast<void*>(unit), kEffectUnitClass);
}

int pushEffectHandle(lua_State* L, EffectHandle* handle) {
  if (!handle) {
    lua_settop(L, 0);
    return 0;
  }
  handle->addRef();
  return pushLuaObject(L, *handle, static_cast<void*>(handle), kEffectHandleClass);
}

}  // namespace effect

LuaFunctionTable effectFunctionTable() {
  return {effect::kEffectFunctions,
          static_cast<int>(sizeof effect::kEffectFunctions / sizeof effect::kEffectFunctions[0])};
}

}  // namespace rk::script
