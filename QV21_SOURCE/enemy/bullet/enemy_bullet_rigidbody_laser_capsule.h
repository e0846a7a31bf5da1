// The growing enemy laser: a capsule bullet dragged out behind a lead sphere
// (a sphere bullet it owns). Scripts fly the lead sphere; after each substep
// of the sphere the capsule grows behind it by half the distance travelled
// until its height reaches the total length, and from then on flies with the
// sphere's velocity. While the laser's owner is in its no-damage state (after
// it hit the player) the capsule shrinks instead, as the sphere flies on.
// After every physics step the laser hands its shape to an attached
// capsule-laser drawing command.
#pragma once
#include <lua.hpp>

#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody_hooks.h"

namespace rk::gfx::gfx_model_command {
class CapsuleLaser;
}

class EnemyBulletRigidBodyLaserCapsule : public EnemyBulletRigidBodyCapsule,
                                         public rk::rigidbody::ISyncSimExec,
                                         public rk::rigidbody::ISyncSimExeced {
 public:
  using BulletParent = EnemyBulletRigidBodyCapsule;
  static const rk::script::LuaClass kLuaClass;
  static constexpr int kShapeKind = 6;

  EnemyBulletRigidBodyLaserCapsule();
  ~EnemyBulletRigidBodyLaserCapsule() override;

  // The capsule reports the growing laser's kind.
  int getKind() const override { return kShapeKind; }
  // The lead sphere takes the same radius.
  void setRadius(float radius) override;
  // The capsule tensor, then the lead sphere's.
  void setupTensor() override;

  // Makes the lead sphere the first time; the capsule bullet's initialise, the
  // lead sphere's, both valid and in use, the owner's no-damage flag cleared
  // (so that the laser grows), height 0, radius 1, total length 1, current
  // length 0, and the two step hooks on the lead sphere.
  host::HResult initialize() override;
  // The capsule bullet's finalise; the lead sphere out of use, invalid and
  // unhooked, but kept.
  void finalize() override;
  // The framework's hand-over, then the drawing command takes the shape.
  void flushSync() override;

  // Before the lead sphere integrates: remembers where it starts, unless the
  // laser is in its no-damage state (then the start stays frozen).
  void syncSimExec(rk::rigidbody::RigidBody* body, float dt) override;
  // After the lead sphere integrated: grows or shrinks the capsule.
  void syncSimExeced(rk::rigidbody::RigidBody* body, float dt) override;

  void registerMethods(lua_State* L) override;

  EnemyBulletRigidBodySphere* leadSphere() const { return lead_; }
  float totalLength() const { return total_length_; }
  void setTotalLength(float length) { total_length_ = length; }
  float currentLength() const { return current_length_; }
  const rk::math::Vector4& startPoint() const { return start_; }
  rk::gfx::gfx_model_command::CapsuleLaser* capsuleLaser() const { return capsule_laser_; }
  void setCapsuleLaser(rk::gfx::gfx_model_command::CapsuleLaser* laser) { capsule_laser_ = laser; }

 protected:
  // Finalises, then gives back the lead sphere.
  void destroy() override;

 private:
  void grow(const rk::math::Vector4& position);
  void shrink(const rk::math::Vector4& position);

  EnemyBulletRigidBodySphere* lead_ = nullptr;  // one reference
  float total_length_ = 0.0f;
  float current_length_ = 0.0f;
  rk::math::Vector4 start_{0.0f, 0.0f, 0.0f, 0.0f};
  rk::gfx::gfx_model_command::CapsuleLaser* capsule_laser_ = nullptr;  // not owned
};

// "createEnemyBulletRigidBodyLaserCapsule": no arguments.
int lua_createEnemyBulletRigidBodyLaserCapsule(lua_State* L);
