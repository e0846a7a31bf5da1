#include "enemy/enemy_rigid_body_obb.h"

#include <algorithm>

#include "enemy/enemy_rigid_body_script.h"

const rk::script::LuaClass kEnemyRigidBodyOBBClass{
    "EnemyRigidBodyOBB", enemy_body_script::castEnemyBody<EnemyRigidBodyOBB, rk::rigidbody::RigidBodyOBB>};

EnemyRigidBodyOBB::EnemyRigidBodyOBB() { setCollisionBody(static_cast<rk::collision::OBB*>(this)); }

EnemyRigidBodyOBB::~EnemyRigidBodyOBB() {
  rk::rigidbody::forgetRigidBodyEverywhere(static_cast<EnemyRigidBody*>(this));
}

float EnemyRigidBodyOBB::explosionScale() {
  const rk::math::Vector4& size = OBB::getSize();
  return 4.0f * std::max({size.x, size.y, size.z});
}

host::HResult EnemyRigidBodyOBB::initialize() {
  const host::HResult result = RigidBody::initialize();
  initializeEnemyPart();
  setCollisionBody(static_cast<rk::collision::OBB*>(this));
  setDamageOneSec(0.0f);
  setMagnumDamage(false);
  damage_.is_hit_ = false;
  return result;
}

void EnemyRigidBodyOBB::finalize() {
  RigidBody::finalize();
  finalizeEnemyPart();
  setDamageOneSec(0.0f);
  setMagnumDamage(false);
  damage_.is_hit_ = false;
}

void EnemyRigidBodyOBB::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerOBBMethods(L);
  registerEnemyBodyMethods(L);
  registerEnemyOwnerMethods(L);
}

int lua_createEnemyRigidBodyOBB(lua_State* L) {
  return enemy_body_script::create<EnemyRigidBodyOBB>(L, kEnemyRigidBodyOBBClass);
}
