// Script plumbing shared by the three enemy bodies: the casts their script
// objects answer (so the framework's body methods, lists and collision links
// accept them) and the creator template.
#pragma once
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"
#include "enemy/enemy_rigid_body.h"

namespace enemy_body_script {

// A LuaClass::cast for an enemy body built on the framework body `Shape`.
template <class T, class Shape>
void* castEnemyBody(void* object, const rk::script::LuaClass& target) {
  return rk::script::castToInterface<T, Shape, rk::rigidbody::RigidBody, rk::policy::SharedObject,
                                     rk::policy::IInitialize, rk::policy::IFinalize, rk::policy::IIsUse,
                                     rk::collision::CollisionBody, EnemyRigidBody>(object, target);
}

// A new body (registered with the rigid-body manager, initialised, one
// reference) in a script object that holds that reference.
template <class T>
int create(lua_State* L, const rk::script::LuaClass& cls) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();  // reports a missing manager
  T* body = rk::rigidbody::RigidBodyManager::create<T>();
  return rk::script::pushLuaObject(L, *body, body, cls);
}

}  // namespace enemy_body_script
