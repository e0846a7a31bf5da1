// Counter objects as scripts use them: shared by name, kept alive by every
// script object that holds them, timed by the task manager, cloned.
#include "script_math_fixture.h"

namespace {

using rk::math::Counter;
using rk::math::CounterManager;

class CounterObject : public rktest::ScriptMathFixture {
 protected:
  CounterManager* manager() { return CounterManager::getInstance(); }
  // The existing counter of that name (borrowed: the lookup's reference is given back).
  Counter* named(const char* name) {
    Counter* c = manager()->getCounter(0, name);
    c->release("test", 1);
    return c;
  }
  double number(const char* expression) {
    EXPECT_EQ(run(std::string("result = ") + expression), "");
    lua_getglobal(L_, "result");
    const double value = lua_tonumber(L_, -1);
    lua_pop(L_, 1);
    return value;
  }
};

TEST_F(CounterObject, SameNameIsOneCounterUntilTheLastObjectIsCollected) {
  ASSERT_EQ(run("a = createCounter(10, 'wave') b = createCounter(20, 'wave')"), "");
  ASSERT_EQ(manager()->size(), 1u);
  Counter* shared = named("wave");
  EXPECT_EQ(shared->count(), 2);
  EXPECT_EQ(shared->kind(), 10);

  ASSERT_EQ(run("a:start()"), "");
  frames(30);
  EXPECT_NEAR(number("b:getSec()"), 0.5, 1e-5);

  ASSERT_EQ(run("a = nil"), "");
  collect();
  EXPECT_EQ(shared->count(), 1);
  frames(30);
  EXPECT_NEAR(number("b:getSec()"), 1.0, 1e-5);  // the other object still works

  ASSERT_EQ(run("b = nil"), "");
  collect();
  EXPECT_EQ(manager()->size(), 0u);
  EXPECT_TRUE(rk::task::TaskManager::getInstance()->tasks().empty());
  EXPECT_TRUE(log_.empty());
}

TEST_F(CounterObject, RateScalesTimeAndIsClampedToZeroOne) {
  ASSERT_EQ(run("c = createCounter(5, 'clock') c:setDtPar(0.5) c:start()"), "");
  frames(60);
  EXPECT_NEAR(number("c:getSec()"), 0.5, 1e-5);
  ASSERT_EQ(run("c:stop()"), "");
  frames(10);
  EXPECT_NEAR(number("c:getSec()"), 0.5, 1e-5);
  ASSERT_EQ(run("c:reset()"), "");
  EXPECT_EQ(number("c:getSec()"), 0.0);

  Counter* c = named("clock");
  for (auto [rate, expected] : {std::pair{"2", 1.0f}, {"-1", 0.0f}, {"0.25", 0.25f}, {"'x'", 0.0f}, {"0/0", 0.0f}}) {
    ASSERT_EQ(run(std::string("c:setDtPar(") + rate + ")"), "");
    EXPECT_EQ(c->rate(), expected) << rate;
  }
}

TEST_F(CounterObject, CloneIsAStoppedUnnamedCopy) {
  ASSERT_EQ(run("src = createCounter(7, 'src') src:start()"), "");
  Counter* source = named("src");
  source->setValue(3.0f);
  source->setRate(0.5f);
  ASSERT_EQ(run("copy = src:clone()"), "");
  EXPECT_EQ(manager()->size(), 2u);
  EXPECT_EQ(number("copy:getSec()"), 3.0);
  frames(60);
  EXPECT_EQ(number("copy:getSec()"), 3.0);  // stopped
  EXPECT_NEAR(number("src:getSec()"), 3.5, 1e-5);
  ASSERT_EQ(run("copy:setDtPar(1) copy:start()"), "");
  frames(60);
  EXPECT_NEAR(number("copy:getSec()"), 4.0, 1e-5);
  EXPECT_EQ(source->count(), 1);  // the clone is its own counter
}

TEST_F(CounterObject, NamesThatAreNotTextMakeUnsharedCounters) {
  ASSERT_EQ(run(R"(
    n1, n2 = createCounter(1, 12), createCounter(1, '12')
    t1, t2 = createCounter(1, {}), createCounter(1)
    e1, e2 = createCounter(1, ''), createCounter(1, '')
  )"), "");
  EXPECT_EQ(named("12")->count(), 2);  // a number is a name
  EXPECT_EQ(manager()->size(), 5u);    // '12' once, four unnamed
  ASSERT_EQ(run("t1:start()"), "");
  frames(60);
  EXPECT_NEAR(number("t1:getSec()"), 1.0, 1e-5);
  EXPECT_EQ(number("t2:getSec()"), 0.0);
}

TEST_F(CounterObject, MethodsOnOtherObjectsAreReported) {
  ASSERT_EQ(run("c = createCounter(1, 'x') c.getSec(createVEC3()) c.start(createMatrix()) c.reset(nil)"), "");
  const std::string ns = "rk::script::math::`anonymous-namespace'::";
  EXPECT_EQ(log_.entries(ns + "lua_Counter_getSec"), 1u);
  EXPECT_EQ(log_.entries(ns + "lua_Counter_reset"), 1u);
  EXPECT_EQ(log_.entries("rk::task::lua_task::lua_command_run"), 1u);
}

}  // namespace
