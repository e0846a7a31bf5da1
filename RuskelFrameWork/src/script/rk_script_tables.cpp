#include "script/rk_script_tables.h"

#include "script/rk_script_actor.h"
#include "script/rk_script_audio.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_controller.h"
#include "script/rk_script_debug.h"
#include "script/rk_script_effect.h"
#include "script/rk_script_math.h"
#include "script/rk_script_resource.h"
#include "script/rk_script_rigidbody.h"
#include "script/rk_script_system.h"
#include "script/rk_script_vertex_index_buffer.h"
#include "script/rk_script_window.h"

namespace rk::script {

const std::array<LuaFunctionTable, kGlobalTableCount>& globalFunctionTables() {
  static const std::array<LuaFunctionTable, kGlobalTableCount> tables{{
      controllerFunctionTable(),   // 1 game pads, keys and their constants
      systemFunctionTable(),       // 2 system: exit, scripts, entries, global variables, boxes
      playerFunctionTable(),       // 3 player controller settings
      rigidBodyFunctionTable(),    // 4 rigid bodies
      audioFunctionTable(),        // 5 audio
      debugFunctionTable(),        // 6 debugging
      fileFunctionTable(),         // 7 file dialogs and resources
      windowFunctionTable(),       // 8 window
      {},                          // 9 display and graphics objects
      actorFunctionTable(),        // 10 actors
      collisionFunctionTable(),    // 11 collision
      mathFunctionTable(),         // 12 math
      resourceFunctionTable(),     // 13 resources and data chunks
      {},                          // 14 2D drawing commands
      scriptStateFunctionTable(),  // 15 script states and task pause
      effectFunctionTable(),       // 16 effects
      {},                          // 17 fonts
      vertexIndexBufferFunctionTable(),  // 18 vertex and index buffers
  }};
  return tables;
}

}  // namespace rk::script
