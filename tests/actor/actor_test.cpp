// Actors and their components: the component state machine, the manager's
// walk, recycling by kind, and changes made while the manager walks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "actor/rk_actor.h"
#include "support/error_log_capture.h"

namespace {

using rk::actor::Actor;
using rk::actor::ActorComponent;
using rk::actor::ActorManager;
using rk::policy::SharedPtr;

// A component whose answers the test sets and whose calls it records.
class Probe : public ActorComponent {
 public:
  Probe(Actor* owner, std::vector<std::string>* calls, const std::string& name = "c", int kind = 7)
      : ActorComponent(owner, kind), calls_(calls), name_(name) {}
  bool initializeStep() override { return note("init", initOk); }
  bool readyCheck() override { return note("ready", ready); }
  void onRun() override { note("run", true); }
  bool runStep(float dt) override {
    lastDt = dt;
    return note("step", done);
  }
  void waitStep() override { note("wait", true); }
  void onEnd() override { note("end", true); }

  bool initOk = true, ready = false, done = false;
  float lastDt = 0;
  std::function<void()> during;  // run inside the next runStep

 private:
  bool note(const char* what, bool result) {
    calls_->push_back(name_ + ":" + what);
    if (std::string(what) == "step" && during) {
      auto action = during;
      during = nullptr;
      action();  // may delete this component: touch nothing afterwards
    }
    return result;
  }
  std::vector<std::string>* calls_;
  std::string name_;
};

class KindActor : public Actor {
 public:
  explicit KindActor(int kind) : kind_(kind) {}
  int kind() override { return kind_; }

 private:
  int kind_;
};

class ActorTest : public ::testing::Test {
 protected:
  void SetUp() override { manager = ActorManager::createInstance(); }
  void TearDown() override { ActorManager::destroyInstance(); }

  // An actor in use, filed under its kind, with components named as given.
  SharedPtr<Actor> makeActor(std::vector<SharedPtr<Probe>>& components, std::vector<std::string> names,
                             int kind = 0) {
    SharedPtr<Actor> actor(new KindActor(kind));
    actor->initialize();
    for (const std::string& name : names) {
      components.emplace_back(new Probe(actor.get(), &calls, name));
      actor->pushComponent(components.back().get());
    }
    manager->add(kind, actor.get());
    return actor;
  }
  std::vector<std::string> update(float dt = 0.5f) {
    calls.clear();
    manager->update(dt);
    return calls;
  }
  using Calls = std::vector<std::string>;

  rktest::ErrorLogCapture log;
  ActorManager* manager = nullptr;
  std::vector<std::string> calls;
};

TEST_F(ActorTest, ComponentWaitsForTheGoThenRunsUntilDoneThenWaits) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> actor = makeActor(c, {"c"});
  Probe& probe = *c[0];

  EXPECT_EQ(update(), (Calls{"c:init", "c:ready"}));
  EXPECT_TRUE(probe.isStarted());
  EXPECT_FALSE(probe.isReady());
  EXPECT_TRUE(actor->isReady());
  EXPECT_EQ(update(), (Calls{"c:ready"}));  // held in state 1

  actor->setRun();
  EXPECT_FALSE(actor->isReady());
  EXPECT_EQ(update(0.25f), (Calls{"c:run", "c:step"}));
  EXPECT_FLOAT_EQ(probe.lastDt, 0.25f);
  EXPECT_TRUE(probe.isReady());
  probe.done = true;
  EXPECT_EQ(update(), (Calls{"c:step"}));  // runStep at most once per update
  EXPECT_EQ(actor->componentState(&probe), 4);
  EXPECT_EQ(update(), (Calls{"c:wait"}));
  EXPECT_EQ(update(), (Calls{"c:wait"}));
}

