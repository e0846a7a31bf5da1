// The "collision_gorup_lib" table and the creators of the player-versus-bullet
// groups that the enemy command library registers.
#pragma once
#include <vector>

#include <lua.hpp>

#include "collision/collision_group.h"
#include "script/rk_script.h"

namespace col_group {

// The twenty entries of "collision_gorup_lib", in order.
const std::vector<rk::script::LuaFunctionPair>& collisionGorupLib();

int lua_createColGroupPlayerEnemyBulletSphere(lua_State* L);
int lua_createColGroupPlayerEnemyBulletCapsule(lua_State* L);
int lua_createColGroupPlayerEnemyBulletOBB(lua_State* L);
int lua_createColGroupPlayerEnemyBulletLaserCapsule(lua_State* L);
int lua_createColGroupPlayerEnemyBulletCapsuleLaserList(lua_State* L);

}  // namespace col_group
