#include "enemy/enemy_rigid_body_sphere.h"

#include "enemy/enemy_rigid_body_script.h"

const rk::script::LuaClass kEnemyRigidBodySphereClass{
    "EnemyRigidBodySphere",
    enemy_body_script::castEnemyBody<EnemyRigidBodySphere, rk::rigidbody::RigidBodySphere>};

EnemyRigidBodySphere::~EnemyRigidBodySphere() {
  rk::rigidbody::forgetRigidBodyEverywhere(static_cast<EnemyRigidBody*>(this));
}

host::HResult EnemyRigidBodySphere::initialize() {
  const host::HResult result = RigidBody::initialize();
  initializeEnemyPart();
  setCollisionBody(static_cast<rk::collision::Sphere*>(this));
  setRadius(1.0f);
  setupTensor();
  setDamageOneSec(0.0f);
  damage_.is_hit_ = false;
  return result;
}

void EnemyRigidBodySphere::finalize() {
  RigidBody::finalize();
  finalizeEnemyPart();
  setDamageOneSec(0.0f);
  damage_.is_hit_ = false;
}

void EnemyRigidBodySphere::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerSphereMethods(L);
  registerEnemyBodyMethods(L);
  registerEnemyOwnerMethods(L);
}

int lua_createEnemyRigidBodySphere(lua_State* L) {
  return enemy_body_script::create<EnemyRigidBodySphere>(L, kEnemyRigidBodySphereClass);
}
