// Enemies: pooled through the enemy manager with their state kept across
// reuse, the root body's reference, the flags and the damage-flush counter.
#include <gtest/gtest.h>

#include "game_enemy/enemy_fixture.h"
#include "math/rk_counter.h"

namespace {

class Enemies : public enemytest::EnemyScript {};

TEST_F(Enemies, ANewEnemyIsInUseWithRangeAttackOnAndNoBoss) {
  EXPECT_EQ(run("e = enemies:createEnemy(3)\n"
                "return e:isUse(), e:isRangeAttack(), e:isBoss(), e:getHp(), e:isNoDamage()"),
            "true,true,false,1,true");
  Enemy* e = enemy("e");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->kind(), 2);
  EXPECT_EQ(e->count(), 1) << "the script object's reference";
  EXPECT_EQ(e->rootBody(), nullptr);
  ASSERT_NE(e->state().flush_counter_, nullptr);
  EXPECT_FALSE(e->state().flush_counter_->isRunning());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Enemies, AReusedEnemyKeepsItsStateFromTheEarlierUse) {
  ASSERT_EQ(run("e = enemies:createEnemy(1) b = createEnemyRigidBodySphere()\n"
                "e:setBoss(true) e:setRangeAttack(false) e:entryRootSphereBody(b) e:setHp(0.25)\n"
                "e:finalize()"),
            "");
  Enemy* first = enemy("e");
  ASSERT_EQ(run("f = enemies:createEnemy(7)\n"
                "return f:isBoss(), f:isRangeAttack(), f:getHp(), f:isUse(), e:isUse()"),
            "true,false,1,true,true")
      << "the hit points are reset by initialize, the flags are not";
  EXPECT_EQ(enemy("f"), first);
  EXPECT_EQ(first->rootBody(), body("b"));
  EXPECT_EQ(first->count(), 2) << "each script object holds its own reference";
  // Only an enemy out of use is reused.
  ASSERT_EQ(run("g = enemies:createEnemy(7)"), "");
  EXPECT_NE(enemy("g"), first);
}

TEST_F(Enemies, EnemiesWithTheSameNumberAreAllFiled) {
  ASSERT_EQ(run("a = enemies:createEnemy(4) b = enemies:createEnemy(4) c = enemies:createEnemy(2)"), "");
  const std::vector<rk::actor::Actor*> filed = rk::actor::ActorManager::getInstance()->actors();
  ASSERT_EQ(filed.size(), 3u);
  EXPECT_EQ(filed[0], enemy("c")) << "ascending numbers";
  EXPECT_EQ(filed[1], enemy("a")) << "equal numbers in insertion order";
  EXPECT_EQ(filed[2], enemy("b"));
  // "clear" changes nothing.
  EXPECT_EQ(run("enemies:clear() return a:isUse(), b:isUse(), c:isUse()"), "true,true,true");
  EXPECT_EQ(rk::actor::ActorManager::getInstance()->actors().size(), 3u);
}

// The root takes one reference; the kind comes from the body, whatever the
// method's name; nil releases once and only once.
TEST_F(Enemies, TheRootBodyHoldsOneReferenceAndRecordsTheBodysKind) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) s = createEnemyRigidBodySphere()\n"
                "c = createEnemyRigidBodyCapsule() o = createEnemyRigidBodyOBB()"),
            "");
  auto* s = object<EnemyRigidBodySphere>("s", kEnemyRigidBodySphereClass);
  auto* c = object<EnemyRigidBodyCapsule>("c", kEnemyRigidBodyCapsuleClass);
  auto* o = object<EnemyRigidBodyOBB>("o", kEnemyRigidBodyOBBClass);
  struct Case {
    const char* call;
    int kind;
    int sphereCount, capsuleCount, boxCount;
  } cases[] = {
      {"e:entryRootSphereBody(s)", 257, 2, 1, 1},
      {"e:entryRootSphereBody(s)", 257, 2, 1, 1},  // the same body again: raised once, released once
      {"e:entryRootSphereBody(c)", 258, 1, 2, 1},  // the kind is the body's
      {"e:entryRootCapsuleBody(o)", 259, 1, 1, 2},
      {"e:entryRootOBBBody(nil)", 0, 1, 1, 1},
      {"e:entryRootOBBBody(nil)", 0, 1, 1, 1},  // nothing more to release
      {"e:entryRootOBBBody(o)", 259, 1, 1, 2},
      {"e:entryRootOBBBody(42)", 259, 1, 1, 2},  // not a body: reported, nothing changes
      {"e:entryRootOBBBody()", 0, 1, 1, 1},
  };
  Enemy* e = enemy("e");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.call);
    ASSERT_EQ(run(k.call), "");
    EXPECT_EQ(e->state().root_kind_, k.kind);
    EXPECT_EQ(s->count(), k.sphereCount);
    EXPECT_EQ(c->count(), k.capsuleCount);
    EXPECT_EQ(o->count(), k.boxCount);
  }
  EXPECT_EQ(log_.entries("Enemy::lua_entryRootBody"), 1u);
}

TEST_F(Enemies, TheRootOutlivesTheScriptsObjectOfTheBody) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) b = createEnemyRigidBodyOBB() e:entryRootOBBBody(b) b = nil"), "");
  collect();
  Enemy* e = enemy("e");
  ASSERT_NE(e->rootBody(), nullptr);
  EXPECT_EQ(e->rootBody()->rigidBody().count(), 1);
  EXPECT_EQ(e->rootBody()->explosionScale(), 4.0f) << "still a live box of size 1";
  // The enemy's end releases it; the body's end takes it out of the manager.
  const std::size_t bodies = rk::rigidbody::RigidBodyManager::getInstance()->bodies().size();
  ASSERT_EQ(run("e = nil"), "");
  collect();
  EXPECT_EQ(rk::rigidbody::RigidBodyManager::getInstance()->bodies().size(), bodies - 1);
}

TEST_F(Enemies, StartDamangeFlushRestartsTheCounterFromZero) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) e:startDamangeFlush()"), "");
  rk::math::Counter* counter = enemy("e")->state().flush_counter_;
  EXPECT_TRUE(counter->isRunning());
  frame(0.1f);
  EXPECT_FLOAT_EQ(counter->value(), 0.1f);
  ASSERT_EQ(run("e:startDamangeFlush()"), "");
  EXPECT_EQ(counter->value(), 0.0f);
  EXPECT_TRUE(counter->isRunning());
  // initialize does not touch it.
  ASSERT_EQ(run("e:initialize()"), "");
  EXPECT_TRUE(counter->isRunning());
}

TEST_F(Enemies, MethodsOnOtherObjectsAreReportedAndIgnored) {
  EXPECT_EQ(run("b = createEnemyRigidBodySphere() return enemies:createEnemy(0).isBoss(b)"), "false");
  EXPECT_EQ(log_.entries("Enemy::lua_getFlag"), 1u);
  EXPECT_EQ(run("return enemies.createEnemy(b, 1)"), "nil");
  EXPECT_EQ(log_.entries("EnemyManager::lua_createEnemy"), 1u);
}

}  // namespace
