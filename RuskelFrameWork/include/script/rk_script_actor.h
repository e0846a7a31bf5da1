// The actor table: component ids for the scripts and the release of actors
// that are not in use.
#pragma once
#include "script/rk_script.h"

namespace rk::script {

LuaFunctionTable actorFunctionTable();

}  // namespace rk::script
