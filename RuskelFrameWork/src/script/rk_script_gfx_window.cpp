// The window object: a gfx model command that draws a 2D window (background,
// frame, title) and the items created through it, in creation order. Its
// methods write the window's settings record; the item creators live beside
// their items.
#include <cstdint>

#include "gfx/rk_color_ops.h"
#include "rk_script_gfx_window_internal.h"

namespace rk::script::gph {

RK_GFX_COMMAND_CLASS(kWindowClass, "rk::gfx::gfx_model_command::GfxWindow");

std::uint32_t argbArgs(lua_State* L, int first) {
  std::uint32_t argb = 0;
  for (int i = 0; i < 4; ++i) argb = argb << 8 | (static_cast<std::uint32_t>(lowWordArg(L, first + i)) & 0xFFu);
  return argb;
}

namespace {

using gfx::gfx_model_command::GfxWindow;

#define RK_WINDOW_SELF(name)                                                           \
  GfxWindow::Impl* window = nullptr;                                                   \
  if (auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass)) window = &command->impl(); \
  else RK_GPH_REPORT_NULL("lua_GfxModel_Window_" name)

int lua_GfxModel_Window_setOrg(lua_State* L) {
  RK_WINDOW_SELF("setOrg");
  if (window) window->org_ = {toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f};
  return noResults(L);
}

int lua_GfxModel_Window_setSize(lua_State* L) {
  RK_WINDOW_SELF("setSize");
  if (window) window->size_ = {toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f};
  return noResults(L);
}

int lua_GfxModel_Window_getSize(lua_State* L) {
  RK_WINDOW_SELF("getSize");
  const math::Vector4 size = window ? window->size_ : math::Vector4{};
  lua_settop(L, 0);
  lua_pushnumber(L, size.x);
  lua_pushnumber(L, size.y);
  return 2;
}

int lua_GfxModel_Window_setFrameSize(lua_State* L) {
  RK_WINDOW_SELF("setFrameSize");
  if (window) window->frame_size_ = toFloatArg(L, 2);
  return noResults(L);
}

// Packed colours and float colours, each from a, r, g, b.
template <std::uint32_t GfxWindow::Impl::*Field>
int setPackedColour(lua_State* L, const char* binding, int line) {
  auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!command) debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  if (command) command->impl().*Field = argbArgs(L, 2);
  return noResults(L);
}

template <gfx::Color GfxWindow::Impl::*Field>
int setFloatColour(lua_State* L, const char* binding, int line) {
  auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!command) debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  if (command) command->impl().*Field = gfx::colorFromArgb(argbArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Window_setFontColor(lua_State* L) {
  return setPackedColour<&GfxWindow::Impl::font_color_>(L, RK_GPH_BINDING("lua_GfxModel_Window_setFontColor"),
                                                          __LINE__);
}

int lua_GfxModel_Window_setFrameColor(lua_State* L) {
  return setFloatColour<&GfxWindow::Impl::frame_color_>(L, RK_GPH_BINDING("lua_GfxModel_Window_setFrameColor"),
                                                          __LINE__);
}

int lua_GfxModel_Window_setFrameDrawMode(lua_State* L) {
  RK_WINDOW_SELF("setFrameDrawMode");
  if (window) window->frame_draw_mode_ = lowWordArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Window_setBGColor(lua_State* L) {
  return setFloatColour<&GfxWindow::Impl::bg_color_>(L, RK_GPH_BINDING("lua_GfxModel_Window_setBGColor"), __LINE__);
}

// A text that is neither a string nor a number leaves the title as it was.
int lua_GfxModel_Window_setTitle(lua_State* L) {
  RK_WINDOW_SELF("setTitle");
  if (const char* text = toTextArg(L, 2); window && text) window->title_ = text;
  return noResults(L);
}

int lua_GfxModel_Window_setWindowColor(lua_State* L) {
  return setPackedColour<&GfxWindow::Impl::window_color_>(L, RK_GPH_BINDING("lua_GfxModel_Window_setWindowColor"),
                                                            __LINE__);
}

int lua_GfxModel_Window_setBaseColor(lua_State* L) {
  return setPackedColour<&GfxWindow::Impl::base_color_>(L, RK_GPH_BINDING("lua_GfxModel_Window_setBaseColor"),
                                                          __LINE__);
}

// Each channel as a float colour times 255: a, r, g, b.
int lua_GfxModel_Window_getBaseColor(lua_State* L) {
  RK_WINDOW_SELF("getBaseColor");
  const gfx::Color colour = gfx::colorFromArgb(window ? window->base_color_ : 0u);
  lua_settop(L, 0);
  for (float channel : {colour.getA(), colour.getR(), colour.getG(), colour.getB()})
    lua_pushnumber(L, channel * 255.0f);
  return 4;
}

// The number 1 or 0, not a boolean.
int lua_GfxModel_Window_isVisible(lua_State* L) {
  RK_WINDOW_SELF("isVisible");
  const bool visible = window && window->visible_;
  lua_settop(L, 0);
  lua_pushinteger(L, visible ? 1 : 0);
  return 1;
}

int lua_GfxModel_Window_setVisible(lua_State* L) {
  RK_WINDOW_SELF("setVisible");
  if (window) window->visible_ = toBoolArg(L, 2);
  return noResults(L);
}

// The items stay alive with their objects.
int lua_GfxModel_Window_cls(lua_State* L) {
  auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!command) RK_GPH_REPORT_NULL("lua_GfxModel_Window_cls");
  if (command) command->cls();
  return noResults(L);
}

// size [, pen [, quality]]: the text font's height is size / quality - pen / 2
// in integers, the title's half the size (as an unsigned shift). A quality of
// 0 divides as 1; the arithmetic is done wide, so no pair of arguments overflows.
int lua_GfxModel_Window_setFontSize(lua_State* L) {
  auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!command) RK_GPH_REPORT_NULL("lua_GfxModel_Window_setFontSize");
  const std::int32_t size = lowWordArg(L, 2);
  std::int32_t pen = 1, quality = 1;
  if (lua_gettop(L) >= 3) {
    pen = lowWordArg(L, 3);
    if (lua_gettop(L) >= 4) quality = lowWordArg(L, 4);
  }
  if (command) {
    GfxWindow::Impl& w = command->impl();
    const std::int64_t divisor = quality != 0 ? quality : 1;
    w.item_font_size_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(size / divisor - pen / 2));
    w.item_pen_size_ = pen;
    w.item_quality_ = quality;
    w.title_font_size_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(size) >> 1);
    command->applyFontSettings();
  }
  return noResults(L);
}

