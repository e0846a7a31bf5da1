// The library "game_commmon_command_lib": creators and utilities that belong
// to no other game library (settings object, game manager, camera numbers of
// the drawing layers, high scores).
#pragma once
#include <vector>

#include "script/rk_script.h"

namespace common {

// The entries in library order.
const std::vector<rk::script::LuaFunctionPair>& gameCommonCommandLib();

}  // namespace common
