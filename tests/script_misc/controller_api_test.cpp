// The controller globals and controller objects, run from Lua.
#include <gtest/gtest.h>

#include "script/rk_script_controller.h"
#include "script/rk_script_tables.h"
#include "script_misc/script_misc_fixture.h"

namespace {

using ControllerApi = rktest::ScriptMiscFixture;

TEST_F(ControllerApi, TableOneHoldsItsGlobalsInOrder) {
  const rk::script::LuaFunctionTable table = rk::script::controllerFunctionTable();
  ASSERT_EQ(table.count, 231);
  const char* firstNames[] = {"getController", "findDIKFromString", "findKeyNameFromDIK", "getPressDIK",
                              "changeDIKToString", "getValidJoypadNum", "BUTTON_01"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(table.pairs[i].name, firstNames[i]);
  EXPECT_STREQ(table.pairs[37].name, "BUTTON_32");
  EXPECT_STREQ(table.pairs[51].name, "DIR_BUTTON_UP");
  EXPECT_STREQ(table.pairs[54].name, "DIR_BUTTON_RIGHT");
  EXPECT_STREQ(table.pairs[55].name, "DIK_0");
  EXPECT_STREQ(table.pairs[198].name, "DIK_Z");
  EXPECT_STREQ(table.pairs[230].name, "BUTTON_BIT_32");
  EXPECT_EQ(rk::script::playerFunctionTable().count, 2);
  EXPECT_EQ(rk::script::globalFunctionTables()[0].pairs, table.pairs);
}

TEST_F(ControllerApi, ConstantsReturnTheirNumbers) {
  EXPECT_EQ(run(R"(
    local cases = {
      {BUTTON_01, 0}, {BUTTON_03, 2}, {BUTTON_32, 31}, {BUTTON_OK, 0}, {BUTTON_CANCEL, 1},
      {BUTTON_TAB, 6}, {BUTTON_DEL, 7}, {POV_NONE, -1}, {POV_U, 0}, {POV_DL, 5}, {POV_UL, 7},
      {DIR_BUTTON_UP, 0}, {DIR_BUTTON_RIGHT, 1}, {DIR_BUTTON_DOWN, 2}, {DIR_BUTTON_LEFT, 3},
      {DIK_0, 0}, {DIK_A, 10}, {DIK_DELETE, 29}, {DIK_DOWN, 31}, {DIK_ESCAPE, 35}, {DIK_LEFT, 65},
      {DIK_RETURN, 108}, {DIK_RIGHT, 109}, {DIK_TAB, 123}, {DIK_UP, 127}, {DIK_X, 140}, {DIK_Z, 143},
      {BUTTON_BIT_01, 1}, {BUTTON_BIT_03, 4}, {BUTTON_BIT_31, 1073741824}, {BUTTON_BIT_32, -2147483648},
    }
    for i, c in ipairs(cases) do
      local got = c[1]('ignored', 99)
      check(got == c[2], 'case ' .. i .. ': ' .. tostring(got))
    end
  )"), "");
}

TEST_F(ControllerApi, KeyNameLookupsBothWays) {
  driver->keysDown = {0x3D, 0x49, 0x1E, 0x2C};  // F3 and 9(Numpad) are never offered
  EXPECT_EQ(run(R"(
    check(findKeyNameFromDIK('escape') == 1)
    check(findKeyNameFromDIK('Alt(left)') == 0x38)
    check(findKeyNameFromDIK('nothing') == 0)
    check(findKeyNameFromDIK({}) == 0 and findKeyNameFromDIK() == 0)
    check(findKeyNameFromDIK(1) == 0x02, 'a number is compared as its text')
    check(findDIKFromString(0xB8) == 'Alt(left)')
    check(findDIKFromString(0x11E) == 'A', 'low byte')
    check(findDIKFromString(0) == 'Escape' and findDIKFromString() == 'Escape')
    check(changeDIKToString(0x2B) == '\\')
    check(getPressDIK() == 0x1E, 'first row down in table order')
    check(getValidJoypadNum() == 0)
  )"), "");
  EXPECT_EQ(driver->keyClears, 1);
  driver->keysDown.clear();
  driver->pads[0].connected = driver->pads[2].connected = true;
  EXPECT_EQ(run("check(getPressDIK() == -1) check(getValidJoypadNum() == 2)"), "");
}

TEST_F(ControllerApi, PovAndAnalogQueriesFollowThePovSwitch) {
  driver->pads[0] = {true, 2, 0, 0, 30000, 0, 0};  // D-pad right, stick up
  controllerFrame();
  EXPECT_EQ(run(R"(
    local c = getController(0)
    check(not c:getPov() and c:isPovUsable())
    check(c:getPovCount() == -1 and c:getAnalogCount() == POV_U())
    check(c:getAnalogTrig() == 0 and c:getAnalogRepeat() == 0 and c:getPovTrig() == -1)
    c:setPov(true)
    check(c:getPov())
    check(c:getPovCount() == POV_R() and c:getAnalogCount() == -1 and c:getPovRepeat() == 2)
    c:setPov()
    check(not c:getPov())
    local x, y = c:getLeftStick()
    check(x == 0 and y == 30000)
    check(values(c:getRightStick()).n == 2)
    check(c:isValidJoypad())
    pov = c
  )"), "");
  controllerFrame();  // unchanged: no trigger, no repeat
  EXPECT_EQ(run("pov:setPov(true) check(pov:getPovTrig() == -1 and pov:getPovRepeat() == -1)"), "");

  // Without a pad the analog queries answer whatever the switch holds.
  driver->pads[0].connected = false;
  driver->keysDown = {127};  // DIK_UP in the default map
  controllerFrame();
  EXPECT_EQ(run(R"(
    check(pov:getAnalogCount() == 0 and pov:getPovCount() == -1 and not pov:isPovUsable())
    check(not pov:isValidJoypad())
  )"), "");
}

TEST_F(ControllerApi, ButtonQueriesAndMasks) {
  driver->pads[0].connected = true;
  rk::controller::Controller& player = *controllers->getController(0);
  player.macro().pad_map[9] = 31;
  driver->pads[0].buttons = 1u << 9 | 1u << 0;
  controllerFrame();
  EXPECT_EQ(run(R"(
    local c = getController(0)
    check(c:getButtonCount() < 0, 'bit 31 reads signed')
    check(c:getButtonTrig() == 2147483649, 'the trigger mask reads unsigned')
    check(c:getButtonRepeat() == c:getButtonCount())
    check(c:isButtonCount(BUTTON_32()) and c:isButtonTrig(BUTTON_OK()) and c:isButtonRepeat(0))
    check(c:isButtonCount(32), 'the low five bits: 32 is button 0')
    check(not c:isButtonCount(BUTTON_CANCEL()))
    check(c:getButtonFiled() == 2^9 + 1, 'raw pad buttons')
    check(c:getButtonBit(9) == -2147483648 and c:getButtonBit(0) == 1 and c:getButtonBit(2) == -2147483648)
    held = c
  )"), "");
  controllerFrame();
  EXPECT_EQ(run("check(not held:isButtonTrig(0) and held:getButtonTrig() == 0 and held:getButtonRepeat() == 0)"), "");
}

TEST_F(ControllerApi, KeyMapEditsAndOutOfRangeIndicesAreIgnored) {
  rk::controller::ControllerMacro& macro = controllers->getController(0)->macro();
  EXPECT_EQ(run(R"(
    local c = getController(0)
    c:setKeyboardMacro(3, DIK_A(), DIK_B())
    c:setKeyboardMacro(4, 0x1FF, 1)
    c:setJoyPadMacro(2, 40)
    c:setKeyboradDirButton(DIR_BUTTON_LEFT(), 0x1A1)
    for _, bad in ipairs({-1, 32, 1e10, -2147483649}) do
      c:setKeyboardMacro(bad, 1, 1)
      c:setJoyPadMacro(bad, 1)
      check(c:getButtonBit(bad) == 0)
    end
    c:setKeyboradDirButton(4, 1)
    c:setKeyboradDirButton(-1, 1)
  )"), "");
  EXPECT_EQ(macro.button_keys[3], 10 | 18 << 8);
  EXPECT_EQ(macro.button_keys[4], 0x01FF);
  EXPECT_EQ(macro.pad_map[2], 40);
  EXPECT_EQ(macro.direction_keys[3], 0xA1);
  EXPECT_EQ(macro.button_keys[0], 143 | 108 << 8);
  for (int i : {0, 1, 5, 31}) EXPECT_EQ(macro.pad_map[i], i < 2 ? i : -1) << i;
  EXPECT_EQ(macro.direction_keys[0], 127);

  EXPECT_EQ(run("getController(0):initJoypadKeyCustomTable() getController(0):initKeyboardCustomTable(5)"), "");
  for (auto entry : macro.pad_map) EXPECT_EQ(entry, -1);
  for (auto keys : macro.button_keys) EXPECT_EQ(keys, 0xFFFF);
  for (auto key : macro.direction_keys) EXPECT_EQ(key, 0xFF);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ControllerApi, MissingAndRemovedControllersAnswerAsTheNullObject) {
  EXPECT_EQ(run(R"(
    local none = getController(5)
    check(none ~= nil)
    check(none:getPovCount() == -1 and none:getButtonCount() == 0 and not none:isButtonCount(0))
    check(values(none:getLeftStick())[1] == 0)
    setPlayerMember(2)
    stale = getController(1)
    check(stale:getButtonCount() == 0)
    setPlayerMember(0)
  )"), "");
  EXPECT_EQ(log.entries("rk::controller::ControllerManager::getController"), 1u);
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::getController"), 1u);
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::lua_Controller_getPovCount"), 1u);
  log.clear();

  // The removed controller's object reads as null; released objects too.
  EXPECT_EQ(run(R"(
    check(stale:getPovCount() == -1 and not stale:isValidJoypad())
    stale:setKeyboardMacro(0, 1, 2)
    local sys = getController(-1)
    sys:release()
    check(sys:getButtonCount() == 0)
    sys:release()
    stale = nil
    collectgarbage()
  )"), "");
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::lua_Controller_getPovCount"), 1u);
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::lua_Controller_setKeyboardMacro"), 1u);
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::lua_Controller_getButtonCount"), 1u);
  EXPECT_EQ(log.entries("rk::script::ctrl::`anonymous-namespace'::lua_Controller_release"), 0u);
}

TEST_F(ControllerApi, PlayerCountAndSystemPov) {
  EXPECT_EQ(run("setPlayerMember(3)"), "");
  EXPECT_EQ(controllers->getPlayerNum(), 3u);
  EXPECT_EQ(run("setPlayerMember(-1) setPlayerMember(-1e12)"), "");
  EXPECT_EQ(controllers->getPlayerNum(), 3u);  // negative counts are ignored
  EXPECT_EQ(run("setPlayerMember(1e12)"), "");
  EXPECT_EQ(controllers->getPlayerNum(), rk::controller::kMaxPlayerCount);

  struct Case {
    const char* call;
    bool usable;
  };
  const Case cases[] = {
      {"setSystemPOV(false)", true}, {"setSystemPOV(true)", true}, {"setSystemPOV()", false},
      {"setSystemPOV(0)", false},    {"setSystemPOV(nil)", false}, {"setSystemPOV('true')", false},
  };
  for (const Case& c : cases) {
    controllers->getSystemController()->state().pov_usable = !c.usable;
    EXPECT_EQ(run(c.call), "") << c.call;
    EXPECT_EQ(controllers->getSystemController()->state().pov_usable, c.usable) << c.call;
  }
}

}  // namespace
