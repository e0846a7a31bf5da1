#include "script/rk_script_tables.h"

#include "script/rk_script_math.h"
#include "script/rk_script_resource.h"
#include "script/rk_script_system.h"

namespace rk::script {

const std::array<LuaFunctionTable, kGlobalTableCount>& globalFunctionTables() {
  static const std::array<LuaFunctionTable, kGlobalTableCount> tables{{
      {},                          // 1 game pads, keys and their constants
      systemFunctionTable(),       // 2 system: exit, scripts, entries, global variables, boxes
      {},                          // 3 player controller settings
      {},                          // 4 rigid bodies
      {},                          // 5 audio
      {},                          // 6 debugging
      fileFunctionTable(),         // 7 file dialogs and resources
      {},                          // 8 window
      {},                          // 9 display and graphics objects
      {},                          // 10 actors
      {},                          // 11 collision
      mathFunctionTable(),         // 12 math
      resourceFunctionTable(),     // 13 resources and data chunks
      {},                          // 14 2D drawing commands
      scriptStateFunctionTable(),  // 15 script states and task pause
      {},                          // 16 effects
      {},                          // 17 fonts
      {},                          // 18 vertex and index buffers
  }};
  return tables;
}

}  // namespace rk::script
