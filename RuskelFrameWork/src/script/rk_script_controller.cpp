// Controller globals and the controller object's methods. Every function
// empties the stack before it pushes its results. Indices outside the key
// map's ranges (buttons and pad buttons 0..31, directions 0..3) are ignored.
#include "script/rk_script_controller.h"

#include <cstdint>
#include <vector>

#include "ctrl/rk_controller.h"
#include "ctrl/rk_key_name_table.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_input_context.h"
#include "platform/driver/rk_input_driver.h"
#include "rk_script_controller_internal.h"
#include "script/rk_lua_arg.h"

namespace rk::script::ctrl {

const LuaClass kControllerClass{"rk::controller::Controller"};

namespace {

using controller::Controller;
using controller::ControllerState;

#define RK_CONTROLLER_METHOD(name) "rk::script::ctrl::`anonymous-namespace'::lua_Controller_" #name

driver::InputDriver* inputDriver() {
  InputContext* input = InputContext::getInstance();
  return input ? input->getDriver() : nullptr;
}

// The controller of argument 1; reports the method when there is none.
Controller* self(lua_State* L, const char* method) {
  Controller* c = toLuaObject<Controller>(L, 1, kControllerClass);
  if (!c) reportNullObject(method);
  return c;
}

bool inRange(int value, int count) { return value >= 0 && value < count; }

int pushBool(lua_State* L, bool value) {
  lua_settop(L, 0);
  lua_pushboolean(L, value);
  return 1;
}

int pushInt(lua_State* L, lua_Number value) {
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

int pushNothing(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// ------------------------------------------------------------------ methods

// Also the collector: the object lets go of its controller.
int lua_Controller_release(lua_State* L) {
  if (LuaObjectBlock* block = luaObjectBlock(L, 1); block && block->cls == &kControllerClass) {
    LuaObjectLinks::release(block);
    block->object = nullptr;
  }
  return pushNothing(L);
}

// The POV queries answer while the POV is on, the analog ones while it is off.
template <bool Pov>
int directionCount(lua_State* L, const char* method) {
  Controller* c = self(L, method);
  if (!c || c->isPovOn() != Pov) return pushInt(L, -1);
  return pushInt(L, Pov ? c->state().pov : c->state().analog);
}

template <bool Pov>
int directionTrig(lua_State* L, const char* method) {
  Controller* c = self(L, method);
  if (!c || c->isPovOn() != Pov) return pushInt(L, -1);
  const ControllerState& s = c->state();
  const int now = Pov ? s.pov : s.analog, before = Pov ? s.prev_pov : s.prev_analog;
  return pushInt(L, now != before ? now : -1);
}

template <bool Pov>
int directionRepeat(lua_State* L, const char* method) {
  Controller* c = self(L, method);
  if (!c || c->isPovOn() != Pov || !c->state().repeat) return pushInt(L, -1);
  return pushInt(L, Pov ? c->state().pov : c->state().analog);
}

int lua_Controller_getPovCount(lua_State* L) { return directionCount<true>(L, RK_CONTROLLER_METHOD(getPovCount)); }
int lua_Controller_getPovTrig(lua_State* L) { return directionTrig<true>(L, RK_CONTROLLER_METHOD(getPovTrig)); }
int lua_Controller_getPovRepeat(lua_State* L) { return directionRepeat<true>(L, RK_CONTROLLER_METHOD(getPovRepeat)); }
int lua_Controller_getAnalogCount(lua_State* L) {
  return directionCount<false>(L, RK_CONTROLLER_METHOD(getAnalogCount));
}
int lua_Controller_getAnalogTrig(lua_State* L) { return directionTrig<false>(L, RK_CONTROLLER_METHOD(getAnalogTrig)); }
int lua_Controller_getAnalogRepeat(lua_State* L) {
  return directionRepeat<false>(L, RK_CONTROLLER_METHOD(getAnalogRepeat));
}

int pushStick(lua_State* L, Controller* c, bool left) {
  lua_settop(L, 0);
  const math::Vector4 stick = !c ? math::Vector4{0, 0, 0, 0} : left ? c->state().left_stick : c->state().right_stick;
  lua_pushnumber(L, stick.x);
  lua_pushnumber(L, stick.y);
  return 2;
}

int lua_Controller_getLeftStick(lua_State* L) { return pushStick(L, self(L, RK_CONTROLLER_METHOD(getLeftStick)), true); }
int lua_Controller_getRightStick(lua_State* L) {
  return pushStick(L, self(L, RK_CONTROLLER_METHOD(getRightStick)), false);
}

int lua_Controller_getPov(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getPov));
  return pushBool(L, c && c->isPovOn());
}

int lua_Controller_setPov(lua_State* L) {
  if (Controller* c = self(L, RK_CONTROLLER_METHOD(setPov))) c->state().pov_usable = toBoolArg(L, 2);
  return pushNothing(L);
}

int lua_Controller_isPovUsable(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(isPovUsable));
  return pushBool(L, c && c->state().connected);
}

std::uint32_t buttonBit(lua_State* L) { return 1u << (static_cast<unsigned>(toIntArg(L, 2)) & 31u); }

int lua_Controller_isButtonCount(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(isButtonCount));
  return pushBool(L, c && (c->state().buttons & buttonBit(L)));
}

