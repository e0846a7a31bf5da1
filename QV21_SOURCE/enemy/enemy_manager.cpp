#include "enemy/enemy_manager.h"

const rk::script::LuaClass kEnemyManagerClass{"EnemyManager"};

namespace {
int collectLink(lua_State* L) {
  rk::script::LuaObjectLinks::release(rk::script::luaObjectBlock(L, 1));
  lua_settop(L, 0);
  return 0;
}
}  // namespace

EnemyManager::EnemyManager() : impl_(std::make_unique<Impl>()) {}

EnemyManager::~EnemyManager() = default;

void EnemyManager::registerMethods(lua_State*) {}

void EnemyManager::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, collectLink); }
