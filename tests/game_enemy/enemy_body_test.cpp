// Enemy bodies: the enemy-body flags and frame name, initialize and finalize,
// the owner link and its script methods, the explosion scales, and the links
// that must not dangle when an enemy or a body goes first.
#include <gtest/gtest.h>

#include <algorithm>

#include "kernel/rk_hr_exception.h"
#include "game_enemy/enemy_fixture.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_collision.h"

namespace {

class EnemyBodies : public enemytest::EnemyScript {};

TEST_F(EnemyBodies, FlagsAndFrameNameFollowTheScripts) {
  ASSERT_EQ(run("b = createEnemyRigidBodyCapsule()"), "");
  struct Case {
    const char* chunk;
    const char* expected;
  } cases[] = {
      {"return b:isShiled(), b:isReflect(), b:isPlayerHitDead(), b:getFrameName()", "false,false,false,nil"},
      {"b:setShiled(true) b:setShiled(false) return b:isShiled()", "false"},
      {"b:setShiled(0) return b:isShiled()", "true"},
      {"b:setReflect('yes') return b:isReflect()", "true"},
      {"b:setPlayerHitDead(1) return b:isPlayerHitDead()", "true"},
      {"b:setPlayerHitDead() return b:isPlayerHitDead()", "false"},
      {"b:setFrameName('arm_L') return b:getFrameName()", "arm_L"},
      {"b:setFrameName(12) return b:getFrameName()", "12"},
      {"b:setFrameName({}) return b:getFrameName()", "nil"},
      {"b:setFrameName('x') b:setFrameName(nil) return b:getFrameName()", "nil"},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.chunk), c.expected) << c.chunk;
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// initialize clears shield, reflect, frame name, the queue and the owner but
// keeps player-hit-dead; the sphere alone goes back to radius 1.
TEST_F(EnemyBodies, InitializeResetsTheEnemyPartButNotEveryShape) {
  struct Case {
    const char* create;
    const char* shape;     // sets the shape's size
    const char* readSize;  // reads it back after initialize
    const char* expected;
  } cases[] = {
      {"createEnemyRigidBodySphere()", "b:setRadius(3)", "return b:getRadius()", "1"},
      {"createEnemyRigidBodyCapsule()", "b:setRadius(0.5) b:setHeight(2)", "return b:getRadius(), b:getHeight()",
       "0.5,2"},
      {"createEnemyRigidBodyOBB()", "b:setSize(1, 3, 2)", "return b:getSize()", "1,3,2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.create);
    ASSERT_EQ(run(std::string("e = enemies:createEnemy(0) b = ") + c.create + " " + c.shape +
                  " b:setOwner(e) b:setShiled(true) b:setReflect(true) b:setPlayerHitDead(true)"
                  " b:setFrameName('n') b:pushDeadInfo() b:setValid(true)"),
              "");
    EnemyRigidBody* b = body("b");
    ASSERT_EQ(b->record().dead_infos_.size(), 1u);
    ASSERT_EQ(run("return b:initialize()"), "true");
    EXPECT_EQ(run("return b:isShiled(), b:isReflect(), b:isPlayerHitDead(), b:getFrameName(), b:isValid()"),
              "false,false,true,nil,false");
    EXPECT_EQ(run(c.readSize), c.expected);
    EXPECT_EQ(b->getOwner(), nullptr);
    EXPECT_TRUE(enemy("e")->ownedBodies().empty());
    EXPECT_TRUE(b->record().dead_infos_.empty());
    EXPECT_EQ(b->rigidBody().getCollisionBody(), &b->shape());
    // finalize unsets the owner too and takes the body out of the simulation.
    ASSERT_EQ(run("b:setOwner(e) b:setValid(true) b:finalize() return b:isValid(), b:isUse()"), "false,false");
    EXPECT_EQ(b->getOwner(), nullptr);
    EXPECT_EQ(run(c.readSize), c.expected) << "finalize keeps the shape";
  }
}

TEST_F(EnemyBodies, CreatorsMakeDistinctBodiesWithOneReferenceAndNoOwner) {
  ASSERT_EQ(run("a = createEnemyRigidBodySphere() b = createEnemyRigidBodySphere()\n"
                "return a:getRadius(), b:getRadius(), a:isValid(), rawequal(a, b)"),
            "1,1,false,false");
  EXPECT_NE(body("a"), body("b"));
  EXPECT_EQ(body("a")->rigidBody().count(), 1);
  EXPECT_EQ(body("a")->getOwner(), nullptr);
  EXPECT_EQ(body("a")->rigidBody().getCollisionKind(), 257);
}

TEST_F(EnemyBodies, CollisionKindsAndExplosionScalesFollowTheShape) {
  struct Case {
    const char* create;
    const char* shape;
    int kind;
    const char* familyKind;  // the shape family's "getCollisionKind": the plain shape's kind
    float scale;
  } cases[] = {
      {"createEnemyRigidBodySphere()", "b:setRadius(0.5)", 257, "1", 2.0f},
      {"createEnemyRigidBodyCapsule()", "b:setRadius(0.5) b:setHeight(2)", 258, "2", 8.0f},
      {"createEnemyRigidBodyCapsule()", "b:setRadius(3) b:setHeight(1)", 258, "2", 12.0f},
      {"createEnemyRigidBodyOBB()", "b:setSize(1, 3, 2)", 259, "3", 12.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.create);
    ASSERT_EQ(run(std::string("b = ") + c.create + " " + c.shape), "");
    EnemyRigidBody* b = body("b");
    EXPECT_EQ(b->rigidBody().getCollisionKind(), c.kind);
    EXPECT_EQ(b->enemyCollisionKind(), c.kind);
    EXPECT_EQ(run("return b:getCollisionKind()"), c.familyKind);
    EXPECT_FLOAT_EQ(b->explosionScale(), c.scale);
    EXPECT_FLOAT_EQ(dynamic_cast<IBombScale*>(b)->explosionScale(), c.scale);
  }
}

TEST_F(EnemyBodies, PushDeadInfoQueuesTheBodysPositionAndScale) {
  ASSERT_EQ(run("b = createEnemyRigidBodySphere() b:setRadius(2) b:setPos(1, 2, 3) b:pushDeadInfo()"), "");
  EnemyRigidBody* b = body("b");
  ASSERT_EQ(b->record().dead_infos_.size(), 1u);
  const EnemyRigidBody::DeadInfo& info = b->record().dead_infos_[0];
  EXPECT_EQ(info.matrix.m[3][0], 1.0f);
  EXPECT_EQ(info.matrix.m[3][1], 2.0f);
  EXPECT_EQ(info.matrix.m[3][2], 3.0f);
  EXPECT_EQ(info.matrix.m[0][0], 1.0f);
  EXPECT_EQ(info.scale, 8.0f);
  EXPECT_EQ(info.camera_no, 2);
  EXPECT_EQ(info.effect_no, 4);
  ASSERT_EQ(run("b:pushDeadInfo() b:clearDeadInfo()"), "");
  EXPECT_TRUE(b->record().dead_infos_.empty());
}

TEST_F(EnemyBodies, GetOwnerPushesTheEnemyWithAReferenceEachTime) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) b = createEnemyRigidBodyOBB() b:setOwner(e)"), "");
  Enemy* e = enemy("e");
  EXPECT_EQ(e->count(), 1) << "the owner link takes no reference";
  ASSERT_EQ(run("o1 = b:getOwner() o2 = b:getOwner() return rawequal(o1, o2), o1:isBoss()"), "false,false");
  EXPECT_EQ(e->count(), 3);
  EXPECT_EQ(enemy("o1"), e);
  ASSERT_EQ(run("o1 = nil o2 = nil"), "");
  collect();
  EXPECT_EQ(e->count(), 1);
  // nil unsets; anything else is reported and changes nothing.
  ASSERT_EQ(run("b:setOwner(b)"), "");
  EXPECT_EQ(body("b")->getOwner(), e);
  EXPECT_EQ(log_.entries("EnemyRigidBody::lua_setOwner"), 1u);
  ASSERT_EQ(run("b:setOwner(nil)"), "");
  EXPECT_EQ(body("b")->getOwner(), nullptr);
}

