#include "script/rk_script_window.h"

#include <cstdio>

#include "host/ui.h"
#include "host/ui_text_input.h"
#include "kernel/rk_device_context.h"
#include "script/rk_lua_arg.h"

namespace rk::script {

namespace {

namespace ui = host::ui;

ui::Window* gameWindow() {
  DeviceContext* context = DeviceContext::getInstance();
  return context ? context->getWindowHandle() : nullptr;
}

int resizeWindow(lua_State* L) {
  const int width = toIntArg(L, 1), height = toIntArg(L, 2);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setScreenSize(width, height);
  return 0;
}

// Any true value (the number 0 included) selects borderless full screen.
int setFullScreen(lua_State* L) {
  const bool fullScreen = toBoolArg(L, 1);
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) {
    context->setWindowed(!fullScreen);
    context->setScreenSize(static_cast<int>(context->screenWidth()), static_cast<int>(context->screenHeight()));
  }
  return 0;
}

int resetDevice(lua_State* L) {
  lua_settop(L, 0);
  if (DeviceContext* context = DeviceContext::getInstance()) context->setResetMode(false);
  return 0;
}

int getWindowSize(lua_State* L) {
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  lua_pushnumber(L, context ? context->screenWidth() : 0);
  lua_pushnumber(L, context ? context->screenHeight() : 0);
  return 2;
}

// Returns whether Return confirmed the input, and the text (the initial text
// otherwise).
int inputText(lua_State* L) {
  const std::string initial = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  const ui::TextInputResult result = ui::inputTextLine(gameWindow(), initial);
  lua_pushboolean(L, result.confirmed);
  lua_pushlstring(L, result.text.data(), result.text.size());
  return 2;
}

// The number travels as "%f" text of its single-precision value; text that
// does not read as a number gives the initial number back.
int inputNumber(lua_State* L) {
  const float initial = toFloatArg(L, 1);
  lua_settop(L, 0);
  char text[128];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(initial));
  const ui::TextInputResult result = ui::inputTextLine(gameWindow(), text);
  float value = initial;
  if (std::sscanf(result.text.c_str(), "%f", &value) != 1) value = initial;
  lua_pushboolean(L, result.confirmed);
  lua_pushnumber(L, value);
  return 2;
}

// Yes, No (the default) and the question icon; true for Yes.
int dispYesNoMessageBox(lua_State* L) {
  const std::string text = toTextOrEmpty(L, 1);
  const char* caption = toTextArg(L, 2);
  const std::string shownCaption = caption ? caption : "エラー";
  lua_settop(L, 0);
  const int answer =
      ui::messageBox(gameWindow(), text, shownCaption, ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2);
  lua_pushboolean(L, answer == ui::IDYES);
  return 1;
}

int setWaitCursor(lua_State* L) {
  lua_settop(L, 0);
  ui::setCursor(ui::loadCursor(ui::SystemCursor::Wait));
  return 0;
}

int setNormalCursor(lua_State* L) {
  lua_settop(L, 0);
  ui::setCursor(ui::loadCursor(ui::SystemCursor::Arrow));
  return 0;
}

const LuaFunctionPair kWindowFunctions[] = {
    {resizeWindow, "resizeWindow"},
    {setFullScreen, "setFullScreen"},
    {resetDevice, "resetDevice"},
    {getWindowSize, "getWindowSize"},
    {inputText, "inputText"},
    {inputNumber, "inputNumber"},
    {dispYesNoMessageBox, "dispYesNoMessageBox"},
    {setWaitCursor, "setWaitCursor"},
    {setNormalCursor, "setNormalCursor"},
};

}  // namespace

LuaFunctionTable windowFunctionTable() {
  return {kWindowFunctions, static_cast<int>(sizeof kWindowFunctions / sizeof kWindowFunctions[0])};
}

}  // namespace rk::script