int lua_GfxModel_Window_setTitleFontSize(lua_State* L) {
  auto* command = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!command) RK_GPH_REPORT_NULL("lua_GfxModel_Window_setTitleFontSize");
  if (command) command->impl().title_font_size_ = lowWordArg(L, 2);
  return noResults(L);
}

}  // namespace

// "createGauge" stands twice: the later entry is the same function.
const luaL_Reg kWindowMethods[] = {
    {"setOrg", lua_GfxModel_Window_setOrg},
    {"setSize", lua_GfxModel_Window_setSize},
    {"getSize", lua_GfxModel_Window_getSize},
    {"setFrameSize", lua_GfxModel_Window_setFrameSize},
    {"setFontColor", lua_GfxModel_Window_setFontColor},
    {"setFrameColor", lua_GfxModel_Window_setFrameColor},
    {"setFrameDrawMode", lua_GfxModel_Window_setFrameDrawMode},
    {"setBGColor", lua_GfxModel_Window_setBGColor},
    {"setTitle", lua_GfxModel_Window_setTitle},
    {"setWindowColor", lua_GfxModel_Window_setWindowColor},
    {"setBaseColor", lua_GfxModel_Window_setBaseColor},
    {"getBaseColor", lua_GfxModel_Window_getBaseColor},
    {"isVisible", lua_GfxModel_Window_isVisible},
    {"setVisible", lua_GfxModel_Window_setVisible},
    {"createGauge", lua_GfxModel_Window_createGauge},
    {"createMenu", lua_GfxModel_Window_createMenu},
    {"createLocate", lua_GfxModel_Window_createLocate},
    {"createFontAdapter", lua_GfxModel_Window_createFontAdapter},
    {"createString", lua_GfxModel_Window_createString},
    {"cls", lua_GfxModel_Window_cls},
    {"setFontSize", lua_GfxModel_Window_setFontSize},
    {"setTitleFontSize", lua_GfxModel_Window_setTitleFontSize},
    {"createGauge", lua_GfxModel_Window_createGauge},
    {"setFontAdapter", lua_GfxModel_Window_setFontAdapter},
    {"popFontAdapter", lua_GfxModel_Window_popFontAdapter},
    {nullptr, nullptr},
};

// The window's constructor lists it at the end of the gfx model's commands.
int lua_GfxModel_createWindow(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createWindow");
  auto* command = new GfxWindow(model);
  return pushGfxCommand(L, command, kWindowClass, kWindowMethods);
}

}  // namespace rk::script::gph
