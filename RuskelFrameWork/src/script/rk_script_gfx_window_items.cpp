// The simple window items: strings, font-adapter items, locates, gauges and
// the font push and pop items, with their creators (window methods) and the
// release that every window item's object shares.
#include <boost/make_shared.hpp>

#include "font/directx_font/rk_directx_outline_font.h"
#include "gfx/rk_color.h"
#include "rk_script_gfx_window_internal.h"
#include "script/rk_script_font.h"

namespace rk::script::gph {

const LuaClass kWindowItemClass{"rk::gfx::gfx_model_command::WindowItemAdapter"};

void* castToWindowItem(void* object, const LuaClass& target) {
  return &target == &kWindowItemClass ? object : nullptr;
}

int releaseWindowItem(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  auto* item = toWindowItem<gfx::gfx_model_command::WindowItemAdapter>(L, 1, kWindowItemClass);
  if (!item) RK_GPH_REPORT_NULL("releaseWindowItem");
  if (item) {
    block->object = nullptr;
    delete item;  // leaves its window's list
  }
  return noResults(L);
}

// Public: game code takes gauge items as arguments.
RK_WINDOW_ITEM_CLASS(kWindowItemGaugeClass, "rk::gfx::gfx_model_command::WindowItemGauge");

int pushWindowItem(lua_State* L, gfx::gfx_model_command::WindowItemAdapter* item, const LuaClass& cls,
                   const luaL_Reg* methods) {
  if (item->owner()) item->owner()->addItem(item);
  return pushLuaObject(L, item, cls, methods, releaseWindowItem);
}

namespace {

namespace cmd = gfx::gfx_model_command;
using cmd::GfxWindow;

RK_WINDOW_ITEM_CLASS(kStringItemClass, "rk::gfx::gfx_model_command::WindowItemString");
RK_WINDOW_ITEM_CLASS(kFontAdapterItemClass, "rk::gfx::gfx_model_command::WindowItemFontAdapter");
RK_WINDOW_ITEM_CLASS(kLocateItemClass, "rk::gfx::gfx_model_command::WindowItemLocate");
RK_WINDOW_ITEM_CLASS(kSetFontItemClass, "rk::gfx::gfx_model_command::WindowItemSetFont");
RK_WINDOW_ITEM_CLASS(kPopFontItemClass, "rk::gfx::gfx_model_command::WindowItemPopFont");

const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

// The window of argument 1 for a creator; null is reported under its name.
GfxWindow* creatorWindow(lua_State* L, const char* binding, int line) {
  auto* window = toGfxCommand<GfxWindow>(L, 1, kWindowClass);
  if (!window) debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  return window;
}
#define RK_CREATOR_WINDOW(name) GfxWindow* window = creatorWindow(L, RK_GPH_BINDING(name), __LINE__)

// ---------------------------------------------------------------- strings

#define RK_STRING_SELF(name) RK_WINDOW_ITEM_SELF(cmd::WindowItemString, kStringItemClass, "lua_GfxWindow_Item_String_" name)

// A text that is neither a string nor a number leaves the text as it was.
int lua_GfxWindow_Item_String_setString(lua_State* L) {
  RK_STRING_SELF("setString");
  if (const char* text = toTextArg(L, 2); item && text) item->record().text = text;
  return noResults(L);
}

int lua_GfxWindow_Item_String_getSize(lua_State* L) {
  RK_STRING_SELF("getSize");
  const math::Vector4 size = item ? item->record().size : math::Vector4{};
  lua_settop(L, 0);
  lua_pushnumber(L, size.x);
  lua_pushnumber(L, size.y);
  lua_pushinteger(L, 1);
  return 3;
}

int lua_GfxWindow_Item_String_setSize(lua_State* L) {
  RK_STRING_SELF("setSize");
  if (item) item->record().size = {toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f};
  return noResults(L);
}

// Measures the text at the window's font settings; the size becomes the
// item's and the window's.
int lua_GfxWindow_Item_String_calcSize(lua_State* L) {
  RK_STRING_SELF("calcSize");
  if (item) {
    if (item->owner()) item->owner()->applyFontSettings();
    item->calcSize();
  }
  return noResults(L);
}

// ----------------------------------------------------- font-adapter items

using AdapterPtr = boost::shared_ptr<font::FontAdapter>;

AdapterPtr itemAdapter(lua_State* L, const char* binding, int line) {
  auto* item = toWindowItem<cmd::WindowItemFontAdapter>(L, 1, kFontAdapterItemClass);
  if (!item || !item->adapter()) debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  return item ? item->adapter() : AdapterPtr();
}
#define RK_ADAPTER_SELF(name) \
  AdapterPtr adapter = itemAdapter(L, RK_GPH_BINDING("lua_GfxWindow_Item_FontAdapter_" name), __LINE__)

int lua_GfxWindow_Item_FontAdapter_changeFont(lua_State* L) {
  RK_ADAPTER_SELF("changeFont");
  if (adapter) adapter->changeFont();
  return noResults(L);
}

int lua_GfxWindow_Item_FontAdapter_getFontName(lua_State* L) {
  RK_ADAPTER_SELF("getFontName");
  lua_settop(L, 0);
  const char* name = adapter ? adapter->getFontName() : nullptr;
  if (name)
    lua_pushstring(L, name);
  else
    lua_pushnil(L);
  return 1;
}

int lua_GfxWindow_Item_FontAdapter_setFontName(lua_State* L) {
  RK_ADAPTER_SELF("setFontName");
  if (const char* name = toTextArg(L, 2); adapter && name) adapter->setFontName(name);
  return noResults(L);
}

int lua_GfxWindow_Item_FontAdapter_setQuarity(lua_State* L) {
  RK_ADAPTER_SELF("setQuarity");
  const std::int32_t quality = lowWordArg(L, 2);
  if (adapter) adapter->setQuarity(quality != 0 ? quality : 1);
  return noResults(L);
}

template <void (font::FontAdapter::*Set)(int)>
int setAdapterInt(lua_State* L, const char* binding, int line) {
  AdapterPtr adapter = itemAdapter(L, binding, line);
  if (adapter) (adapter.get()->*Set)(lowWordArg(L, 2));
  return noResults(L);
}

int lua_GfxWindow_Item_FontAdapter_setPenSize(lua_State* L) {
  return setAdapterInt<&font::FontAdapter::setPenSize>(
      L, RK_GPH_BINDING("lua_GfxWindow_Item_FontAdapter_setPenSize"), __LINE__);
}

int lua_GfxWindow_Item_FontAdapter_setSizePt(lua_State* L) {
  return setAdapterInt<&font::FontAdapter::setFontSizePt>(
      L, RK_GPH_BINDING("lua_GfxWindow_Item_FontAdapter_setSizePt"), __LINE__);
}

int lua_GfxWindow_Item_FontAdapter_setSize(lua_State* L) {
  return setAdapterInt<&font::FontAdapter::setFontSizePx>(L, RK_GPH_BINDING("lua_GfxWindow_Item_FontAdapter_setSize"),
                                                          __LINE__);
}

// ----------------------------------------------------------------- locate

#define RK_LOCATE_SELF(name) RK_WINDOW_ITEM_SELF(cmd::WindowItemLocate, kLocateItemClass, "lua_Gfx_Window_Locate_" name)

int lua_Gfx_Window_Locate_setLocate(lua_State* L) {
  RK_LOCATE_SELF("setLocate");
  if (item) item->locate = {toFloatArg(L, 2), toFloatArg(L, 3), 0.0f, 0.0f};
  return noResults(L);
}

int lua_Gfx_Window_Locate_getLocate(lua_State* L) {
  RK_LOCATE_SELF("getLocate");
  const math::Vector4 at = item ? item->locate : math::Vector4{};
  lua_settop(L, 0);
  lua_pushnumber(L, at.x);
  lua_pushnumber(L, at.y);
  return 2;
}

// ------------------------------------------------------------------ gauge

#define RK_GAUGE_RECORD(name)                                                         \
  cmd::WindowItemGauge::Record* gauge = nullptr;                                      \
  if (auto* item = toWindowItem<cmd::WindowItemGauge>(L, 1, kWindowItemGaugeClass)) gauge = &item->record(); \
  else RK_GPH_REPORT_NULL("lua_GfxWindow_Item_Gauge_" name)

template <class T>
int pushNumber(lua_State* L, T value) {
  lua_settop(L, 0);
  lua_pushnumber(L, static_cast<lua_Number>(value));
  return 1;
}

int lua_GfxWindow_Item_Gauge_setGaugeType(lua_State* L) {
  RK_GAUGE_RECORD("setGaugeType");
  if (gauge) gauge->type = lowWordArg(L, 2);
  return noResults(L);
}

int lua_GfxWindow_Item_Gauge_getGaugeType(lua_State* L) {
  RK_GAUGE_RECORD("getGaugeType");
  return pushNumber(L, gauge ? gauge->type : 0);
}

#define RK_GAUGE_FLOAT(Set, Get, field)                        \
  int lua_GfxWindow_Item_Gauge_##Set(lua_State* L) {           \
    RK_GAUGE_RECORD(#Set);                                     \
    if (gauge) gauge->field = toFloatArg(L, 2);                \
    return noResults(L);                                       \
  }                                                            \
  int lua_GfxWindow_Item_Gauge_##Get(lua_State* L) {           \
    RK_GAUGE_RECORD(#Get);                                     \
    return pushNumber(L, gauge ? gauge->field : 0.0f);         \
  }

RK_GAUGE_FLOAT(setMaxGauge, getMaxGauge, max)
RK_GAUGE_FLOAT(setNowGauge, getNowGauge, now)
RK_GAUGE_FLOAT(setGaugeWidth, getGaugeWidth, width)
RK_GAUGE_FLOAT(setDisplayGaugeMax, getDisplayGaugeMax, display_max)

int lua_GfxWindow_Item_Gauge_setLowerColor(lua_State* L) {
  RK_GAUGE_RECORD("setLowerColor");
  if (gauge) gauge->lower_color = gfx::colorFromArgb(argbArgs(L, 2));
  return noResults(L);
}

int lua_GfxWindow_Item_Gauge_setUpperColor(lua_State* L) {
  RK_GAUGE_RECORD("setUpperColor");
  if (gauge) gauge->upper_color = gfx::colorFromArgb(argbArgs(L, 2));
  return noResults(L);
}

int lua_GfxWindow_Item_Gauge_setDrawMode(lua_State* L) {
  RK_GAUGE_RECORD("setDrawMode");
  if (gauge) gauge->draw_mode = lowWordArg(L, 2);
  return noResults(L);
}

}  // namespace

const luaL_Reg kStringItemMethods[] = {
    {"setString", lua_GfxWindow_Item_String_setString},
    {"getSize", lua_GfxWindow_Item_String_getSize},
    {"setSize", lua_GfxWindow_Item_String_setSize},
    {"calcSize", lua_GfxWindow_Item_String_calcSize},
    {nullptr, nullptr},
};

const luaL_Reg kFontAdapterItemMethods[] = {
    {"changeFont", lua_GfxWindow_Item_FontAdapter_changeFont},
    {"getFontName", lua_GfxWindow_Item_FontAdapter_getFontName},
    {"setFontName", lua_GfxWindow_Item_FontAdapter_setFontName},
    {"setQuarity", lua_GfxWindow_Item_FontAdapter_setQuarity},
    {"setPenSize", lua_GfxWindow_Item_FontAdapter_setPenSize},
    {"setSizePt", lua_GfxWindow_Item_FontAdapter_setSizePt},
    {"setSize", lua_GfxWindow_Item_FontAdapter_setSize},
    {nullptr, nullptr},
};

const luaL_Reg kLocateItemMethods[] = {
    {"setLocate", lua_Gfx_Window_Locate_setLocate},
    {"getLocate", lua_Gfx_Window_Locate_getLocate},
    {nullptr, nullptr},
};

const luaL_Reg kGaugeMethods[] = {
    {"setGaugeType", lua_GfxWindow_Item_Gauge_setGaugeType},
    {"getGaugeType", lua_GfxWindow_Item_Gauge_getGaugeType},
    {"setMaxGauge", lua_GfxWindow_Item_Gauge_setMaxGauge},
    {"getMaxGauge", lua_GfxWindow_Item_Gauge_getMaxGauge},
    {"setNowGauge", lua_GfxWindow_Item_Gauge_setNowGauge},
    {"getNowGauge", lua_GfxWindow_Item_Gauge_getNowGauge},
    {"setGaugeWidth", lua_GfxWindow_Item_Gauge_setGaugeWidth},
    {"getGaugeWidth", lua_GfxWindow_Item_Gauge_getGaugeWidth},
    {"setDisplayGaugeMax", lua_GfxWindow_Item_Gauge_setDisplayGaugeMax},
    {"getDisplayGaugeMax", lua_GfxWindow_Item_Gauge_getDisplayGaugeMax},
    {"setLowerColor", lua_GfxWindow_Item_Gauge_setLowerColor},
    {"setUpperColor", lua_GfxWindow_Item_Gauge_setUpperColor},
    {"setDrawMode", lua_GfxWindow_Item_Gauge_setDrawMode},
    {nullptr, nullptr},
};

// ---------------------------------------------------------------- creators
// A null window is reported; the item is then made without a window, so the
// script still gets an object whose methods work and which draws nothing.

int lua_GfxModel_Window_createString(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_createString");
  return pushWindowItem(L, new cmd::WindowItemString(window), kStringItemClass, kStringItemMethods);
}

int lua_GfxModel_Window_createLocate(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_createLocate");
  return pushWindowItem(L, new cmd::WindowItemLocate(window), kLocateItemClass, kLocateItemMethods);
}

int lua_GfxModel_Window_createGauge(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_createGauge");
  return pushWindowItem(L, new cmd::WindowItemGauge(window), kWindowItemGaugeClass, kGaugeMethods);
}

// face, pen, quality: a new outline font of pixel size 1, set up with an
// empty face, then given the pen, the quality (0 taken as 1) and the face and
// rebuilt. A face that is neither a string nor a number reads as empty.
int lua_GfxModel_Window_createFontAdapter(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_createFontAdapter");
  const std::string face = toTextOrEmpty(L, 2);
  const std::int32_t pen = lowWordArg(L, 3), quality = lowWordArg(L, 4);
  lua_settop(L, 0);
  auto adapter = boost::make_shared<font::DirectXOutlineFont>();
  adapter->setFontSizePx(1);
  adapter->setPenSize(1);
  adapter->initUpdate("");
  const int results =
      pushWindowItem(L, new cmd::WindowItemFontAdapter(window, adapter), kFontAdapterItemClass, kFontAdapterItemMethods);
  adapter->setPenSize(pen);
  adapter->setQuarity(quality != 0 ? quality : 1);
  adapter->setFontName(face.c_str());
  adapter->changeFont();
  return results;
}

// Argument 2 must be a font object: its adapter gets one more user. Anything
// else is reported and makes no item (nil).
int lua_GfxModel_Window_setFontAdapter(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_setFontAdapter");
  const FontAdapterHolder adapter = toFontAdapter(L, 2);
  lua_settop(L, 0);
  if (!adapter) {
    RK_GPH_REPORT_NULL("lua_GfxModel_Window_setFontAdapter");
    return 0;
  }
  return pushWindowItem(L, new cmd::WindowItemSetFont(window, adapter), kSetFontItemClass, kNoMethods);
}

int lua_GfxModel_Window_popFontAdapter(lua_State* L) {
  RK_CREATOR_WINDOW("lua_GfxModel_Window_popFontAdapter");
  return pushWindowItem(L, new cmd::WindowItemPopFont(window), kPopFontItemClass, kNoMethods);
}

}  // namespace rk::script::gph