int lua_Controller_isButtonTrig(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(isButtonTrig));
  const std::uint32_t bit = buttonBit(L);
  return pushBool(L, c && (c->state().buttons & bit) && !(c->state().prev_buttons & bit));
}

int lua_Controller_isButtonRepeat(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(isButtonRepeat));
  return pushBool(L, c && c->state().repeat && (c->state().buttons & buttonBit(L)));
}

int lua_Controller_setKeyboardMacro(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(setKeyboardMacro));
  const int button = toIntArg(L, 2);
  const auto key1 = static_cast<std::uint32_t>(toIntArg(L, 3));
  const auto key2 = static_cast<std::uint32_t>(toIntArg(L, 4));
  if (c && inRange(button, controller::kButtonCount))
    c->macro().button_keys[button] = static_cast<std::uint16_t>(key2 << 8 | key1);
  return pushNothing(L);
}

int lua_Controller_setJoyPadMacro(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(setJoyPadMacro));
  const int padButton = toIntArg(L, 2);
  if (c && inRange(padButton, controller::kPadButtonCount)) c->macro().pad_map[padButton] = toIntArg(L, 3);
  return pushNothing(L);
}

int lua_Controller_getButtonCount(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getButtonCount));
  return pushInt(L, c ? static_cast<std::int32_t>(c->state().buttons) : 0);
}

int lua_Controller_getButtonTrig(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getButtonTrig));
  return pushInt(L, c ? c->state().buttons & ~c->state().prev_buttons : 0u);
}

int lua_Controller_getButtonRepeat(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getButtonRepeat));
  return pushInt(L, c && c->state().repeat ? static_cast<std::int32_t>(c->state().buttons) : 0);
}

// An unassigned entry (-1) gives bit 31.
int lua_Controller_getButtonBit(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getButtonBit));
  const int padButton = toIntArg(L, 2);
  if (!c || !inRange(padButton, controller::kPadButtonCount)) return pushInt(L, 0);
  const auto bit = 1u << (static_cast<std::uint32_t>(c->macro().pad_map[padButton]) & 31u);
  return pushInt(L, static_cast<std::int32_t>(bit));
}

int lua_Controller_initJoypadKeyCustomTable(lua_State* L) {
  if (Controller* c = self(L, RK_CONTROLLER_METHOD(initJoypadKeyCustomTable))) c->macro().clearPadMap();
  return pushNothing(L);
}

int lua_Controller_initKeyboardCustomTable(lua_State* L) {
  if (Controller* c = self(L, RK_CONTROLLER_METHOD(initKeyboardCustomTable))) c->macro().clearKeyboard();
  return pushNothing(L);
}

int lua_Controller_getButtonFiled(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(getButtonFiled));
  driver::InputDriver* driver = c ? inputDriver() : nullptr;
  std::uint32_t mask = 0;
  for (int i = 0; driver && i < controller::kPadButtonCount; ++i)
    if (driver->isButton(c->state().raw_button_pad, i) == 0x80) mask |= 1u << i;
  return pushInt(L, mask);
}

int lua_Controller_setKeyboradDirButton(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(setKeyboradDirButton));
  const int direction = toIntArg(L, 2);
  if (c && inRange(direction, controller::kDirectionKeyCount))
    c->macro().direction_keys[direction] = static_cast<std::uint8_t>(toIntArg(L, 3));
  return pushNothing(L);
}

int lua_Controller_isValidJoypad(lua_State* L) {
  Controller* c = self(L, RK_CONTROLLER_METHOD(isValidJoypad));
  return pushBool(L, c && c->state().valid);
}

const luaL_Reg kControllerMethods[] = {
    {"release", lua_Controller_release},
    {"getPovCount", lua_Controller_getPovCount},
    {"getPovTrig", lua_Controller_getPovTrig},
    {"getPovRepeat", lua_Controller_getPovRepeat},
    {"getAnalogCount", lua_Controller_getAnalogCount},
    {"getAnalogTrig", lua_Controller_getAnalogTrig},
    {"getAnalogRepeat", lua_Controller_getAnalogRepeat},
    {"getLeftStick", lua_Controller_getLeftStick},
    {"getRightStick", lua_Controller_getRightStick},
    {"getPov", lua_Controller_getPov},
    {"setPov", lua_Controller_setPov},
    {"isPovUsable", lua_Controller_isPovUsable},
    {"isButtonCount", lua_Controller_isButtonCount},
    {"isButtonTrig", lua_Controller_isButtonTrig},
    {"isButtonRepeat", lua_Controller_isButtonRepeat},
    {"setKeyboardMacro", lua_Controller_setKeyboardMacro},
    {"setJoyPadMacro", lua_Controller_setJoyPadMacro},
    {"getButtonCount", lua_Controller_getButtonCount},
    {"getButtonTrig", lua_Controller_getButtonTrig},
    {"getButtonRepeat", lua_Controller_getButtonRepeat},
    {"getButtonBit", lua_Controller_getButtonBit},
    {"initJoypadKeyCustomTable", lua_Controller_initJoypadKeyCustomTable},
    {"initKeyboardCustomTable", lua_Controller_initKeyboardCustomTable},
    {"getButtonFiled", lua_Controller_getButtonFiled},
    {"setKeyboradDirButton", lua_Controller_setKeyboradDirButton},
    {"isValidJoypad", lua_Controller_isValidJoypad},
    {nullptr, nullptr},
};
static_assert(sizeof kControllerMethods / sizeof kControllerMethods[0] == 27);

