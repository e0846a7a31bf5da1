#include "collision/collision_group.h"

#include "col/rk_intersection.h"
#include "collision/hit_rules.h"
#include "kernel/rk_global_data.h"
#include "player/player.h"

namespace col_group {

using rk::math::Vector4;

namespace {

const rk::collision::Sphere& sphereOf(const rk::rigidbody::RigidBodySphere& b) { return b; }
const rk::collision::Capsule& capsuleOf(const rk::rigidbody::RigidBodyCapsule& b) { return b; }
const rk::collision::OBB& boxOf(const rk::rigidbody::RigidBodyOBB& b) { return b; }
Vector4 centreOf(const rk::collision::CollisionBody& b) {
  Vector4 c{};
  b.getCenter(c);
  return c;
}

// The closest-point tests of the shot rule's bounce, one per enemy shape.
class ClosestSphereSphere : public IClosest {
 public:
  explicit ClosestSphereSphere(EnemyRigidBodySphere& e) : e_(e) {}
  bool test(Vector4& n, Vector4& pS, Vector4& pE, const rk::collision::Sphere& s) const override {
    return rk::collision::hitSphereSphere(n, pS, pE, centreOf(s), s.getRadius(), centreOf(sphereOf(e_)),
                                          sphereOf(e_).getRadius());
  }

 private:
  EnemyRigidBodySphere& e_;
};
class ClosestSphereCapsule : public IClosest {
 public:
  explicit ClosestSphereCapsule(EnemyRigidBodyCapsule& e) : e_(e) {}
  bool test(Vector4& n, Vector4& pS, Vector4& pE, const rk::collision::Sphere& s) const override {
    return rk::collision::checkSphereCapsule(n, pS, pE, s, capsuleOf(e_));
  }

 private:
  EnemyRigidBodyCapsule& e_;
};
class ClosestSphereOBB : public IClosest {
 public:
  explicit ClosestSphereOBB(EnemyRigidBodyOBB& e) : e_(e) {}
  bool test(Vector4& n, Vector4& pS, Vector4& pE, const rk::collision::Sphere& s) const override {
    return rk::collision::checkSphereBox(n, pS, pE, centreOf(s), s.getRadius(), boxOf(e_));
  }

