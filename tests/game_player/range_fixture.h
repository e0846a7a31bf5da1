// The range weapons' world: the player fixture with enemies, the actor camera
// (2) looking down on the ground ahead of the origin, a model manager and the
// audio context. Scopes and attacks are stepped by calling them directly (the
// task manager would wait for the beam texture, which needs a device).
#pragma once
#include <string>

#include "audio/rk_audio_context.h"
#include "enemy/enemy.h"
#include "enemy/enemy_manager.h"
#include "enemy/enemy_rigid_body_sphere.h"
#include "game_player/player_fixture.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_model.h"
#include "kernel/rk_device_context.h"
#include "player/player_wepon/range_attack.h"
#include "player/player_wepon/range_scope.h"

namespace playertest {

class RangeWorld : public PlayerScript {
 protected:
  RangeWorld() {
    rk::DeviceContext::getInstance();  // cameras take their viewport from it; audio lives in it
    rk::audio::AudioContext::getInstance()->clearEntrySE();
    rk::gfx::CameraManager::createInstance();
    rk::gfx::ModelManager::createInstance();
    rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(2);
    camera->setViewport({0, 0, 1280, 720, 0.0f, 1.0f});
    camera->setEye({0.0f, 40.0f, -30.0f, 0.0f});
    camera->setAt({0.0f, 0.0f, 10.0f, 0.0f});
    camera->setNearFar(1.0f, 500.0f);
    camera->updateMatrices();
    rk::gfx::CameraManager::getInstance()->createCamera(1);
    reg("createEnemyRigidBodySphere", lua_createEnemyRigidBodySphere);
    reg("createRangeScope", lua_createRangeScope);
    reg("createRangeAttack", lua_createRangeAttack);
    rk::script::LuaObjectBlock* block = nullptr;
    rk::script::pushLuaObject(L, enemies_, &enemies_, kEnemyManagerClass, &block);
    enemies_.links().link(block);
    lua_setglobal(L, "enemies");
  }
  ~RangeWorld() override {
    lua_close(L);
    L = luaL_newstate();
    rk::gfx::ModelManager::destroyInstance();
    rk::gfx::CameraManager::destroyInstance();
  }

  // An enemy `name` filed under `key` whose root sphere body stands at (x, 0, z).
  void enemyAt(const std::string& name, int key, float x, float z) {
    const std::string b = name + "_body";
    ASSERT_EQ(run(name + " = enemies:createEnemy(" + std::to_string(key) + ") " + b +
                  " = createEnemyRigidBodySphere() " + name + ":entryRootSphereBody(" + b + ") " + b + ":setOwner(" +
                  name + ") " + b + ":setValid(true) " + b + ":setPos(" + std::to_string(x) + ", 0, " +
                  std::to_string(z) + ") " + b + ":syncForced()"),
              "");
  }
  Enemy* enemy(const char* global) {
    lua_getglobal(L, global);
    Enemy* e = toEnemy(L, -1);
    lua_pop(L, 1);
    return e;
  }
  range_scope::RangeScope* scope(const char* global) {
    lua_getglobal(L, global);
    range_scope::RangeScope* s = range_scope::toRangeScope(L, -1);
    lua_pop(L, 1);
    return s;
  }
  PlayerRangeAttack* attack(const char* global) {
    lua_getglobal(L, global);
    PlayerRangeAttack* a = toRangeAttack(L, -1);
    lua_pop(L, 1);
    return a;
  }

  EnemyManager enemies_;
};

}  // namespace playertest
