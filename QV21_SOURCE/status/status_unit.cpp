#include "status/status_unit.h"

#include "script/rk_lua_arg.h"

namespace status {

const rk::script::LuaClass kShieldGaugeClass{"status::ShieldGauge"};

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

int lua_createGameStatusShiledGauge(lua_State* L) {
  auto* gauge = new ShieldGauge();
  return rk::script::pushLuaObject(L, *gauge, gauge, kShieldGaugeClass);
}

}  // namespace status