 private:
  EnemyRigidBodyOBB& e_;
};

bool bulletDead(common::BulletBase& bullet) { return bullet.isDead(); }

// Side B of the shot, vulcan and magnum groups: the body in use and valid,
// and an owner enemy (when there is one) not in its no-damage state.
bool enemyBodyOpen(rk::rigidbody::RigidBody& body, EnemyRigidBody& e) {
  if (!body.isUse() || !body.isValid()) return false;
  Enemy* enemy = e.getOwner();
  return !enemy || !enemy->isNoDamage();
}

template <class Shot>
bool shotOpen(Shot& a) {
  return a.isUse() && a.isValid() && !bulletDead(a);
}

template <class Body>
bool playerEnemyPair(PlayerRigidBody& a, Body& b) {
  if (!a.isValid() || !a.isUse()) return false;
  Player* player = a.getOwner();
  if (!player || !player->isUse() || player->isNoDamage() || player->isDead()) return false;
  if (!b.isValid()) return false;
  if (Enemy* enemy = b.getOwner(); enemy && (!enemy->isUse() || enemy->isDead() || enemy->isNoDamage())) return false;
  return b.isUse();
}

template <class Bullet>
bool vulcanShotPair(Bullet& b) {
  return !bulletDead(b) && b.isValid() && b.isUse();
}

}  // namespace

float readPlayerModeCtrl() {
  rk::GlobalVariable* globals = rk::GlobalVariable::getInstance();
  return globals ? globals->getNumber(kPlayerModeCtrl) : 0.0f;
}

// ------------------------------------------------------------- beam shot

bool BeamShotAndEnemySphere::checkPair(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodySphere& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void BeamShotAndEnemySphere::contact(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodySphere& b) {
  Vector4 n{}, pS{}, pC{};
  if (!rk::collision::checkSphereCapsule(n, pS, pC, b, a)) return;
  rules::shotRule(a, b, n.scaled(-1.0f), pS, ClosestSphereSphere(b));
}

bool BeamShotAndEnemyCapsule::checkPair(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodyCapsule& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void BeamShotAndEnemyCapsule::contact(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodyCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (!rk::collision::checkCapsuleCapsule(n, pA, pB, a, b)) return;
  rules::shotRule(a, b, n, pA, ClosestSphereCapsule(b));
}

bool BeamShotAndEnemyOBB::checkPair(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodyOBB& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void BeamShotAndEnemyOBB::contact(PlayerBulletBeamShotRigidBody& a, EnemyRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (!rk::collision::hitCapsuleConvex(n, pA, pB, a, boxOf(b))) return;
  rules::shotRule(a, b, n, pB, ClosestSphereOBB(b));
}

// ---------------------------------------------------------------- vulcan

bool PlayerRefVulcanAndEnemySphere::checkPair(PlayerBulletVulcanRigidBody& a, EnemyRigidBodySphere& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void PlayerRefVulcanAndEnemySphere::contact(PlayerBulletVulcanRigidBody& a, EnemyRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (!rk::collision::hitSphereSphere(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), centreOf(sphereOf(b)),
                                      b.getRadius()))
    return;
  rules::vulcanRule(a, b, n, pA);
}

bool PlayerRefVulcanAndEnemyCapsule::checkPair(PlayerBulletVulcanRigidBody& a, EnemyRigidBodyCapsule& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void PlayerRefVulcanAndEnemyCapsule::contact(PlayerBulletVulcanRigidBody& a, EnemyRigidBodyCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (!rk::collision::checkSphereCapsule(n, pA, pB, a, b)) return;
  rules::vulcanRule(a, b, n, pA);
}

bool PlayerRefVulcanAndEnemyOBB::checkPair(PlayerBulletVulcanRigidBody& a, EnemyRigidBodyOBB& b) {
  return shotOpen(a) && enemyBodyOpen(b, b);
}
void PlayerRefVulcanAndEnemyOBB::contact(PlayerBulletVulcanRigidBody& a, EnemyRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (!rk::collision::checkSphereBox(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), boxOf(b))) return;
  rules::vulcanRule(a, b, n, pB);
}

// ---------------------------------------------------------------- magnum

namespace {
template <class Body>
bool magnumPair(PlayerBulletBeamMagnumRigidBody& a, Body& b) {
  if (!a.isValid()) return false;
  if (Enemy* enemy = b.getOwner(); enemy && (enemy->isNoDamage() || enemy->isDead())) return false;
  return b.isUse() && b.isValid();
}
}  // namespace

bool PlayerMagnumAndEnemySphere::checkPair(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodySphere& b) {
  return magnumPair(a, b);
}
void PlayerMagnumAndEnemySphere::contact(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, b, a)) rules::magnumRule(a, b);
}
bool PlayerMagnumAndEnemyCapsule::checkPair(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodyCapsule& b) {
  return magnumPair(a, b);
}
void PlayerMagnumAndEnemyCapsule::contact(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodyCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkCapsuleCapsule(n, pA, pB, b, a)) rules::magnumRule(a, b);
}
bool PlayerMagnumAndEnemyOBB::checkPair(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodyOBB& b) {
  return magnumPair(a, b);
}
void PlayerMagnumAndEnemyOBB::contact(PlayerBulletBeamMagnumRigidBody& a, EnemyRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::hitCapsuleConvex(n, pA, pB, a, boxOf(b))) rules::magnumRule(a, b);
}

// ------------------------------------------------- player and enemy bodies

bool PlayerColEnemySphere::beginPass() { return (mode_ = readPlayerModeCtrl()) != 0.0f; }
bool PlayerColEnemySphere::checkPair(PlayerRigidBody& a, EnemyRigidBodySphere& b) { return playerEnemyPair(a, b); }
void PlayerColEnemySphere::contact(PlayerRigidBody& a, EnemyRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::hitSphereSphere(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), centreOf(sphereOf(b)),
                                     b.getRadius()))
    rules::bodyContactRule(a, b, pA);
}
bool PlayerColEnemyCapsule::beginPass() { return (mode_ = readPlayerModeCtrl()) != 0.0f; }
bool PlayerColEnemyCapsule::checkPair(PlayerRigidBody& a, EnemyRigidBodyCapsule& b) { return playerEnemyPair(a, b); }
void PlayerColEnemyCapsule::contact(PlayerRigidBody& a, EnemyRigidBodyCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, a, b)) rules::bodyContactRule(a, b, pA);
}
bool PlayerColEnemyOBB::beginPass() { return (mode_ = readPlayerModeCtrl()) != 0.0f; }
bool PlayerColEnemyOBB::checkPair(PlayerRigidBody& a, EnemyRigidBodyOBB& b) { return playerEnemyPair(a, b); }
void PlayerColEnemyOBB::contact(PlayerRigidBody& a, EnemyRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereBox(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), boxOf(b)))
    rules::bodyContactRule(a, b, pA);
}

// ------------------------------------------------------ vulcan and shots

bool PlayerRefVaucanAndSphereShot::checkAOnce(PlayerBulletVulcanRigidBody& a) { return shotOpen(a); }
bool PlayerRefVaucanAndSphereShot::checkPair(PlayerBulletVulcanRigidBody&, EnemyBulletRigidBodySphere& b) {
  return vulcanShotPair(b);
}
void PlayerRefVaucanAndSphereShot::contact(PlayerBulletVulcanRigidBody& a, EnemyBulletRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::hitSphereSphere(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), centreOf(sphereOf(b)),
                                     b.getRadius()))
    rules::vulcanBounceRule(a, b, n, pA, pB, impact_, true);
}