// A body without owner is a hard failure: a Lua error whose exception is
// parked for the host, which rethrows it as the HRESULT failure.
TEST_F(EnemyBodies, GetOwnerWithoutOwnerFailsHard) {
  ASSERT_EQ(run("b = createEnemyRigidBodySphere()"), "");
  const std::string result = run("return b:getOwner()");
  EXPECT_EQ(result.rfind("error:", 0), 0u) << result;
  std::exception_ptr parked = rk::script::takeParkedException();
  ASSERT_TRUE(parked);
  try {
    std::rethrow_exception(parked);
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_OUTOFMEMORY);
  }
}

// Links are plain pointers; whichever side goes first, the other is told.
TEST_F(EnemyBodies, NoLinkDanglesWhenAnEnemyOrABodyGoesFirst) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) a = createEnemyRigidBodySphere() b = createEnemyRigidBodyCapsule()\n"
                "a:setOwner(e) b:setOwner(e)"),
            "");
  Enemy* e = enemy("e");
  EnemyRigidBody* a = body("a");
  ASSERT_EQ(e->ownedBodies().size(), 2u);
  ASSERT_EQ(run("b = nil"), "");
  collect();
  ASSERT_EQ(e->ownedBodies().size(), 1u);
  EXPECT_EQ(e->ownedBodies()[0], a);
  ASSERT_EQ(run("e = nil"), "");
  collect();
  EXPECT_EQ(a->getOwner(), nullptr);
  // A magnum step on the orphaned body touches no freed enemy.
  ASSERT_EQ(run("a:setValid(true)"), "");
  step();
  EXPECT_TRUE(a->rigidBody().isValid());
}

