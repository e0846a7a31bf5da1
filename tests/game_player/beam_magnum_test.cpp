// The beam magnum and the pool of player-shot actor bodies.
#include <gtest/gtest.h>

#include "game_player/player_fixture.h"

namespace {

using playertest::PlayerScript;

class Magnum : public PlayerScript {
 protected:
  PlayerBulletBeamMagnumRigidBody* magnum(const char* global) {
    return object<PlayerBulletBeamMagnumRigidBody>(global, kBeamMagnumClass);
  }
};

TEST_F(Magnum, ANewMagnumFliesAtTwelveWithAFreshOwnerOfKindThree) {
  ASSERT_EQ(run("m = createBeamMagnum() return m:getFixVelocity(), m:getHp(), m:isUse(), m:isValid(), "
                "m:getCollisionKind(), m:isDead()"),
            "12,1,true,false,2,false");
  PlayerBulletBeamMagnumRigidBody* m = magnum("m");
  ASSERT_NE(m->owner(), nullptr);
  EXPECT_EQ(m->owner()->kind(), 3);
  EXPECT_TRUE(m->owner()->isUse());
  EXPECT_EQ(m->actorKind(), 3);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Magnum, EveryStepEndsAtTheFixedSpeedAlongItsDirection) {
  ASSERT_EQ(run("m = createBeamMagnum() m:setValid(true) m:setGravity(0, 0, 0) m:setVelocity(3, 4, 0)"), "");
  PlayerBulletBeamMagnumRigidBody* m = magnum("m");
  step();
  EXPECT_NEAR(m->getVelocity().x, 7.2f, 1e-4f);
  EXPECT_NEAR(m->getVelocity().y, 9.6f, 1e-4f);
  EXPECT_EQ(m->getVelocity().w, 0.0f);

  ASSERT_EQ(run("m:setFixVelocity(20)"), "");
  step();
  EXPECT_NEAR(rk::math::vec3Length(m->getVelocity()), 20.0f, 1e-4f);

  ASSERT_EQ(run("m:setVelocity(0, 0, 0)"), "");
  step();
  EXPECT_EQ(rk::math::vec3Length(m->getVelocity()), 0.0f) << "a shot at rest is not renormalised";
}

TEST_F(Magnum, AnInvalidMagnumKeepsItsVelocityButItsHitFlagIsCleared) {
  ASSERT_EQ(run("m = createBeamMagnum() m:setVelocity(1, 0, 0)"), "");
  PlayerBulletBeamMagnumRigidBody* m = magnum("m");
  m->setHitFlag(true);
  step();
  EXPECT_EQ(m->getVelocity().x, 1.0f);
  EXPECT_FALSE(m->hitFlag());
}

TEST_F(Magnum, ShotsTakeTheActorBodiesThatFinalisedShotsLeft) {
  ASSERT_EQ(run("a = createBeamMagnum() b = createBeamMagnum()"), "");
  ActorBody* first = magnum("a")->owner();
  EXPECT_NE(magnum("b")->owner(), first) << "an owner in use is never shared";
  ASSERT_EQ(run("a:setHp(0) a:finalize() return a:isUse(), a:isDead()"), "false,true");
  EXPECT_FALSE(first->isUse());

  ASSERT_EQ(run("b:finalize() b:initialize() return b:getHp()"), "1");
  // The pool's order is the actor manager's: the first free one is a's.
  EXPECT_EQ(magnum("b")->owner(), first) << "b took over a's actor body, re-initialised";
  EXPECT_TRUE(first->isUse());

  // a still names that body; dropping a must not take it from b.
  ASSERT_EQ(run("a = nil"), "");
  collect();
  EXPECT_TRUE(first->isUse());
  EXPECT_EQ(run("return b:isUse(), b:getHp()"), "true,1");
  ASSERT_EQ(run("c = createBeamMagnum()"), "");
  EXPECT_NE(magnum("c")->owner(), first);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Magnum, CollectingAMagnumInUseFreesItsActorBodyForTheNextShot) {
  ASSERT_EQ(run("a = createBeamMagnum()"), "");
  ActorBody* owner = magnum("a")->owner();
  owner->addRef();  // kept by the test to look at it
  ASSERT_EQ(run("a = nil"), "");
  collect();
  EXPECT_FALSE(owner->isUse());
  ASSERT_EQ(run("b = createBeamMagnum()"), "");
  EXPECT_EQ(magnum("b")->owner(), owner);
  owner->release("beam_magnum_test", 1);
}

}  // namespace
