// The eighteen binding tables that every Lua state receives after the
// standard libraries, in registration order. A later table's function replaces
// an earlier global of the same name. A table whose subsystem is not part of
// the build yet is empty; each subsystem hands its table over here.
#pragma once
#include <array>

#include "script/rk_script.h"

namespace rk::script {

constexpr int kGlobalTableCount = 18;

const std::array<LuaFunctionTable, kGlobalTableCount>& globalFunctionTables();

}  // namespace rk::script
