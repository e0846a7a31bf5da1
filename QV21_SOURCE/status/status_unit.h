// The status display's pieces that draw nothing: the shield gauge, whose
// values the player's body writes every physics step and the scripts read.
#pragma once
#include <memory>

#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "status/gauge_display.h"

namespace status {

class ShieldGauge : public rk::script::ILuaMethod {
 public:
  ShieldGauge() : value_(std::make_unique<ShieldValue>()) {}
  ShieldGauge(const ShieldGauge&) = delete;
  ShieldGauge& operator=(const ShieldGauge&) = delete;

  ShieldValue& value() { return *value_; }

  // "setMaxGauge", "getMaxGauge", "setNowGauge", "getNowGauge", "calcLerp";
  // the collector deletes the gauge.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  std::unique_ptr<ShieldValue> value_;
};

extern const rk::script::LuaClass kShieldGaugeClass;

// "createGameStatusShiledGauge": a new shield gauge, 100 of 100.
int lua_createGameStatusShiledGauge(lua_State* L);

}  // namespace status
