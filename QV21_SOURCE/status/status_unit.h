// The hub of the status display, and its pieces that draw nothing: the
// shield gauge, whose values the player's body writes every physics step and
// the scripts read.
#pragma once
#include <memory>

#include <lua.hpp>

#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"
#include "script/rk_lua_object.h"
#include "status/combo_chain.h"
#include "status/gauge_display.h"
#include "status/score_display.h"
#include "task/rk_task.h"

namespace rk::gfx::gfx_model_command {
class GfxTransformation;
class WindowItemGauge;
class WindowItemString;
}  // namespace rk::gfx::gfx_model_command

namespace status {

class ShieldGauge : public rk::script::ILuaMethod {
 public:
  ShieldGauge() : value_(std::make_unique<ShieldValue>()) {}
  ~ShieldGauge() override;
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

// Links a window item to the game object whose value it shows; the window
// runs sync before it draws its items.
template <class Item, class Source>
class WindowItemSync : public rk::gfx::gfx_model_command::ISyncWindowItem {
 public:
  Item* item_ = nullptr;
  Source* source_ = nullptr;
};

// Both keep their pointers and copy nothing.
class SyncShieldGauge : public WindowItemSync<rk::gfx::gfx_model_command::WindowItemGauge, ShieldGauge> {
 public:
  void sync() override {}
};
class SyncXFieldGauge : public WindowItemSync<GaugeDisplay, XFieldGauge> {
 public:
  void sync() override {}
};

class ComboGauge;

// The window item's current value := the combo gauge's chain time left.
class SyncComboGauge : public WindowItemSync<rk::gfx::gfx_model_command::WindowItemGauge, ComboGauge> {
 public:
  void sync() override;
};

// The combo chain as a task of the task manager: its frame step runs the
// chain, places and colours the chain banner (a window of a gfx model of its
// own on the status-display camera) and shows the chain time left on a gauge
// of type 3 on the creator's gfx model. Made inactive; owned by its script
// object.
class ComboGauge : public rk::task::Task, public rk::script::ILuaMethod {
 public:
  // `gaugeModel` receives the chain-time gauge (none when null).
  ComboGauge(rk::gfx::GfxModel* gaugeModel, int priority);
  ~ComboGauge() override;

  bool isOwnedElsewhere() override { return true; }
  int initStep(float) override { return 0; }
  void update(float dt) override;

  void addCombo() { chain_.addCombo(); }
  void keepCombo() { chain_.keepCombo(); }
  void endCombo() { chain_.endCombo(); }
  ComboChain& chain() { return chain_; }

  // A score display that goes leaves the listener list of every combo gauge.
  static void forgetListener(INotifyComboEnd* listener);

  // The methods of the combo gauge, "run" and "stop" included; the collector
  // deletes the gauge.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  rk::gfx::GfxModel* model_ = nullptr;
  rk::gfx::gfx_model_command::GfxTransformation* transformation_ = nullptr;
  rk::gfx::gfx_model_command::GfxWindow* window_ = nullptr;
  rk::gfx::gfx_model_command::WindowItemString* string_item_ = nullptr;
  GaugeDisplay* gauge_ = nullptr;

 private:
  // Copies the chain's banner text, colour and place into the banner's commands.
  void showBanner();
  ComboChain chain_;
};

extern const rk::script::LuaClass kComboGaugeClass;

// The status unit (instance slot 5): made by the first "createGameStatusUnit"
// and alive while a script object of it is; its last release empties the
// slot. It points to the display pieces the scripts enter (no references).
class StatusUnit : public rk::policy::SharedObject, public rk::script::ILuaMethod {
 public:
  struct Record {
    ScoreDisplay* score_display_ = nullptr;
    ShieldGauge* shield_gauge_ = nullptr;
    SyncShieldGauge sync_shield_gauge_;
    XFieldGauge* x_field_gauge_ = nullptr;
    SyncXFieldGauge sync_x_field_gauge_;
    ComboGauge* combo_gauge_ = nullptr;
    SyncComboGauge sync_combo_gauge_;
    bool visible_ = false;  // set by "setVisible"; nothing else reads it
  };

  // Reports "status::StatusUnit::getInstance" and gives null when there is none.
  static StatusUnit* getInstance();
  // The unit or null, without a report.
  static StatusUnit* findInstance();

  // A message effect at a world position, on effect unit 3. The bonus also
  // adds 10000 to the entered score display (capped).
  static void printPowerUp(const rk::math::Vector4& position);
  static void printShieldRecovery(const rk::math::Vector4& position);
  static void printBonus(const rk::math::Vector4& position);

  // A display piece that goes is forgotten by the unit (its entries and its
  // synchronisers' sources), so that game code never reaches a deleted piece.
  static void forgetPiece(const void* piece);

  StatusUnit() : record_(std::make_unique<Record>()) {}
  Record& record() { return *record_; }

  // The entry methods, "entryStatusStringUnit", "setVisible", "getRef"; the
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
