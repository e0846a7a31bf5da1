#include "player/player_wepon/beam_shot.h"

#include <algorithm>
#include <cmath>

#include "math/rk_quaternion.h"

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
}

const rk::script::LuaClass kBeamShotClass{
    "PlayerBulletBeamShotRigidBody",
    player_shot::castShot<PlayerBulletBeamShotRigidBody, rk::rigidbody::RigidBodyCapsule>};

PlayerBulletBeamShotRigidBody::PlayerBulletBeamShotRigidBody() {
  setCollisionBody(static_cast<rk::collision::Capsule*>(this));
}

host::HResult PlayerBulletBeamShotRigidBody::initialize() {
  reflect_sound_queued_ = false;
  const host::HResult result = RigidBodyCapsule::initialize();
  takeFreshOwner();
  RigidBodyCapsule::setUse(true);
  return result < 0 ? result : host::S_OK;
}

void PlayerBulletBeamShotRigidBody::finalize() {
  RigidBodyCapsule::finalize();
  finalizeOwner();
}

void PlayerBulletBeamShotRigidBody::setUse(bool use) {
  setOwnerUse(use);
  RigidBodyCapsule::setUse(use);
}

bool PlayerBulletBeamShotRigidBody::isUse() { return RigidBodyCapsule::isUse() || ownerInUse(); }

void PlayerBulletBeamShotRigidBody::beginStep() {
  RigidBodyCapsule::beginStep();
  if (!isValid()) {
    reflect_sound_queued_ = false;
    setReflectFlag(false);
    return;
  }
  setHitFlag(false);
  if (reflectFlag()) {
    if (!reflect_sound_queued_) {
      player_shot::queueReflectSound(getPosition());
      reflect_sound_queued_ = true;
    }
    setReflectFlag(false);
  } else {
    reflect_sound_queued_ = false;
  }
}

void PlayerBulletBeamShotRigidBody::afterCollision() {
  RigidBodyCapsule::afterCollision();
  setOmega({0.0f, 0.0f, 0.0f, 0.0f});
}

void PlayerBulletBeamShotRigidBody::flushSync() {
  if (isUse() && isValid()) {
    rk::math::Vector4 d = getVelocity();
    d.y = 0.0f;
    if (d.x * d.x + d.z * d.z > kEpsilon) {
      d = rk::math::vec3Normalize(d);
      const rk::math::Vector4& a = getBaseAxis();
      const rk::math::Vector4 axis = rk::math::vec3Cross(a, d);
      if (rk::math::vec3LengthSq(axis) > 0.0f) {
        const float cosine = std::clamp(rk::math::vec3Dot(rk::math::vec3Normalize(a), d), -1.0f, 1.0f);
        setQuat(rk::math::quaternionRotationAxis(axis, std::acos(cosine)));
      } else {
        setQuat({0.0f, 0.0f, 0.0f, 1.0f});
      }
    }
    if (!hitFlag()) setVelocity(player_shot::atFixedSpeed(getVelocity(), fixSpeed()));
  }
  RigidBodyCapsule::flushSync();
}

namespace {

common::BulletBase* readShot(lua_State* L, int index) {
  return rk::script::toLuaObject<PlayerBulletBeamShotRigidBody>(L, index, kBeamShotClass);
}

}  // namespace

void PlayerBulletBeamShotRigidBody::registerMethods(lua_State* L) {
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  rk::rigidbody::lua_rigid_body::registerCapsuleMethods(L);
  common::registerBulletMethods(L, readShot);
}

int lua_createBulletBeamShot(lua_State* L) {
  return player_shot::create<PlayerBulletBeamShotRigidBody>(L, kBeamShotClass);
}
