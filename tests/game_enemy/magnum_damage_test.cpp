// The beam magnum's damage over time on enemy bodies: applied per substep by
// the body's integration, a kill adds one combo, and the step's end queues the
// explosion, sends the enemy back to the pool and takes the body out.
#include <gtest/gtest.h>

#include "game_enemy/enemy_fixture.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "status/status_unit.h"

namespace {

int g_combos = 0;
void countCombo(status::StatusUnit&) { ++g_combos; }

// Stands in for the magnum rule: after the collision groups of each substep it
// touches the body with the damage per second, and notes when the owner died.
struct MagnumTouch : rk::rigidbody::ISyncSimConst {
  float damage = 60.0f;
  int aliveSubsteps = 0;  // substeps that began with the owner alive
  template <class Body>
  static void touch(Body* body, float damage) {
    body->setDamageOneSec(damage);
    body->setMagnumDamage(true);
    body->setHit(true);
  }
  void syncSimConst(rk::rigidbody::RigidBody* body) override {
    Enemy* owner = dynamic_cast<EnemyRigidBody*>(body)->getOwner();
    if (owner && !owner->isDead()) ++aliveSubsteps;
    if (auto* s = dynamic_cast<EnemyRigidBodySphere*>(body)) touch(s, damage);
    if (auto* c = dynamic_cast<EnemyRigidBodyCapsule*>(body)) touch(c, damage);
    if (auto* o = dynamic_cast<EnemyRigidBodyOBB*>(body)) touch(o, damage);
  }
};

class MagnumDamage : public enemytest::EnemyScript {
 protected:
  MagnumDamage() {
    g_combos = 0;
    setEnemyKillComboSink(countCombo);
    reg("createGameStatusUnit", status::lua_createGameStatusUnit);
    run("unit = createGameStatusUnit()");
  }
  ~MagnumDamage() override { setEnemyKillComboSink(nullptr); }

  // Makes `e` and the body `b` of that creator, owned, valid, gravity off.
  void setUpBody(const char* create) {
    ASSERT_EQ(run(std::string("e = enemies:createEnemy(0) e:setNoDamageFlag(false) b = ") + create +
                  " b:setOwner(e) b:setValid(true) b:setGravity(0, 0, 0)"),
              "");
    body("b")->rigidBody().setSyncSimConst(&touch_);
  }

  MagnumTouch touch_;
};

// 60 hit points per second over 32 substeps of a 1/60 s frame take exactly
// one hit point: the kill falls in the frame's last substep.
TEST_F(MagnumDamage, AKillAddsOneComboQueuesOneExplosionAndRetiresTheBody) {
  for (const char* create :
       {"createEnemyRigidBodySphere()", "createEnemyRigidBodyCapsule()", "createEnemyRigidBodyOBB()"}) {
    SCOPED_TRACE(create);
    g_combos = 0;
    touch_ = MagnumTouch{};
    setUpBody(create);
    ASSERT_EQ(run("b:setPos(1, 2, 3)"), "");
    EnemyRigidBody* b = body("b");
    Enemy* e = enemy("e");
    step();
    EXPECT_GE(touch_.aliveSubsteps, 31) << "no earlier than the frame's end";
    EXPECT_TRUE(e->isDead());
    EXPECT_EQ(g_combos, 1);
    ASSERT_EQ(b->record().dead_infos_.size(), 1u);
    EXPECT_EQ(b->record().dead_infos_[0].matrix.m[3][0], 1.0f) << "the body's world matrix";
    EXPECT_EQ(b->record().dead_infos_[0].matrix.m[3][2], 3.0f);
    EXPECT_EQ(b->record().dead_infos_[0].scale, b->explosionScale());
    EXPECT_FALSE(e->isUse()) << "back in the pool";
    EXPECT_FALSE(b->rigidBody().isValid());
    EXPECT_EQ(b->getOwner(), nullptr);
    EXPECT_EQ(b->rigidBody().getSyncSimConst(), nullptr) << "finalize detached the hooks";
    // Later steps find the body out of the simulation.
    step();
    EXPECT_EQ(g_combos, 1);
    EXPECT_EQ(b->record().dead_infos_.size(), 1u);
    ASSERT_EQ(run("e = nil b = nil"), "");
    collect();
  }
}

TEST_F(MagnumDamage, OnlyALiveOwnerInUseTakesDamage) {
  struct Case {
    const char* name;
    const char* setup;
    float damage;
    float hpAfter;
    bool queued;
    int combos;
  } cases[] = {
      {"survives the step", "e:setHp(2)", 60.0f, 1.0f, false, 0},
      {"not in use", "e:setUse(false)", 60.0f, 1.0f, false, 0},
      // No damage and no combo, but a touched body of a dead owner still retires.
      {"already dead", "e:setHp(0)", 60.0f, 0.0f, true, 0},
      {"no owner", "b:setOwner(nil)", 60.0f, 1.0f, false, 0},
      {"overkill floors at zero", "", 600.0f, 0.0f, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_combos = 0;
    touch_ = MagnumTouch{};
    touch_.damage = c.damage;
    setUpBody("createEnemyRigidBodySphere()");
    ASSERT_EQ(run(c.setup), "");
    Enemy* e = enemy("e");
    EnemyRigidBody* b = body("b");
    step();
    EXPECT_NEAR(e->status().hp_, c.hpAfter, 1e-4f);
    EXPECT_GE(e->status().hp_, 0.0f);
    EXPECT_EQ(b->record().dead_infos_.size(), c.queued ? 1u : 0u);
    EXPECT_EQ(g_combos, c.combos);
    EXPECT_FALSE(dynamic_cast<EnemyRigidBodySphere*>(b)->isHit()) << "cleared at the step's end";
    ASSERT_EQ(run("e = nil b = nil"), "");
    collect();
  }
}

// A damage set outside the substeps is cleared before any integration.
TEST_F(MagnumDamage, DamageSetByAScriptBeforeTheStepIsNeverApplied) {
  ASSERT_EQ(run("e = enemies:createEnemy(0) b = createEnemyRigidBodyCapsule() b:setOwner(e) b:setValid(true)\n"
                "b:setDamageOneSec(100) return b:getDamageOneSec()"),
            "100");
  auto* b = object<EnemyRigidBodyCapsule>("b", kEnemyRigidBodyCapsuleClass);
  b->setMagnumDamage(true);
  step();
  EXPECT_EQ(run("return e:getHp(), b:getDamageOneSec()"), "1,0");
  EXPECT_FALSE(b->isMagnumDamage());
}

TEST_F(MagnumDamage, AKillWithoutStatusUnitIsReportedAndStillRetiresTheEnemy) {
  ASSERT_EQ(run("unit = nil"), "");
  collect();
  setUpBody("createEnemyRigidBodyOBB()");
  step();
  EXPECT_EQ(g_combos, 0);
  EXPECT_EQ(log_.entries("status::StatusUnit::getInstance"), 1u);
  EXPECT_FALSE(enemy("e")->isUse());
  EXPECT_EQ(body("b")->record().dead_infos_.size(), 1u);
}

}  // namespace
