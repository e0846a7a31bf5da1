// The status display's script library ("status_unit_command") and the gauge
// creator of the game's common library.
#pragma once
#include <vector>

#include <lua.hpp>

#include "script/rk_script.h"

namespace rk::gfx {
class GfxModel;
}

namespace status {

// The five creators, in table order.
const std::vector<rk::script::LuaFunctionPair>& statusUnitCommandLib();

// "createStatusGauge"(gfx model, type): a gauge display of that type on the model.
int lua_createStatusGauge(lua_State* L);

// The gfx model held by the script object at that index, or null.
rk::gfx::GfxModel* toGfxModelArg(lua_State* L, int index);

}  // namespace status
