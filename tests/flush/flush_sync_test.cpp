// The flush and sync units: per-frame calls in registration order at task
// priority 64, and lists that may change while they are walked.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "flush/rk_flush_unit.h"
#include "flush/rk_sync_unit.h"
#include "kernel/rk_instance_table.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace {

using rk::flush::FlushUnit;
using rk::flush::SyncUnit;

struct Flusher : rk::flush::IFlush {
  Flusher(std::vector<std::string>* calls, std::string name) : calls(calls), name(std::move(name)) {}
  void flushProc(float dt) override {
    calls->push_back(name);
    last_dt = dt;
    if (hook) hook();
  }
  std::vector<std::string>* calls;
  std::string name;
  float last_dt = 0.0f;
  std::function<void()> hook;
};

struct Syncer : rk::policy::ISync {
  Syncer(std::vector<std::string>* calls, std::string name) : calls(calls), name(std::move(name)) {}
  void sync() override {
    calls->push_back(name);
    if (hook) hook();
  }
  std::vector<std::string>* calls;
  std::string name;
  std::function<void()> hook;
};

// Records when it runs, to place the units among other tasks.
struct Probe : rk::task::Task {
  Probe(int priority, std::vector<std::string>* calls, std::string tag)
      : Task(priority, "probe"), calls(calls), tag(std::move(tag)) {
    setActive(true);
  }
  int initStep(float) override { return 0; }
  void update(float) override { calls->push_back(tag); }
  std::vector<std::string>* calls;
  std::string tag;
};

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    tasks = rk::task::TaskManager::createInstance();
    flushes = FlushUnit::createInstance();
    syncs = SyncUnit::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::FlushUnit)) FlushUnit::destroyInstance();
    if (rk::singletonExists(rk::InstanceSlot::SyncUnit)) SyncUnit::destroyInstance();
    tasks->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }

  rktest::ErrorLogCapture log;
  rk::task::TaskManager* tasks = nullptr;
  FlushUnit* flushes = nullptr;
  SyncUnit* syncs = nullptr;
  std::vector<std::string> calls;
};

TEST_F(Units, AreActiveTasksAtPriority64WithTheirNames) {
  EXPECT_EQ(flushes->priority(), 64);
  EXPECT_EQ(syncs->priority(), 64);
  EXPECT_EQ(flushes->name(), "FlushUnit");
  EXPECT_EQ(syncs->name(), std::string("SyncUnit\n"));
  EXPECT_TRUE(flushes->isActive());
  EXPECT_TRUE(syncs->isActive());
  EXPECT_EQ(FlushUnit::getInstance(), flushes);
  EXPECT_EQ(SyncUnit::getInstance(), syncs);
}

TEST_F(Units, CallEveryObjectOncePerFrameInOrderBetweenLowerAndHigherTasks) {
  Flusher a(&calls, "flush a"), b(&calls, "flush b");
  Syncer s(&calls, "sync s"), t(&calls, "sync t");
  flushes->registerFlush(&a);
  flushes->registerFlush(&b);
  flushes->registerFlush(&a);  // already there: one entry
  syncs->addSync(&s);
  syncs->addSync(&t);
  new Probe(63, &calls, "before");
  new Probe(65, &calls, "after");

  tasks->update(0.25f);
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "flush a", "flush b", "sync s", "sync t", "after"}));
  EXPECT_FLOAT_EQ(a.last_dt, 0.25f);
  EXPECT_EQ(flushes->count(), 2u);

  calls.clear();
  flushes->removeFlush(&a);
  syncs->removeSync(&s);
  tasks->update(0.5f);
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "flush b", "sync t", "after"}));
  EXPECT_TRUE(log.empty()) << log.text();  // outside the pass nothing is reported
}

