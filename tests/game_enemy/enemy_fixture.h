// A Lua state with the enemy manager ("enemies"), the enemy body creators and
// the rigid-body manager over the game fixture's managers. Enemies and bodies
// made by a test live while the scripts hold them; the state is closed before
// the managers go.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "enemy/enemy.h"
#include "enemy/enemy_manager.h"
#include "enemy/enemy_rigid_body_capsule.h"
#include "enemy/enemy_rigid_body_obb.h"
#include "enemy/enemy_rigid_body_sphere.h"
#include "game_core/game_fixture.h"
#include "rigidbody/rk_rigidbody_manager.h"

namespace enemytest {

class EnemyScript : public gametest::GameScript {
 protected:
  EnemyScript() {
    rk::rigidbody::RigidBodyManager::createInstance();
    reg("createEnemyRigidBodySphere", lua_createEnemyRigidBodySphere);
    reg("createEnemyRigidBodyCapsule", lua_createEnemyRigidBodyCapsule);
    reg("createEnemyRigidBodyOBB", lua_createEnemyRigidBodyOBB);
    rk::script::LuaObjectBlock* block = nullptr;
    rk::script::pushLuaObject(L, manager_, &manager_, kEnemyManagerClass, &block);
    manager_.links().link(block);
    lua_setglobal(L, "enemies");
  }
  ~EnemyScript() override {
    lua_close(L);
    L = luaL_newstate();
    rk::rigidbody::RigidBodyManager::destroyInstance();
  }

  // The engine object behind a global.
  Enemy* enemy(const char* global) {
    lua_getglobal(L, global);
    Enemy* e = toEnemy(L, -1);
    lua_pop(L, 1);
    return e;
  }
  template <class T>
  T* object(const char* global, const rk::script::LuaClass& cls) {
    lua_getglobal(L, global);
    T* o = rk::script::toLuaObject<T>(L, -1, cls);
    lua_pop(L, 1);
    return o;
  }
  EnemyRigidBody* body(const char* global) {
    lua_getglobal(L, global);
    EnemyRigidBody* b = toEnemyRigidBody(L, -1);
    lua_pop(L, 1);
    return b;
  }
  void collect() { lua_gc(L, LUA_GCCOLLECT, 0); }
  // One physics step of a 1/60 s frame.
  void step(float dt = 1.0f / 60.0f) { rk::rigidbody::RigidBodyManager::getInstance()->update(dt); }

  EnemyManager manager_;
};

}  // namespace enemytest
