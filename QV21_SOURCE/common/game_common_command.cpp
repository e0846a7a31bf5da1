#include "common/game_common_command.h"

#include "common/game_config_script.h"
#include "common/game_manager.h"
#include "font/initial_font_adapter.h"
#include "common/global_wipe.h"
#include "common/map_camera.h"
#include "common/sync_body/sync_body_capsule_beam.h"
#include "common/sync_body/sync_body_sphere_beam.h"
#include "effect/effect_map_misc.h"
#include "effect/gfx_model_join.h"
#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"
#include "enemy/enemy_flush_model.h"
#include "enemy/enemy_rigid_body.h"
#include "item/item.h"
#include "sync/sync_collision_boss01.h"
#include "sync/sync_model_capsule_collision.h"
#include "sync/sync_model_obb_collision.h"
#include "sync/sync_beam.h"
#include "script/rk_lua_arg.h"
#include "status/score_command.h"
#include "status/status_command.h"

namespace common {

namespace {

// Camera numbers of the game's drawing layers.
template <int Number>
int lua_cameraNumber(lua_State* L) {
  lua_settop(L, 0);
  lua_pushinteger(L, Number);
  return 1;
}

// damage × reload time, each first taken to single precision.
int lua_calcHpFromDamageReloadTime(lua_State* L) {
  const float damage = rk::script::toFloatArg(L, 1);
  const float reload = rk::script::toFloatArg(L, 2);
  lua_settop(L, 0);
  lua_pushnumber(L, damage * reload);
  return 1;
}

}  // namespace

const std::vector<rk::script::LuaFunctionPair>& gameCommonCommandLib() {
  static const std::vector<rk::script::LuaFunctionPair> entries = {
      {lua_createItemHandle, "createItemHandle"},
      {lua_createSyncBodyCapsuleBeam, "createSyncBodyCapsuleBeam"},
      {lua_createSyncReflectVulcan, "createSyncReflectVulcan"},
      {lua_createLinkMapCameraObject, "createLinkMapCameraObject"},
      {lua_createGameConfig, "createGameConfig"},
      {lua_getGameManager, "getGameManager"},
      {lua_cameraNumber<0>, "getCameraNoBackground"},
      {lua_cameraNumber<1>, "getCameraNoMap"},
      {lua_cameraNumber<2>, "getCameraNoActor"},
      {lua_cameraNumber<2>, "getCameraNoActorEffect"},
      {lua_cameraNumber<3>, "getCameraNoEffect"},
      {lua_cameraNumber<5>, "getCameraNoDebMap"},
      {lua_cameraNumber<6>, "getCameraNoStatusDispolay"},
      {lua_cameraNumber<7>, "getCameraNoMenuUnder"},
      {lua_cameraNumber<8>, "getCameraNoWeaponModelSelect"},
      {lua_cameraNumber<9>, "getCameraNoContinue"},
      {lua_cameraNumber<9>, "getCameraNoWeaponSelect"},
      {lua_cameraNumber<10>, "getCameraNoWeaponSelectDEMO"},
      {lua_cameraNumber<11>, "getCameraNoWeaponSelectPowerParam"},
      {lua_cameraNumber<8>, "getCameraNoWarning"},
      {lua_cameraNumber<4>, "getCameraNoMapEffect"},
      {lua_cameraNumber<10>, "getCameraNoRanking"},
      {lua_cameraNumber<10>, "getCameraNoLogo"},
      {lua_cameraNumber<10>, "getCameraNoGameOver"},
      {lua_cameraNumber<12>, "getCameraNoWipeEffect"},
      {lua_cameraNumber<13>, "getCameraNoTopEffect"},
      {lua_cameraNumber<6>, "getCameraNoGameWipe"},
      {lua_cameraNumber<14>, "getCameraNoStageName"},
      {lua_calcHpFromDamageReloadTime, "calcHpFromDamageReloadTime"},
      {effect_misc::lua_runBomb01Effect, "runBomb01Effect"},
      {status::lua_getScoreRanking, "getScoreRanking"},
      {status::lua_getNowRank, "getNowRank"},
      {font::lua_createInitialFont, "createInitialFont"},
      {status::lua_insertRankIn, "insertRankIn"},
      {lua_castEnemyRigidBodyToCollisionBody, "castEnemyRigidBodySphereToCollisionBody"},
      {lua_castEnemyRigidBodyToCollisionBody, "castEnemyRigidBodyCapsuleToCollisionBody"},
      {lua_castEnemyRigidBodyToCollisionBody, "castEnemyRigidBodyOBBToCollisionBody"},
      {qv21::sync::lua_createSyncBoss01CenterSphereCollsion, "createSyncBoss01CenterSphereCollsion"},
      {qv21::sync::lua_createSyncMapModelCapsule, "createSyncMapModelCapsule"},
      {qv21::sync::lua_createSyncBeamCapsule, "createSyncBeamCapsule"},
      {lua_createEnemyFlushModel, "createEnemyFlushModel"},
      {qv21::sync::lua_createSyncModelFrameOBB, "createSyncModelFrameOBB"},
      {qv21::sync::lua_createSyncBeamOBB, "createSyncBeamOBB"},
      {lua_createEnemyBulletRigidBodySphereCapsuleList, "createEnemyBulletRigidBodySphereCapsuleList"},
      {lua_createGlobalWipe, "createGlobalWipe"},
      {lua_destroyGlobalWipe, "destroyGlobalWipe"},
      {lua_getGlobalWipe, "getGlobalWipe"},
      {effect_misc::lua_joinGfxModelList, "joinGfxModelList"},
      {status::lua_createStatusGauge, "createStatusGauge"},
  };
  return entries;
}

}  // namespace common
