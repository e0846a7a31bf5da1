// The status library as scripts use it: the five creators, the unit's entry
// methods with the pieces they link, the combo gauge's methods paying the
// score display and charging the X-field, the window-item synchroniser, the
// bonus print, and pieces collected while the unit still points to them.
#include <string>

#include <lua.hpp>

#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/rk_model.h"
#include "gfx_model/gfx_model_rig.h"
#include "script/rk_script_graphics.h"
#include "status/status_command.h"
#include "status/status_unit.h"
#include "support/error_log_capture.h"

namespace {

using namespace gfxmodeltest;

int noCollect(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}
const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

class StatusScript : public ModelRig {
 protected:
  void SetUp() override {
    ModelRig::SetUp();
    rk::gfx::ModelManager::createInstance();
    L = luaL_newstate();
    luaL_openlibs(L);
    for (const rk::script::LuaFunctionPair& entry : status::statusUnitCommandLib())
      lua_register(L, entry.name, entry.function);
    lua_register(L, "createStatusGauge", status::lua_createStatusGauge);
    pushBorrowed(model.get(), rk::script::gph::kGfxModelClass, "gfx");
  }
  void TearDown() override {
    lua_close(L);
    rk::gfx::ModelManager::destroyInstance();
    ModelRig::TearDown();
  }
  // A script object of that class that the test owns.
  void pushBorrowed(void* object, const rk::script::LuaClass& cls, const char* global) {
    rk::script::pushLuaObject(L, object, cls, kNoMethods, noCollect);
    lua_setglobal(L, global);
  }
  std::string run(const std::string& chunk) {
    if (luaL_dostring(L, chunk.c_str()) != 0) return std::string("error: ") + lua_tostring(L, -1);
    std::string out = lua_gettop(L) > 0 ? luaL_tolstring(L, -1, nullptr) : "";
    lua_settop(L, 0);
    return out;
  }
  status::StatusUnit::Record& record() { return status::StatusUnit::getInstance()->record(); }

