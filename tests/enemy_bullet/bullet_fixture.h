// Game script fixture with the physics step and the enemy bullet creators
// registered as globals under their library names.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "enemy/bullet/enemy_bullet_actor_body.h"
#include "enemy/bullet/enemy_bullet_display.h"
#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"
#include "enemy/bullet/enemy_bullet_rigidbody_list.h"
#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"
#include "game_core/game_fixture.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "col/rk_collision_group.h"

namespace bullettest {

class BulletScript : public gametest::GameScript {
 protected:
  BulletScript() {
    rk::collision::CollisionGroupManager::createInstance();
    physics_ = rk::rigidbody::RigidBodyManager::createInstance();
    reg("createEnemyBulletRigidBodySphere", lua_createEnemyBulletRigidBodySphere);
    reg("createEnemyBulletRigidBodyCapsule", lua_createEnemyBulletRigidBodyCapsule);
    reg("createEnemyBulletRigidBodyOBB", lua_createEnemyBulletRigidBodyOBB);
    reg("createEnemyBulletRigidBodyLaserCapsule", lua_createEnemyBulletRigidBodyLaserCapsule);
    reg("createEnemyBulletActorBody", lua_createEnemyBulletActorBody);
    reg("createEnemyBulletDisplayBillboard", lua_createEnemyBulletDisplayBillboard);
    reg("createEnemyBulletRigidBodySphereList", lua_createEnemyBulletRigidBodySphereList);
    reg("createEnemyBulletRigidBodyCapsuleList", lua_createEnemyBulletRigidBodyCapsuleList);
    reg("createEnemyBulletRigidBodyOBBList", lua_createEnemyBulletRigidBodyOBBList);
    reg("createEnemyBulletRigidBodyLaserCapsuleList", lua_createEnemyBulletRigidBodyLaserCapsuleList);
    reg("createEnemyBulletRigidBodySphereCapsuleListList", lua_createEnemyBulletRigidBodySphereCapsuleListList);
    reg("createEnemyBulletRigidBodySphereCapsuleList", lua_createEnemyBulletRigidBodySphereCapsuleList);
  }
  ~BulletScript() override {
    lua_close(L);  // bullets and lists go before the managers
    L = luaL_newstate();
    rk::rigidbody::RigidBodyManager::destroyInstance();
    rk::collision::CollisionGroupManager::destroyInstance();
  }

  // One physics step of dt seconds at the default 32 substeps.
  void step(float dt = 1.0f / 60.0f) { physics_->update(dt); }

  // The object held by a global, as T.
  template <class T>
  T* global(const char* name) {
    lua_getglobal(L, name);
    T* object = rk::script::toLuaObject<T>(L, -1, T::kLuaClass);
    lua_pop(L, 1);
    return object;
  }

  rk::rigidbody::RigidBodyManager* physics_ = nullptr;
};

// Numbers of a run() result, for comparisons with a tolerance.
inline std::vector<double> numbers(const std::string& text) {
  std::vector<double> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!item.empty()) out.push_back(std::stod(item));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

}  // namespace bullettest
