// Actor and component script objects and the actor globals, run from Lua.
#include <gtest/gtest.h>

#include "actor/rk_actor.h"
#include "script_misc/script_misc_fixture.h"

namespace {

using rk::actor::Actor;
using rk::actor::ActorComponent;
using rk::policy::SharedPtr;

class WaitingComponent : public ActorComponent {
 public:
  explicit WaitingComponent(Actor* owner) : ActorComponent(owner, 7) {}
  bool runStep(float) override {
    ++runs;
    return false;
  }
  int runs = 0;
};

class FailingActor : public Actor {
 public:
  host::HResult initialize() override { return host::E_FAIL; }
};

class ActorScript : public rktest::ScriptMiscFixture {
 protected:
  void setGlobalActor(const char* name, Actor* actor) {
    rk::actor::pushActor(L, actor);
    lua_setglobal(L, name);
  }
  void setGlobalComponent(const char* name, ActorComponent* component) {
    rk::actor::pushActorComponent(L, component);
    lua_setglobal(L, name);
  }
};

TEST_F(ActorScript, GlobalsGiveIdsAndReleaseIdleActors) {
  SharedPtr<Actor> actor(new Actor);
  actor->initialize();
  actors->add(0, actor.get());
  EXPECT_EQ(run(R"(
    check(getActorComponentUserID() == 2 and getEnemyFlushModelComponentID() == 3)
    check(values(testCommand(1, {}, 'x')).n == 0)
    check(values(clearNotUseActor()).n == 0)
  )"), "");
  EXPECT_FALSE(actor->isUse());
}

TEST_F(ActorScript, MethodsDriveTheActorAndItsComponents) {
  SharedPtr<Actor> actor(new Actor);
  SharedPtr<WaitingComponent> component(new WaitingComponent(actor.get()));
  actors->add(0, actor.get());
  setGlobalActor("actor", actor.get());
  setGlobalComponent("comp", component.get());
  EXPECT_EQ(run(R"(
    check(actor:initialize() == true and actor:isUse())
    actor:setUse(nil)  check(not actor:isUse())
    actor:setUse(0)    check(actor:isUse())
    actor:finalize()   check(not actor:isUse())
    actor:initialize()
    actor:addComponent(comp)
    check(actor:getComponentNum() == 1 and not actor:isReady())
  )"), "");
  actors->update(0.1f);  // initialised, waiting for the go
  EXPECT_EQ(run(R"(
    check(actor:isReady())
    actor:setRun()
    check(not actor:isReady())
    check(comp:getKind() == 7)
    local owner = comp:getOwner()
    check(owner:getComponentNum() == 1 and owner:isUse())
  )"), "");
  actors->update(0.1f);
  EXPECT_EQ(component->runs, 1);
  EXPECT_EQ(run("comp:setWait()"), "");
  actors->update(0.1f);
  EXPECT_EQ(component->runs, 1);
  EXPECT_EQ(run("comp:getReady()"), "");
  actors->update(0.1f);
  EXPECT_EQ(component->runs, 2);
  EXPECT_EQ(run("actor:removeComponent(comp) check(actor:getComponentNum() == 0 and actor:isReady())"), "");
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ActorScript, ObjectsHoldAReferenceUntilCollected) {
  SharedPtr<Actor> kept(new Actor);
  setGlobalActor("kept", kept.get());
  EXPECT_EQ(kept->count(), 2);
  EXPECT_EQ(run("kept = nil collectgarbage()"), "");
  EXPECT_EQ(kept->count(), 1);

  // An actor only the script holds goes when the script lets go of it.
  Actor* onlyScript = new Actor;
  onlyScript->initialize();
  actors->add(3, onlyScript);
  setGlobalActor("only", onlyScript);
  EXPECT_EQ(actors->actors().size(), 1u);
  EXPECT_EQ(run("only = nil collectgarbage()"), "");
  EXPECT_TRUE(actors->actors().empty());
}

TEST_F(ActorScript, WrongOrMissingObjectsAreReportedAndIgnored) {
  SharedPtr<Actor> actor(new Actor);
  SharedPtr<WaitingComponent> loose(new WaitingComponent(nullptr));
  setGlobalActor("actor", actor.get());
  setGlobalComponent("loose", loose.get());
  EXPECT_EQ(run(R"(
    actor.setRun(loose)
    actor:addComponent(actor)
    check(actor.getComponentNum(42) == 0)
    local nobody = loose:getOwner()
    check(nobody ~= nil and nobody:isUse() == false)
    loose.getKind(actor)
  )"), "");
  EXPECT_EQ(log.entries("rk::actor::`anonymous-namespace'::lua_Actor_setRun"), 1u);
  EXPECT_EQ(log.entries("rk::actor::`anonymous-namespace'::lua_Actor_addComponent"), 1u);
  EXPECT_EQ(log.entries("rk::actor::`anonymous-namespace'::lua_Actor_getComponentNum"), 1u);
  EXPECT_EQ(log.entries("rk::policy::lua_initialize::lua_command_isUse"), 1u);
  EXPECT_EQ(log.entries("rk::actor::`anonymous-namespace'::lua_ActorComponent_getKind"), 1u);
  EXPECT_EQ(actor->getComponentNum(), 0);
}

TEST_F(ActorScript, FailedInitializeShowsTheErrorCodeBox) {
  SharedPtr<Actor> failing(new FailingActor);
  setGlobalActor("failing", failing.get());
  EXPECT_EQ(run("check(failing:initialize() == false)"), "");
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(log.entries("rk::policy::lua_initialize::lua_command_initialize"), 1u);
}

}  // namespace
