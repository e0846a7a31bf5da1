#include "player/player_wepon/beam_magnum.h"

#include "rigidbody/rk_rigidbody_manager.h"

const rk::script::LuaClass kBeamMagnumClass{
    "PlayerBulletBeamMagnumRigidBody",
    player_shot::castShot<PlayerBulletBeamMagnumRigidBody, rk::rigidbody::RigidBodyCapsule>};

PlayerBulletBeamMagnumRigidBody::PlayerBulletBeamMagnumRigidBody() {
  setCollisionBody(static_cast<rk::collision::Capsule*>(this));
}

host::HResult PlayerBulletBeamMagnumRigidBody::initialize() {
  const host::HResult result = RigidBodyCapsule::initialize();
  takeFreshOwner();
  RigidBodyCapsule::setUse(true);
  return result < 0 ? result : host::S_OK;
}

void PlayerBulletBeamMagnumRigidBody::finalize() {
  RigidBodyCapsule::finalize();
  finalizeOwner();
}

void PlayerBulletBeamMagnumRigidBody::setUse(bool use) {
  setOwnerUse(use);
  RigidBodyCapsule::setUse(use);
}

bool PlayerBulletBeamMagnumRigidBody::isUse() { return ownerInUse() || RigidBodyCapsule::isUse(); }

void PlayerBulletBeamMagnumRigidBody::beginStep() {
  RigidBodyCapsule::beginStep();
  setHitFlag(false);
}

void PlayerBulletBeamMagnumRigidBody::flushSync() {
  RigidBodyCapsule::flushSync();
  if (isValid()) setVelocity(player_shot::atFixedSpeed(getVelocity(), fixSpeed()));
}

namespace {

common::BulletBase* readMagnum(lua_State* L, int index) {
  return rk::script::toLuaObject<PlayerBulletBeamMagnumRigidBody>(L, index, kBeamMagnumClass);
}

}  // namespace

void PlayerBulletBeamMagnumRigidBody::registerMethods(lua_State* L) {
  // The common family opens with the initialize family.
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  common::registerBulletMethods(L, readMagnum);
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerCapsuleMethods(L);
}

int lua_createBeamMagnum(lua_State* L) {
  return player_shot::create<PlayerBulletBeamMagnumRigidBody>(L, kBeamMagnumClass);
}
