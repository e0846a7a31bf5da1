// The three plain enemy bullets: their shapes after initialise, flight at the
// speed a script gives them, the owner actor body taken from the pool, and the
// bullet and shot-colour methods.
#include "enemy_bullet/bullet_fixture.h"

namespace {

using bullettest::numbers;

class BulletBodies : public bullettest::BulletScript {};

TEST_F(BulletBodies, EachShapeStartsAsSpecifiedAndFliesAtItsVelocity) {
  struct Case {
    const char* creator;
    const char* shapeQuery;  // Lua expression of the shape after initialise
    const char* shape;
    int kind;
  } cases[] = {
      {"createEnemyBulletRigidBodySphere", "b:getRadius()", "1", 1},
      {"createEnemyBulletRigidBodyCapsule", "b:getRadius(), b:getHeight()", "1,0", 2},
      {"createEnemyBulletRigidBodyOBB", "b:getSize()", "1,1,1", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.creator);
    ASSERT_EQ(run(std::string("b = ") + c.creator + "()"), "");
    EXPECT_EQ(run(std::string("return ") + c.shapeQuery), c.shape);
    EXPECT_EQ(run("return b:getCollisionKind(), b:isValid(), b:isUse(), b:getGravity()"),
              std::to_string(c.kind) + ",true,true,0,0,0");
    EXPECT_EQ(run("return b:getFixVelocity(), b:getHp(), b:isDead(), b:getShotColorKind()"), "12,1,false,0");

    // No gravity: the bullet flies straight, slowed only by the linear
    // damping (a force of -0.2 v on a mass of 1).
    run("b:setPos(1, 2, 3) b:setVelocity(30, 0, -60)");
    const float dt = 1.0f / 60.0f;
    step(dt);
    const std::vector<double> p = numbers(run("return b:getPos()"));
    ASSERT_EQ(p.size(), 3u);
    const double travel = dt * (1.0 - 0.1 * dt);  // ∫ e^{-0.2t} dt to first order
    EXPECT_NEAR(p[0], 1.0 + 30.0 * travel, 1e-4);
    EXPECT_NEAR(p[1], 2.0, 1e-6);
    EXPECT_NEAR(p[2], 3.0 - 60.0 * travel, 1e-4);
    // The shape follows the body.
    const std::vector<double> centre = numbers(run("return b:getColPos()"));
    ASSERT_EQ(centre.size(), 3u);
    EXPECT_NEAR(centre[0], p[0], 1e-5);
    EXPECT_NEAR(centre[2], p[2], 1e-5);
    run("b = nil collectgarbage()");
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BulletBodies, FinaliseFreesTheOwnerAndInitialiseTakesOneFromThePool) {
  ASSERT_EQ(run("b = createEnemyBulletRigidBodySphere()"), "");
  auto* bullet = global<EnemyBulletRigidBodySphere>("b");
  ASSERT_NE(bullet, nullptr);
  ActorBody* first = bullet->owner();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->kind(), 4);
  EXPECT_TRUE(first->isUse());

  run("b:setShotColorKind(5) b:setBulletNoDamage(0) b:setHp(0)");
  EXPECT_TRUE(bullet->bullet_no_damage_) << "0 is true in Lua";
  EXPECT_EQ(run("return b:isDead()"), "true");

  run("b:finalize()");
  EXPECT_EQ(run("return b:isValid(), b:isUse(), b:isDead()"), "false,false,true")
      << "finalise keeps the owner and its hit points";
  EXPECT_FALSE(first->isUse());
  EXPECT_EQ(bullet->owner(), first);

  // The freed owner is the first free kind-4 actor: initialise takes it back.
  run("b:initialize()");
  EXPECT_EQ(bullet->owner(), first);
  EXPECT_EQ(run("return b:isValid(), b:isUse(), b:getHp(), b:getShotColorKind()"), "true,true,1,5");
  EXPECT_FALSE(bullet->bullet_no_damage_);

  // Initialising a bullet in use takes another owner and gives back the
  // current one, whose last reference goes with it.
  EXPECT_EQ(first->count(), 1);
  run("b:initialize()");
  EXPECT_NE(bullet->owner(), first);
  for (rk::actor::Actor* actor : rk::actor::ActorManager::getInstance()->actors()) EXPECT_NE(actor, first);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BulletBodies, ShotColourAndNoDamageValues) {
  struct Case {
    const char* call;
    const char* query;
    const char* expected;
  } cases[] = {
      {"b:setShotColorKind(2.9)", "b:getShotColorKind()", "2"},
      {"b:setShotColorKind(-1.5)", "b:getShotColorKind()", "-1"},
      {"b:setShotColorKind('x')", "b:getShotColorKind()", "0"},
      {"b:setShotColorKind(3) b:initialize()", "b:getShotColorKind()", "3"},
  };
  ASSERT_EQ(run("b = createEnemyBulletRigidBodyCapsule()"), "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    run(c.call);
    EXPECT_EQ(run(std::string("return ") + c.query), c.expected);
  }
  auto* bullet = global<EnemyBulletRigidBodyCapsule>("b");
  struct Flag {
    const char* value;
    bool expected;
  } flags[] = {{"0", true}, {"nil", false}, {"'no'", true}, {"false", false}, {"true", true}};
  for (const Flag& f : flags) {
    run(std::string("b:setBulletNoDamage(") + f.value + ")");
    EXPECT_EQ(bullet->bullet_no_damage_, f.expected) << f.value;
  }
  run("b:initialize()");
  EXPECT_FALSE(bullet->bullet_no_damage_);
}

TEST_F(BulletBodies, ActorBodiesComeFromThePoolWithTheirColourKind) {
  EXPECT_EQ(run("a = createEnemyBulletActorBody(2.7) return a:getEnemyShotColorKind(), a:isUse(), a:getHp()"),
            "2,true,1");
  auto* manager = rk::actor::ActorManager::getInstance();
  ASSERT_EQ(manager->actors().size(), 1u);
  auto* first = dynamic_cast<EnemyBulletActorBody*>(manager->actors()[0]);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->count(), 1) << "the script object's reference only";

