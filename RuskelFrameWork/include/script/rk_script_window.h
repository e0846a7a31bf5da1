// The window globals (the eighth global table): window size and mode, a modal
// line of text or number input, the yes/no question and the cursor shape.
#pragma once
#include "script/rk_script.h"

namespace rk::script {

LuaFunctionTable windowFunctionTable();

}  // namespace rk::script