bool PlayerRefVaucanAndCapsuleLaser::checkAOnce(PlayerBulletVulcanRigidBody& a) { return shotOpen(a); }
bool PlayerRefVaucanAndCapsuleLaser::checkPair(PlayerBulletVulcanRigidBody&, EnemyBulletRigidBodyLaserCapsule& b) {
  return vulcanShotPair(b);
}
void PlayerRefVaucanAndCapsuleLaser::contact(PlayerBulletVulcanRigidBody& a, EnemyBulletRigidBodyLaserCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, a, b)) rules::vulcanBounceRule(a, b, n, pA, pB, impact_, false);
}

bool PlayerRefVaucanAndOBB::checkAOnce(PlayerBulletVulcanRigidBody& a) { return shotOpen(a); }
bool PlayerRefVaucanAndOBB::checkPair(PlayerBulletVulcanRigidBody&, EnemyBulletRigidBodyOBB& b) {
  return vulcanShotPair(b);
}
void PlayerRefVaucanAndOBB::contact(PlayerBulletVulcanRigidBody& a, EnemyBulletRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereBox(n, pA, pB, centreOf(sphereOf(a)), a.getRadius(), boxOf(b)))
    rules::vulcanBounceRule(a, b, n, pA, pB, impact_, false);
}

bool PlayerRefVaucanAndBendLaser::checkAOnce(PlayerBulletVulcanRigidBody& a) { return shotOpen(a); }
bool PlayerRefVaucanAndBendLaser::checkPair(PlayerBulletVulcanRigidBody&, EnemyBulletRigidBodySphereCapsuleList& b) {
  return vulcanShotPair(b);
}
void PlayerRefVaucanAndBendLaser::contact(PlayerBulletVulcanRigidBody& a, EnemyBulletRigidBodySphereCapsuleList& b) {
  // Walked by index: the chain is the laser's and stays as it is during the pass.
  const auto& chain = b.chain();
  for (std::size_t i = 0; i < chain.size(); ++i) {
    rk::rigidbody::RigidBodyCapsule* link = chain[i];
    Vector4 n{}, pA{}, pB{};
    if (link && rk::collision::checkSphereCapsule(n, pA, pB, a, *link))
      rules::vulcanBounceRule(a, *link, n, pA, pB, impact_, false);
  }
}

// ------------------------------------------- shots cancelling sphere shots

bool PlayerBeamShotAndEnemyShotSphere::checkAOnce(PlayerBulletBeamShotRigidBody& a) {
  return a.isValid() && a.isUse() && !bulletDead(a);
}
bool PlayerBeamShotAndEnemyShotSphere::checkPair(PlayerBulletBeamShotRigidBody&, EnemyBulletRigidBodySphere& b) {
  return b.isValid() && b.isUse() && !bulletDead(b) && b.shot_color_kind_ == 0;
}
void PlayerBeamShotAndEnemyShotSphere::contact(PlayerBulletBeamShotRigidBody& a, EnemyBulletRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, b, a)) rules::beamShotCancelRule(a, b, n, pA);
}

bool PlayerBeamMagumAndSphereShot::checkAOnce(PlayerBulletBeamMagnumRigidBody& a) { return a.isValid(); }
bool PlayerBeamMagumAndSphereShot::checkPair(PlayerBulletBeamMagnumRigidBody&, EnemyBulletRigidBodySphere& b) {
  return b.isValid() && b.shot_color_kind_ == 0;
}
void PlayerBeamMagumAndSphereShot::contact(PlayerBulletBeamMagnumRigidBody& a, EnemyBulletRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, b, a)) rules::magnumCancelRule(b, n, pA);
}

// ----------------------------------------------------------------- items

void ItemList::removeFirst(Item* item) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (*it == item) {
      items_.erase(it);
      return;
    }
  }
}

void ItemList::forgetRigidBody(const void* body) {
  items_.remove_if([body](Item* item) {
    return static_cast<const void*>(static_cast<rk::rigidbody::RigidBody*>(item)) == body;
  });
}

void ColGroupPlayerItem::exec() {
  PlayerRigidBody* p = player();
  ItemList* list = group_b_;
  if (!p || !list || !p->isValid()) return;
  Player* owner = p->getOwner();
  if (!owner || owner->isDead()) return;
  items_.assign(list->items().begin(), list->items().end());
  picked_.clear();
  DeathWatch watch;
  for (Item* item : items_) {
    if (watch.gone(p)) break;
    if (watch.gone(item) || !item->isUse() || !item->isValid()) continue;
    Vector4 n{}, pA{}, pB{};
    if (!rk::collision::checkSphereSphere(n, pA, pB, *p, *item)) continue;
    rules::pickUpRule(*p, *item);
    picked_.push_back(item);
  }
  // The list may have gone with a destroyed player only if the script dropped it; it is ours to edit here.
  for (Item* item : picked_) list->removeFirst(item);
}

