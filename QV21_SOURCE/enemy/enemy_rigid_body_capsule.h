// The capsule enemy body (collision kind 258). Its initialize keeps radius and
// height; its explosion is 4 × max(radius, height). Scripts may read and set
// its magnum damage per second ("setDamageOneSec", "getDamageOneSec"), which
// the next substep clears.
#pragma once
#include "enemy/enemy_rigid_body_shape.h"

class EnemyRigidBodyCapsule : public EnemyRigidBodyShape<rk::rigidbody::RigidBodyCapsule> {
 public:
  EnemyRigidBodyCapsule() = default;
  ~EnemyRigidBodyCapsule() override;

  float explosionScale() override;
  // The rigid body's reset, the enemy part, the shape linked, no damage, no
  // magnum flag; radius, height and inertia stay.
  host::HResult initialize() override;
  // The rigid body's finalize, owner unset, no damage, no magnum flag.
  void finalize() override;
  void registerMethods(lua_State* L) override;
};

extern const rk::script::LuaClass kEnemyRigidBodyCapsuleClass;

int lua_createEnemyRigidBodyCapsule(lua_State* L);
