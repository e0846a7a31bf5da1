// The game's manager singleton (slot 2): made by the boot, destroyed at
// shut-down; it owns the enemy manager. Scripts reach it with "getGameManager".
#pragma once
#include <memory>

#include "script/rk_lua_object.h"

class EnemyManager;

class GameManager : public rk::script::ILuaMethod {
 public:
  // A second create is reported ("GameManager::createInstance") and replaces
  // the stored instance; a destroy without one is reported and does nothing.
  static GameManager* createInstance();
  static GameManager* getInstance();  // no report: scripts ask before the boot too
  static void destroyInstance();

  GameManager();
  ~GameManager() override;
  GameManager(const GameManager&) = delete;
  GameManager& operator=(const GameManager&) = delete;

  EnemyManager* enemyManager() const;
  // Script objects of the manager read null once it is destroyed.
  rk::script::LuaObjectLinks& links() { return links_; }

  // "getEnemyManager"; the collector does nothing (the game owns the manager).
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  rk::script::LuaObjectLinks links_;
};

extern const rk::script::LuaClass kGameManagerClass;

// "getGameManager": a new object that refers to the game manager (null when
// there is none).
int lua_getGameManager(lua_State* L);
