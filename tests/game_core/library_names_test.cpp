// The game libraries against their tables: every function registered so far
// carries the table's name (misspellings included) and keeps the table's
// order; libraries fill up as their objects are built.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qv21_game_libraries.h"
#include "script/rk_script.h"

namespace {

struct LibraryTable {
  const char* name;
  std::vector<std::string> functions;
};

const std::vector<LibraryTable> kTables = {
    {"player_command",
     {"createBeamCapture", "createBulletBeamShot", "createReflectVulcan", "createBeamMagnum",
      "createPlayerColRigidBody", "createPlayerActor", "createRangeScope", "createRangeAttack"}},
    {"actor_body_command", {"createActorBody"}},
    {"enemy_command",
     {"createEnemyRigidBodyCapsule", "createEnemyRigidBodyOBB", "createEnemyRigidBodySphere",
      "createEnemyBulletRigidBodySphere", "createEnemyBulletRigidBodyCapsule", "createEnemyBulletRigidBodyOBB",
      "createEnemyBulletRigidBodyLaserCapsule", "createEnemyBulletActorBody", "createEnemyBulletDisplayBillboard",
      "createEnemyBulletRigidBodySphereList", "createEnemyBulletRigidBodyCapsuleList",
      "createEnemyBulletRigidBodyOBBList", "createEnemyBulletRigidBodyLaserCapsuleList",
      "createEnemyBulletRigidBodySphereCapsuleListList", "createColGroupPlayerEnemyBulletSphere",
      "createColGroupPlayerEnemyBulletCapsule", "createColGroupPlayerEnemyBulletOBB",
      "createColGroupPlayerEnemyBulletLaserCapsule", "createColGroupPlayerEnemyBulletCapsuleLaserList"}},
    {"status_unit_command",
     {"createGameStatusUnit", "createGameStatusScoreDisplay", "createGameStatusShiledGauge",
      "createGameStatusXFieldGauge", "createGameStatusComboGauge"}},
    {"collision_gorup_lib",
     {"createColGroupBeamShotEnemySphere", "createColGroupBeamShotEnemyCapsule", "createColGroupBeamShotEnemyOBB",
      "createColGroupRefVulcanEnemySphere", "createColGroupRefVulcanEnemyCapsule", "createColGroupRefVulcanEnemyOBB",
      "createColGroupBeamMagnumEnemySphere", "createColGroupBeamMagnumEnemyCapsule",
      "createColGroupBeamMagnumEnemyOBB", "createColGroupPlayerEnemySphere", "createColGroupPlayerEnemyCapsule",
      "createColGroupPlayerEnemyOBB", "createColGroupRefVulcanSphereShot", "createColGroupRefVulcanCapsuleLaser",
      "createColGroupRefVulcanOBB", "createColGroupRefVulcanBlendLaser", "createPlayerHitItem", "createItemList",
      "createColGroupPlayerBeamShotAndEnemyShotSphere",
      "createColGroupPlayerBeamMagunumAndEnemyBulletRigidBodySphere"}},
    {"game_commmon_command_lib",
     {"createItemHandle", "createSyncBodyCapsuleBeam", "createSyncReflectVulcan", "createLinkMapCameraObject",
      "createGameConfig", "getGameManager", "getCameraNoBackground", "getCameraNoMap", "getCameraNoActor",
      "getCameraNoActorEffect", "getCameraNoEffect", "getCameraNoDebMap", "getCameraNoStatusDispolay",
      "getCameraNoMenuUnder", "getCameraNoWeaponModelSelect", "getCameraNoContinue", "getCameraNoWeaponSelect",
      "getCameraNoWeaponSelectDEMO", "getCameraNoWeaponSelectPowerParam", "getCameraNoWarning",
      "getCameraNoMapEffect", "getCameraNoRanking", "getCameraNoLogo", "getCameraNoGameOver",
      "getCameraNoWipeEffect", "getCameraNoTopEffect", "getCameraNoGameWipe", "getCameraNoStageName",
      "calcHpFromDamageReloadTime", "runBomb01Effect", "getScoreRanking", "getNowRank", "createInitialFont",
      "insertRankIn", "castEnemyRigidBodySphereToCollisionBody", "castEnemyRigidBodyCapsuleToCollisionBody",
      "castEnemyRigidBodyOBBToCollisionBody", "createSyncBoss01CenterSphereCollsion", "createSyncMapModelCapsule",
      "createSyncBeamCapsule", "createEnemyFlushModel", "createSyncModelFrameOBB", "createSyncBeamOBB",
      "createEnemyBulletRigidBodySphereCapsuleList", "createGlobalWipe", "destroyGlobalWipe", "getGlobalWipe",
      "joinGfxModelList", "createStatusGauge"}},
    {"flush_group_command", {"createFlushModelAndRangeScope"}},
};

TEST(LibraryTables, TheTablesHaveTheirKnownSizes) {
  const std::size_t sizes[] = {8, 1, 19, 5, 20, 49, 1};
  ASSERT_EQ(kTables.size(), 7u);
  for (std::size_t i = 0; i < kTables.size(); ++i) EXPECT_EQ(kTables[i].functions.size(), sizes[i]) << kTables[i].name;
}

TEST(LibraryTables, RegisteredFunctionsCarryTheirTableNamesInTableOrder) {
  rk::script::ScriptStateManager* manager = rk::script::ScriptStateManager::createInstance();
  qv21::registerGameLibraries();
  ASSERT_EQ(qv21::gameLibraryNames().size(), kTables.size());
  for (std::size_t i = 0; i < kTables.size(); ++i) {
    const LibraryTable& table = kTables[i];
    SCOPED_TRACE(table.name);
    EXPECT_EQ(qv21::gameLibraryNames()[i], table.name);
    const auto* library = manager->findUserLibrary(table.name);
    ASSERT_NE(library, nullptr);
    std::size_t at = 0;
    for (int k = 0; k < library->count; ++k) {
      const std::string name = library->pairs[k].name;
      EXPECT_NE(library->pairs[k].function, nullptr) << name;
      while (at < table.functions.size() && table.functions[at] != name) ++at;
      EXPECT_LT(at, table.functions.size()) << name << " is not in the table, or out of its order";
      ++at;
    }
  }
  // Every object of the tables is built: each library is its table, whole.
  for (const LibraryTable& table : kTables) {
    const auto* library = manager->findUserLibrary(table.name);
    ASSERT_NE(library, nullptr) << table.name;
    std::vector<std::string> names;
    for (int k = 0; k < library->count; ++k) names.push_back(library->pairs[k].name);
    EXPECT_EQ(names, table.functions) << table.name;
  }
  EXPECT_EQ(manager->findUserLibrary("flush_group_command")->count, 1);
  rk::script::ScriptStateManager::destroyInstance();
}

}  // namespace
