// The scripts' way to obtain enemies, owned by the game manager. It holds no
// enemies itself (they live in the actor manager). Collecting its script
// object leaves it alone: the game manager owns it.
#pragma once
#include <map>
#include <memory>

#include "script/rk_lua_object.h"

class EnemyManager : public rk::script::ILuaMethod {
 public:
  EnemyManager();
  ~EnemyManager() override;
  EnemyManager(const EnemyManager&) = delete;
  EnemyManager& operator=(const EnemyManager&) = delete;

  // The enemy methods come with the enemies; until then the table is empty.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  // Script objects of the manager read null once it is destroyed.
  rk::script::LuaObjectLinks& links() { return links_; }

 private:
  struct Impl {
    std::map<int, void*> entries;  // empty
  };
  std::unique_ptr<Impl> impl_;
  rk::script::LuaObjectLinks links_;
};

extern const rk::script::LuaClass kEnemyManagerClass;
