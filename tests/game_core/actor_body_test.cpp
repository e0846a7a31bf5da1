// Actor bodies: hit points, the no-damage period driven by the counter task,
// pooling through the actor manager, and their script methods.
#include <gtest/gtest.h>

#include "actor_body/actor_body.h"
#include "game_core/game_fixture.h"

namespace {

class ActorBodies : public gametest::GameScript {
 protected:
  ActorBodies() { reg("createActorBody", lua_createActorBody); }
};

TEST_F(ActorBodies, ANewBodyTakesNoDamageUntilTheScriptClearsTheFlag) {
  EXPECT_EQ(run("b = createActorBody(0, 0)\n"
                "return b:isNoDamage(), b:isNoDamagePeriod(), b:calcNoDamageLerp(), b:isDead(), b:getHp(), b:getHpMax()"),
            "true,false,1,false,1,1");
  EXPECT_EQ(run("b:setNoDamageFlag(false) return b:isNoDamage()"), "false");
  EXPECT_EQ(run("b:setNoDamageFlag(0) return b:isNoDamage()"), "true") << "0 is true in Lua";
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The period runs on the counter task: frames advance it, the bound itself is
// still inside the period, stopping ends the period but keeps the lerp.
TEST_F(ActorBodies, NoDamagePeriodFollowsTheCounter) {
  struct Case {
    const char* name;
    float period;
    float frames[3];  // frame steps after the start (0 = none)
    bool stopAfter;
    const char* expected;  // isNoDamagePeriod, calcNoDamageLerp
  } cases[] = {
      {"zero period, start frame", 0.0f, {0, 0, 0}, false, "true,1"},
      {"zero period, one frame on", 0.0f, {0.25f, 0, 0}, false, "false,1"},
      {"quarter of a 2 s period", 2.0f, {0.25f, 0.25f, 0}, false, "true,0.25"},
      {"exactly the period", 2.0f, {1.0f, 1.0f, 0}, false, "true,1"},
      {"past the period", 2.0f, {1.0f, 1.0f, 0.5f}, false, "false,1"},
      {"stopped inside the period", 2.0f, {0.5f, 0.5f, 0}, true, "false,0.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(run("b = createActorBody(0, 0) b:setNoDamageFlag(false) b:setNoDamageCounter(" +
                  std::to_string(c.period) + ") b:startNoDamageCounter()"),
              "");
    for (float dt : c.frames)
      if (dt > 0) frame(dt);
    if (c.stopAfter) {
      run("b:stopNoDamageCounter()");
      frame(1.0f);  // a stopped counter does not move
    }
    EXPECT_EQ(run("return b:isNoDamagePeriod(), b:calcNoDamageLerp()"), c.expected);
    EXPECT_EQ(run("return b:isNoDamage()"), run("return b:isNoDamagePeriod()"));
    run("b:finalize() b = nil collectgarbage()");
  }
}

TEST_F(ActorBodies, HitPointsDecideDeath) {
  struct Case {
    const char* set;
    const char* expected;  // isDead, getHp, getHpMax
  } cases[] = {
      {"b:setHp(0)", "true,0,1"},
      {"b:setHp(-3)", "true,-3,1"},
      {"b:setHp(0.5)", "false,0.5,1"},
      {"b:setHpMax(50)", "false,1,50"},
      {"b:setHp(0.1)", "false,0.10000000149012,1"},  // single precision
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    EXPECT_EQ(run(std::string("b = createActorBody(0, 0) ") + c.set +
                  " return b:isDead(), string.format('%.14g', b:getHp()), b:getHpMax()"),
              c.expected);
  }
}

TEST_F(ActorBodies, APooledBodyIsReusedOnlyAfterItsFinalize) {
  EXPECT_EQ(run("a = createActorBody(1, 0) b = createActorBody(2, 0) return rawequal(a, b)"), "false");
  auto* manager = rk::actor::ActorManager::getInstance();
  ASSERT_EQ(manager->actors().size(), 2u);
  rk::actor::Actor* first = manager->actors()[0];
  run("a:setHp(0) a:setNoDamageCounter(3) a:finalize()");
  EXPECT_EQ(manager->findByKind(0), first);
  // Reuse: the same actor, initialised afresh and filed under its new number.
  EXPECT_EQ(run("c = createActorBody(7, 0) return c:getHp(), c:isDead(), c:isUse(), c:isNoDamage()"),
            "1,false,true,true");
  ASSERT_EQ(manager->actors().size(), 2u);
  EXPECT_EQ(manager->actors().back(), first);
  EXPECT_EQ(manager->findByKind(0), nullptr);
  // The actor family comes first: its methods work on actor bodies too.
  EXPECT_EQ(run("return c:getComponentNum(), c:isReady()"), "0,true");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(ActorBodies, MethodsGivenSomethingElseReportAndDoNothing) {
  run("b = createActorBody(0, 0)");
  EXPECT_EQ(run("return b.getHp({}), b.isDead(nil)"), "0,false");
  run("b.setHp(1, 5)");
  EXPECT_EQ(log_.entries("ActorBody::lua_getHp"), 1u);
  EXPECT_EQ(log_.entries("ActorBody::lua_query"), 1u);
  EXPECT_EQ(log_.entries("ActorBody::lua_setHp"), 1u);
  EXPECT_EQ(run("return b:getHp()"), "1");
}

TEST_F(ActorBodies, CollectingTheLastScriptObjectFreesTheBodyAndItsCounter) {
  auto* counters = rk::math::CounterManager::getInstance();
  const std::size_t before = counters->size();
  run("b = createActorBody(0, 0)");
  EXPECT_EQ(counters->size(), before + 1);
  run("b = nil collectgarbage() collectgarbage()");
  EXPECT_EQ(counters->size(), before);
  EXPECT_TRUE(rk::actor::ActorManager::getInstance()->actors().empty());
}

}  // namespace
