// Wipe globals: ten that queue a wipe of one kind in the wipe manager,
// "isEndOfWipe" and "wipeReset". A wipe is a timer task: scripts start one and
// poll isEndOfWipe in later frames.
#include "gfx/rk_wipe_manager.h"
#include "rk_script_graphics_internal.h"
#include "task/rk_task.h"

namespace rk::script::gph {

namespace {

// r, g, b as byte channels (alpha 1), then the seconds.
template <class Wipe>
int queueWipe(lua_State* L, const char* name) {
  const gfx::Color colour(byteChannel(L, 1), byteChannel(L, 2), byteChannel(L, 3), 1.0f);
  const float seconds = toFloatArg(L, 4);
  lua_settop(L, 0);
  gfx::WipeManager* wipes = gfx::WipeManager::getInstance();
  if (!wipes || !task::TaskManager::getInstance()) return 0;
  wipes->addWipe(new Wipe(colour, seconds, name));
  return 0;
}

}  // namespace

int fadeOut(lua_State* L) { return queueWipe<gfx::WipeFadeOut>(L, "fadeOut"); }
int fadeIn(lua_State* L) { return queueWipe<gfx::WipeFadeIn>(L, "fadeIn"); }
int fadeLeftToRightOut(lua_State* L) { return queueWipe<gfx::WipeLeftToRightOut>(L, "left to right fade out"); }
int fadeLeftToRightIn(lua_State* L) { return queueWipe<gfx::WipeLeftToRightIn>(L, "left to right fade in"); }
int fadeRightToLeftOut(lua_State* L) { return queueWipe<gfx::WipeRightToLeftOut>(L, "right to left fade out"); }
int fadeRightToLeftIn(lua_State* L) { return queueWipe<gfx::WipeRightToLeftIn>(L, "right to left fade in"); }
int fadeTopToBottomOut(lua_State* L) { return queueWipe<gfx::WipeTopToBottomOut>(L, "top to bottom fade out"); }
int fadeBottomToTopIn(lua_State* L) { return queueWipe<gfx::WipeBottomToTopIn>(L, "bottom to top fade in"); }
int fadeBottomToTopOut(lua_State* L) { return queueWipe<gfx::WipeBottomToTopOut>(L, "bottom to top fade out"); }
int fadeTopToBottomIn(lua_State* L) { return queueWipe<gfx::WipeTopToBottomIn>(L, "top to bottom fade in"); }

int isEndOfWipe(lua_State* L) {
  lua_settop(L, 0);
  gfx::WipeManager* wipes = gfx::WipeManager::getInstance();
  lua_pushboolean(L, !wipes || wipes->isEndOfWipe());
  return 1;
}

int wipeReset(lua_State* L) {
  lua_settop(L, 0);
  if (gfx::WipeManager* wipes = gfx::WipeManager::getInstance()) wipes->clearWipes();
  return 0;
}

}  // namespace rk::script::gph