TEST_F(ActorTest, StepsFallThroughInOneUpdateAndStateJumpsApply) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> actor = makeActor(c, {"a", "b", "d"});
  c[0]->ready = true;  // straight through to running
  c[1]->initOk = false;
  EXPECT_EQ(update(), (Calls{"a:init", "a:ready", "a:run", "a:step", "b:init", "d:init", "d:ready"}));
  EXPECT_EQ(actor->componentState(c[1].get()), 0);

  // getReady: from any started state to running, without onRun.
  c[2]->getReady();
  c[1]->getReady();  // not started: reported, nothing changes
  EXPECT_EQ(log.entries("rk::actor::ActorComponent::getReady"), 1u);
  EXPECT_EQ(actor->componentState(c[1].get()), 0);
  // setWait from any state; state 5 (set by game code) ends once.
  c[1]->setWait();
  actor->setComponentState(c[0].get(), 5);
  EXPECT_EQ(update(), (Calls{"a:end", "b:wait", "d:step"}));
  EXPECT_EQ(update(), (Calls{"b:wait", "d:step"}));
  EXPECT_EQ(actor->componentState(c[0].get()), 6);
}

TEST_F(ActorTest, ActorsNotInUseAreSkippedAndKeepTheirStates) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> resting = makeActor(c, {"r"}, 1);
  SharedPtr<Actor> busy = makeActor(c, {"b"}, 2);
  update();
  resting->finalize();
  c[0]->getReady();
  EXPECT_EQ(update(), (Calls{"b:ready"}));
  EXPECT_EQ(resting->componentState(c[0].get()), 3);

  manager->setAllUnused();
  EXPECT_EQ(update(), Calls{});
  EXPECT_FALSE(busy->isUse());
}

TEST_F(ActorTest, FindByKindGivesTheFirstIdleActorOfThatKind) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> a1 = makeActor(c, {}, 1);
  SharedPtr<Actor> b1 = makeActor(c, {}, 1);
  SharedPtr<Actor> a2 = makeActor(c, {}, 2);
  EXPECT_EQ(manager->findByKind(1), nullptr);  // all in use
  b1->setUse(false);
  a2->setUse(false);
  EXPECT_EQ(manager->findByKind(1), b1.get());
  a1->setUse(false);
  EXPECT_EQ(manager->findByKind(1), a1.get());  // map order: a1 was filed first
  EXPECT_EQ(manager->findByKind(2), a2.get());
  EXPECT_EQ(manager->findByKind(3), nullptr);

  // Recycling: erase, re-initialise, add again under its kind.
  manager->erase(a1.get());
  a1->initialize();
  manager->add(1, a1.get());
  EXPECT_EQ(manager->findByKind(1), b1.get());
  EXPECT_EQ(manager->actors(), (std::vector<Actor*>{b1.get(), a1.get(), a2.get()}));
}

TEST_F(ActorTest, AnActorAddedDuringTheUpdateIsFirstSteppedInTheNext) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> first = makeActor(c, {"f"});
  first->setRun();
  c[0]->ready = true;
  SharedPtr<Actor> late(new Actor);
  late->initialize();
  SharedPtr<Probe> lateProbe(new Probe(late.get(), &calls, "late"));
  late->pushComponent(lateProbe.get());
  c[0]->during = [&] { manager->add(0, late.get()); };
  EXPECT_EQ(update(), (Calls{"f:init", "f:ready", "f:run", "f:step"}));
  EXPECT_EQ(update(), (Calls{"f:step", "late:init", "late:ready"}));
}