  // While it is in use a second call makes another.
  EXPECT_EQ(run("b = createEnemyBulletActorBody() return b:getEnemyShotColorKind()"), "0");
  EXPECT_EQ(manager->actors().size(), 2u);

  // Freed, it comes back re-initialised; a bullet taking it keeps its kind.
  run("a:setHp(0) a:setEnemyShotColorKind(9) a:finalize()");
  EnemyBulletActorBody* again = EnemyBulletActorBody::create(manager);
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->getEnemyShotColorKind(), 9);
  EXPECT_EQ(again->status().hp_, 1.0f);
  EXPECT_TRUE(again->isUse());
  EXPECT_EQ(manager->actors().size(), 2u);

  // Collecting the script object gives back its reference only.
  run("a = nil collectgarbage()");
  EXPECT_EQ(manager->actors().size(), 1u) << "the last reference took it out of the manager";
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BulletBodies, MethodsOnWrongObjectsAreReportedAndChangeNothing) {
  ASSERT_EQ(run("b = createEnemyBulletRigidBodySphere() a = createEnemyBulletActorBody(1)"), "");
  struct Case {
    const char* call;
    const char* expected;
  } cases[] = {
      {"return b.getShotColorKind(a)", "0"},
      {"return b.setShotColorKind({}, 3)", ""},
      {"return a.getEnemyShotColorKind(b)", "0"},
      {"return b.getRadius(a)", ""},
      {"return b.isDead(a)", "true"},
      {"return b.initialize(a)", "true"},  // an actor initialises as an actor
  };
  for (const Case& c : cases) {
    log_.clear();
    EXPECT_EQ(run(c.call), c.expected) << c.call;
  }
  EXPECT_EQ(run("return b:getShotColorKind(), a:getEnemyShotColorKind()"), "0,1");
}

}  // namespace
