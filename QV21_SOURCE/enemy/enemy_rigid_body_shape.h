// What the three enemy bodies share: a framework shaped body (sphere, capsule
// or box, each its own collision shape) with the enemy part beside it and the
// beam magnum's damage over time. The magnum rule sets a damage per second and
// the magnum flag during a substep; the body's integration takes that damage
// from the owner; a kill adds one combo, and at the end of the step the body
// queues the explosion, sends the owner back to the pool and leaves the
// simulation.
#pragma once
#include "enemy/enemy.h"
#include "enemy/enemy_rigid_body.h"
#include "rigidbody/rk_rigidbody_shapes.h"

template <class Shape>
class EnemyRigidBodyShape : public Shape,
                            public EnemyRigidBody,
                            public IDamageOneSec,
                            public IMagnumDamage,
                            public IBombScale {
 public:
  struct DamageRecord {
    float damage_one_sec_ = 0.0f;
    bool is_magnum_damage_ = false;  // the magnum touches the body this substep
    bool is_hit_ = false;            // the magnum touched the body this step
  };

  rk::rigidbody::RigidBody& rigidBody() override { return *this; }
  rk::collision::CollisionBody& shape() override { return *this; }
  int getCollisionKind() override { return enemyCollisionKind(); }
  int enemyCollisionKind() override { return kKindBase + Shape::getKind(); }

  void setDamageOneSec(float damage) override { damage_.damage_one_sec_ = damage; }
  float getDamageOneSec() override { return damage_.damage_one_sec_; }
  void setMagnumDamage(bool on) override { damage_.is_magnum_damage_ = on; }
  bool isMagnumDamage() override { return damage_.is_magnum_damage_; }
  bool isHit() const { return damage_.is_hit_; }
  void setHit(bool hit) { damage_.is_hit_ = hit; }
  DamageRecord& damage() { return damage_; }

  void beginStep() override {
    Shape::beginStep();
    damage_.is_hit_ = false;
  }
  // Damage set before the substep is never applied.
  void beginSubstep() override {
    Shape::beginSubstep();
    setDamageOneSec(0.0f);
    setMagnumDamage(false);
  }
  void integrate(float dt) override {
    Shape::integrate(dt);
    Enemy* owner = getOwner();
    if (!owner || !owner->isUse() || owner->isDead() || !isMagnumDamage()) return;
    float& hp = owner->status().hp_;
    hp -= getDamageOneSec() * dt;
    if (hp < 0.0f) hp = 0.0f;
    if (owner->isDead()) addEnemyKillCombo();
  }
  void flushSync() override {
    Shape::flushSync();
    Enemy* owner = getOwner();
    if (owner && this->isValid() && damage_.is_hit_ && owner->isDead()) {
      DeadInfo info;
      info.matrix = this->getWorldMatrix();
      info.scale = static_cast<EnemyRigidBody*>(this)->explosionScale();
      pushDeadInfo(info);
      owner->setUse(false);
      this->setValid(false);
      this->finalize();
    }
    damage_.is_hit_ = false;
  }

 protected:
  DamageRecord damage_;
};
