#include "enemy/bullet/enemy_bullet_rigidbody_list.h"

template class EnemyBulletRigidBodyList<EnemyBulletRigidBodySphere>;
template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyCapsule>;
template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyOBB>;
template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyLaserCapsule>;
template class EnemyBulletRigidBodyList<EnemyBulletRigidBodySphereCapsuleList>;

int lua_createEnemyBulletRigidBodySphereList(lua_State* L) {
  return enemy_bullet::createList<EnemyBulletRigidBodySphere>(L);
}
int lua_createEnemyBulletRigidBodyCapsuleList(lua_State* L) {
  return enemy_bullet::createList<EnemyBulletRigidBodyCapsule>(L);
}
int lua_createEnemyBulletRigidBodyOBBList(lua_State* L) { return enemy_bullet::createList<EnemyBulletRigidBodyOBB>(L); }
int lua_createEnemyBulletRigidBodyLaserCapsuleList(lua_State* L) {
  return enemy_bullet::createList<EnemyBulletRigidBodyLaserCapsule>(L);
}
int lua_createEnemyBulletRigidBodySphereCapsuleListList(lua_State* L) {
  return enemy_bullet::createList<EnemyBulletRigidBodySphereCapsuleList>(L);
}
