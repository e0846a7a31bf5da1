#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace {

using rk::task::Task;
using rk::task::TaskManager;

std::vector<std::string> g_trace;

// A task that records its steps and runs an optional action in its update.
class Recorder : public Task {
 public:
  Recorder(int priority, const std::string& name, int initFrames = 0) : Task(priority, name), initFrames_(initFrames) {
    setActive(true);
  }
  ~Recorder() override { g_trace.push_back("~" + name()); }
  int initStep(float) override {
    g_trace.push_back("init " + name());
    return initFrames_-- > 0 ? 1 : 0;
  }
  void update(float) override {
    g_trace.push_back(name());
    if (action) action();
  }
  std::function<void()> action;

 private:
  int initFrames_;
};

class TaskManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_trace.clear();
    TaskManager::createInstance();
  }
  void TearDown() override {
    TaskManager::getInstance()->deleteTasks(true);
    TaskManager::destroyInstance();
  }
  // Runs one pass and returns the updates it made (init steps left out).
  std::vector<std::string> pass() {
    g_trace.clear();
    TaskManager::getInstance()->update(1.0f / 60);
    std::vector<std::string> updates;
    for (auto& s : g_trace)
      if (s.rfind("init ", 0) != 0) updates.push_back(s);
    return updates;
  }
  using V = std::vector<std::string>;
};

TEST_F(TaskManagerTest, AscendingPriorityThenInsertionOrder) {
  new Recorder(5, "b1");
  new Recorder(-1, "neg");
  new Recorder(5, "b2");
  new Recorder(2, "a");
  EXPECT_EQ(pass(), (V{"neg", "a", "b1", "b2"}));
}

TEST_F(TaskManagerTest, TaskAddedDuringPassStartsNextPass) {
  auto* parent = new Recorder(1, "parent");
  parent->action = [&] {
    new Recorder(0, "child");
    parent->action = nullptr;
  };
  EXPECT_EQ(pass(), (V{"parent"}));
  g_trace.clear();
  TaskManager::getInstance()->update(0);
  EXPECT_EQ(g_trace, (V{"init child", "child", "parent"}));
}

TEST_F(TaskManagerTest, DeadTaskIsDeletedAfterTheOthersRan) {
  auto* dying = new Recorder(1, "dying");
  new Recorder(2, "after");
  dying->action = [&] { dying->setAlive(false); };
  EXPECT_EQ(pass(), (V{"dying", "after", "~dying"}));
  EXPECT_EQ(pass(), (V{"after"}));
}

TEST_F(TaskManagerTest, TaskDeletedByAnotherDuringThePassIsSkipped) {
  auto* killer = new Recorder(1, "killer");
  auto* victim = new Recorder(2, "victim");
  new Recorder(3, "last");
  killer->action = [&] {
    delete victim;
    killer->action = nullptr;
  };
  EXPECT_EQ(pass(), (V{"killer", "~victim", "last"}));
  EXPECT_EQ(TaskManager::getInstance()->tasks().size(), 2u);
}

TEST_F(TaskManagerTest, InitialisationGatesUpdatesAndNotAliveTasksWaitForIt) {
  auto* slow = new Recorder(1, "slow", 2);
  slow->setAlive(false);  // not removed while it is still initialising
  g_trace.clear();
  TaskManager::getInstance()->update(0);
  TaskManager::getInstance()->update(0);
  EXPECT_EQ(g_trace, (V{"init slow", "init slow"}));
  g_trace.clear();
  TaskManager::getInstance()->update(0);
  EXPECT_EQ(g_trace, (V{"init slow", "slow", "~slow"}));
}

TEST_F(TaskManagerTest, WaitSkipsUpdatesAndPausedTasksStayUninitialised) {
  auto* waiting = new Recorder(1, "waiting");
  waiting->setWait(3);
  auto* paused = new Recorder(2, "paused");
  paused->setPaused(true);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pass(), V{});
  EXPECT_EQ(pass(), (V{"waiting"}));
  EXPECT_FALSE(paused->isInitialised());
  EXPECT_EQ(waiting->wait(), 0);
}

TEST_F(TaskManagerTest, SetPauseHitsOnlyRunningTasksOfThatPriority) {
  new Recorder(4, "script1");
  new Recorder(5, "other");
  pass();
  TaskManager::getInstance()->setPause(4, true);
  new Recorder(4, "script2");  // pending: not paused
  EXPECT_EQ(pass(), (V{"script2", "other"}));
}

