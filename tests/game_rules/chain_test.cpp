// The bendable laser's chain against the player and against the vulcan.
#include <gtest/gtest.h>

#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"
#include "game_rules/rules_fixture.h"

namespace {

class Chains : public rulestest::Rules {
 protected:
  void SetUp() override {
    reg("createEnemyBulletRigidBodySphereCapsuleList", lua_createEnemyBulletRigidBodySphereCapsuleList);
    ASSERT_EQ(run("chain = createEnemyBulletRigidBodySphereCapsuleList() chain:setHp(0.5) chain:setRadius(0.5) "
                  "chain:setLength(2)\n"
                  "chains = createEnemyBulletRigidBodySphereCapsuleListList() chains:push(chain)"),
              "");
    lua_getglobal(L, "chain");
    chain_ = rk::script::toLuaObject<EnemyBulletRigidBodySphereCapsuleList>(
        L, -1, EnemyBulletRigidBodySphereCapsuleList::kLuaClass);
    lua_pop(L, 1);
    ASSERT_NE(chain_, nullptr);
    // A chain along x from 1 to 3.
    for (const float x : {0.0f, 3.0f}) {
      chain_->setPosition({x, 0.0f, 0.0f, 0.0f});
      chain_->updateWorldMatrix();
      ASSERT_EQ(run("chain:makeLine()"), "");
    }
    ASSERT_GE(chain_->chain().size(), 2u);
    // The chain bodies' shapes are placed at the start of every substep.
    for (rk::rigidbody::RigidBodyCapsule* body : chain_->chain()) body->beginSubstep();
  }
  EnemyBulletRigidBodySphereCapsuleList* chain_ = nullptr;
};

TEST_F(Chains, AChainHurtsThePlayerOnceAPassWithoutTheModeSwitchAndIsNotSpent) {
  ASSERT_EQ(run("g = createColGroupPlayerEnemyBulletCapsuleLaserList() g:setPlayer(pb) g:setBulletList(chains)\n"
                "p:setNoDamageCounter(0.5)"),
            "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "one chain body hurts, then the pass ends";
  EXPECT_TRUE(chain_->isValid());
  EXPECT_EQ(queued("audio/se/common01/player_damage.ogg"), 1u);
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "inside the no-damage period";

  frame(0.6f);
  ASSERT_EQ(run("pb:setPos(10, 0, 0) pb:syncForced()"), "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "out of reach";
  ASSERT_EQ(run("pb:setPos(0, 0, 0) pb:syncForced() chain:setValid(false)"), "");
  pass("g");
  EXPECT_FLOAT_EQ(player()->status().hp_, 1.5f) << "an invalid chain";
}

TEST_F(Chains, AVulcanIsPushedByEveryChainBodyItOverlaps) {
  ASSERT_EQ(run("s = createReflectVulcan() s:setValid(true) s:setVelocity(0, 0, -12) s:setPos(2, 0, 1) "
                "s:syncForced()\n"
                "vs = createRigidBodySphereList() vs:push(s)\n"
                "g = createColGroupRefVulcanBlendLaser() g:setCollisionGroup(vs, chains)"),
            "");
  auto* s = object<PlayerBulletVulcanRigidBody>("s", kReflectVulcanClass);
  s->beginSubstep();
  const rk::math::Vector4 before = s->getForce();
  pass("g");
  EXPECT_TRUE(s->hitFlag());
  EXPECT_FALSE(s->reflectFlag()) << "only the sphere-shot group marks a reflect";
  EXPECT_GT(s->getForce().z, before.z) << "pushed back out of the chain";
  EXPECT_EQ(run("return s:isValid(), chain:isValid()"), "true,true");
}

}  // namespace