// Erasing or deleting actors and components while the manager walks them
// must neither crash nor skip or repeat anyone else.
TEST_F(ActorTest, ChangesDuringTheWalkAreSafe) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> a = makeActor(c, {"a1", "a2", "a3"});
  SharedPtr<Actor> b = makeActor(c, {"b"});
  SharedPtr<Actor> d = makeActor(c, {"d"});
  for (auto& p : c) p->ready = true;
  update();

  // a1 erases b from the manager (b is not stepped) and removes a2 from its list.
  c[0]->during = [&] {
    manager->erase(b.get());
    a->removeComponentEntry(c[1].get());
  };
  EXPECT_EQ(update(), (Calls{"a1:step", "a3:step", "d:step"}));
  EXPECT_EQ(a->getComponentNum(), 2);
  EXPECT_EQ(manager->actors(), (std::vector<Actor*>{a.get(), d.get()}));

  // a3 drops the last reference to itself (its entry leaves the list), and
  // a1 drops the last reference to its own actor: the walk goes on with d.
  Probe* a3 = c[2].get();
  a3->during = [&] { c[2].reset(); };
  EXPECT_EQ(update(), (Calls{"a1:step", "a3:step", "d:step"}));
  EXPECT_EQ(a->getComponentNum(), 1);
  Probe* a1 = c[0].get();
  a1->during = [&] { a.reset(); };
  EXPECT_EQ(update(), (Calls{"a1:step", "d:step"}));
  EXPECT_EQ(manager->actors(), (std::vector<Actor*>{d.get()}));
  EXPECT_EQ(a1->owner(), nullptr);  // the deleted actor let go of its component

  // d re-initialises itself mid-step (its list empties) and is erased and re-added.
  c[4]->during = [&] {
    d->initialize();
    manager->erase(d.get());
    manager->add(0, d.get());
  };
  EXPECT_EQ(update(), (Calls{"d:step"}));
  EXPECT_EQ(d->getComponentNum(), 0);
  EXPECT_EQ(manager->actors(), (std::vector<Actor*>{d.get()}));
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(ActorTest, AnActorAddedAndDeletedBeforeTheNextUpdateIsForgotten) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> host = makeActor(c, {"h"});
  c[0]->ready = true;
  c[0]->during = [&] {
    SharedPtr<Actor> shortLived(new Actor);
    shortLived->initialize();
    manager->add(0, shortLived.get());
  };  // gone again at the end of the step
  update();
  EXPECT_EQ(manager->actors(), (std::vector<Actor*>{host.get()}));
  EXPECT_EQ(update(), (Calls{"h:step"}));
}

TEST_F(ActorTest, LastReleasesUnlinkActorsAndComponents) {
  std::vector<SharedPtr<Probe>> c;
  SharedPtr<Actor> actor = makeActor(c, {"x", "y"});
  Probe* x = c[0].get();
  c[0].reset();  // its last reference: the entry leaves the owner's list
  EXPECT_EQ(actor->getComponentNum(), 1);
  (void)x;

  // A component listed by an actor that is not its owner leaves that list too when it dies.
  SharedPtr<Actor> other(new Actor);
  other->pushComponent(c[1].get());
  EXPECT_EQ(other->getComponentNum(), 1);
  c[1].reset();
  EXPECT_EQ(other->getComponentNum(), 0);
  EXPECT_EQ(actor->getComponentNum(), 0);

  // The last release of an actor takes it out of the manager.
  actor.reset();
  EXPECT_TRUE(manager->actors().empty());

  // A component without an owner has no state.
  SharedPtr<Probe> loose(new Probe(nullptr, &calls));
  EXPECT_FALSE(loose->isStarted());
  loose->setWait();
  EXPECT_FALSE(loose->isReady());
  EXPECT_EQ(log.entries("rk::actor::ActorComponent::getReady"), 0u);
}

TEST(ActorManagerLifetime, ShutDownTakesActorsOutOfUseAndTheyOutliveIt) {
  rktest::ErrorLogCapture log;
  ActorManager::createInstance();
  SharedPtr<Actor> actor(new Actor);
  actor->initialize();
  ActorManager::getInstance()->add(0, actor.get());
  ActorManager::destroyInstance();
  EXPECT_FALSE(actor->isUse());
  actor.reset();  // no manager any more: nothing to report
  EXPECT_TRUE(log.empty()) << log.text();
  EXPECT_EQ(ActorManager::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::actor::ActorManager::getInstance"), 1u);
}

}  // namespace