TEST_F(TaskManagerTest, NormalPauseRunsOnlyLowPrioritiesAndRequestsWaitForNextPass) {
  new Recorder(-3, "neg");
  new Recorder(3, "three");
  auto* four = new Recorder(4, "four");
  four->action = [&] { TaskManager::getInstance()->setNormalPause(true); };
  EXPECT_EQ(pass(), (V{"neg", "three", "four"}));
  EXPECT_FALSE(TaskManager::getInstance()->isNormalPause());
  four->action = nullptr;
  EXPECT_EQ(pass(), (V{"neg", "three"}));
  EXPECT_TRUE(TaskManager::getInstance()->isNormalPause());
  TaskManager::getInstance()->setNormalPause(false);
  EXPECT_EQ(pass(), (V{"neg", "three", "four"}));
}

class Owned : public Recorder {
 public:
  using Recorder::Recorder;
  bool isOwnedElsewhere() override { return true; }
};

TEST_F(TaskManagerTest, ShutDownPassesSpareTasksOwnedElsewhereUntilTheSecond) {
  new Recorder(1, "plain");
  new Owned(2, "owned");
  g_trace.clear();
  TaskManager::getInstance()->deleteTasks(false);
  EXPECT_EQ(g_trace, (V{"~plain"}));
  TaskManager::getInstance()->deleteTasks(true);
  EXPECT_EQ(g_trace, (V{"~plain", "~owned"}));
  EXPECT_TRUE(TaskManager::getInstance()->tasks().empty());
}

class ScriptLike : public Recorder {
 public:
  using Recorder::Recorder;
  bool isScriptTask() override { return true; }
};

TEST_F(TaskManagerTest, FindCurrentScriptTaskPrefersPending) {
  auto* running = new ScriptLike(4, "running");
  EXPECT_EQ(TaskManager::getInstance()->findCurrentScriptTask(), running);
  Task* found = nullptr;
  running->action = [&] {
    auto* fresh = new ScriptLike(9, "fresh");
    found = TaskManager::getInstance()->findCurrentScriptTask();
    EXPECT_EQ(found, fresh);
    running->action = nullptr;
  };
  pass();
  EXPECT_NE(found, nullptr);
}

// A task whose memory outlives its deletion: each delete is counted and the
// bytes are kept as they were then, so a second delete or a write into a
// deleted task shows instead of passing unnoticed.
class Kept : public Recorder {
 public:
  using Recorder::Recorder;
  std::function<int()> onInit;
  int initStep(float dt) override { return onInit ? onInit() : Recorder::initStep(dt); }

  static void operator delete(void* p, std::size_t size) {
    Grave& grave = graves()[p];
    ++grave.deletes;
    grave.bytes.assign(static_cast<unsigned char*>(p), static_cast<unsigned char*>(p) + size);
  }
  struct Grave {
    int deletes = 0;
    std::vector<unsigned char> bytes;
  };
  static std::map<void*, Grave>& graves() {
    static std::map<void*, Grave> all;
    return all;
  }
  // Frees the kept memory; true when every kept task was deleted once and left alone since.
  static bool buryAll() {
    bool clean = true;
    for (auto& [p, grave] : graves()) {
      clean = clean && grave.deletes == 1 && std::memcmp(p, grave.bytes.data(), grave.bytes.size()) == 0;
      ::operator delete(p);
    }
    graves().clear();
    return clean;
  }
};

TEST_F(TaskManagerTest, EveryTaskIsDeletedOnceAndNeverTouchedAfterwards) {
  // A task that ended its own life is deleted later in the same pass by another.
  auto* dying = new Kept(1, "dying");
  dying->action = [&] { dying->setAlive(false); };
  auto* killer = new Recorder(2, "killer");
  killer->action = [&] {
    delete dying;
    killer->action = nullptr;
  };
  // An initialisation step that deletes its own task and reports it ready.
  auto* selfDeleting = new Kept(3, "self");
  selfDeleting->onInit = [&] {
    delete selfDeleting;
    return 0;
  };
  // A dead task whose destructor deletes another dead one of the same pass.
  auto* child = new Kept(5, "child");
  child->action = [&] { child->setAlive(false); };
  auto* parent = new Kept(4, "parent");
  parent->action = [&] { parent->setAlive(false); };
  struct Owner : Kept {
    using Kept::Kept;
    Task* owned = nullptr;
    ~Owner() override { delete owned; }
  };
  auto* owner = new Owner(4, "owner");
  owner->owned = child;
  owner->action = [&] { owner->setAlive(false); };
  new Recorder(9, "last");

  EXPECT_EQ(pass(), (V{"dying", "killer", "~dying", "~self", "parent", "owner", "child", "last", "~parent", "~child",
                       "~owner"}));
  EXPECT_EQ(pass(), (V{"killer", "last"}));
  EXPECT_TRUE(Kept::buryAll());
}

TEST(TaskWithoutManager, ConstructionReports) {
  rktest::ErrorLogCapture log;
  Recorder orphan(1, "orphan");
  EXPECT_EQ(log.entries("rk::task::TaskManager::getInstance"), 1u);
  EXPECT_NE(log.text().find("src/task/rk_task(138)\n"), std::string::npos);
}

}  // namespace
