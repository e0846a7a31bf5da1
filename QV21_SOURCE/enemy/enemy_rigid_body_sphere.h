// The sphere enemy body (collision kind 257). Its initialize sets the radius
// back to 1; its explosion is 4 × the radius.
#pragma once
#include "enemy/enemy_rigid_body_shape.h"

class EnemyRigidBodySphere : public EnemyRigidBodyShape<rk::rigidbody::RigidBodySphere> {
 public:
  EnemyRigidBodySphere() = default;
  // Leaves every holder that lists its enemy part.
  ~EnemyRigidBodySphere() override;

  float explosionScale() override { return 4.0f * getRadius(); }
  // The rigid body's reset, the enemy part, the shape linked, radius 1 with
  // its tensor, no damage and no hit.
  host::HResult initialize() override;
  // The rigid body's finalize (shape unlinked), owner unset, no damage, no hit.
  void finalize() override;
  // Initialize, common, sphere, enemy-body and owner families.
  void registerMethods(lua_State* L) override;
};

extern const rk::script::LuaClass kEnemyRigidBodySphereClass;

// "createEnemyRigidBodySphere": a new body, initialised, in a script object
// holding its one reference.
int lua_createEnemyRigidBodySphere(lua_State* L);
