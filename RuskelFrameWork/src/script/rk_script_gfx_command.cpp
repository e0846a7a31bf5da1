// The drawing-command globals: each appends one command to the display list
// (replayed every frame until "gfxCls" empties it) or reads from it. The
// locate queries search the list from its newest command back for the last
// 2D locate, and measure with the display-list font.
#include "script/rk_script_graphics.h"

#include <string>

#include "font/rk_font.h"
#include "gfx/gfx_command/rk_gfx_list_command.h"
#include "gfx/rk_gfx_list_manager.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "rk_script_graphics_internal.h"

namespace rk::script {

namespace gfxcmd {

namespace {

using gfx::GfxListManager;
namespace cmd = gfx::command;

// The manager that new commands join; null (reported) when there is none.
GfxListManager* displayList() { return GfxListManager::getInstance(); }

// The text as the font's formatting without arguments leaves it: "%%"
// becomes "%", every other character stays, at most 1023 bytes. Texts are
// never handed to the formatter itself, so directives read no arguments.
std::string formatted(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && out.size() < 1023; ++i) {
    out += text[i];
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
  }
  return out;
}

// The (x, y) of the newest locate command; (0, 0) without one.
void currentLocate(float& x, float& y) {
  x = y = 0.0f;
  GfxListManager* manager = displayList();
  if (const gfx::GfxListObject* locate = manager ? manager->findLastLocate() : nullptr) {
    float z = 0.0f, w = 0.0f;
    locate->getLocate(&x, &y, &z, &w);
  }
}

// The rectangle that the text covers at the locate; false without a font.
bool measure(const std::string& text, int x, int y, font::FontRect& rect) {
  GfxListManager* manager = displayList();
  if (!manager || !manager->font()) return false;
  manager->font()->getStringRectFormat(&rect, x, y, "%s", formatted(text).c_str());
  return true;
}

int gfxCls(lua_State* L) {
  lua_settop(L, 0);
  if (GfxListManager* manager = displayList()) manager->clear();
  return 0;
}

int gfxDefault(lua_State* L) {
  lua_settop(L, 0);
  if (displayList()) new cmd::GfxSetDefault;
  return 0;
}

int gfxSetCameraNo(lua_State* L) {
  const int number = toIntArg(L, 1);
  lua_settop(L, 0);
  if (displayList()) new cmd::GfxSetCameraNo(number);
  return 0;
}

int gfxSetColor(lua_State* L) {
  using gph::byteChannel;
  const gfx::Color colour(byteChannel(L, 1), byteChannel(L, 2), byteChannel(L, 3), byteChannel(L, 4));
  lua_settop(L, 0);
  if (displayList()) new cmd::GfxSetColor(colour);
  return 0;
}

template <class Command>
int point3D(lua_State* L) {
  const rk::math::Vector4 point{toFloatArg(L, 1), toFloatArg(L, 2), toFloatArg(L, 3), 0.0f};
  lua_settop(L, 0);
  if (displayList()) new Command(point);
  return 0;
}

template <class Command>
int point2D(lua_State* L) {
  const float x = toFloatArg(L, 1), y = toFloatArg(L, 2);
  lua_settop(L, 0);
  if (displayList()) new Command(x, y);
  return 0;
}

template <class Command>
int noArguments(lua_State* L) {
  lua_settop(L, 0);
  if (displayList()) new Command;
  return 0;
}

// Each side a float truncated toward zero.
template <class Command>
int rectangle(lua_State* L) {
  const int left = truncateWrapToInt32(toFloatArg(L, 1)), top = truncateWrapToInt32(toFloatArg(L, 2));
  const int right = truncateWrapToInt32(toFloatArg(L, 3)), bottom = truncateWrapToInt32(toFloatArg(L, 4));
  lua_settop(L, 0);
  if (displayList()) new Command(left, top, right, bottom);
  return 0;
}

int gfxSetLocate2D(lua_State* L) {
  const rk::math::Vector4 locate{toFloatArg(L, 1), toFloatArg(L, 2), 0.0f, 0.0f};
  lua_settop(L, 0);
  if (displayList()) new cmd::GfxSetLocate2D(locate);
  return 0;
}

int gfxGetLocate2D(lua_State* L) {
  lua_settop(L, 0);
  float x, y;
  currentLocate(x, y);
  lua_pushnumber(L, x);
  lua_pushnumber(L, y);
  return 2;
}

int gfxPrintf2D(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const std::string copy = text ? formatted(text) : std::string();
  lua_settop(L, 0);
  if (!text) {
    debug::writeErrorLog("src/script/rk_script_gfx_command", __LINE__,
                         "rk::script::gfxcmd::`anonymous-namespace'::gfxPrintf2D");
    return 0;
  }
  if (displayList()) new cmd::GfxPrintf2D(copy);
  return 0;
}

// Nothing for a value that is no text, or without a display-list font.
int gfxGetStringRect(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const std::string copy = text ? text : "";
  lua_settop(L, 0);
  if (!text) return 0;
  float x, y;
  currentLocate(x, y);
  font::FontRect rect;
  if (!measure(copy, truncateWrapToInt32(x), truncateWrapToInt32(y), rect)) return 0;
  lua_pushinteger(L, rect.left);
  lua_pushinteger(L, rect.top);
  lua_pushinteger(L, rect.right);
  lua_pushinteger(L, rect.bottom);
  return 4;
}

int gfxLocateToPos2D(lua_State* L) {
  const int x = truncateWrapToInt32(lua_tonumberx(L, 1, nullptr)), y = truncateWrapToInt32(lua_tonumberx(L, 2, nullptr));
  lua_settop(L, 0);
  font::FontRect rect;
  if (!measure(" ", x, y, rect)) return 0;
  lua_pushinteger(L, rect.left);
  lua_pushinteger(L, rect.top);
  return 2;
}

const LuaFunctionPair kGfxCommandFunctions[] = {
    {gfxCls, "gfxCls"},
    {gfxDefault, "gfxDefault"},
    {gfxSetCameraNo, "gfxSetCameraNo"},
    {gfxSetColor, "gfxSetColor"},
    {point3D<cmd::GfxMoveTo>, "gfxMoveTo"},
    {point3D<cmd::GfxLineTo>, "gfxLineTo"},
    {noArguments<cmd::GfxFlashLine>, "gfxFlashLine"},
    {point2D<cmd::GfxMoveTo2D>, "gfxMoveTo2D"},
    {point2D<cmd::GfxLineTo2D>, "gfxLineTo2D"},
    {noArguments<cmd::GfxFlashLine2D>, "gfxFlashLine2D"},
    {rectangle<cmd::GfxRect2D>, "gfxRect2D"},
    {rectangle<cmd::GfxRectFill2D>, "gfxRectFill2D"},
    {gfxSetLocate2D, "gfxSetLocate2D"},
    {gfxGetLocate2D, "gfxGetLocate2D"},
    {gfxPrintf2D, "gfxPrintf2D"},
    {gfxGetStringRect, "gfxGetStringRect"},
    {gfxLocateToPos2D, "gfxLocateToPos2D"},
};

}  // namespace
}  // namespace gfxcmd

LuaFunctionTable gfxCommandFunctionTable() {
  return {gfxcmd::kGfxCommandFunctions,
          static_cast<int>(sizeof gfxcmd::kGfxCommandFunctions / sizeof gfxcmd::kGfxCommandFunctions[0])};
}

}  // namespace rk::script
