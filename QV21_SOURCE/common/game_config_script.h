// The scripts' settings object: forty accessors over the settings record of the
// GameConfig singleton. They only read and write the record; it reaches the
// disk when the settings are saved at shut-down.
#pragma once
#include <lua.hpp>

namespace common {

// "createGameConfig": clears its arguments and returns a new settings object.
// The object does not own the settings; its collector does nothing.
int lua_createGameConfig(lua_State* L);

}  // namespace common
