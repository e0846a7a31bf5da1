// Menus, their columns and control bars. A menu is a window item that lists
// columns one per line and keeps a cursor on one of them; moving the cursor
// animates the cursor bar and scrolls the window. The menu owns its columns:
// a column's object removes the column from its menu when collected, and
// reads null once the menu has deleted it.
#include <cmath>

#include "rk_script_gfx_window_internal.h"
#include "rk_script_lua_pin.h"

namespace rk::script::gph {

namespace {

namespace cmd = gfx::gfx_model_command;
using cmd::WindowItemControlBar;
using cmd::WindowItemMenu;
using cmd::WindowItemMenuColumn;

void* castControlBar(void* object, const LuaClass& target) {
  return &target == &kMenuColumnClass ? object : nullptr;
}

}  // namespace

RK_WINDOW_ITEM_CLASS(kMenuClass, "rk::gfx::gfx_model_command::WindowItemMenu");
const LuaClass kMenuColumnClass{"rk::gfx::gfx_model_command::WindowItemMenuColumn"};
const LuaClass kControlBarClass{"rk::gfx::gfx_model_command::WindowItemControlBar", castControlBar};

namespace {

#define RK_MENU_SELF(name) RK_WINDOW_ITEM_SELF(WindowItemMenu, kMenuClass, "lua_GfxModel_Window_Menu_" name)

WindowItemMenuColumn* toColumn(lua_State* L) { return toLuaObject<WindowItemMenuColumn>(L, 1, kMenuColumnClass); }
#define RK_COLUMN_SELF(name)                 \
  WindowItemMenuColumn* column = toColumn(L); \
  if (!column) RK_GPH_REPORT_NULL("lua_GfxModel_Window_Menu_Column_" name)

// A name that is neither a string nor a number is reported and leaves the
// name as it was.
void setColumnName(lua_State* L, int index, WindowItemMenuColumn* column) {
  const char* name = toTextArg(L, index);
  if (!name) {
    debug::writeErrorLog("src/gfx/gfxmodel_command/window_items/rk_window_item_menu_column", 44,
                         "rk::gfx::gfx_model_command::WindowItemMenuColumn::setColumnName");
    return;
  }
  if (column) column->name = name;
}

// ------------------------------------------------------------- columns

int lua_GfxModel_Window_Menu_Column_setBackName(lua_State* L) {
  RK_COLUMN_SELF("setBackName");
  if (const char* text = toTextArg(L, 2); column && text) column->back_name = text;
  return noResults(L);
}

int lua_GfxModel_Window_Menu_Column_setCenterName(lua_State* L) {
  RK_COLUMN_SELF("setCenterName");
  if (const char* text = toTextArg(L, 2); column && text) column->center_name = text;
  return noResults(L);
}

int lua_GfxModel_Window_Menu_Column_setSelectMode(lua_State* L) {
  RK_COLUMN_SELF("setSelectMode");
  if (column) column->select_mode = lowWordArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Window_Menu_Column_getSelectMode(lua_State* L) {
  RK_COLUMN_SELF("getSelectMode");
  const auto mode = static_cast<std::uint32_t>(column ? column->select_mode : 0);
  lua_settop(L, 0);
  lua_pushnumber(L, mode);
  return 1;
}

// index, a, r, g, b: 1 and 2 name their colours, any other index colour 0.
int lua_GfxModel_Window_Menu_Column_setColumnColor(lua_State* L) {
  RK_COLUMN_SELF("setColumnColor");
  if (column) column->setColumnColor(lowWordArg(L, 2), argbArgs(L, 3));
  return noResults(L);
}

int lua_GfxModel_Window_Menu_Column_setColumnName(lua_State* L) {
  RK_COLUMN_SELF("setColumnName");
  if (column) setColumnName(L, 2, column);
  return noResults(L);
}

// A column still listed by its menu is deleted; the object lets go of its
// link either way.
int releaseMenuColumn(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  WindowItemMenuColumn* column = toColumn(L);
  if (block && (block->cls == &kMenuColumnClass || block->cls == &kControlBarClass)) LuaObjectLinks::release(block);
  if (column && column->menu) column->menu->removeColumn(column);
  return noResults(L);
}

// --------------------------------------------------------- control bars

#define RK_BAR_VALUE(name, field)                                                            \
  int lua_GfxModel_Window_Menu_ControlBar_##name(lua_State* L) {                             \
    auto* bar = static_cast<WindowItemControlBar*>(toLuaObject<WindowItemMenuColumn>(L, 1, kControlBarClass)); \
    if (!bar) RK_GPH_REPORT_NULL("lua_GfxModel_Window_Menu_ControlBar_" #name);              \
    RK_BAR_ACCESS_##name(field)                                                              \
  }
#define RK_BAR_GET(field)                                         \
  lua_settop(L, 0);                                               \
  lua_pushnumber(L, bar ? bar->value.field : 0.0f);               \
  return 1;
#define RK_BAR_SET(field)                           \
  if (bar) bar->value.field = toFloatArg(L, 2);     \
  return noResults(L);
#define RK_BAR_ACCESS_getValue RK_BAR_GET
#define RK_BAR_ACCESS_getMaxValue RK_BAR_GET
#define RK_BAR_ACCESS_getMinValue RK_BAR_GET
#define RK_BAR_ACCESS_setValue RK_BAR_SET
#define RK_BAR_ACCESS_setMaxValue RK_BAR_SET
#define RK_BAR_ACCESS_setMinValue RK_BAR_SET

RK_BAR_VALUE(getValue, value)
RK_BAR_VALUE(getMaxValue, max)
RK_BAR_VALUE(getMinValue, min)
RK_BAR_VALUE(setValue, value)
RK_BAR_VALUE(setMaxValue, max)
RK_BAR_VALUE(setMinValue, min)

// ---------------------------------------------------------------- menus

// Columns are linked to their objects, which read null once the menu goes.
int pushColumn(lua_State* L, WindowItemMenuColumn* column, const LuaClass& cls, const luaL_Reg* methods) {
  LuaObjectBlock* block = nullptr;
  pushLuaObject(L, column, cls, methods, releaseMenuColumn, &block);
  column->links.link(block);
  return 1;
}

int lua_GfxModel_Window_Menu_addColumn(lua_State* L) {
  RK_MENU_SELF("addColumn");
  if (!item) return noResults(L);
  const LuaPin menu(L, 1);
  WindowItemMenuColumn* column = item->addColumn();
  setColumnName(L, 2, column);
  return pushColumn(L, column, kMenuColumnClass, kMenuColumnMethods);
}

int lua_GfxModel_Window_Menu_addControlBar(lua_State* L) {
  RK_MENU_SELF("addControlBar");
  if (!item) return noResults(L);
  const LuaPin menu(L, 1);
  WindowItemControlBar* bar = item->addControlBar();
  setColumnName(L, 2, bar);
  return pushColumn(L, bar, kControlBarClass, kControlBarMethods);
}

// The widest name and the columns' lines: width, height.
int lua_GfxModel_Window_Menu_calcSize(lua_State* L) {
  RK_MENU_SELF("calcSize");
  font::FontRect rect{0, 0, 0, 0};
  if (item) item->layout(&rect);
  lua_settop(L, 0);
  lua_pushnumber(L, std::abs(static_cast<double>(rect.right) - rect.left));
  lua_pushnumber(L, std::abs(static_cast<double>(rect.bottom) - rect.top));
  return 2;
}

int lua_GfxModel_Window_Menu_moveCursor(lua_State* L) {
  RK_MENU_SELF("moveCursor");
  if (item) item->moveCursor(static_cast<std::uint32_t>(lowWordArg(L, 2)), toFloatArg(L, 3));
  return noResults(L);
}

int lua_GfxModel_Window_Menu_movingCursor(lua_State* L) {
  RK_MENU_SELF("movingCursor");
  return pushBoolean(L, !item || item->animateCursor(toFloatArg(L, 2)));
}

int lua_GfxModel_Window_Menu_setCursor(lua_State* L) {
  RK_MENU_SELF("setCursor");
  if (item) item->setCursor(static_cast<std::uint32_t>(lowWordArg(L, 2)));
  return noResults(L);
}

int lua_GfxModel_Window_Menu_getCursor(lua_State* L) {
  RK_MENU_SELF("getCursor");
  const std::uint32_t cursor = item ? item->getCursor() : 0;
  lua_settop(L, 0);
  lua_pushnumber(L, cursor);
  return 1;
}

int lua_GfxModel_Window_Menu_setCursorColor(lua_State* L) {
  RK_MENU_SELF("setCursorColor");
  if (item) item->state().cursor_color = static_cast<std::uint32_t>(toInt64Arg(L, 2));
  return noResults(L);
}

int lua_GfxModel_Window_Menu_init(lua_State* L) {
  RK_MENU_SELF("init");
  if (item) item->setCursor(static_cast<std::uint32_t>(lowWordArg(L, 2)));
  return noResults(L);
}

}  // namespace

const luaL_Reg kMenuColumnMethods[] = {
    {"setBackName", lua_GfxModel_Window_Menu_Column_setBackName},
    {"setCenterName", lua_GfxModel_Window_Menu_Column_setCenterName},
    {"setSelectMode", lua_GfxModel_Window_Menu_Column_setSelectMode},
    {"getSelectMode", lua_GfxModel_Window_Menu_Column_getSelectMode},
    {"setColumnColor", lua_GfxModel_Window_Menu_Column_setColumnColor},
    {"setColumnName", lua_GfxModel_Window_Menu_Column_setColumnName},
    {nullptr, nullptr},
};

const luaL_Reg kControlBarMethods[] = {
    {"getValue", lua_GfxModel_Window_Menu_ControlBar_getValue},
    {"getMaxValue", lua_GfxModel_Window_Menu_ControlBar_getMaxValue},
    {"getMinValue", lua_GfxModel_Window_Menu_ControlBar_getMinValue},
    {"setValue", lua_GfxModel_Window_Menu_ControlBar_setValue},
    {"setMaxValue", lua_GfxModel_Window_Menu_ControlBar_setMaxValue},
    {"setMinValue", lua_GfxModel_Window_Menu_ControlBar_setMinValue},
    {"setBackName", lua_GfxModel_Window_Menu_Column_setBackName},
    {"setCenterName", lua_GfxModel_Window_Menu_Column_setCenterName},
    {"setSelectMode", lua_GfxModel_Window_Menu_Column_setSelectMode},
    {"getSelectMode", lua_GfxModel_Window_Menu_Column_getSelectMode},
    {"setColumnColor", lua_GfxModel_Window_Menu_Column_setColumnColor},
    {"setColumnName", lua_GfxModel_Window_Menu_Column_setColumnName},
    {nullptr, nullptr},
};

const luaL_Reg kMenuMethods[] = {
    {"addColumn", lua_GfxModel_Window_Menu_addColumn},
    {"addControlBar", lua_GfxModel_Window_Menu_addControlBar},
    {"calcSize", lua_GfxModel_Window_Menu_calcSize},
    {"moveCursor", lua_GfxModel_Window_Menu_moveCursor},
    {"movingCursor", lua_GfxModel_Window_Menu_movingCursor},
    {"setCursor", lua_GfxModel_Window_Menu_setCursor},
    {"getCursor", lua_GfxModel_Window_Menu_getCursor},
    {"setCursorColor", lua_GfxModel_Window_Menu_setCursorColor},
    {"init", lua_GfxModel_Window_Menu_init},
    {nullptr, nullptr},
};

int lua_GfxModel_Window_createMenu(lua_State* L) {
  auto* window = toGfxCommand<gfx::gfx_model_command::GfxWindow>(L, 1, kWindowClass);
  if (!window) RK_GPH_REPORT_NULL("lua_GfxModel_Window_createMenu");
  return pushWindowItem(L, new WindowItemMenu(window), kMenuClass, kMenuMethods);
}

}  // namespace rk::script::gph