TEST_F(Units, SyncObjectAddedTwiceSyncsTwiceAndOneRemovalLeavesOne) {
  Syncer s(&calls, "s");
  syncs->addSync(&s);
  syncs->addSync(&s);
  tasks->update(0.1f);
  EXPECT_EQ(calls.size(), 2u);
  syncs->removeSync(&s);
  calls.clear();
  tasks->update(0.1f);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Units, DoNotRunUnderTheNormalPause) {
  Flusher a(&calls, "a");
  Syncer s(&calls, "s");
  flushes->registerFlush(&a);
  syncs->addSync(&s);
  tasks->setNormalPause(true);
  tasks->update(0.1f);
  EXPECT_TRUE(calls.empty());
  tasks->setNormalPause(false);
  tasks->update(0.1f);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "s"}));
}

// Changes made from inside a flushProc: which objects that pass still reaches.
TEST_F(Units, FlushListChangedDuringThePassIsWalkedSafely) {
  struct Case {
    const char* what;
    std::function<void(FlushUnit*, Flusher&, Flusher&, Flusher&, Flusher&)> during_b;
    std::vector<std::string> first_pass;
    std::vector<std::string> second_pass;
  };
  const std::vector<Case> cases = {
      {"b removes itself", [](FlushUnit* u, Flusher&, Flusher& b, Flusher&, Flusher&) { u->removeFlush(&b); },
       {"a", "b", "c"}, {"a", "c"}},
      {"b removes the next one", [](FlushUnit* u, Flusher&, Flusher&, Flusher& c, Flusher&) { u->removeFlush(&c); },
       {"a", "b"}, {"a", "b"}},
      {"b removes the one before", [](FlushUnit* u, Flusher& a, Flusher&, Flusher&, Flusher&) { u->removeFlush(&a); },
       {"a", "b", "c"}, {"b", "c"}},
      {"b registers d", [](FlushUnit* u, Flusher&, Flusher&, Flusher&, Flusher& d) { u->registerFlush(&d); },
       {"a", "b", "c", "d"}, {"a", "b", "c", "d"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> seen;
    Flusher a(&seen, "a"), b(&seen, "b"), cc(&seen, "c"), d(&seen, "d");
    for (Flusher* f : {&a, &b, &cc}) flushes->registerFlush(f);
    bool once = true;
    b.hook = [&] {
      if (once) c.during_b(flushes, a, b, cc, d);
      once = false;
    };
    log.clear();
    tasks->update(0.1f);
    EXPECT_EQ(seen, c.first_pass);
    // Changes from inside the pass are reported, and still act at once.
    EXPECT_EQ(log.entries("rk::flush::FlushUnit::removeFlush") + log.entries("rk::flush::FlushUnit::registerFlush"), 1u);
    seen.clear();
    tasks->update(0.1f);
    EXPECT_EQ(seen, c.second_pass);
    for (Flusher* f : {&a, &b, &cc, &d}) flushes->removeFlush(f);
  }
}

TEST_F(Units, SyncObjectRemovingItselfAndTheNextDuringThePass) {
  Syncer a(&calls, "a"), b(&calls, "b"), c(&calls, "c"), d(&calls, "d");
  for (Syncer* s : {&a, &b, &c, &d}) syncs->addSync(s);
  b.hook = [&] {
    syncs->removeSync(&b);
    syncs->removeSync(&c);
  };
  tasks->update(0.1f);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "b", "d"}));
  calls.clear();
  tasks->update(0.1f);
  EXPECT_EQ(calls, (std::vector<std::string>{"a", "d"}));
}

TEST_F(Units, SingletonMisuseIsReported) {
  EXPECT_NE(FlushUnit::createInstance(), flushes);  // reported; the old one stays a task
  EXPECT_EQ(log.entries("rk::flush::FlushUnit::createInstance"), 1u);
  SyncUnit::createInstance();
  EXPECT_EQ(log.entries("rk::flush::SyncUnit::createInstance"), 1u);
  FlushUnit::destroyInstance();
  SyncUnit::destroyInstance();
  EXPECT_EQ(FlushUnit::getInstance(), nullptr);
  EXPECT_EQ(log.entries("rk::flush::FlushUnit::getInstance"), 1u);
  // The replaced units are still tasks; the manager's sweep deletes them.
}

TEST_F(Units, TaskManagerSweepLeavesNoDanglingSlot) {
  tasks->deleteTasks(false);
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::FlushUnit));
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::SyncUnit));
}

}  // namespace
