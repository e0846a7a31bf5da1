// Counters and the counter manager: sharing by name, the last release, time
// accumulation through the task manager, clones, and shut-down.
#include <gtest/gtest.h>

#include <algorithm>

#include "kernel/rk_instance_table.h"
#include "math/rk_counter_manager.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

using rk::math::Counter;
using rk::math::CounterManager;
using rk::task::TaskManager;

namespace {

class CounterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TaskManager::createInstance();
    manager_ = CounterManager::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::CounterManager)) CounterManager::destroyInstance();
    TaskManager::getInstance()->deleteTasks(true);
    TaskManager::destroyInstance();
  }
  static bool scheduled(Counter* c) {
    auto tasks = TaskManager::getInstance()->tasks();
    return std::find(tasks.begin(), tasks.end(), static_cast<rk::task::Task*>(c)) != tasks.end();
  }
  static void frames(int count) {
    for (int i = 0; i < count; ++i) TaskManager::getInstance()->update(1.0f / 60);
  }

  rktest::ErrorLogCapture log_;
  CounterManager* manager_ = nullptr;
};

TEST_F(CounterTest, SameNameSharesOneCounterUntilTheLastRelease) {
  Counter* a = manager_->getCounter(10, "wave");
  Counter* b = manager_->getCounter(10, "wave");
  ASSERT_EQ(a, b);
  EXPECT_EQ(a->count(), 2);
  EXPECT_EQ(a->kind(), 10);
  EXPECT_FALSE(a->isRunning());

  EXPECT_EQ(manager_->getCounter(20, "wave"), a);  // found by name: keeps kind 10
  EXPECT_EQ(a->kind(), 10);
  a->release("test", 1);
  a->release("test", 2);
  EXPECT_EQ(manager_->size(), 1u);
  EXPECT_TRUE(scheduled(a));

  a->release("test", 3);
  EXPECT_EQ(manager_->size(), 0u);
  EXPECT_TRUE(TaskManager::getInstance()->tasks().empty());
  Counter* fresh = manager_->getCounter(30, "wave");
  EXPECT_EQ(fresh->kind(), 30);
  EXPECT_EQ(fresh->count(), 1);
  fresh->release("test", 4);
  EXPECT_TRUE(log_.empty());
}

TEST_F(CounterTest, EmptyOrAbsentNamesAreNeverShared) {
  Counter* a = manager_->getCounter(1, "");
  Counter* b = manager_->getCounter(1, "");
  Counter* c = manager_->getCounter(1, nullptr);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(c->name(), "");
  EXPECT_EQ(manager_->size(), 3u);
  b->release("test", 1);
  EXPECT_EQ(manager_->size(), 2u);
  a->release("test", 2);
  c->release("test", 3);
  EXPECT_EQ(manager_->size(), 0u);
  EXPECT_TRUE(log_.empty());
}

// "ab" and "ba" fall under the same name key; each keeps its own counter.
TEST_F(CounterTest, NamesSharingAKeyStayApart) {
  ASSERT_EQ(rk::res::nameKey("ab"), rk::res::nameKey("ba"));
  Counter* ab = manager_->getCounter(1, "ab");
  Counter* ba = manager_->getCounter(1, "ba");
  EXPECT_NE(ab, ba);
  ab->release("test", 1);
  Counter* again = manager_->getCounter(1, "ba");
  EXPECT_EQ(again, ba);
  again->release("test", 2);
  ba->release("test", 3);
  EXPECT_EQ(manager_->size(), 0u);
}

TEST_F(CounterTest, RunningCounterAccumulatesScaledFrameTime) {
  Counter* c = manager_->getCounter(5, "clock");
  frames(10);
  EXPECT_EQ(c->value(), 0.0f);  // created stopped
  c->setRate(0.5f);
  c->start();
  frames(60);
  EXPECT_NEAR(c->value(), 0.5f, 1e-5f);
  c->stop();
  frames(5);
  EXPECT_NEAR(c->value(), 0.5f, 1e-5f);
  c->reset();
  EXPECT_EQ(c->value(), 0.0f);
  c->release("test", 1);
}

TEST_F(CounterTest, CloneIsStoppedUnnamedWithTheSameValueAndRate) {
  Counter* source = manager_->getCounter(7, "src");
  source->setValue(3.0f);
  source->setRate(0.5f);
  source->start();
  Counter* copy = source->clone();
  ASSERT_NE(copy, source);
  EXPECT_FALSE(copy->isRunning());
  EXPECT_EQ(copy->value(), 3.0f);
  EXPECT_EQ(copy->rate(), 0.5f);
  EXPECT_EQ(copy->name(), "");
  EXPECT_EQ(copy->kind(), 7);
  EXPECT_EQ(copy->count(), 1);
  copy->release("test", 1);
  source->release("test", 2);
}

// Holders own counters: the first shut-down pass keeps them, the last one
// deletes what is left and the map forgets it.
TEST_F(CounterTest, ShutDownPassesAndAManagerThatIsGone) {
  Counter* held = manager_->getCounter(1, "held");
  TaskManager::getInstance()->deleteTasks(false);
  EXPECT_TRUE(scheduled(held));
  TaskManager::getInstance()->deleteTasks(true);
  EXPECT_EQ(manager_->size(), 0u);

  Counter* outliving = manager_->getCounter(1, "late");
  CounterManager::destroyInstance();
  outliving->release("test", 1);  // no manager to leave: just deleted
  EXPECT_TRUE(log_.empty());
}

TEST_F(CounterTest, MisuseIsReported) {
  Counter* orphan = manager_->getCounter(1, "orphan");
  CounterManager::destroyInstance();
  EXPECT_EQ(CounterManager::getInstance(), nullptr);
  EXPECT_EQ(orphan->clone(), nullptr);
  EXPECT_EQ(log_.entries("rk::math::CounterManager::getInstance"), 2u);

  CounterManager::createInstance();
  orphan->release("test", 1);  // its name is missing from the new map
  EXPECT_EQ(log_.entries("rk::math::CounterManager::Impl::removeCounter"), 1u);
}

}  // namespace
