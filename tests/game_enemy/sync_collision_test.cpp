// Model-synced collisions: enemy bodies follow a named node of a model once
// per frame through the sync unit, turned so that a shape's y axis follows the
// node's negated z axis, carried into the actor camera's world (identical
// cameras here, so the carried pose equals the node's).
#include <gtest/gtest.h>

#include "flush/rk_sync_unit.h"
#include "game_enemy/enemy_fixture.h"
#include "game_enemy/model_stub.h"
#include "gfx/rk_camera.h"
#include "support/math_near.h"
#include "sync/sync_collision_boss01.h"
#include "sync/sync_model_capsule_collision.h"
#include "sync/sync_model_mapping.h"
#include "sync/sync_model_obb_collision.h"

namespace {

using rk::math::Vector4;

class SyncCollisions : public enemytest::EnemyScript {
 protected:
  SyncCollisions() {
    rk::flush::SyncUnit::createInstance();
    rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::createInstance();
    cameras->createCamera(0);
    cameras->createCamera(2);
    reg("createSyncBoss01CenterSphereCollsion", qv21::sync::lua_createSyncBoss01CenterSphereCollsion);
    reg("createSyncMapModelCapsule", qv21::sync::lua_createSyncMapModelCapsule);
    reg("createSyncModelFrameOBB", qv21::sync::lua_createSyncModelFrameOBB);
    // The node: turned a quarter about y, standing at (1, 2, 3).
    model.root->frames["head"] = rk::math::matrixMultiply(
        rk::math::matrixRotationAxis({0, 1, 0, 0}, 1.5707964f), rk::math::matrixTranslation(1, 2, 3));
    model.push(L, "model");
  }
  ~SyncCollisions() override {
    lua_close(L);
    L = luaL_newstate();
    rk::gfx::CameraManager::destroyInstance();
    rk::flush::SyncUnit::destroyInstance();
  }
  void syncFrame() { rk::flush::SyncUnit::getInstance()->update(1.0f / 60.0f); }
  // Row i of R × F: where the shape's axis i points.
  Vector4 turnedAxis(int i) {
    const rk::math::Matrix m = qv21::sync::turnedNode(model.root->frames["head"]);
    return {m.m[i][0], m.m[i][1], m.m[i][2], 0.0f};
  }

  enemytest::StubModel model;
};

TEST_F(SyncCollisions, NewObjectsJoinTheSyncUnitAndDoNothingUntilLinked) {
  const std::size_t before = rk::flush::SyncUnit::getInstance()->count();
  ASSERT_EQ(run("s = createSyncBoss01CenterSphereCollsion() c = createSyncMapModelCapsule()\n"
                "o = createSyncModelFrameOBB() o:sync()"),
            "");
  EXPECT_EQ(rk::flush::SyncUnit::getInstance()->count(), before + 3);
  syncFrame();
  EXPECT_TRUE(log_.empty()) << log_.text();
  ASSERT_EQ(run("c = nil"), "");
  collect();
  EXPECT_EQ(rk::flush::SyncUnit::getInstance()->count(), before + 2);
}

// The sphere follows the node's position; a turn about x does not move a point
// at the node's origin.
TEST_F(SyncCollisions, TheBossSphereStandsOnTheNode) {
  ASSERT_EQ(run("b = createEnemyRigidBodySphere() s = createSyncBoss01CenterSphereCollsion()\n"
                "s:setModelAndCollision(model, b, 'head')"),
            "");
  auto* b = object<EnemyRigidBodySphere>("b", kEnemyRigidBodySphereClass);
  syncFrame();
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {1, 2, 3, 0}, 1e-4f)) << "an invalid body is synced too";
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(*b), {1, 2, 3, 0}, 1e-4f));
  EXPECT_NEAR(b->getWorldMatrix().m[3][2], 3.0f, 1e-4f);
  struct Case {
    const char* name;
    const char* change;
  } stops[] = {
      {"empty node name", "s:setModelAndCollision(model, b, '')"},
      {"no model", "s:setModelAndCollision(nil, b, 'head')"},
      {"no body", "s:setModelAndCollision(model, nil, 'head')"},
  };
  for (const Case& c : stops) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(run("b:setPos(9, 9, 9)" + std::string(" ") + c.change), "");
    syncFrame();
    EXPECT_TRUE(rktest::nearVector(b->getPosition(), {9, 9, 9, 0}, 1e-4f));
  }
  ASSERT_EQ(run("s:setModelAndCollision(model, b, 'head')"), "");
  model.root->ready = false;
  syncFrame();
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {9, 9, 9, 0}, 1e-4f)) << "a model not ready";
}

