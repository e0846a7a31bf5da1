#include "enemy/bullet/enemy_bullet_rigidbody.h"

#include "actor/rk_actor.h"
#include "enemy/bullet/enemy_bullet_actor_body.h"

using rk::rigidbody::RigidBodyCapsule;
using rk::rigidbody::RigidBodyOBB;
using rk::rigidbody::RigidBodySphere;

template <class Shape>
host::HResult EnemyBulletRigidBody<Shape>::initialize() {
  // The previous owner is given back only after the new one holds its
  // reference: the pool may hand the same body out again.
  setOwner(EnemyBulletActorBody::create(rk::actor::ActorManager::getInstance()));
  Shape::initialize();
  owner()->initialize();
  BulletBase::setUse(true);
  record().fix_speed_ = kDefaultSpeed;
  record().hit_flag_ = false;
  record().reflect_flag_ = false;
  bullet_no_damage_ = false;
  this->setCollisionBody(static_cast<Shape*>(this));
  this->setGravity({0.0f, 0.0f, 0.0f, 0.0f});
  if constexpr (std::is_same_v<Shape, RigidBodyCapsule>) this->setHeight(0.0f);
  this->setValid(true);
  Shape::setUse(true);
  if constexpr (std::is_same_v<Shape, RigidBodyCapsule>) this->setupTensor();
  return host::S_OK;
}

template <class Shape>
void EnemyBulletRigidBody<Shape>::finalize() {
  Shape::finalize();
  BulletBase::finalize();
}

template <class Shape>
void EnemyBulletRigidBody<Shape>::setUse(bool use) {
  Shape::setUse(use);
  BulletBase::setUse(use);
}

template <class Shape>
bool EnemyBulletRigidBody<Shape>::isUse() {
  return Shape::isUse() && BulletBase::isUse();
}

template <class Shape>
void EnemyBulletRigidBody<Shape>::registerShapeMethods(lua_State* L) {
  namespace family = rk::rigidbody::lua_rigid_body;
  if constexpr (std::is_same_v<Shape, RigidBodySphere>) family::registerSphereMethods(L);
  if constexpr (std::is_same_v<Shape, RigidBodyCapsule>) family::registerCapsuleMethods(L);
  if constexpr (std::is_same_v<Shape, RigidBodyOBB>) family::registerOBBMethods(L);
}

template <class Shape>
void EnemyBulletRigidBody<Shape>::registerMethods(lua_State* L) {
  // The common family starts with the initialize family.
  rk::rigidbody::lua_rigid_body::registerCommonMethods(L);
  registerShapeMethods(L);
  registerEnemyBulletMethods(L);
  registerShotColorMethods(L);
}

template class EnemyBulletRigidBody<RigidBodySphere>;
template class EnemyBulletRigidBody<RigidBodyCapsule>;
template class EnemyBulletRigidBody<RigidBodyOBB>;

const rk::script::LuaClass EnemyBulletRigidBodySphere::kLuaClass{"EnemyBulletRigidBodySphere",
                                                                 enemy_bullet::castBullet<EnemyBulletRigidBodySphere>};
const rk::script::LuaClass EnemyBulletRigidBodyCapsule::kLuaClass{
    "EnemyBulletRigidBodyCapsule", enemy_bullet::castBullet<EnemyBulletRigidBodyCapsule>};
const rk::script::LuaClass EnemyBulletRigidBodyOBB::kLuaClass{"EnemyBulletRigidBodyOBB",
                                                              enemy_bullet::castBullet<EnemyBulletRigidBodyOBB>};

int lua_createEnemyBulletRigidBodySphere(lua_State* L) {
  return enemy_bullet::createBullet<EnemyBulletRigidBodySphere>(L);
}
int lua_createEnemyBulletRigidBodyCapsule(lua_State* L) {
  return enemy_bullet::createBullet<EnemyBulletRigidBodyCapsule>(L);
}
int lua_createEnemyBulletRigidBodyOBB(lua_State* L) { return enemy_bullet::createBullet<EnemyBulletRigidBodyOBB>(L); }
