// A game pad plugged in as an SDL virtual controller drives the game's own
// input scripts through the whole controller layer: the host's pad reading,
// the XInput driver, the controller manager and the script controller
// objects. The D-pad and the OK and cancel buttons move and choose in the
// game's menu; the left stick and the D-pad steer the player's flight.
#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>
#include <vector>

#include "ctrl/rk_controller.h"
#include "host/input.h"
#include "platform/driver/xinput/rk_xinput_driver.h"
#include "script/rk_script.h"
#include "script/rk_script_controller.h"
#include "support/lua_run.h"
#include "support/temp_dir.h"

namespace {

using host::input::VirtualAxis;
using host::input::VirtualButton;

std::string source(const std::string& name) {
  return rktest::readBytes(std::string(RK_SOURCE_DIR) + "/data/script/" + name + ".lua");
}

// What the menu module draws with and waits on; nothing of it is looked at here.
constexpr char kStubs[] = R"(
Screen = { begin = function() end, finish = function() end, panel = function() end,
           text = function() end, fill = function() end }
COLOUR = {}
Frame = { next = function() end }
)";

class GamePad : public ::testing::Test {
 protected:
  void SetUp() override {
    for (unsigned pad = 0; pad < host::input::kPadCount; ++pad) host::input::injectDisconnected(pad);
    host::input::clearInjectedStates();
    handle_ = host::input::attachVirtualController();
    if (handle_ < 0) GTEST_SKIP() << "SDL cannot attach a virtual controller here";
    rk::controller::ControllerManager::createInstance()->setPlayerNum(1);
    L = luaL_newstate();
    luaL_openlibs(L);
    const rk::script::LuaFunctionTable table = rk::script::controllerFunctionTable();
    rk::script::registerLuaFunctions(L, table.pairs, table.count);
    for (const char* module : {"global_lib", "modules/instance", "game/guard", "game/autoplay"})
      ASSERT_EQ(rktest::runLua(L, source(module)), "") << module;
    ASSERT_EQ(rktest::runLua(L, kStubs), "");
    for (const char* module : {"game/input", "game/menu"}) ASSERT_EQ(rktest::runLua(L, source(module)), "") << module;
    ASSERT_EQ(run(R"(
      Input.init()
      MENU = Menu.new("pad", "PAD", {
        { key = "start", label = "START" }, { key = "options", label = "OPTIONS" },
        { key = "ranking", label = "RANKING" }, { key = "exit", label = "EXIT" },
      }, "exit")
    )"), "");
  }
  void TearDown() override {
    if (L) lua_close(L);  // the controller objects go before their manager
    rk::controller::ControllerManager::destroyInstance();
    if (handle_ >= 0) host::input::detachVirtualController(handle_);
    host::input::clearInjectedStates();
  }
  std::string run(const std::string& code) { return rktest::runLua(L, code); }

  // One frame as the frame loop runs it: the driver reads the pads, the
  // manager updates every controller, the scripts run, the frame ends.
  std::string frame(const std::string& script) {
    driver_.update(0);
    auto* manager = rk::controller::ControllerManager::getInstance();
    manager->update(driver_, 1.0f / 60.0f);
    std::string result;
    if (run(script + " RESULT = tostring(RESULT)") == "") {
      lua_getglobal(L, "RESULT");
      result = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(none)";
      lua_pop(L, 1);
    } else {
      result = "(error)";
    }
    manager->endFrame();
    return result;
  }
  // Presses the button for one frame and lets it go in the next; returns
  // what the menu did with the frame's action ("" for none, else the action,
  // and "=key" when the menu ended on key).
  std::string press(VirtualButton button) {
    host::input::setVirtualButton(handle_, button, true);
    const std::string result = menuStep();
    host::input::setVirtualButton(handle_, button, false);
    EXPECT_EQ(menuStep(), "") << "a released button does nothing";
    return result;
  }
  std::string menuStep() {
    return frame("local a = Input.menuAction() RESULT = a or '' local chosen = a and MENU:apply(a) "
                 "if chosen then RESULT = RESULT .. '=' .. chosen end");
  }
  // The flight stick the game reads this frame, as "x y" rounded to tenths.
  std::string stick() { return frame("local x, y = Input.stick() RESULT = string.format('%.1f %.1f', x, y)"); }

  int handle_ = -1;
  lua_State* L = nullptr;
  rk::driver::xinput::XInputDriver driver_;
};

TEST_F(GamePad, DpadAndButtonsMoveAndChooseInTheGamesMenu) {
  struct Case {
    VirtualButton button;
    const char* result;  // what the menu does with the press
    int cursor;          // the entry selected afterwards
  } cases[] = {
      {VirtualButton::DpadDown, "down", 2},  {VirtualButton::DpadDown, "down", 3},
      {VirtualButton::DpadUp, "up", 2},      {VirtualButton::A, "ok=options", 2},
      {VirtualButton::DpadUp, "up", 1},      {VirtualButton::DpadUp, "up", 4},  // wraps to the last
      {VirtualButton::DpadDown, "down", 1},  {VirtualButton::B, "cancel=exit", 1},
      {VirtualButton::X, "", 1},             // no menu meaning
  };
  ASSERT_EQ(menuStep(), "") << "nothing is pressed yet";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    EXPECT_EQ(press(c.button), c.result);
    EXPECT_EQ(run("assert(MENU.cursor == " + std::to_string(c.cursor) + ", MENU.cursor)"), "");
  }
}

TEST_F(GamePad, StickAndDpadSteerThePlayersFlight) {
  EXPECT_EQ(stick(), "0.0 0.0");
  struct Case {
    const char* name;
    std::int16_t x, y;  // SDL's stick: x to the right, y downwards
    VirtualButton dpad;
    bool useDpad;
    const char* flight;  // x to the right, y upwards
  } cases[] = {
      {"stick right", 32767, 0, VirtualButton::DpadUp, false, "1.0 0.0"},
      {"stick up", 0, -32768, VirtualButton::DpadUp, false, "0.0 1.0"},
      {"stick down left", -23170, 23170, VirtualButton::DpadUp, false, "-0.7 -0.7"},
      {"dpad left with the stick at rest", 0, 0, VirtualButton::DpadLeft, true, "-1.0 0.0"},
      {"dpad down", 0, 0, VirtualButton::DpadDown, true, "0.0 -1.0"},
      {"stick wins over the dpad", 32767, 0, VirtualButton::DpadLeft, true, "1.0 0.0"},
      {"a stick inside the dead zone rests", 1500, -1500, VirtualButton::DpadUp, false, "0.0 0.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::input::setVirtualAxis(handle_, VirtualAxis::LeftX, c.x);
    host::input::setVirtualAxis(handle_, VirtualAxis::LeftY, c.y);
    if (c.useDpad) host::input::setVirtualButton(handle_, c.dpad, true);
    EXPECT_EQ(stick(), c.flight);
    if (c.useDpad) host::input::setVirtualButton(handle_, c.dpad, false);
  }
  host::input::setVirtualAxis(handle_, VirtualAxis::LeftX, 0);
  host::input::setVirtualAxis(handle_, VirtualAxis::LeftY, 0);
  EXPECT_EQ(stick(), "0.0 0.0") << "a released pad leaves the ship still";
}

}  // namespace
