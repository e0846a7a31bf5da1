// The bendable enemy laser: a sphere bullet that flies as the head and leaves
// a trail of its positions. Each "makeLine" puts the head's position at the
// front of the trail, resamples the first `length` of arc along a spline and
// lays a chain of capsule bodies over the samples, one per neighbouring pair;
// the capsules are the laser's collision shape. Between two "makeLine" calls
// the chain stays where it was laid.
#pragma once
#include <vector>

#include <lua.hpp>

#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "math/rk_vector.h"
#include "util/rk_line_convert.h"

class EnemyBulletRigidBodySphereCapsuleList : public EnemyBulletRigidBodySphere {
 public:
  using BulletParent = EnemyBulletRigidBodySphere;
  static const rk::script::LuaClass kLuaClass;
  static constexpr int kShapeKind = 7;
  // The spacing of the resampled points (at least the head's radius).
  static constexpr float kSampleStep = 0.5f;

  EnemyBulletRigidBodySphereCapsuleList() = default;
  // Gives back the chain bodies.
  ~EnemyBulletRigidBodySphereCapsuleList() override;

  int getKind() const override { return kShapeKind; }

  // The sphere bullet's initialise, no gravity, no chain and an empty trail.
  // Returns the sphere bullet's result.
  host::HResult initialize() override;
  // The sphere bullet's finalise, then the chain given back; trail, samples
  // and records stay.
  void finalize() override;

  // Records the head's position and lays the chain again; nothing for an
  // invalid head.
  void makeLine();

  void registerMethods(lua_State* L) override;

  float length() const { return length_; }
  void setLength(float length) { length_ = length; }
  float capsuleLength() const { return capsule_length_; }
  void setCapsuleLength(float length) { capsule_length_ = length; }
  // The chain bodies, one per capsule record of the last rebuild (one reference each).
  const std::vector<rk::rigidbody::RigidBodyCapsule*>& chain() const { return chain_; }
  const std::vector<rk::math::Vector4>& points() const { return converter_.convertedPoints(); }
  const std::vector<rk::util::LineConvert::Capsule>& capsules() const { return converter_.capsules(); }
  // The head's recorded positions, oldest first.
  const std::vector<rk::math::Vector4>& trail() const { return trail_; }

 private:
  void releaseChain(int line, std::size_t keep = 0);
  // The converter gets the trail from the newest point back to the one that
  // reaches the length: the points beyond it would be walked past unused.
  void feedConverter();
  void layChain();

  std::vector<rk::rigidbody::RigidBodyCapsule*> chain_;
  float length_ = 1.0f;
  float capsule_length_ = 0.0f;
  rk::util::LineConvert converter_;
  std::vector<rk::math::Vector4> trail_;  // oldest first: each rebuild appends
};

// "createEnemyBulletRigidBodySphereCapsuleList": no arguments.
int lua_createEnemyBulletRigidBodySphereCapsuleList(lua_State* L);