// ---------------------------------------------------- player and bullets

template <class T>
bool PlayerBulletGroup<T>::canTakeHits(PlayerRigidBody& p) {
  if (static_cast<int>(readPlayerModeCtrl()) == 0) return false;
  if (!p.isUse() || !p.isValid()) return false;
  Player* player = p.getOwner();
  if (!player || player->isDead() || player->isNoDamage() || player->isNoDamagePeriod()) return false;
  return player->isReady();
}

template <class T>
void PlayerBulletGroup<T>::exec() {
  PlayerRigidBody* p = this->player();
  EnemyBulletRigidBodyList<T>* list = this->group_b_;
  if (!p || !list || !canTakeHits(*p)) return;
  bs_.assign(list->begin(), list->end());
  DeathWatch watch;
  for (T* b : bs_) {
    if (watch.gone(p)) return;
    if (watch.gone(b) || !b->isUse() || !b->isValid() || !checkBullet(*b)) continue;
    contact(*p, *b);
  }
}

void ColGroupPlayerEnemyBulletSphere::contact(PlayerRigidBody& p, EnemyBulletRigidBodySphere& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::hitSphereSphere(n, pA, pB, centreOf(sphereOf(p)), p.getRadius(), centreOf(sphereOf(b)),
                                     b.getRadius()))
    rules::bulletHitRule(p, b, b, pA);
}
void ColGroupPlayerEnemyBulletCapsule::contact(PlayerRigidBody& p, EnemyBulletRigidBodyCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, p, b)) rules::bulletHitRule(p, b, b, pA);
}
void ColGroupPlayerEnemyBulletOBB::contact(PlayerRigidBody& p, EnemyBulletRigidBodyOBB& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereBox(n, pA, pB, centreOf(sphereOf(p)), p.getRadius(), boxOf(b)))
    rules::bulletHitRule(p, b, b, pA);
}
bool ColGroupPlayerEnemyBulletLaserCapsule::checkBullet(EnemyBulletRigidBodyLaserCapsule& b) {
  ActorBody* owner = b.owner();
  return !owner || !owner->isNoDamage();
}
void ColGroupPlayerEnemyBulletLaserCapsule::contact(PlayerRigidBody& p, EnemyBulletRigidBodyLaserCapsule& b) {
  Vector4 n{}, pA{}, pB{};
  if (rk::collision::checkSphereCapsule(n, pA, pB, p, b)) rules::laserHitRule(p, b);
}

void PlayerAndSphereCapsuleList::exec() {
  PlayerRigidBody* p = player();
  EnemyBulletRigidBodyList<EnemyBulletRigidBodySphereCapsuleList>* list = group_b_;
  if (!p || !list || !p->isValid()) return;
  Player* owner = p->getOwner();
  if (!owner || owner->isDead() || owner->isNoDamage() || owner->isNoDamagePeriod()) return;
  bs_.assign(list->begin(), list->end());
  DeathWatch watch;
  for (EnemyBulletRigidBodySphereCapsuleList* laser : bs_) {
    if (watch.gone(laser) || !laser->isValid()) continue;
    ActorBody* chainOwner = laser->owner();
    const float damage = chainOwner ? chainOwner->status().hp_ : 0.0f;
    const auto& chain = laser->chain();
    for (std::size_t i = 0; i < chain.size(); ++i) {
      rk::rigidbody::RigidBodyCapsule* link = chain[i];
      if (!link || !link->isValid() || owner->isDead() || owner->isNoDamage()) continue;
      Vector4 n{}, pA{}, pB{};
      if (!rk::collision::checkSphereCapsule(n, pA, pB, *p, *link)) continue;
      rules::chainHitRule(*p, damage, pA);
      return;
    }
  }
}

#define COL_GROUP_EXEC_MEMBERS(T)                                    \
  template void PlayerBulletGroup<T>::exec();                        \
  template bool PlayerBulletGroup<T>::canTakeHits(PlayerRigidBody&);
COL_GROUP_EXEC_MEMBERS(EnemyBulletRigidBodySphere)
COL_GROUP_EXEC_MEMBERS(EnemyBulletRigidBodyCapsule)
COL_GROUP_EXEC_MEMBERS(EnemyBulletRigidBodyOBB)
COL_GROUP_EXEC_MEMBERS(EnemyBulletRigidBodyLaserCapsule)
COL_GROUP_EXEC_MEMBERS(EnemyBulletRigidBodySphereCapsuleList)
#undef COL_GROUP_EXEC_MEMBERS

}  // namespace col_group
