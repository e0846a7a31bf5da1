// What happens at a contact that a collision group found: damage, kills and
// their explosions, cancelled shots, bounces off reflecting enemies, the
// magnum's damage per second, pick-ups, combos, sparks and queued sounds.
// Every rule runs inside the physics step and acts at once on the bodies and
// actors it is given; none deletes anything itself.
#pragma once
#include "col/rk_collision_sphere.h"
#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody_group.h"

class EnemyRigidBody;
class EnemyBulletBase;
class EnemyBulletRigidBodySphere;
class EnemyBulletRigidBodyLaserCapsule;
class Item;
class PlayerRigidBody;
class PlayerBulletBeamShotRigidBody;
class PlayerBulletBeamMagnumRigidBody;
class PlayerBulletVulcanRigidBody;

namespace col_group {

using rk::math::Vector4;

// The pair's enemy shape, tested against a sphere: the normal points from the
// enemy towards the sphere, pS is the sphere's point nearest the enemy and pE
// the enemy's point nearest the sphere.
class IClosest {
 public:
  virtual ~IClosest() = default;
  virtual bool test(Vector4& normal, Vector4& pS, Vector4& pE, const rk::collision::Sphere& sphere) const = 0;
};

namespace rules {

// Sounds and effects of the rules.
inline constexpr const char* kShotHitSound = "audio/se/common01/shot_hit.ogg";
inline constexpr const char* kPlayerDamageSound = "audio/se/common01/player_damage.ogg";
inline constexpr const char* kPowerUpSound = "audio/se/common01/player_power_up.ogg";

// The item kinds the pick-up rule knows; any other kind is a power-up.
inline constexpr int kItemShield = 2;
inline constexpr int kItemFullPower = 3;
inline constexpr int kItemFullShield = 4;

// The horizontal part of v at unit length (zero stays zero).
Vector4 horizontal(const Vector4& v);
// The yaw that turns the effects' forward axis along d.
float yawOf(const Vector4& d);

// Beam shot s against enemy body e; n from e towards s, c the contact.
void shotRule(PlayerBulletBeamShotRigidBody& s, EnemyRigidBody& e, const Vector4& n, const Vector4& c,
              const IClosest& k);
// Reflect vulcan v against enemy body e; n from e towards v, c the contact.
void vulcanRule(PlayerBulletVulcanRigidBody& v, EnemyRigidBody& e, const Vector4& n, const Vector4& c);
// Beam magnum against one of the enemy bodies (sphere, capsule or box).
template <class EnemyBody>
void magnumRule(PlayerBulletBeamMagnumRigidBody& m, EnemyBody& e);
// A player shot against a cancellable sphere shot b; n from the shot towards
// b, c on b's surface.
void beamShotCancelRule(PlayerBulletBeamShotRigidBody& s, EnemyBulletRigidBodySphere& b, const Vector4& n,
                        const Vector4& c);
void magnumCancelRule(EnemyBulletRigidBodySphere& b, const Vector4& n, const Vector4& c);
// Vulcan v pushed off an enemy shot or a chain body `other`; n from other
// towards v. The sphere-shot group also marks the reflect and pushes back.
void vulcanBounceRule(PlayerBulletVulcanRigidBody& v, rk::rigidbody::RigidBody& other, const Vector4& n,
                      const Vector4& pV, const Vector4& pB, const rk::rigidbody::ImpactParameter& impact,
                      bool sphereShot);
// The player's body p touching enemy body e; c on the player's surface.
void bodyContactRule(PlayerRigidBody& p, EnemyRigidBody& e, const Vector4& c);
// The player hit by a sphere, capsule or box bullet.
void bulletHitRule(PlayerRigidBody& p, EnemyBulletBase& b, rk::rigidbody::RigidBody& bBody, const Vector4& c);
// The player hit by a growing laser.
void laserHitRule(PlayerRigidBody& p, EnemyBulletRigidBodyLaserCapsule& l);
// The player hit by a chain body of a bendable laser doing `damage`.
void chainHitRule(PlayerRigidBody& p, float damage, const Vector4& c);
// The player picking item i up; the group removes i from its list.
void pickUpRule(PlayerRigidBody& p, Item& i);

}  // namespace rules
}  // namespace col_group
