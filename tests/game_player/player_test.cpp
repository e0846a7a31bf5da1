// The player actor and its collision body: the shot level's clamp, pooling by
// kind, the owner link and the shield gauge that follows the hit points.
#include <gtest/gtest.h>

#include "game_player/player_fixture.h"

namespace {

using playertest::PlayerScript;

TEST_F(PlayerScript, ShotLevelIsHeldBetweenOneAndFive) {
  ASSERT_EQ(run("p = createPlayerActor()"), "");
  const struct {
    const char* argument;
    const char* level;
  } cases[] = {
      {"0", "1"}, {"3.9", "3"}, {"7", "5"}, {"-1", "5"}, {"'x'", "1"}, {"nil", "1"}, {"'4'", "4"}, {"5", "5"},
      {"4294967298", "2"},  // only the low 32 bits count
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(run(std::string("p:setShotLevel(") + c.argument + ") return p:getShotLevel()"), c.level);
  }
  EXPECT_EQ(run("return p:getHp(), p:isUse(), p:isNoDamage()"), "1,true,true") << "actor-body methods";
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(PlayerScript, PlayersArePooledByKindAndResetWhenReused) {
  ASSERT_EQ(run("a = createPlayerActor() a:setShotLevel(4) a:setHp(0.25)"), "");
  Player* first = player("a");
  EXPECT_EQ(first->kind(), 1);
  ASSERT_EQ(run("b = createPlayerActor()"), "");
  EXPECT_NE(player("b"), first) << "a player in use is never handed out twice";

  ASSERT_EQ(run("a:finalize() return a:getShotLevel(), a:isUse()"), "1,false");
  ASSERT_EQ(run("a:setShotLevel(3) c = createPlayerActor() return c:getShotLevel(), c:getHp(), c:isUse()"),
            "1,1,true");
  EXPECT_EQ(player("c"), first) << "the player out of use comes back";
  // Both script objects hold their own reference: collecting one keeps it.
  ASSERT_EQ(run("a = nil"), "");
  collect();
  EXPECT_EQ(run("return c:getShotLevel()"), "1");

  // The generic actor-body creator reuses a free player as a player.
  ASSERT_EQ(run("b:finalize() d = createActorBody(3, 1) d:setShotLevel(2) return d:getShotLevel()"), "2");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(PlayerScript, PlayerBodyIsAnUnownedSphereWithoutGravity) {
  ASSERT_EQ(run("b = createPlayerColRigidBody()"), "");
  auto* body = object<PlayerRigidBody>("b", kPlayerRigidBodyClass);
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->getCollisionKind(), 513);
  EXPECT_EQ(run("return b:getCollisionKind(), b:isValid(), b:isUse(), b:getRadius(), b:getGravity()"),
            "1,false,true,1,0,0,0");
  EXPECT_EQ(body->getOwner(), nullptr);
  EXPECT_EQ(body->getCollisionBody(), static_cast<rk::collision::CollisionBody*>(body));

  // Without gravity a valid body keeps moving, only damped.
  ASSERT_EQ(run("b:setValid(true) b:setVelocity(1, 0, 0)"), "");
  step();
  EXPECT_GT(body->getPosition().x, 0.0f);
  EXPECT_EQ(body->getPosition().y, 0.0f);
}

TEST_F(PlayerScript, OwnerLinkFollowsSetOwnerInitializeFinalizeAndThePlayersEnd) {
  ASSERT_EQ(run("p = createPlayerActor() b = createPlayerColRigidBody() b:setValid(true) b:setOwner(p)"), "");
  auto* body = object<PlayerRigidBody>("b", kPlayerRigidBodyClass);
  EXPECT_EQ(body->getOwner(), player("p"));
  EXPECT_TRUE(body->isValid());

  ASSERT_EQ(run("b:setOwner(nil)"), "");
  EXPECT_EQ(body->getOwner(), nullptr);
  EXPECT_FALSE(body->isValid()) << "nil takes the body out of the step";
  ASSERT_EQ(run("b:setOwner(p)"), "");
  EXPECT_FALSE(body->isValid()) << "a player does not put it back";

  ASSERT_EQ(run("b:setOwner({}) b:setOwner(createActorBody(0, 0))"), "");
  EXPECT_EQ(body->getOwner(), player("p")) << "other values change nothing";
  EXPECT_EQ(log_.entries("PlayerRigidBody::lua_setOwner"), 2u);

  ASSERT_EQ(run("b:initialize()"), "");
  EXPECT_EQ(body->getOwner(), nullptr);
  ASSERT_EQ(run("b:setOwner(p) b:setRadius(3) b:finalize() return b:getRadius(), b:isUse()"), "1,false");
  EXPECT_EQ(body->getOwner(), nullptr);
  EXPECT_EQ(body->getCollisionBody(), nullptr);

  // A player collected while a body still names it unlinks the body.
  ASSERT_EQ(run("b:initialize() b:setOwner(p) p = nil"), "");
  collect();
  EXPECT_EQ(body->getOwner(), nullptr);
}

class ShieldGauge : public PlayerScript {
 protected:
  ShieldGauge() {
    EXPECT_EQ(run("unit = createGameStatusUnit() gauge = createGameStatusShiledGauge() unit:entryShieldGauge(gauge) "
                  "p = createPlayerActor() b = createPlayerColRigidBody() b:setOwner(p) b:setValid(true)"),
              "");
  }
  std::string shown() { return run("return gauge:getNowGauge()"); }
};

TEST_F(ShieldGauge, FollowsThePlayersHitPointsWithinTheGauge) {
  const struct {
    const char* hp;
    const char* max;
    const char* shown;
  } cases[] = {{"3.5", "100", "3.5"}, {"150", "100", "100"}, {"-2", "100", "0"}, {"5", "-1", "0"}, {"0", "10", "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hp);
    ASSERT_EQ(run(std::string("p:setHp(") + c.hp + ") gauge:setMaxGauge(" + c.max + ")"), "");
    step();
    EXPECT_EQ(shown(), c.shown);
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(ShieldGauge, WithoutOwnerItShowsZeroAndAnInvalidBodyLeavesIt) {
  ASSERT_EQ(run("gauge:setNowGauge(40) b:setValid(false)"), "");
  step();
  EXPECT_EQ(shown(), "40") << "an invalid body does not write";
  ASSERT_EQ(run("b:setValid(true) b:setOwner(nil) b:setValid(true)"), "");
  step();
  EXPECT_EQ(shown(), "0");
}

TEST_F(PlayerScript, ShieldIsSkippedQuietlyWithoutAStatusUnitOrGauge) {
  ASSERT_EQ(run("p = createPlayerActor() b = createPlayerColRigidBody() b:setOwner(p) b:setValid(true)"), "");
  step();
  ASSERT_EQ(run("unit = createGameStatusUnit()"), "");
  step();
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
