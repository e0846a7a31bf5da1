#include "qv21_game_libraries.h"

#include "actor_body/actor_body.h"
#include "collision/collision_group_script.h"
#include "common/game_common_command.h"
#include "enemy/enemy_command.h"
#include "flushgroup/flush_model_range.h"
#include "player/player_command.h"
#include "script/rk_script.h"
#include "status/status_command.h"

namespace qv21 {

namespace {

struct Library {
  const char* name;
  std::vector<rk::script::LuaFunctionPair> entries;
};

// Each library holds the functions of the game objects built so far.
const std::vector<Library>& libraries() {
  static const std::vector<Library> all = {
      {"player_command", player_command::playerCommandLib()},
      {"actor_body_command", {{lua_createActorBody, "createActorBody"}}},
      {"enemy_command", enemy_command::enemyCommandLib()},
      {"status_unit_command", status::statusUnitCommandLib()},
      {"collision_gorup_lib", col_group::collisionGorupLib()},
      {"game_commmon_command_lib", common::gameCommonCommandLib()},
      {"flush_group_command",
       {{flushgroup::lua_createFlushModelAndRangeScope, "createFlushModelAndRangeScope"}}},
  };
  return all;
}

}  // namespace

const std::vector<std::string>& preloadedModules() {
  static const std::vector<std::string> modules = {
      "script/user_lib",
      "script/global_lib",
      "script/debug/debug",
      "script/defines/define_stage",
      "script/defines/define_task_priority",
      "script/modules/instance",
      "script/modules/math",
      "script/modules/gfxmodel",
      "script/modules/gfxcmd/gfxcmd_fade_in_out",
      "script/modules/camera",
      "script/defines/define_game",
      "script/actor/enemy_base",
  };
  return modules;
}

const std::vector<std::string>& gameLibraryNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const Library& library : libraries()) out.push_back(library.name);
    return out;
  }();
  return names;
}

void registerGameLibraries() {
  rk::script::ScriptStateManager* manager = rk::script::ScriptStateManager::getInstance();
  if (!manager) return;
  for (const Library& library : libraries())
    manager->registerUserLibrary(library.name, library.entries.data(), static_cast<int>(library.entries.size()));
}

}  // namespace qv21
