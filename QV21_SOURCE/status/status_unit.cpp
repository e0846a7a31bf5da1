#include "status/status_unit.h"

#include <algorithm>
#include <set>

#include "effect/rk_effect_system.h"
#include "effect/rk_effect_unit.h"
#include "font/rk_font_function.h"
#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/rk_model.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_shared_methods.h"
#include "script/rk_script_graphics.h"

namespace status {

const rk::script::LuaClass kShieldGaugeClass{"status::ShieldGauge"};
const rk::script::LuaClass kStatusUnitClass{"status::StatusUnit",
                                            rk::script::castToInterface<StatusUnit, rk::policy::SharedObject>};
const rk::script::LuaClass kComboGaugeClass{"status::ComboGauge",
                                            rk::script::castToInterface<ComboGauge, rk::task::Task>};

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

ShieldGauge::~ShieldGauge() { StatusUnit::forgetPiece(this); }

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

// A piece argument of an entry method: the object, or null with an entry
// naming the method (the unit then keeps what it had).
template <class T>
T* pieceArg(lua_State* L, const rk::script::LuaClass& cls, const char* method) {
  auto* piece = rk::script::toLuaObject<T>(L, 2, cls);
  if (!piece) rk::script::reportNullObject(method);
  return piece;
}

// The window that owns a window item gets the synchroniser in its sync list.
void registerSync(rk::gfx::gfx_model_command::WindowItemGauge* item,
                  rk::gfx::gfx_model_command::ISyncWindowItem* sync) {
  if (rk::gfx::gfx_model_command::GfxWindow* window = item->owner()) window->addSyncItem(sync);
}

int lua_entryScoreDisplay(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryScoreDisplay";
  StatusUnit* unit = unitArg(L, kName);
  auto* display = unit ? pieceArg<ScoreDisplay>(L, kScoreDisplayClass, kName) : nullptr;
  if (display) unit->record().score_display_ = display;
  lua_settop(L, 0);
  return 0;
}

int lua_entryShieldGauge(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryShieldGauge";
  StatusUnit* unit = unitArg(L, kName);
  auto* gauge = unit ? pieceArg<ShieldGauge>(L, kShieldGaugeClass, kName) : nullptr;
  if (gauge) {
    unit->record().shield_gauge_ = gauge;
    unit->record().sync_shield_gauge_.source_ = gauge;
  }
  lua_settop(L, 0);
  return 0;
}

int lua_entryShieldGaugeWindowItem(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryShieldGaugeWindowItem";
  StatusUnit* unit = unitArg(L, kName);
  using rk::gfx::gfx_model_command::WindowItemGauge;
  auto* item = unit ? pieceArg<WindowItemGauge>(L, rk::script::gph::kWindowItemGaugeClass, kName) : nullptr;
  if (item) {
    unit->record().sync_shield_gauge_.item_ = item;
    registerSync(item, &unit->record().sync_shield_gauge_);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_entryXFieldGauge(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryXFieldGauge";
  StatusUnit* unit = unitArg(L, kName);
  auto* gauge = unit ? pieceArg<XFieldGauge>(L, kXFieldGaugeClass, kName) : nullptr;
  if (gauge) {
    unit->record().x_field_gauge_ = gauge;
    unit->record().sync_x_field_gauge_.source_ = gauge;
  }
  lua_settop(L, 0);
  return 0;
}

int lua_entryComboGauge(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryComboGauge";
  StatusUnit* unit = unitArg(L, kName);
  auto* gauge = unit ? pieceArg<ComboGauge>(L, kComboGaugeClass, kName) : nullptr;
  if (gauge) {
    unit->record().combo_gauge_ = gauge;
    unit->record().sync_combo_gauge_.source_ = gauge;
  }
  lua_settop(L, 0);
  return 0;
}

int lua_entryComboGaugeWindowItem(lua_State* L) {
  constexpr const char* kName = "status::StatusUnit::lua_entryComboGaugeWindowItem";
  StatusUnit* unit = unitArg(L, kName);
  using rk::gfx::gfx_model_command::WindowItemGauge;
  auto* item = unit ? pieceArg<WindowItemGauge>(L, rk::script::gph::kWindowItemGaugeClass, kName) : nullptr;
  if (item) {
    unit->record().sync_combo_gauge_.item_ = item;
    registerSync(item, &unit->record().sync_combo_gauge_);
  }
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
    {"entryScoreDisplay", lua_entryScoreDisplay},
    {"entryShieldGauge", lua_entryShieldGauge},
    {"entryShieldGaugeWindowItem", lua_entryShieldGaugeWindowItem},
    {"entryXFieldGauge", lua_entryXFieldGauge},
    {"entryComboGauge", lua_entryComboGauge},
    {"entryComboGaugeWindowItem", lua_entryComboGaugeWindowItem},
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

StatusUnit* StatusUnit::findInstance() {
  return static_cast<StatusUnit*>(rk::instanceSlot(rk::InstanceSlot::StatusUnit));
}

void StatusUnit::forgetPiece(const void* piece) {
  StatusUnit* unit = findInstance();
  if (!unit || !piece) return;
  Record& r = unit->record();
  auto forget = [piece](auto*& pointer) {
    if (static_cast<const void*>(pointer) == piece) pointer = nullptr;
  };
  forget(r.score_display_);
  forget(r.shield_gauge_);
  forget(r.sync_shield_gauge_.source_);
  forget(r.x_field_gauge_);
  forget(r.sync_x_field_gauge_.source_);
  forget(r.combo_gauge_);
  forget(r.sync_combo_gauge_.source_);
}

namespace {

// Plays the message effect on effect unit 3; false (with an entry at `line`
// naming `operation`) when there is no such unit.
void playMessage(const char* effect, const rk::math::Vector4& position, int line, const char* operation) {
  rk::effect::EffectSystem* effects = rk::effect::EffectSystem::getInstance();
  rk::effect::EffectUnit* unit = effects ? effects->getEffectUnit(3) : nullptr;
  if (!unit) {
    rk::debug::writeErrorLog(kSource, line, operation);
    return;
  }
  unit->play(effect, position, rk::math::Vector4{0, 0, 0, 0}, rk::math::Vector4{1, 1, 1, 0});
  unit->release(kSource, line);
}

}  // namespace

void StatusUnit::printPowerUp(const rk::math::Vector4& position) {
  playMessage("effect/power_up_mes", position, 528, "status::StatusUnit::printPowerUp");
}

void StatusUnit::printShieldRecovery(const rk::math::Vector4& position) {
  playMessage("effect/recovery_mes", position, 542, "status::StatusUnit::printShieldRecovery");
}

void StatusUnit::printBonus(const rk::math::Vector4& position) {
  playMessage("effect/item_bonus", position, 556, "status::StatusUnit::printBonus");
  StatusUnit* unit = getInstance();
  // A display never entered (or gone) has no score to raise.
  if (unit && unit->record().score_display_)
    unit->record().score_display_->score_ = addScoreCapped(unit->record().score_display_->score_, 10000);
}

// ------------------------------------------------------------- combo gauge

void SyncComboGauge::sync() {
  if (item_ && source_) item_->record().now = source_->chain().timer_;
}

namespace {

std::set<ComboGauge*>& liveComboGauges() {
  static std::set<ComboGauge*> gauges;
  return gauges;
}

constexpr float kBannerScale = 0.01f;

ComboGauge* comboArg(lua_State* L, const char* method) {
  auto* gauge = rk::script::toLuaObject<ComboGauge>(L, 1, kComboGaugeClass);
  if (!gauge) rk::script::reportNullObject(method);
  return gauge;
}

int comboDone(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

int lua_setComboSec(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_setComboSec"))
    g->chain().setComboSec(rk::script::toFloatArg(L, 2));
  return comboDone(L);
}

int lua_setComboZero(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_setComboZero")) {
    g->chain().timer_ = 0.0f;
    g->endCombo();
  }
  return comboDone(L);
}

int lua_setComboMax(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_setComboMax")) g->addCombo();
  return comboDone(L);
}

int lua_setComboHalf(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_setComboHalf")) g->keepCombo();
  return comboDone(L);
}

int lua_isComboEnd(lua_State* L) {
  ComboGauge* g = comboArg(L, "status::ComboGauge::lua_isComboEnd");
  const bool ended = g ? g->chain().isComboEnd() : true;
  lua_settop(L, 0);
  lua_pushboolean(L, ended);
  return 1;
}

int lua_getNowSec(lua_State* L) {
  ComboGauge* g = comboArg(L, "status::ComboGauge::lua_getNowSec");
  const float timer = g ? g->chain().timer_ : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, timer);
  return 1;
}

int lua_getComboCountMax(lua_State* L) {
  ComboGauge* g = comboArg(L, "status::ComboGauge::lua_getComboCountMax");
  const std::uint32_t count = g ? g->chain().count_max_ : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, count);
  return 1;
}

int lua_clearComboCountMax(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_clearComboCountMax")) g->chain().count_max_ = 0;
  return comboDone(L);
}

// A listener argument that holds no score display is refused: the list never
// holds an entry that cannot be told.
ScoreDisplay* listenerArg(lua_State* L, const char* method) {
  auto* display = rk::script::toLuaObject<ScoreDisplay>(L, 2, kScoreDisplayClass);
  if (!display) rk::script::reportNullObject(method);
  return display;
}

int lua_entryNotifyComboEndToScoreDisplay(lua_State* L) {
  constexpr const char* kName = "status::ComboGauge::lua_entryNotifyComboEndToScoreDisplay";
  ComboGauge* g = comboArg(L, kName);
  if (ScoreDisplay* display = g ? listenerArg(L, kName) : nullptr) g->chain().addListener(display);
  return comboDone(L);
}

int lua_removeNotifyComboEndToScoreDisplay(lua_State* L) {
  constexpr const char* kName = "status::ComboGauge::lua_removeNotifyComboEndToScoreDisplay";
  ComboGauge* g = comboArg(L, kName);
  if (ScoreDisplay* display = g ? listenerArg(L, kName) : nullptr) g->chain().removeListener(display);
  return comboDone(L);
}

int lua_setComboColor(lua_State* L) {
  if (ComboGauge* g = comboArg(L, "status::ComboGauge::lua_setColor")) {
    auto byte = [&](int index) { return static_cast<std::uint32_t>(rk::script::toInt64Arg(L, index)); };
    g->chain().gauge_.setColor(byte(2), byte(3), byte(4), byte(5));
  }
  return comboDone(L);
}

const luaL_Reg kComboMethods[] = {
    {"setComboSec", lua_setComboSec},
    {"setComboZero", lua_setComboZero},
    {"setComboMax", lua_setComboMax},
    {"setComboHalf", lua_setComboHalf},
    {"isComboEnd", lua_isComboEnd},
    {"getNowSec", lua_getNowSec},
    {"getComboCountMax", lua_getComboCountMax},
    {"clearComboCountMax", lua_clearComboCountMax},
    {"entryNotifyComboEndToScoreDisplay", lua_entryNotifyComboEndToScoreDisplay},
    {"removeNotifyComboEndToScoreDisplay", lua_removeNotifyComboEndToScoreDisplay},
    {"setColor", lua_setComboColor},
    {"run", rk::task::lua_task::lua_command_run},
    {"stop", rk::task::lua_task::lua_command_stop},
    {nullptr, nullptr},
};

}  // namespace

ComboGauge::ComboGauge(rk::gfx::GfxModel* gaugeModel, int priority) : Task(priority, "ComboGauge") {
  setActive(false);
  liveComboGauges().insert(this);
  chain_.xField = []() -> XFieldValue* {
    StatusUnit* unit = StatusUnit::getInstance();
    XFieldGauge* gauge = unit ? unit->record().x_field_gauge_ : nullptr;
    return gauge ? &gauge->field() : nullptr;
  };
  // The banner needs the model manager and, for its window's fonts, the device context.
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::getInstance();
  if (models && rk::DeviceContext::getInstance()) {
    model_ = models->createGfxModel();
    model_->setRenderCameraBit(1u << 6);  // the status-display camera
    model_->setVisible(true);
    transformation_ = model_->createTransformation();
    transformation_->transform().setScale(rk::math::Vector4{kBannerScale, kBannerScale, 1.0f, 0.0f});
    window_ = new rk::gfx::gfx_model_command::GfxWindow(model_);
    auto& w = window_->impl();
    w.item_font_size_ = rk::font::calcFontHeight(64, 1, 1);
    w.item_pen_size_ = 1;
    w.item_quality_ = 1;
    window_->applyFontSettings();
    window_->setColor(0x00000000u);  // the window itself is invisible: only the text shows
    string_item_ = window_->addString();
    string_item_->record().text = chain_.banner_.text;
    string_item_->calcSize();
    w.font_color_ = chain_.banner_.text_colour;
    w.size_.x = string_item_->record().size.x;
    w.size_.y = string_item_->record().size.y;
  }
  showBanner();
  gauge_ = new ChainTimeGauge(gaugeModel, chain_.gauge_);
}

ComboGauge::~ComboGauge() {
  liveComboGauges().erase(this);
  StatusUnit::forgetPiece(this);
  delete gauge_;
  if (window_ && string_item_) window_->removeString(string_item_);
  delete window_;
  delete transformation_;
  if (model_) {
    if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance()) models->removeModel(model_);
    delete model_;
  }
}

void ComboGauge::forgetListener(INotifyComboEnd* listener) {
  for (ComboGauge* gauge : liveComboGauges()) gauge->chain_.listeners_.remove(listener);
}

void ComboGauge::update(float dt) {
  chain_.step(dt);
  showBanner();
}

void ComboGauge::showBanner() {
  const ComboChain::Banner& banner = chain_.banner_;
  if (string_item_ && string_item_->record().text != banner.text) string_item_->record().text = banner.text;
  if (window_) window_->impl().font_color_ = banner.text_colour;
  if (transformation_) transformation_->transform().setPos(rk::math::Vector4{banner.x, banner.y, 0.0f, 0.0f});
}

void ComboGauge::registerMethods(lua_State* L) { rk::script::setMethods(L, kComboMethods); }

void ComboGauge::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, rk::script::lua_gcDeleteObject<ComboGauge, kComboGaugeClass>);
}

}  // namespace status
