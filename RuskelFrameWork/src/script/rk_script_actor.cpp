#include "script/rk_script_actor.h"

#include "actor/rk_actor.h"

namespace rk::script {

namespace {

int getActorComponentUserID(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 2);
  return 1;
}

int getEnemyFlushModelComponentID(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, 3);
  return 1;
}

int clearNotUseActor(lua_State* L) {
  lua_settop(L, 0);
  if (actor::ActorManager* manager = actor::ActorManager::getInstance()) manager->setAllUnused();
  return 0;
}

int testCommand(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

const LuaFunctionPair kActorFunctions[] = {
    {getActorComponentUserID, "getActorComponentUserID"},
    {getEnemyFlushModelComponentID, "getEnemyFlushModelComponentID"},
    {clearNotUseActor, "clearNotUseActor"},
    {testCommand, "testCommand"},
};

}  // namespace

LuaFunctionTable actorFunctionTable() {
  return {kActorFunctions, static_cast<int>(sizeof kActorFunctions / sizeof kActorFunctions[0])};
}

}  // namespace rk::script
