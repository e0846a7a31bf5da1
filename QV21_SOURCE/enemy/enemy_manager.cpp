#include "enemy/enemy_manager.h"

#include "enemy/enemy.h"
#include "script/rk_lua_arg.h"

const rk::script::LuaClass kEnemyManagerClass{"EnemyManager"};

namespace {

// The game manager owns the enemy manager: collecting an object only lets go of its link.
int collectLink(lua_State* L) {
  rk::script::LuaObjectLinks::release(rk::script::luaObjectBlock(L, 1));
  lua_settop(L, 0);
  return 0;
}

int lua_createEnemy(lua_State* L) {
  auto* manager = rk::script::toLuaObject<EnemyManager>(L, 1, kEnemyManagerClass);
  const int number = rk::script::toIntArg(L, 2);
  if (!manager) {
    rk::script::reportNullObject("EnemyManager::lua_createEnemy");
    lua_settop(L, 0);
    lua_pushnil(L);
    return 1;
  }
  lua_settop(L, 0);
  return pushEnemy(L, manager->createEnemy(number));
}

// Changes nothing: enemies stay in use and filed.
int lua_clear(lua_State* L) {
  if (!rk::script::toLuaObject<EnemyManager>(L, 1, kEnemyManagerClass))
    rk::script::reportNullObject("EnemyManager::lua_clear");
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {{"createEnemy", lua_createEnemy}, {"clear", lua_clear}, {nullptr, nullptr}};

}  // namespace

Enemy* EnemyManager::createEnemy(int number) {
  rk::actor::ActorManager* actors = rk::actor::ActorManager::getInstance();
  // A reused enemy keeps its root body, flags and flush counter.
  Enemy* enemy = actors ? dynamic_cast<Enemy*>(actors->findByKind(Enemy::kKind)) : nullptr;
  if (enemy)
    actors->erase(enemy);
  else
    enemy = new Enemy();
  if (actors) actors->add(number, enemy);
  enemy->initialize();
  return enemy;
}

void EnemyManager::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void EnemyManager::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, collectLink); }
