// "enemy_command": the creators of enemy bodies, enemy bullets and their actor
// bodies, bullet displays, typed bullet lists and the groups that test the
// player against those lists.
#pragma once
#include <vector>

#include "script/rk_script.h"

namespace enemy_command {

// The nineteen entries, in table order.
const std::vector<rk::script::LuaFunctionPair>& enemyCommandLib();

}  // namespace enemy_command
