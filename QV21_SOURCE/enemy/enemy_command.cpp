#include "enemy/enemy_command.h"

#include "collision/collision_group_script.h"
#include "enemy/bullet/enemy_bullet_actor_body.h"
#include "enemy/bullet/enemy_bullet_display.h"
#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"
#include "enemy/bullet/enemy_bullet_rigidbody_list.h"
#include "enemy/enemy_rigid_body_capsule.h"
#include "enemy/enemy_rigid_body_obb.h"
#include "enemy/enemy_rigid_body_sphere.h"

namespace enemy_command {

const std::vector<rk::script::LuaFunctionPair>& enemyCommandLib() {
  static const std::vector<rk::script::LuaFunctionPair> entries = {
      {lua_createEnemyRigidBodyCapsule, "createEnemyRigidBodyCapsule"},
      {lua_createEnemyRigidBodyOBB, "createEnemyRigidBodyOBB"},
      {lua_createEnemyRigidBodySphere, "createEnemyRigidBodySphere"},
      {lua_createEnemyBulletRigidBodySphere, "createEnemyBulletRigidBodySphere"},
      {lua_createEnemyBulletRigidBodyCapsule, "createEnemyBulletRigidBodyCapsule"},
      {lua_createEnemyBulletRigidBodyOBB, "createEnemyBulletRigidBodyOBB"},
      {lua_createEnemyBulletRigidBodyLaserCapsule, "createEnemyBulletRigidBodyLaserCapsule"},
      {lua_createEnemyBulletActorBody, "createEnemyBulletActorBody"},
      {lua_createEnemyBulletDisplayBillboard, "createEnemyBulletDisplayBillboard"},
      {lua_createEnemyBulletRigidBodySphereList, "createEnemyBulletRigidBodySphereList"},
      {lua_createEnemyBulletRigidBodyCapsuleList, "createEnemyBulletRigidBodyCapsuleList"},
      {lua_createEnemyBulletRigidBodyOBBList, "createEnemyBulletRigidBodyOBBList"},
      {lua_createEnemyBulletRigidBodyLaserCapsuleList, "createEnemyBulletRigidBodyLaserCapsuleList"},
      {lua_createEnemyBulletRigidBodySphereCapsuleListList, "createEnemyBulletRigidBodySphereCapsuleListList"},
      {col_group::lua_createColGroupPlayerEnemyBulletSphere, "createColGroupPlayerEnemyBulletSphere"},
      {col_group::lua_createColGroupPlayerEnemyBulletCapsule, "createColGroupPlayerEnemyBulletCapsule"},
      {col_group::lua_createColGroupPlayerEnemyBulletOBB, "createColGroupPlayerEnemyBulletOBB"},
      {col_group::lua_createColGroupPlayerEnemyBulletLaserCapsule, "createColGroupPlayerEnemyBulletLaserCapsule"},
      {col_group::lua_createColGroupPlayerEnemyBulletCapsuleLaserList,
       "createColGroupPlayerEnemyBulletCapsuleLaserList"},
  };
  return entries;
}

}  // namespace enemy_command