TEST_F(SyncCollisions, TheCapsuleTakesTheNodesNegatedZAxisAndLeavesTheBody) {
  ASSERT_EQ(run("b = createEnemyRigidBodyCapsule() b:setPos(-5, 0, 0) c = createSyncMapModelCapsule()\n"
                "c:setModel(model) c:setCapsule(b) c:setNodeName('head')"),
            "");
  auto* b = object<EnemyRigidBodyCapsule>("b", kEnemyRigidBodyCapsuleClass);
  syncFrame();
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(*b), {1, 2, 3, 0}, 1e-4f));
  EXPECT_TRUE(rktest::nearVector(b->getAxisVector(), turnedAxis(1), 1e-5f));
  // The node's z axis after the quarter turn about y is (1, 0, 0): y follows its negation.
  EXPECT_TRUE(rktest::nearVector(b->getAxisVector(), {-1, 0, 0, 0}, 1e-5f));
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {-5, 0, 0, 0}, 1e-5f)) << "the body is not moved";
  // A node the model cannot find is reported; the lookup's matrix is used.
  ASSERT_EQ(run("c:setNodeName('tail')"), "");
  syncFrame();
  EXPECT_EQ(log_.entries("sync::SyncModelCapsuleCollision::sync"), 1u);
  EXPECT_GE(log_.entries("rk::gfx::GModel::calcFrameMtx"), 1u);
}

TEST_F(SyncCollisions, TheBoxTakesTheOffsetThroughTheNodeAndSkipsAnInvalidBody) {
  ASSERT_EQ(run("b = createEnemyRigidBodyOBB() o = createSyncModelFrameOBB()\n"
                "o:setModelAndCollision(model, b, 'head') o:setOffset(0, 1, 0) o:sync()"),
            "");
  auto* b = object<EnemyRigidBodyOBB>("b", kEnemyRigidBodyOBBClass);
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {0, 0, 0, 0}, 1e-6f)) << "skipped while invalid";
  ASSERT_EQ(run("b:setValid(true) o:sync()"), "");
  // (0, 1, 0) goes along the node's negated z axis (−1, 0, 0).
  EXPECT_TRUE(rktest::nearVector(rk::collision::centerOf(*b), {0, 2, 3, 0}, 1e-4f));
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {0, 2, 3, 0}, 1e-4f));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(rktest::nearVector(b->getAxis(i), turnedAxis(i), 1e-5f)) << i;
  // Every frame as well.
  ASSERT_EQ(run("o:setOffset(0, 0, 0) b:setPos(7, 7, 7)"), "");
  syncFrame();
  EXPECT_TRUE(rktest::nearVector(b->getPosition(), {1, 2, 3, 0}, 1e-4f));
}

TEST_F(SyncCollisions, ABodyDestroyedWhileLinkedIsForgotten) {
  auto* body = rk::rigidbody::RigidBodyManager::create<EnemyRigidBodyOBB>();
  qv21::sync::SyncModelOBBCollision follower;
  follower.setModel(&model.model);
  follower.setBody(body);
  follower.setNodeName("head");
  body->setValid(true);
  follower.sync();
  body->release("sync_collision_test", 0);
  EXPECT_EQ(follower.getBody(), nullptr);
  follower.sync();  // nothing to place
  syncFrame();
}

TEST_F(SyncCollisions, ObjectsOfTheWrongKindAreReportedAndChangeNothing) {
  ASSERT_EQ(run("s = createSyncBoss01CenterSphereCollsion() c = createEnemyRigidBodyCapsule()\n"
                "s:setModelAndCollision(model, c, 'head')"),
            "");
  EXPECT_EQ(log_.entries("sync::SyncCollisionBoss01::lua_setModelAndCollision"), 1u);
  lua_getglobal(L, "s");
  auto* s = rk::script::toLuaObject<qv21::sync::SyncCollisionBoss01>(L, -1, qv21::sync::kSyncCollisionBoss01Class);
  lua_pop(L, 1);
  EXPECT_EQ(s->getModel(), nullptr);
  EXPECT_EQ(s->nodeName(), "");
  ASSERT_EQ(run("s:setModelAndCollision(model, nil, 12)"), "");
  EXPECT_EQ(s->nodeName(), "12");
}

}  // namespace
