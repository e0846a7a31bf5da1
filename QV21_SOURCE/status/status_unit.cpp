#include "status/status_unit.h"

#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"

namespace status {

const rk::script::LuaClass kShieldGaugeClass{"status::ShieldGauge"};
const rk::script::LuaClass kStatusUnitClass{"status::StatusUnit",
                                            rk::script::castToInterface<StatusUnit, rk::policy::SharedObject>};

namespace {

ShieldValue* shieldArg(lua_State* L, const char* method) {
  auto* gauge = rk::script::toLuaObject<ShieldGauge>(L, 1, kShieldGaugeClass);
  if (!gauge) rk::script::reportNullObject(method);
  return gauge ? &gauge->value() : nullptr;
}

int lua_setMaxGauge(lua_State* L) {
  if (ShieldValue* v = shieldArg(L, "status::ShieldGauge::lua_setMaxGauge")) v->max_ = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_setNowGauge(lua_State* L) {
  if (ShieldValue* v = shieldArg(L, "status::ShieldGauge::lua_setNowGauge")) v->setNow(rk::script::toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

template <float ShieldValue::*Field>
int lua_getField(lua_State* L) {
  ShieldValue* v = shieldArg(L, "status::ShieldGauge::lua_getGauge");
  const float value = v ? v->*Field : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

int lua_calcLerp(lua_State* L) {
  ShieldValue* v = shieldArg(L, "status::ShieldGauge::lua_calcLerp");
  const float lerp = v ? v->calcLerp() : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, lerp);
  return 1;
}

const luaL_Reg kShieldMethods[] = {
    {"setMaxGauge", lua_setMaxGauge},
    {"getMaxGauge", lua_getField<&ShieldValue::max_>},
    {"setNowGauge", lua_setNowGauge},
    {"getNowGauge", lua_getField<&ShieldValue::now_>},
    {"calcLerp", lua_calcLerp},
    {nullptr, nullptr},
};

}  // namespace

void ShieldGauge::registerMethods(lua_State* L) { rk::script::setMethods(L, kShieldMethods); }

void ShieldGauge::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<ShieldGauge, kShieldGaugeClass>);
}

namespace {

constexpr const char* kSource = "QV21_SOURCE/status/status_unit";

StatusUnit* unitArg(lua_State* L, const char* method) {
  auto* unit = rk::script::toLuaObject<StatusUnit>(L, 1, kStatusUnitClass);
  if (!unit) rk::script::reportNullObject(method);
  return unit;
}

int lua_entryShieldGauge(lua_State* L) {
  StatusUnit* unit = unitArg(L, "status::StatusUnit::lua_entryShieldGauge");
  auto* gauge = rk::script::toLuaObject<ShieldGauge>(L, 2, kShieldGaugeClass);
  if (unit && gauge) unit->record().shield_gauge_ = gauge;
  lua_settop(L, 0);
  return 0;
}

// Takes its two arguments and does nothing with them.
int lua_entryStatusStringUnit(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

int lua_setVisible(lua_State* L) {
  if (StatusUnit* unit = unitArg(L, "status::StatusUnit::lua_setVisible"))
    unit->record().visible_ = rk::script::toBoolArg(L, 2);
  lua_settop(L, 0);
  return 0;
}

int lua_getRef(lua_State* L) {
  StatusUnit* unit = unitArg(L, "status::StatusUnit::lua_getRef");
  const int count = unit ? unit->count() : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, count);
  return 1;
}

const luaL_Reg kUnitMethods[] = {
    {"entryShieldGauge", lua_entryShieldGauge},
    {"entryStatusStringUnit", lua_entryStatusStringUnit},
    {"setVisible", lua_setVisible},
    {"getRef", lua_getRef},
    {nullptr, nullptr},
};

}  // namespace

StatusUnit* StatusUnit::getInstance() {
  auto* unit = static_cast<StatusUnit*>(rk::instanceSlot(rk::InstanceSlot::StatusUnit));
  if (!unit) rk::debug::writeErrorLog(kSource, 311, "status::StatusUnit::getInstance");
  return unit;
}

void StatusUnit::destroy() {
  if (rk::instanceSlot(rk::InstanceSlot::StatusUnit) == this) rk::instanceSlot(rk::InstanceSlot::StatusUnit) = nullptr;
}

void StatusUnit::registerMethods(lua_State* L) { rk::script::setMethods(L, kUnitMethods); }

void StatusUnit::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, rk::script::lua_gcReleaseSharedObject); }

int lua_createGameStatusUnit(lua_State* L) {
  lua_settop(L, 0);
  auto* unit = static_cast<StatusUnit*>(rk::instanceSlot(rk::InstanceSlot::StatusUnit));
  if (!unit) {
    unit = new StatusUnit();
    rk::instanceSlot(rk::InstanceSlot::StatusUnit) = unit;
  }
  unit->addRef();
  return rk::script::pushLuaObject(L, *unit, unit, kStatusUnitClass);
}

int lua_createGameStatusShiledGauge(lua_State* L) {
  auto* gauge = new ShieldGauge();
  return rk::script::pushLuaObject(L, *gauge, gauge, kShieldGaugeClass);
}

}  // namespace status
