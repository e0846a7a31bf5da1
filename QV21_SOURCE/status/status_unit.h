// The hub of the status display, and its pieces that draw nothing: the
// shield gauge, whose values the player's body writes every physics step and
// the scripts read.
#pragma once
#include <memory>

#include <lua.hpp>

#include "policy/rk_shared_object.h"
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

// The status unit (instance slot 5): made by the first "createGameStatusUnit"
// and alive while a script object of it is; its last release empties the
// slot. It points to the display pieces the scripts enter (no references).
class StatusUnit : public rk::policy::SharedObject, public rk::script::ILuaMethod {
 public:
  struct Record {
    ShieldGauge* shield_gauge_ = nullptr;
    bool visible_ = false;  // set by "setVisible"; nothing else reads it
  };

  // Reports "status::StatusUnit::getInstance" and gives null when there is none.
  static StatusUnit* getInstance();

  StatusUnit() : record_(std::make_unique<Record>()) {}
  Record& record() { return *record_; }

  // "entryShieldGauge", "entryStatusStringUnit", "setVisible", "getRef"; the
  // collector gives back the object's reference.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 protected:
  // The last reference went: the slot is emptied.
  void destroy() override;

 private:
  std::unique_ptr<Record> record_;
};

extern const rk::script::LuaClass kStatusUnitClass;

// "createGameStatusUnit": the unit (made when there is none) in a new script
// object holding one reference.
int lua_createGameStatusUnit(lua_State* L);

// "createGameStatusShiledGauge": a new shield gauge, 100 of 100.
int lua_createGameStatusShiledGauge(lua_State* L);

}  // namespace status
