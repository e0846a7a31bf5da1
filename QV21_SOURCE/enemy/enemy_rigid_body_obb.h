// The box enemy body (collision kind 259). Its initialize keeps the size; its
// explosion is 4 × the largest half extent.
#pragma once
#include "enemy/enemy_rigid_body_shape.h"

class EnemyRigidBodyOBB : public EnemyRigidBodyShape<rk::rigidbody::RigidBodyOBB> {
 public:
  EnemyRigidBodyOBB();
  ~EnemyRigidBodyOBB() override;

  float explosionScale() override;
  // The rigid body's reset, the enemy part, the shape linked, no damage, no
  // magnum flag, no hit; the size and inertia stay.
  host::HResult initialize() override;
  // The rigid body's finalize, owner unset, no damage, no magnum flag, no hit;
  // the size stays.
  void finalize() override;
  void registerMethods(lua_State* L) override;
};

extern const rk::script::LuaClass kEnemyRigidBodyOBBClass;

int lua_createEnemyRigidBodyOBB(lua_State* L);
