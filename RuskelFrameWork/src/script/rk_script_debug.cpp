// The debug table: printed text is queued, sleeps block the main thread,
// MessageBoxDB shows an OK box and debugAssert ends the program through the
// run function's handler.
#include "script/rk_script_debug.h"

#include <algorithm>
#include <cmath>

#include "font/rk_font.h"
#include "host/clock.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "util/rk_text.h"

namespace rk::script {

namespace {

std::uint32_t lowByte(lua_State* L, int index) { return static_cast<std::uint32_t>(toIntArg(L, index)) & 0xFFu; }

// The debug font's print list, or null before the device context made its fonts.
font::RKFont* debugFont() {
  DeviceContext* context = DeviceContext::getInstance();
  return context ? context->font(0).get() : nullptr;
}

// x, y, alpha, red, green, blue, format, values... The finished text is queued
// as it stands (it is not formatted a second time).
int debugPrintf(lua_State* L) {
  const int x = toIntArg(L, 1);
  const int y = toIntArg(L, 2);
  const std::uint32_t color = lowByte(L, 3) << 24 | lowByte(L, 4) << 16 | lowByte(L, 5) << 8 | lowByte(L, 6);
  std::string format = toTextOrEmpty(L, 7);
  format.resize(std::min(format.size(), format.find('\0')));  // the format is read as C text
  const std::string text = formatDebugText(L, format, 8);
  lua_settop(L, 0);
  if (font::RKFont* font = debugFont()) font->printf(x, y, color, "%s", text.c_str());
  return 0;
}

// Milliseconds, rounded to the nearest integer with halves to even.
int debugSleep(lua_State* L) {
  const double ms = std::nearbyint(lua_tonumberx(L, 1, nullptr));
  lua_settop(L, 0);
  if (ms > 0) host::clock::sleepMs(ms >= 4294967295.0 ? 4294967295u : static_cast<unsigned>(ms));
  return 0;
}

int debugCLS(lua_State* L) {
  lua_settop(L, 0);
  if (font::RKFont* font = debugFont()) font->clearPrint();
  return 0;
}

int debugPrintTTY(lua_State* L) {
  toTextArg(L, 1);
  lua_settop(L, 0);
  return 0;
}

int debugPrintTTYNumber(lua_State* L) {
  lua_tonumberx(L, 1, nullptr);
  lua_settop(L, 0);
  return 0;
}

// Always fails hard; registered guarded, so the exception reaches the host.
int debugAssert(lua_State* L) {
  const std::wstring message = util::toWideString(toTextOrEmpty(L, 1));
  lua_settop(L, 0);
  throw HrException(host::E_FAIL, "src/script/rk_script_debug", 235, message.c_str());
}

int debugTrap(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// A missing caption gets the system's default caption for boxes.
int MessageBoxDB(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const char* caption = toTextArg(L, 2);
  const std::string shownText = text ? text : "";
  const std::string shownCaption = caption ? caption : "エラー";
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  host::ui::messageBox(context ? context->getWindowHandle() : nullptr, shownText, shownCaption, host::ui::MB_OK);
  return 0;
}

const LuaFunctionPair kDebugFunctions[] = {
    {debugPrintf, "debugPrintf"},
    {debugSleep, "debugSleep"},
    {debugCLS, "debugCLS"},
    {debugPrintTTY, "debugPrintTTY"},
    {debugPrintTTYNumber, "debugPrintTTYNumber"},
    {guarded<debugAssert>, "debugAssert"},
    {debugTrap, "debugTrap"},
    {MessageBoxDB, "MessageBoxDB"},
};

}  // namespace

LuaFunctionTable debugFunctionTable() {
  return {kDebugFunctions, static_cast<int>(sizeof kDebugFunctions / sizeof kDebugFunctions[0])};
}

}  // namespace rk::script
