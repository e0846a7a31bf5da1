// "player_command": the creators of the player actor, its body, the beam
// capture, the three shots, the range scope and the range attack.
#pragma once
#include <vector>

#include "script/rk_script.h"

namespace player_command {

// The eight entries, in table order.
const std::vector<rk::script::LuaFunctionPair>& playerCommandLib();

}  // namespace player_command
