// The scripts' way to obtain enemies, owned by the game manager. It holds no
// enemies itself (they live in the actor manager): createEnemy reuses the
// first enemy that is out of use and makes a new one only when none is free.
// Collecting its script object leaves it alone: the game manager owns it.
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"

class Enemy;

class EnemyManager : public rk::script::ILuaMethod {
 public:
  EnemyManager() = default;
  ~EnemyManager() override = default;
  EnemyManager(const EnemyManager&) = delete;
  EnemyManager& operator=(const EnemyManager&) = delete;

  // A pooled enemy filed under the number and initialised; the caller adds
  // its own reference.
  Enemy* createEnemy(int number);

  // "createEnemy", "clear".
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  // Script objects of the manager read null once it is destroyed.
  rk::script::LuaObjectLinks& links() { return links_; }

 private:
  rk::script::LuaObjectLinks links_;
};

extern const rk::script::LuaClass kEnemyManagerClass;