// A group listing an enemy body by any of its addresses forgets it when the
// body goes.
TEST_F(EnemyBodies, ADestroyedBodyLeavesEveryGroupThatListsIt) {
  struct Holder : rk::rigidbody::IRigidBodyHolder {
    std::vector<const void*> listed;
    void forgetRigidBody(const void* body) override { listed.erase(std::remove(listed.begin(), listed.end(), body), listed.end()); }
  } holder;
  rk::rigidbody::registerRigidBodyHolder(&holder);
  rk::rigidbody::CollisionGroupRigidBodySphereSphere group;
  ASSERT_EQ(run("s = createEnemyRigidBodySphere() o = createEnemyRigidBodyOBB()"), "");
  auto* s = object<EnemyRigidBodySphere>("s", kEnemyRigidBodySphereClass);
  group.addGroupA(s);
  holder.listed = {static_cast<EnemyRigidBody*>(s), static_cast<EnemyRigidBody*>(body("o"))};
  ASSERT_EQ(run("s = nil o = nil"), "");
  collect();
  EXPECT_TRUE(group.ownListA().empty());
  EXPECT_TRUE(holder.listed.empty());
  rk::rigidbody::unregisterRigidBodyHolder(&holder);
}

}  // namespace

namespace {

class EnemyBodyShapes : public enemytest::EnemyScript {
 protected:
  EnemyBodyShapes() { reg("castEnemyRigidBodyOBBToCollisionBody", lua_castEnemyRigidBodyToCollisionBody); }
};

// The cast hands the built-in shape to what takes a collision body; it takes
// no reference but keeps the body's script object reachable.
TEST_F(EnemyBodyShapes, CastsReferToTheBodysOwnShape) {
  ASSERT_EQ(run("o = createEnemyRigidBodyOBB() s = createEnemyRigidBodySphere()\n"
                "c1 = castEnemyRigidBodyOBBToCollisionBody(o) c2 = castEnemyRigidBodyOBBToCollisionBody(o)\n"
                "s:setCollision(c1)"),
            "");
  EnemyRigidBody* o = body("o");
  EXPECT_EQ(o->rigidBody().count(), 1);
  EXPECT_EQ(body("s")->rigidBody().getCollisionBody(), &o->shape());
  lua_getglobal(L, "c2");
  EXPECT_EQ(rk::script::toLuaObject<rk::collision::CollisionBody>(L, -1, rk::script::collision::kCollisionBodyClass),
            &o->shape());
  lua_pop(L, 1);
  ASSERT_EQ(run("o = nil c2 = nil"), "");
  collect();
  EXPECT_EQ(o->rigidBody().count(), 1) << "c1 keeps the body's object alive";
  EXPECT_EQ(run("c3 = castEnemyRigidBodyOBBToCollisionBody(42) s:setCollision(c3) return s:isValid()"), "false");
  EXPECT_EQ(log_.entries("rk::rigidbody::lua_rigid_body::lua_Common_setCollision"), 1u)
      << "an object holding nothing is not a shape";
}

}  // namespace
