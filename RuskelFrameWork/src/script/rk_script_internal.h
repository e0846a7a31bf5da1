// Helpers the Lua runtime's sources share.
#pragma once
#include <lua.hpp>

#include "host/ui.h"

namespace rk::script {

// The game window, owner of the runtime's boxes (null while there is none).
host::ui::Window* ownerWindow();

// Stops the collector while host code calls the Lua API outside a protected
// call: a collection step there could run a script's __gc, and an error in it
// would have no protected call to return to. Restarts it only when it ran.
class GcPause {
 public:
  explicit GcPause(lua_State* L) : L_(L), wasRunning_(lua_gc(L, LUA_GCISRUNNING, 0) != 0) {
    if (wasRunning_) lua_gc(L_, LUA_GCSTOP, 0);
  }
  ~GcPause() {
    if (wasRunning_) lua_gc(L_, LUA_GCRESTART, 0);
  }
  GcPause(const GcPause&) = delete;
  GcPause& operator=(const GcPause&) = delete;

 private:
  lua_State* L_;
  bool wasRunning_;
};

}  // namespace rk::script
