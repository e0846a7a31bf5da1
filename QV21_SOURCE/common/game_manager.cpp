#include "common/game_manager.h"

#include "enemy/enemy_manager.h"
#include "kernel/rk_instance_table.h"

const rk::script::LuaClass kGameManagerClass{"GameManager"};

namespace {

const rk::SingletonReport kReport{"common/game_manager", "GameManager", 40, 45, 50};

// The game owns the managers: collecting an object only lets go of its link.
int collectLink(lua_State* L) {
  rk::script::LuaObjectLinks::release(rk::script::luaObjectBlock(L, 1));
  lua_settop(L, 0);
  return 0;
}

int lua_getEnemyManager(lua_State* L) {
  auto* manager = rk::script::toLuaObject<GameManager>(L, 1, kGameManagerClass);
  if (!manager) rk::script::reportNullObject("GameManager::lua_getEnemyManager");
  EnemyManager* enemies = manager ? manager->enemyManager() : nullptr;
  if (!enemies) {
    lua_settop(L, 0);
    lua_pushnil(L);
    return 1;
  }
  rk::script::LuaObjectBlock* block = nullptr;
  rk::script::pushLuaObject(L, *enemies, enemies, kEnemyManagerClass, &block);
  enemies->links().link(block);
  return 1;
}

const luaL_Reg kMethods[] = {{"getEnemyManager", lua_getEnemyManager}, {nullptr, nullptr}};

}  // namespace

struct GameManager::Impl {
  std::unique_ptr<EnemyManager> enemies;
};

GameManager* GameManager::createInstance() {
  GameManager* manager = rk::singletonCreate<GameManager>(rk::InstanceSlot::GameManager, kReport);
  manager->impl_->enemies = std::make_unique<EnemyManager>();
  return manager;
}

GameManager* GameManager::getInstance() {
  return static_cast<GameManager*>(rk::instanceSlot(rk::InstanceSlot::GameManager));
}

void GameManager::destroyInstance() { rk::singletonDestroy<GameManager>(rk::InstanceSlot::GameManager, kReport); }

GameManager::GameManager() : impl_(std::make_unique<Impl>()) {}

GameManager::~GameManager() = default;

EnemyManager* GameManager::enemyManager() const { return impl_->enemies.get(); }

void GameManager::registerMethods(lua_State* L) { rk::script::setMethods(L, kMethods); }

void GameManager::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, collectLink); }

int lua_getGameManager(lua_State* L) {
  GameManager* manager = GameManager::getInstance();
  if (!manager) {
    lua_settop(L, 0);
    lua_pushnil(L);
    return 1;
  }
  rk::script::LuaObjectBlock* block = nullptr;
  rk::script::pushLuaObject(L, *manager, manager, kGameManagerClass, &block);
  manager->links().link(block);
  return 1;
}
