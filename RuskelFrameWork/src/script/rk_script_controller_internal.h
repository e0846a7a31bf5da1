// Inside the controller bindings: the 225 constant globals of the first table.
#pragma once
#include <vector>

#include "script/rk_script.h"

namespace rk::script::ctrl {

// BUTTON_01..BUTTON_32, BUTTON_OK..BUTTON_DEL, POV_NONE..POV_UL,
// DIR_BUTTON_UP, DIR_BUTTON_DOWN, DIR_BUTTON_LEFT, DIR_BUTTON_RIGHT, the 144
// key identifiers DIK_0..DIK_Z and BUTTON_BIT_01..BUTTON_BIT_32, in that order.
const std::vector<LuaFunctionPair>& controllerConstantPairs();

}  // namespace rk::script::ctrl
