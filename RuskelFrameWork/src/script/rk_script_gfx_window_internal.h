// The window object and its items, shared by the files that define them. A
// window item's object holds the item as a WindowItemAdapter pointer and owns
// it; the window only lists it. Menu columns and control bars are owned by
// their menu: their objects are linked to the column and read null once the
// menu has deleted it.
#pragma once
#include <lua.hpp>

#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/gfx_model_command/window_items/rk_window_item.h"
#include "gfx/gfx_model_command/window_items/rk_window_item_menu.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

// Every item class casts to this one, so the shared release takes any item.
extern const LuaClass kWindowItemClass;
void* castToWindowItem(void* object, const LuaClass& target);
#define RK_WINDOW_ITEM_CLASS(variable, qualifiedName) \
  const ::rk::script::LuaClass variable { qualifiedName, ::rk::script::gph::castToWindowItem }

extern const LuaClass kWindowClass;
extern const LuaClass kMenuClass;
extern const LuaClass kMenuColumnClass;
extern const LuaClass kControlBarClass;  // casts to kMenuColumnClass

// The item of `cls` at that index, or null.
template <class T>
T* toWindowItem(lua_State* L, int index, const LuaClass& cls) {
  auto* item = toLuaObject<gfx::gfx_model_command::WindowItemAdapter>(L, index, cls);
  return item ? static_cast<T*>(item) : nullptr;
}
// The item of argument 1; null is reported under `binding` (its name after
// the namespace marker).
template <class T>
T* selfWindowItem(lua_State* L, const LuaClass& cls, const char* binding, int line) {
  T* item = toWindowItem<T>(L, 1, cls);
  if (!item) ::rk::debug::writeErrorLog("src/script/rk_script_graphics", line, binding);
  return item;
}
#define RK_WINDOW_ITEM_SELF(Type, cls, name) \
  Type* item = selfWindowItem<Type>(L, cls, RK_GPH_BINDING(name), __LINE__)

// A colour as four byte arguments a, r, g, b from `first` on, packed as 0xAARRGGBB.
std::uint32_t argbArgs(lua_State* L, int first);

// Takes the item out of its window's list and deletes it, once.
int releaseWindowItem(lua_State* L);
// Lists a new item at the end of its window's items (when it has a window)
// and pushes its object. Returns 1.
int pushWindowItem(lua_State* L, gfx::gfx_model_command::WindowItemAdapter* item, const LuaClass& cls,
                   const luaL_Reg* methods);

// Item creators: window methods defined beside their items.
int lua_GfxModel_Window_createMenu(lua_State* L);
int lua_GfxModel_Window_createGauge(lua_State* L);
int lua_GfxModel_Window_createLocate(lua_State* L);
int lua_GfxModel_Window_createFontAdapter(lua_State* L);
int lua_GfxModel_Window_createString(lua_State* L);
int lua_GfxModel_Window_setFontAdapter(lua_State* L);
int lua_GfxModel_Window_popFontAdapter(lua_State* L);

// Method tables in the order they are filled (named for tests).
extern const luaL_Reg kWindowMethods[];
extern const luaL_Reg kMenuMethods[];
extern const luaL_Reg kMenuColumnMethods[];
extern const luaL_Reg kControlBarMethods[];
extern const luaL_Reg kStringItemMethods[];
extern const luaL_Reg kFontAdapterItemMethods[];
extern const luaL_Reg kLocateItemMethods[];
extern const luaL_Reg kGaugeMethods[];

}  // namespace rk::script::gph
