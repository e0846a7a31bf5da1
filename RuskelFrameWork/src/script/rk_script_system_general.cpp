// The system table's general services: ending the game, the cancel key, frame
// timing, the global-variable switches, the normal pause, text and sleep
// helpers and the memory load.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/clock.h"
#include "host/memory.h"
#include "host/text.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_global_data.h"
#include "kernel/rk_input_context.h"
#include "platform/driver/rk_input_driver.h"
#include "script/rk_lua_arg.h"
#include "rk_script_system_internal.h"
#include "task/rk_task.h"

namespace rk::script::system {

namespace {

// The key the cancel query reads (Escape among the key identifiers).
constexpr std::uint8_t kCancelKey = 35;
// Set while the cancel key was seen pressed, so each press is reported once.
bool g_cancelFlag = false;

}  // namespace

host::ui::Window* mainWindow() { return DeviceContext::getInstance()->getWindowHandle(); }

int lua_doNothing(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// Closing the window ends the run loop once the window has been destroyed.
int lua_exitGame(lua_State* L) {
  lua_settop(L, 0);
  host::ui::postMessage(mainWindow(), host::ui::WM_CLOSE, 0, 0);
  return 0;
}

int lua_resetCancelFlag(lua_State* L) {
  lua_settop(L, 0);
  g_cancelFlag = false;
  return 0;
}

int lua_isCancel(lua_State* L) {
  lua_settop(L, 0);
  bool pressed = false;
  if (InputContext* input = InputContext::getInstance()) {
    if (driver::InputDriver* driver = input->getDriver()) pressed = (driver->getKeyState(kCancelKey) & 0x80) != 0;
  }
  const bool report = pressed && !g_cancelFlag;
  g_cancelFlag = pressed;
  lua_pushboolean(L, report);
  return 1;
}

int lua_getDT(lua_State* L) {
  lua_settop(L, 0);
  lua_pushnumber(L, DeviceContext::getInstance()->frameTime());
  return 1;
}

int lua_setFixFrame(lua_State* L) {
  const bool fix = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (GlobalVariable* variables = GlobalVariable::getInstance()) variables->setFixFrame(fix);
  return 0;
}

int lua_isVisibleCollision(lua_State* L) {
  lua_settop(L, 0);
  GlobalVariable* variables = GlobalVariable::getInstance();
  lua_pushboolean(L, variables && variables->isVisibleCollision());
  return 1;
}

// Stored only: the collision display reads it once physics draws its bodies.
int lua_setVisibleCollision(lua_State* L) {
  const bool visible = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (GlobalVariable* variables = GlobalVariable::getInstance()) variables->setVisibleCollision(visible);
  return 0;
}

// Stored only, like the visible-collision switch.
int lua_setDebugCollisonCameraNo(lua_State* L) {
  const int cameraNo = toIntArg(L, 1);
  lua_settop(L, 0);
  if (GlobalVariable* variables = GlobalVariable::getInstance()) variables->setDebugCollisionCameraNo(cameraNo);
  return 0;
}

int lua_ToMeter(lua_State* L) {
  const float meters = toFloatArg(L, 1);
  lua_settop(L, 0);
  lua_pushnumber(L, meters);
  return 1;
}

// True asked for during the task manager's pass takes effect when its next pass starts.
int lua_setNormalPause(lua_State* L) {
  const bool pause = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (task::TaskManager* tasks = task::TaskManager::getInstance()) tasks->setNormalPause(pause);
  return 0;
}

int lua_isNormalPause(lua_State* L) {
  lua_settop(L, 0);
  task::TaskManager* tasks = task::TaskManager::getInstance();
  lua_pushboolean(L, tasks && tasks->isNormalPause());
  return 1;
}

// Byte-wise; a missing text or ending (neither string nor number) is false.
int lua_checkStringIncludeBack(lua_State* L) {
  const bool haveBoth = toTextArg(L, 1) && toTextArg(L, 2);
  const std::string text = toTextOrEmpty(L, 1);
  const std::string ending = toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  const bool endsWith = haveBoth && ending.size() <= text.size() &&
                        text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
  lua_pushboolean(L, endsWith);
  return 1;
}

// A negative time sleeps not at all: handed on unchecked it would wrap to
// weeks. The longest sleep stays one below the "forever" value.
int lua_sleepThread(lua_State* L) {
  std::int64_t ms = toInt64Arg(L, 1);
  lua_settop(L, 0);
  if (ms <= 0) return 0;
  if (ms > 0xFFFFFFFE) ms = 0xFFFFFFFE;
  host::clock::sleepMs(static_cast<unsigned>(ms));
  return 0;
}

int lua_getGlobalMemoryByPar(lua_State* L) {
  lua_settop(L, 0);
  unsigned percent = 0;
  if (!host::memory::memoryLoad(&percent)) {
    const std::string reason = std::strerror(errno);
    const std::string text = host::text::utf8ToCp932(reason);
    host::ui::messageBox(mainWindow(), text.empty() ? reason : text, "エラー", host::ui::MB_ICONINFORMATION);
    percent = 0;
  }
  lua_pushinteger(L, percent);
  return 1;
}

}  // namespace rk::script::system