  rktest::ErrorLogCapture log_;
  lua_State* L = nullptr;
};

TEST_F(StatusScript, TheCreatorsMakeThePiecesOnTheGfxModel) {
  run("unit = createGameStatusUnit() score = createGameStatusScoreDisplay(gfx)"
      " field = createGameStatusXFieldGauge(gfx) combo = createGameStatusComboGauge(gfx, 30.9)"
      " bar = createStatusGauge(gfx, 2.7)");
  // Score display, X-field gauge, the combo's chain-time gauge, the plain gauge.
  EXPECT_EQ(model->commands().size(), 4u);
  EXPECT_EQ(run("return field:getMaxFieldGauge() .. ' ' .. bar:getNow() .. ' ' .. score:get()"), "100 100 0");
  EXPECT_EQ(run("return combo:getNowSec() .. ' ' .. tostring(combo:isComboEnd())"), "0 true");
  rk::task::Task* comboTask = nullptr;
  for (rk::task::Task* task : rk::task::TaskManager::getInstance()->tasks())
    if (task->name() == "ComboGauge") comboTask = task;
  ASSERT_NE(comboTask, nullptr);
  EXPECT_EQ(comboTask->priority(), 30);
  EXPECT_FALSE(comboTask->isActive()) << "made inactive";
  run("combo:run()");
  EXPECT_TRUE(comboTask->isActive());
  run("combo:stop()");
  EXPECT_FALSE(comboTask->isActive());
  EXPECT_EQ(run("combo:setComboMax() return combo:getNowSec()"), "4");
  EXPECT_EQ(log_.text().find(")\nstatus::"), std::string::npos) << log_.text();
  run("score = nil field = nil combo = nil bar = nil collectgarbage()");
  EXPECT_TRUE(model->commands().empty()) << "collected pieces leave the model";
}

TEST_F(StatusScript, TheScoreDisplayCountsUpToTheCap) {
  run("score = createGameStatusScoreDisplay(gfx)");
  struct Case {
    const char* chunk;
    const char* expected;
  } cases[] = {{"score:set(1020)", "1020"},
               {"score:add(5000.9)", "6020"},
               {"score:set(999999999 - 4000) score:add(5000)", "999999999"},
               {"score:set(4294967295 + 7)", "6"},  // wraps to 32 bits
               {"score:set(1234567890)", "1234567890"},  // "set" has no cap
               {"score:clear()", "0"}};
  for (const Case& c : cases) EXPECT_EQ(run(std::string(c.chunk) + " return score:get()"), c.expected) << c.chunk;
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(StatusScript, AScoreDisplayWithoutAModelIsReportedAndStillCounts) {
  EXPECT_EQ(run("s = createGameStatusScoreDisplay({}) s:add(12) return s:get()"), "12");
  EXPECT_EQ(log_.entries("status::`anonymous-namespace'::createGameStatusScoreDisplay"), 1u) << log_.text();
}

// Kills through the combo gauge: the third kill's chain pays 2000 to the
// listening display when it ends, and every kill charges the X-field target.
TEST_F(StatusScript, TheComboGaugePaysTheScoreAndChargesTheXField) {
  run("unit = createGameStatusUnit() score = createGameStatusScoreDisplay(gfx)"
      " field = createGameStatusXFieldGauge(gfx) combo = createGameStatusComboGauge(gfx, 30)"
      " unit:entryScoreDisplay(score) unit:entryXFieldGauge(field) unit:entryComboGauge(combo)"
      " field:setNowFieldGauge(0) combo:entryNotifyComboEndToScoreDisplay(score)");
  EXPECT_NE(record().score_display_, nullptr);
  EXPECT_NE(record().combo_gauge_, nullptr);
  ASSERT_NE(record().x_field_gauge_, nullptr);
  run("combo:setComboMax() combo:setComboMax() combo:setComboMax() combo:setComboZero()");
  EXPECT_EQ(run("return score:get()"), "2000");
  const float target = record().x_field_gauge_->field().target_now_;
  EXPECT_NEAR(target, std::pow(2.0f, 0.25f) + std::pow(2.0f, 0.5f) + std::pow(2.0f, 0.75f), 1e-5);
  EXPECT_EQ(run("field:run(0.1) return field:getNowFieldGauge()"), "2") << "at least 20 a second";
  EXPECT_EQ(run("return combo:getComboCountMax()"), "0") << "the count is taken by the frame step";

  // A second listener entry pays twice; removing one leaves one.
  run("combo:entryNotifyComboEndToScoreDisplay(score) combo:setComboMax() combo:setComboMax() combo:setComboZero()");
  EXPECT_EQ(run("return score:get()"), "4000");
  run("combo:removeNotifyComboEndToScoreDisplay(score) combo:removeNotifyComboEndToScoreDisplay(score)"
      " combo:setComboMax() combo:setComboMax() combo:setComboZero()");
  EXPECT_EQ(run("return score:get()"), "4000");
  EXPECT_EQ(log_.text().find(")\nstatus::"), std::string::npos) << log_.text();

  run("combo:entryNotifyComboEndToScoreDisplay(field)");  // not a score display: refused
  EXPECT_EQ(log_.entries("status::ComboGauge::lua_entryNotifyComboEndToScoreDisplay"), 1u);
}

// Pieces collected while entered: the unit forgets them and the combo gauge
// no longer pays a display that is gone.
TEST_F(StatusScript, CollectedPiecesAreForgottenByTheUnitAndTheChain) {
  run("unit = createGameStatusUnit() score = createGameStatusScoreDisplay(gfx)"
      " field = createGameStatusXFieldGauge(gfx) shield = createGameStatusShiledGauge()"
      " combo = createGameStatusComboGauge(gfx, 30)"
      " unit:entryScoreDisplay(score) unit:entryXFieldGauge(field) unit:entryShieldGauge(shield)"
      " unit:entryComboGauge(combo) combo:entryNotifyComboEndToScoreDisplay(score)");
  run("score = nil field = nil shield = nil collectgarbage()");
  EXPECT_EQ(record().score_display_, nullptr);
  EXPECT_EQ(record().x_field_gauge_, nullptr);
  EXPECT_EQ(record().shield_gauge_, nullptr);
  EXPECT_EQ(record().sync_shield_gauge_.source_, nullptr);
  run("combo:setComboMax() combo:setComboMax() combo:setComboZero()");
  status::StatusUnit::printBonus({0, 0, 0, 0});  // no display: nothing to raise
  run("combo = nil collectgarbage()");
  EXPECT_EQ(record().combo_gauge_, nullptr);
  EXPECT_EQ(record().sync_combo_gauge_.source_, nullptr);
}

// The combo synchroniser copies the chain time into its window item each time
// the window draws; with no combo gauge entered it leaves the item alone. The
// shield synchroniser changes nothing.
TEST_F(StatusScript, TheComboWindowItemShowsTheChainTimeLeft) {
  rk::gfx::gfx_model_command::GfxWindow window(model.get());
  auto* comboItem = new rk::gfx::gfx_model_command::WindowItemGauge(&window);
  auto* shieldItem = new rk::gfx::gfx_model_command::WindowItemGauge(&window);
  window.addItem(comboItem);
  window.addItem(shieldItem);
  pushBorrowed(comboItem, rk::script::gph::kWindowItemGaugeClass, "comboItem");
  pushBorrowed(shieldItem, rk::script::gph::kWindowItemGaugeClass, "shieldItem");
  run("unit = createGameStatusUnit() unit:entryComboGaugeWindowItem(comboItem)"
      " unit:entryShieldGaugeWindowItem(shieldItem) unit:entryShieldGauge(createGameStatusShiledGauge())");
  ASSERT_EQ(window.impl().sync_items_.size(), 2u);
  comboItem->record().now = 55.0f;
  shieldItem->record().now = 66.0f;
  drawModel();
  EXPECT_FLOAT_EQ(comboItem->record().now, 55.0f) << "no combo gauge yet";
  run("combo = createGameStatusComboGauge(gfx, 30) unit:entryComboGauge(combo) combo:setComboMax()");
  drawModel();
  EXPECT_FLOAT_EQ(comboItem->record().now, 4.0f);
  EXPECT_FLOAT_EQ(shieldItem->record().now, 66.0f);
  run("unit:entryShieldGauge(unit) unit:entryComboGaugeWindowItem(nil)");
  EXPECT_EQ(log_.entries("status::StatusUnit::lua_entryShieldGauge"), 1u);
  EXPECT_EQ(log_.entries("status::StatusUnit::lua_entryComboGaugeWindowItem"), 1u);
  EXPECT_EQ(window.impl().sync_items_.size(), 2u);
  window.impl().sync_items_.clear();  // the unit goes before the window
  run("unit = nil collectgarbage()");
  window.removeString(comboItem);
  window.removeString(shieldItem);
}

// The bonus raises the entered display's score by 10000 up to the cap even
// without the effect unit, which is reported under the print's name.
TEST_F(StatusScript, TheBonusRaisesTheScoreWithOrWithoutItsEffect) {
  run("unit = createGameStatusUnit() score = createGameStatusScoreDisplay(gfx) unit:entryScoreDisplay(score)");
  status::StatusUnit::printBonus({0, 0, 0, 0});
  EXPECT_EQ(run("return score:get()"), "10000");
  run("score:set(999999999 - 9999)");
  status::StatusUnit::printBonus({0, 0, 0, 0});
  EXPECT_EQ(run("return score:get()"), "999999999");
  EXPECT_EQ(log_.entries("status::StatusUnit::printBonus"), 2u) << log_.text();
  status::StatusUnit::printPowerUp({0, 0, 0, 0});
  status::StatusUnit::printShieldRecovery({0, 0, 0, 0});
  EXPECT_EQ(log_.entries("status::StatusUnit::printPowerUp"), 1u);
  EXPECT_EQ(log_.entries("status::StatusUnit::printShieldRecovery"), 1u);
}

TEST_F(StatusScript, GaugeMethodsReadTheirOwnKindOnly) {
  run("bar = createStatusGauge(gfx, 0) field = createGameStatusXFieldGauge(gfx)"
      " bar:setMax(50) bar:setNow(100) bar.setNow(field, 1) field.run(bar, 1) bar:setColor(255, 256 + 255, 0, 0)");
  EXPECT_EQ(run("return bar:getNow() .. ' ' .. field:getNowFieldGauge()"), "50 100");
  EXPECT_EQ(log_.entries("status::GaugeDisplay::lua_setNow"), 1u);
  EXPECT_EQ(log_.entries("status::XFieldGauge::lua_run"), 1u);
}

// A gfx model made by the graphics API's "createGfxModel" takes the pieces;
// collecting the model first leaves the pieces without an owner and later
// collecting them touches nothing that is gone.
TEST_F(StatusScript, AScriptMadeGfxModelCarriesThePieces) {
  const rk::script::LuaFunctionTable graphics = rk::script::graphicsFunctionTable();
  rk::script::registerLuaFunctions(L, graphics.pairs, graphics.count);
  run("hud = createGfxModel() score = createGameStatusScoreDisplay(hud) bar = createStatusGauge(hud, 1)");
  lua_getglobal(L, "hud");
  rk::gfx::GfxModel* hud = rk::script::gph::toGfxModel(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(hud, nullptr);
  EXPECT_EQ(hud->commands().size(), 2u);
  EXPECT_EQ(log_.entries("status::`anonymous-namespace'::createGameStatusScoreDisplay"), 0u);
  run("hud = nil collectgarbage() score:add(3) bar:setNow(5)");
  EXPECT_EQ(run("return score:get() .. ' ' .. bar:getNow()"), "3 5");
  run("score = nil bar = nil collectgarbage()");
}

// The gauge item of a script-made window shows the chain time once the unit
// has it: the window runs the synchroniser before it draws.
TEST_F(StatusScript, AScriptWindowGaugeItemFollowsTheComboTime) {
  const rk::script::LuaFunctionTable graphics = rk::script::graphicsFunctionTable();
  rk::script::registerLuaFunctions(L, graphics.pairs, graphics.count);
  run("hud = createGfxModel() hud:setVisible(true) win = hud:createWindow() item = win:createGauge()"
      " item:setNowGauge(50) unit = createGameStatusUnit() unit:entryComboGaugeWindowItem(item)"
      " combo = createGameStatusComboGauge(gfx, 30) unit:entryComboGauge(combo) combo:setComboMax()");
  EXPECT_EQ(log_.entries("status::StatusUnit::lua_entryComboGaugeWindowItem"), 0u) << log_.text();
  lua_getglobal(L, "hud");
  rk::gfx::GfxModel* hud = rk::script::gph::toGfxModel(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(hud, nullptr);
  context->beginCommandList(camera, false, false);
  hud->drawCommands(0);
  context->closeNowCommandList();
  context->closeDraw();
  context->present(1);
  EXPECT_EQ(run("return item:getNowGauge()"), "4");
  // The window goes first and takes its sync list with it (a unit collected
  // first would leave the window a stale synchroniser).
  run("item = nil win = nil hud = nil collectgarbage()");
}

}  // namespace
