#include "player/player_command.h"

#include "player/player.h"
#include "player/player_beam_capture.h"
#include "player/player_rigid_body.h"
#include "player/player_wepon/beam_magnum.h"
#include "player/player_wepon/beam_shot.h"
#include "player/player_wepon/range_attack.h"
#include "player/player_wepon/range_scope.h"
#include "player/player_wepon/reflect_vulcan.h"

namespace player_command {

const std::vector<rk::script::LuaFunctionPair>& playerCommandLib() {
  static const std::vector<rk::script::LuaFunctionPair> entries = {
      {lua_createBeamCapture, "createBeamCapture"},
      {lua_createBulletBeamShot, "createBulletBeamShot"},
      {lua_createReflectVulcan, "createReflectVulcan"},
      {lua_createBeamMagnum, "createBeamMagnum"},
      {lua_createPlayerColRigidBody, "createPlayerColRigidBody"},
      {lua_createPlayerActor, "createPlayerActor"},
      {lua_createRangeScope, "createRangeScope"},
      {lua_createRangeAttack, "createRangeAttack"},
  };
  return entries;
}

}  // namespace player_command
