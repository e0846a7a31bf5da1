#include "status/status_command.h"

#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_graphics.h"
#include "status/gauge_display.h"
#include "status/score_display.h"
#include "status/status_unit.h"

namespace status {

namespace {

constexpr const char* kSource = "QV21_SOURCE/status/status_command";

// A piece made without a model holds its values but draws nothing.
int lua_createGameStatusScoreDisplay(lua_State* L) {
  rk::gfx::GfxModel* model = toGfxModelArg(L, 1);
  if (!model) rk::debug::writeErrorLog(kSource, 56, "status::`anonymous-namespace'::createGameStatusScoreDisplay");
  lua_settop(L, 0);
  auto* display = new ScoreDisplay(model);
  return rk::script::pushLuaObject(L, *display, display, kScoreDisplayClass);
}

int lua_createGameStatusXFieldGauge(lua_State* L) {
  rk::gfx::GfxModel* model = toGfxModelArg(L, 1);
  if (!model) rk::script::reportNullObject("status::`anonymous-namespace'::createGameStatusXFieldGauge");
  lua_settop(L, 0);
  auto* gauge = new XFieldGauge(model);
  return rk::script::pushLuaObject(L, *gauge, gauge, kXFieldGaugeClass);
}

int lua_createGameStatusComboGauge(lua_State* L) {
  rk::gfx::GfxModel* model = toGfxModelArg(L, 1);
  if (!model) rk::script::reportNullObject("status::`anonymous-namespace'::createGameStatusComboGauge");
  const int priority = static_cast<int>(rk::script::toInt64Arg(L, 2));
  lua_settop(L, 0);
  auto* gauge = new ComboGauge(model, priority);
  return rk::script::pushLuaObject(L, *gauge, gauge, kComboGaugeClass);
}

}  // namespace

rk::gfx::GfxModel* toGfxModelArg(lua_State* L, int index) {
  return rk::script::gph::toGfxModel(L, index);
}

const std::vector<rk::script::LuaFunctionPair>& statusUnitCommandLib() {
  static const std::vector<rk::script::LuaFunctionPair> entries = {
      {lua_createGameStatusUnit, "createGameStatusUnit"},
      {lua_createGameStatusScoreDisplay, "createGameStatusScoreDisplay"},
      {lua_createGameStatusShiledGauge, "createGameStatusShiledGauge"},
      {lua_createGameStatusXFieldGauge, "createGameStatusXFieldGauge"},
      {lua_createGameStatusComboGauge, "createGameStatusComboGauge"},
  };
  return entries;
}

int lua_createStatusGauge(lua_State* L) {
  rk::gfx::GfxModel* model = toGfxModelArg(L, 1);
  if (!model) rk::script::reportNullObject("common::`anonymous-namespace'::createStatusGauge");
  const auto type = static_cast<std::uint32_t>(rk::script::toInt64Arg(L, 2));
  lua_settop(L, 0);
  auto* gauge = new GaugeDisplay(model, type);
  return rk::script::pushLuaObject(L, *gauge, gauge, kGaugeDisplayClass);
}

}  // namespace status
