// The five typed bullet lists that scripts make and hand to the collision
// groups, and their creators (each returns an empty list owned by its script
// object).
#pragma once
#include <lua.hpp>

#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"
#include "enemy/bullet/enemy_bullet_rigidbody_list_template.h"
#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"

using EnemyBulletSphereList = EnemyBulletRigidBodyList<EnemyBulletRigidBodySphere>;
using EnemyBulletCapsuleList = EnemyBulletRigidBodyList<EnemyBulletRigidBodyCapsule>;
using EnemyBulletOBBList = EnemyBulletRigidBodyList<EnemyBulletRigidBodyOBB>;
using EnemyBulletLaserCapsuleList = EnemyBulletRigidBodyList<EnemyBulletRigidBodyLaserCapsule>;
using EnemyBulletBendLaserList = EnemyBulletRigidBodyList<EnemyBulletRigidBodySphereCapsuleList>;

extern template class EnemyBulletRigidBodyList<EnemyBulletRigidBodySphere>;
extern template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyCapsule>;
extern template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyOBB>;
extern template class EnemyBulletRigidBodyList<EnemyBulletRigidBodyLaserCapsule>;
extern template class EnemyBulletRigidBodyList<EnemyBulletRigidBodySphereCapsuleList>;

int lua_createEnemyBulletRigidBodySphereList(lua_State* L);
int lua_createEnemyBulletRigidBodyCapsuleList(lua_State* L);
int lua_createEnemyBulletRigidBodyOBBList(lua_State* L);
int lua_createEnemyBulletRigidBodyLaserCapsuleList(lua_State* L);
// A list of bendable lasers, not of capsules.
int lua_createEnemyBulletRigidBodySphereCapsuleListList(lua_State* L);
