// Followers hung on bodies as their sync body: the capsule beam that grows out
// of its firing position (ball phase, capsule phase, full length), and the
// sphere laser's attach and detach. Neither leaves a body calling into a
// deleted follower, nor keeps a deleted body.
#include "enemy_bullet/bullet_fixture.h"

#include "common/sync_body/sync_body_capsule_beam.h"
#include "common/sync_body/sync_body_sphere_beam.h"

namespace {

using rk::math::Vector4;

class SyncBodies : public bullettest::BulletScript {
 protected:
  SyncBodies() {
    reg("createSyncBodyCapsuleBeam", common::lua_createSyncBodyCapsuleBeam);
    reg("createSyncReflectVulcan", common::lua_createSyncReflectVulcan);
  }
};

TEST_F(SyncBodies, SetupCollapsesTheCapsuleAndABodyOnTheFiringPositionStaysEmpty) {
  ASSERT_EQ(run("body = createEnemyBulletRigidBodyCapsule() body:setRadius(0.5) body:setHeight(2)"
                "beam = createSyncBodyCapsuleBeam() beam:setRigidBodyCapsule(body) beam:setFiringPos(1, 2, 3)"
                "body:setPos(1, 2, 3) beam:setup()"),
            "");
  auto* beam = rk::script::toLuaObject<common::SyncBodyCapsuleLaser>(
      (lua_getglobal(L, "beam"), L), -1, common::SyncBodyCapsuleLaser::kLuaClass);
  lua_settop(L, 0);
  ASSERT_NE(beam, nullptr);
  EXPECT_EQ(beam->setupRadius(), 0.5f);
  EXPECT_EQ(beam->setupHeight(), 2.0f);
  EXPECT_EQ(beam->totalLength(), 3.0f);
  EXPECT_EQ(run("return body:getRadius(), body:getHeight()"), "0,0");
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(run("return body:getRadius(), body:getHeight(), body:getPos()"), "0,0,1,2,3");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// A body at rest a little ahead of the firing position: the ball phase ends at
// once, then the capsule grows by its radius each step, its back end on the
// firing position, until it is clamped to the set-up height; after that
// neither body nor shape is touched.
TEST_F(SyncBodies, TheBeamGrowsOutOfTheFiringPositionUntilFullLength) {
  ASSERT_EQ(run("body = createEnemyBulletRigidBodyCapsule() body:setRadius(0.5) body:setHeight(2)"
                "beam = createSyncBodyCapsuleBeam() beam:setRigidBodyCapsule(body) beam:setFiringPos(0, 0, 0)"
                "beam:setup() body:setPos(0, 0.6, 0)"),
            "");
  struct Step {
    float radius, height, centreY;
  } steps[] = {
      {0.5f, 0.1f, 0.6f}, {0.5f, 0.6f, 1.1f}, {0.5f, 1.1f, 1.6f},
      {0.5f, 1.6f, 2.1f}, {0.5f, 2.0f, 2.5f}, {0.5f, 2.0f, 2.5f},
  };
  for (const Step& s : steps) {
    step();
    const std::vector<double> got = bullettest::numbers(run("return body:getRadius(), body:getHeight(), body:getColPos()"));
    ASSERT_EQ(got.size(), 5u);
    EXPECT_NEAR(got[0], s.radius, 1e-5);
    EXPECT_NEAR(got[1], s.height, 1e-5);
    EXPECT_NEAR(got[3], s.centreY, 1e-5);
    EXPECT_NEAR(got[3] - got[1] - got[0], 0.0, 1e-5) << "the back end touches the firing position";
  }
  // Full length: a body that moves on is left alone.
  run("body:setVelocity(0, 30, 0)");
  step();
  EXPECT_EQ(run("return body:getHeight()"), "2");
  EXPECT_GT(bullettest::numbers(run("return body:getColPos()"))[1], 2.9);
}

TEST_F(SyncBodies, TheBallPhaseDoublesAndGrowsToTheRadius) {
  ASSERT_EQ(run("body = createEnemyBulletRigidBodyCapsule() body:setRadius(1) body:setHeight(1)"
                "beam = createSyncBodyCapsuleBeam() beam:setRigidBodyCapsule(body) beam:setup()"
                "body:setPos(0, 0.1, 0)"),
            "");
  // d doubles while below the radius: 0.1, 0.2, 0.4, 0.8, then the capsule phase.
  const float radii[] = {0.1f, 0.2f, 0.4f, 0.8f, 1.0f};
  for (float r : radii) {
    step();
    EXPECT_NEAR(bullettest::numbers(run("return body:getRadius()"))[0], r, 1e-5);
  }
}

TEST_F(SyncBodies, FollowersLetGoOfBodiesAndBodiesOfFollowers) {
  ASSERT_EQ(run("a = createEnemyBulletRigidBodyCapsule() b = createEnemyBulletRigidBodyCapsule()"
                "beam = createSyncBodyCapsuleBeam() beam:setRigidBodyCapsule(a) beam:setRigidBodyCapsule(b)"),
            "");
  auto* a = global<EnemyBulletRigidBodyCapsule>("a");
  auto* b = global<EnemyBulletRigidBodyCapsule>("b");
  ASSERT_NE(a->getSyncBody(), nullptr);
  EXPECT_EQ(a->getSyncBody(), b->getSyncBody()) << "the first body still carries the beam";
  // The beam goes: neither body calls into it.
  run("beam = nil collectgarbage()");
  EXPECT_EQ(a->getSyncBody(), nullptr);
  EXPECT_EQ(b->getSyncBody(), nullptr);
  step();

  // The body goes first: the beam forgets it.
  run("beam = createSyncBodyCapsuleBeam() beam:setRigidBodyCapsule(a) a = nil collectgarbage()");
  run("beam:setup()");
  step();
  run("beam:setMainEffectVisible(false) beam:setNoneEffect()");

  // The sphere laser moves between bodies and detaches.
  ASSERT_EQ(run("s1 = createEnemyBulletRigidBodySphere() s2 = createEnemyBulletRigidBodySphere()"
                "v = createSyncReflectVulcan() v:setRigidBodySphere(s1) v:setRigidBodySphere(s2)"),
            "");
  auto* s1 = global<EnemyBulletRigidBodySphere>("s1");
  auto* s2 = global<EnemyBulletRigidBodySphere>("s2");
  EXPECT_EQ(s1->getSyncBody(), nullptr) << "the old body is told";
  ASSERT_NE(s2->getSyncBody(), nullptr);
  run("v:detachRigidBodySphere()");
  EXPECT_EQ(s2->getSyncBody(), nullptr);
  run("v:setRigidBodySphere(s1) s1 = nil collectgarbage()");
  step();
  run("v:setup()");  // no effect, no body, no camera: three reports, no crash
  EXPECT_EQ(log_.entries("common::SyncBodySphereLaser::setup"), 3u);
}

}  // namespace
