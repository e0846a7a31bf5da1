#include "collision/hit_rules.h"

#include <algorithm>
#include <cmath>

#include "audio/rk_audio_context.h"
#include "collision/convert_pos_between_cameras.h"
#include "effect/effect_actor_misc.h"
#include "effect/effect_map_misc.h"
#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"
#include "enemy/enemy.h"
#include "enemy/enemy_rigid_body_capsule.h"
#include "enemy/enemy_rigid_body_obb.h"
#include "enemy/enemy_rigid_body_sphere.h"
#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "item/item.h"
#include "math/rk_matrix.h"
#include "math/rk_quaternion.h"
#include "player/player.h"
#include "player/player_rigid_body.h"
#include "player/player_wepon/beam_magnum.h"
#include "player/player_wepon/beam_shot.h"
#include "player/player_wepon/reflect_vulcan.h"
#include "status/status_unit.h"

namespace col_group::rules {

namespace {

constexpr float kEpsilon = 1.1920929e-7f;
constexpr float kHalfPi = 1.5707964f;

// The shot rule's bounce off a reflecting enemy.
constexpr float kSpring = 5000.0f;
constexpr float kDamper = 50.0f;
constexpr float kFlic = 0.7f;
constexpr float kFlicMax = 40000.0f;

float damageOf(common::BulletBase& bullet) {
  ActorBody* owner = bullet.owner();
  return owner ? owner->status().hp_ : 0.0f;
}

void zeroOwnerHp(common::BulletBase& bullet) {
  if (ActorBody* owner = bullet.owner()) owner->status().hp_ = 0.0f;
}

void lowerHp(ActorBody& actor, float damage) { actor.status().hp_ = std::max(actor.status().hp_ - damage, 0.0f); }

// The sound goes where the map camera shows the contact.
void queueSound(const char* name, const Vector4& at) {
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  if (!audio) return;
  Vector4 q{0.0f, 0.0f, 0.0f, 0.0f};
  common::convertPosBetweenCameras(common::kActorCamera, common::kMapCamera, q, at);
  audio->addEntrySE(name, q, 1.0f, 1);
}

void spark(const Vector4& at, const Vector4& along) { effect_misc::runSpark01EffectActor(at, yawOf(along)); }

void startNoDamage(Player& player) { player.startNoDamageCounter(); }

void kill(EnemyRigidBody& e) {
  e.pushDeadInfo(e.makeDeadInfoAtShape());
  e.rigidBody().setValid(false);
}

Vector4 capsuleTip(const rk::collision::Capsule& capsule) {
  Vector4 centre{};
  capsule.getCenter(centre);
  return centre.plus(capsule.getAxisVector().scaled(capsule.getHeight()));
}

}  // namespace

Vector4 horizontal(const Vector4& v) { return rk::math::vec3Normalize(Vector4{v.x, 0.0f, v.z, 0.0f}); }

float yawOf(const Vector4& d) { return std::atan2(d.z, -d.x) + kHalfPi; }

void shotRule(PlayerBulletBeamShotRigidBody& s, EnemyRigidBody& e, const Vector4& n, const Vector4& c,
              const IClosest& k) {
  s.setHitFlag(true);
  if (e.isReflect()) {
    const rk::collision::Sphere tip(capsuleTip(s), s.getRadius());
    Vector4 t{}, pS{}, pE{};
    if (!k.test(t, pS, pE, tip)) return;
    Vector4 force{};
    s.calcImpactForce(force, &e.rigidBody(), t, pS, pE, kSpring, kDamper, kFlic, kFlicMax);
    const float length = rk::math::vec3Length(force);
    Vector4 along = horizontal(force);
    if (rk::math::vec3LengthSq(along) < kEpsilon) along = Vector4{0.0f, 0.0f, 1.0f, 0.0f};
    s.addForceAt(c, along.scaled(length));
    const Vector4 d = horizontal(t);
    s.setAxisVector(d);
    s.setVelocity(d.scaled(s.fixSpeed()));
    s.setHitFlag(true);
    s.setReflectFlag(true);
    return;
  }
  Enemy* enemy = e.getOwner();
  if (!enemy || enemy->status().hp_ <= 0.0f) return;
  lowerHp(*enemy, damageOf(s));
  if (!enemy->isDead()) {
    enemy->startDamageFlush();
    queueSound(kShotHitSound, c);
  } else {
    kill(e);
    addEnemyKillCombo();
  }
  s.setValid(false);
  spark(c, n);
}

void vulcanRule(PlayerBulletVulcanRigidBody& v, EnemyRigidBody& e, const Vector4& n, const Vector4& c) {
  const Vector4 p0 = v.getPosition();
  if (e.isReflect()) {
    Vector4 d = horizontal(n);
    if (rk::math::vec3LengthSq(d) < kEpsilon) d = Vector4{0.0f, 0.0f, 1.0f, 0.0f};
    v.setReflectFlag(true);
    v.setVelocity(d.scaled(v.fixSpeed()));
    v.setQuat(rk::math::quaternionFromYawPitchRoll(yawOf(d), -kHalfPi, 0.0f));
    return;
  }
  Enemy* enemy = e.getOwner();
  if (!enemy || enemy->isDead()) return;
  lowerHp(*enemy, damageOf(v));
  if (enemy->status().hp_ > 0.0f) {
    enemy->startDamageFlush();
    queueSound(kShotHitSound, c);
    if (rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance()) {
      Vector4 q{0.0f, 0.0f, 0.0f, 0.0f};
      common::convertPosBetweenCameras(common::kActorCamera, common::kMapCamera, q, c);
      audio->playOneShot3DSoundEffect(kShotHitSound, q, 1.0f, false);
    }
  } else {
    kill(e);
    addEnemyKillCombo();
  }
  zeroOwnerHp(v);
  v.setValid(false);
  if (PlayerBulletVulcanRigidBody::Laser* laser = v.laser()) laser->params().end_point = p0;
  spark(c, n);
}

template <class EnemyBody>
void magnumRule(PlayerBulletBeamMagnumRigidBody& m, EnemyBody& e) {
  if (e.isReflect()) return;
  e.setDamageOneSec(damageOf(m));
  e.setMagnumDamage(true);
  e.setHit(true);
  Enemy* enemy = e.getOwner();
  if (enemy && !enemy->isDead()) enemy->startDamageFlush();
}
template void magnumRule(PlayerBulletBeamMagnumRigidBody&, EnemyRigidBodySphere&);
template void magnumRule(PlayerBulletBeamMagnumRigidBody&, EnemyRigidBodyCapsule&);
template void magnumRule(PlayerBulletBeamMagnumRigidBody&, EnemyRigidBodyOBB&);

void beamShotCancelRule(PlayerBulletBeamShotRigidBody& s, EnemyBulletRigidBodySphere& b, const Vector4& n,
                        const Vector4& c) {
  zeroOwnerHp(s);
  zeroOwnerHp(b);
  s.setValid(false);
  b.setValid(false);
  spark(c, n);
}

void magnumCancelRule(EnemyBulletRigidBodySphere& b, const Vector4& n, const Vector4& c) {
  zeroOwnerHp(b);
  b.setValid(false);
  spark(c, n);
}

void vulcanBounceRule(PlayerBulletVulcanRigidBody& v, rk::rigidbody::RigidBody& other, const Vector4& n,
                      const Vector4& pV, const Vector4& pB, const rk::rigidbody::ImpactParameter& impact,
                      bool sphereShot) {
  Vector4 force{};
  v.calcImpact(force, &other, n, pV, pB, impact.getSpring(), impact.getDamper(), impact.getFlic(),
               impact.getFlicMax());
  if (sphereShot) v.setReflectFlag(true);
  const float length = rk::math::vec3Length(force);
  const Vector4 push = horizontal(force).scaled(length);
  v.addForceAt(pV, push);
  v.setHitFlag(true);
  const Vector4 u = rk::math::vec3Normalize(v.getVelocity());
  v.setQuat(rk::math::quaternionFromYawPitchRoll(std::atan2(u.z, -u.x) + kHalfPi, -kHalfPi, 0.0f));
  if (sphereShot) other.addForceAt(pB, push.scaled(-1.0f));
}

void bodyContactRule(PlayerRigidBody& p, EnemyRigidBody& e, const Vector4& c) {
  Player* player = p.getOwner();
  if (!player) return;
  lowerHp(*player, 1.0f);
  if (Enemy* enemy = e.getOwner()) {
    lowerHp(*enemy, 1.0f);
    if (!e.isPlayerHitDead() && !enemy->isDead()) {
      enemy->startDamageFlush();
    } else {
      enemy->status().hp_ = 0.0f;
      kill(e);
    }
  }
  if (!player->isDead()) {
    startNoDamage(*player);
    queueSound(kPlayerDamageSound, c);
  }
}

void bulletHitRule(PlayerRigidBody& p, EnemyBulletBase& b, rk::rigidbody::RigidBody& bBody, const Vector4& c) {
  Player* player = p.getOwner();
  if (!player) return;
  lowerHp(*player, damageOf(b));
  if (!player->isDead()) {
    startNoDamage(*player);
    queueSound(kPlayerDamageSound, c);
  }
  if (!b.bullet_no_damage_) {
    zeroOwnerHp(b);
    bBody.setValid(false);
  }
}

void laserHitRule(PlayerRigidBody& p, EnemyBulletRigidBodyLaserCapsule& l) {
  Player* player = p.getOwner();
  if (!player) return;
  if (ActorBody* owner = l.owner()) owner->status().no_damage_flag_ = true;
  lowerHp(*player, damageOf(l));
  startNoDamage(*player);
  zeroOwnerHp(l);
}

void chainHitRule(PlayerRigidBody& p, float damage, const Vector4& c) {
  Player* player = p.getOwner();
  if (!player) return;
  lowerHp(*player, damage);
  if (player->isDead()) return;
  startNoDamage(*player);
  queueSound(kPlayerDamageSound, c);
}

void pickUpRule(PlayerRigidBody& p, Item& i) {
  Player* player = p.getOwner();
  i.setUse(false);
  i.setValid(false);
  if (!player) return;
  const Vector4 at = p.getPosition();
  float& hp = player->status().hp_;
  const float hpMax = player->status().hp_max_;
  const bool belowFullPower = player->shotLevel() < Player::kMaxShotLevel;
  switch (i.getItemKind()) {
    case kItemShield:
      if (hp < hpMax) {
        hp += 1.0f;
        status::StatusUnit::printShieldRecovery(at);
      } else {
        status::StatusUnit::printBonus(at);
      }
      break;
    case kItemFullPower:
      if (belowFullPower)
        player->setShotLevel(Player::kMaxShotLevel);
      else
        status::StatusUnit::printBonus(at);
      break;
    case kItemFullShield:
      if (hp < hpMax)
        hp = hpMax;
      else
        status::StatusUnit::printBonus(at);
      break;
    default:
      if (belowFullPower) {
        player->setShotLevel(std::min(std::max(player->shotLevel() + 1, Player::kMinShotLevel), Player::kMaxShotLevel));
        status::StatusUnit::printPowerUp(at);
      } else {
        status::StatusUnit::printBonus(at);
      }
      break;
  }
  rk::math::Matrix placement = rk::math::matrixIdentity();
  placement.m[3][0] = at.x;
  placement.m[3][1] = at.y;
  placement.m[3][2] = at.z;
  rk::math::Matrix carried{};
  effect_misc::runEffectAndOneShotSE(nullptr, kPowerUpSound, 1.0f, placement, carried);
}

}  // namespace col_group::rules