// ------------------------------------------------------------------ globals

// index < 0: the system controller; else player `index`. An index without a
// controller gives a null object, whose methods report and answer neutrally.
int getController(lua_State* L) {
  const std::int64_t index = toInt64Arg(L, 1);
  Controller* found = nullptr;
  if (controller::ControllerManager* manager = controller::ControllerManager::getInstance()) {
    if (index < 0) {
      found = manager->getSystemController();
    } else {
      found = manager->getController(index > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<unsigned>(index));
      if (!found)
        debug::writeErrorLog("src/script/rk_script_controller", 737,
                             "rk::script::ctrl::`anonymous-namespace'::getController");
    }
  }
  LuaObjectBlock* block = nullptr;
  const int results = pushLuaObject(L, found, kControllerClass, kControllerMethods, lua_Controller_release, &block);
  if (found) found->luaLinks().link(block);
  return results;
}

// Scan code (its low byte) -> the first row's name; "Escape" when no row has it.
int findDIKFromString(lua_State* L) {
  const auto code = static_cast<std::uint8_t>(toIntArg(L, 1) & 0xFF);
  const controller::KeyName* row = controller::findKeyByCode(code);
  lua_settop(L, 0);
  lua_pushstring(L, row ? row->name : "Escape");
  return 1;
}

// Name -> the first row's scan code, ignoring case; 0 when none. Only strings
// and numbers are compared.
int findKeyNameFromDIK(lua_State* L) {
  const controller::KeyName* row = controller::findKeyByName(toTextArg(L, 1));
  return pushInt(L, row ? row->code : 0);
}

// The first key reported down (some codes are never offered), after which the
// driver forgets its key presses; -1 when none is down.
int getPressDIK(lua_State* L) {
  lua_settop(L, 0);
  driver::InputDriver* driver = inputDriver();
  const controller::KeyName* rows = controller::keyNameTable();
  for (int i = 0; driver && i < controller::kKeyNameCount; ++i) {
    const std::uint8_t code = rows[i].code;
    if (code == 0x3D || code == 0x49 || code == 0x51 || code == 0x90 || code == 0x91 || code == 0x92) continue;
    if (driver->getKeyState(code) & 0x80) {
      driver->clearKeyState();
      return pushInt(L, code);
    }
  }
  return pushInt(L, -1);
}

int getValidJoypadNum(lua_State* L) {
  driver::InputDriver* driver = inputDriver();
  return pushInt(L, driver ? driver->getConnectedPadCount() : 0u);
}

// A negative count is ignored; larger counts are held by the manager's limit.
int setPlayerMember(lua_State* L) {
  const std::int64_t count = toInt64Arg(L, 1);
  if (count >= 0) {
    if (controller::ControllerManager* manager = controller::ControllerManager::getInstance())
      manager->setPlayerNum(count > controller::kMaxPlayerCount ? controller::kMaxPlayerCount
                                                                : static_cast<unsigned>(count));
  }
  return pushNothing(L);
}

// A boolean of either value turns the POV on; anything else turns it off.
int setSystemPOV(lua_State* L) {
  const bool on = lua_type(L, 1) == LUA_TBOOLEAN;
  if (controller::ControllerManager* manager = controller::ControllerManager::getInstance())
    manager->getSystemController()->state().pov_usable = on;
  return pushNothing(L);
}

std::vector<LuaFunctionPair> buildControllerTable() {
  std::vector<LuaFunctionPair> pairs = {
      {getController, "getController"},         {findDIKFromString, "findDIKFromString"},
      {findKeyNameFromDIK, "findKeyNameFromDIK"}, {getPressDIK, "getPressDIK"},
      {findDIKFromString, "changeDIKToString"}, {getValidJoypadNum, "getValidJoypadNum"},
  };
  const std::vector<LuaFunctionPair>& constants = controllerConstantPairs();
  pairs.insert(pairs.end(), constants.begin(), constants.end());
  return pairs;
}

const LuaFunctionPair kPlayerFunctions[] = {
    {setPlayerMember, "setPlayerMember"},
    {setSystemPOV, "setSystemPOV"},
};

}  // namespace

}  // namespace rk::script::ctrl

namespace rk::script {

LuaFunctionTable controllerFunctionTable() {
  static const std::vector<LuaFunctionPair> pairs = ctrl::buildControllerTable();
  return {pairs.data(), static_cast<int>(pairs.size())};
}

LuaFunctionTable playerFunctionTable() {
  return {ctrl::kPlayerFunctions, static_cast<int>(sizeof ctrl::kPlayerFunctions / sizeof ctrl::kPlayerFunctions[0])};
}

}  // namespace rk::script
