// The collision-group manager, groups built on the template, and the
// manager's place in the framework's start-up and shut-down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "col/col_expect.h"
#include "col/rk_collision_group.h"
#include "col/rk_intersection.h"
#include "host/clock.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rk::collision::CollisionGroupManager;
using rk::collision::ICollisionExec;
using rk::collision::Sphere;
using rk::math::Vector4;
using rktest::v3;

std::vector<std::string> g_runs;

class NamedGroup : public rk::collision::CollisionGroup<void, void> {
 public:
  explicit NamedGroup(std::string name) : name_(std::move(name)) {}
  void exec() override { g_runs.push_back(name_); }

 private:
  std::string name_;
};

// A group as the game builds them: two lists of spheres, every pair tested,
// each hit handed to a handler.
struct Hit {
  const Sphere* a;
  const Sphere* b;
  Vector4 normal;
};

class SphereHitGroup : public rk::collision::CollisionGroup<std::vector<Sphere*>, std::vector<Sphere*>> {
 public:
  SphereHitGroup(std::vector<Sphere*>* a, std::vector<Sphere*>* b) {
    setGroupA(a);
    setGroupB(b);
  }
  void exec() override {
    for (Sphere* a : *group_a_)
      for (Sphere* b : *group_b_) {
        Vector4 n, pa, pb;
        if (rk::collision::checkSphereSphere(n, pa, pb, *a, *b)) hits.push_back({a, b, n});
      }
  }
  std::vector<Hit> hits;
};

class CollisionGroupManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_runs.clear();
    manager_ = CollisionGroupManager::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::CollisionGroupManager)) CollisionGroupManager::destroyInstance();
  }
  std::vector<std::string> step() {
    g_runs.clear();
    manager_->execGroups();
    return g_runs;
  }

  rktest::ErrorLogCapture log_;
  CollisionGroupManager* manager_ = nullptr;
};

using Runs = std::vector<std::string>;

TEST_F(CollisionGroupManagerTest, GroupsRunOncePerPassInRegistrationOrderWithoutDuplicates) {
  NamedGroup a("A"), b("B");
  manager_->addCollisionGroup(&a);
  manager_->addCollisionGroup(&b);
  manager_->addCollisionGroup(&a);
  EXPECT_EQ(step(), (Runs{"A", "B"}));
  manager_->removeCollisionGroup(&a);
  EXPECT_EQ(step(), (Runs{"B"}));
  manager_->addCollisionGroup(&a);
  EXPECT_EQ(step(), (Runs{"B", "A"}));
  manager_->addCollisionGroup(nullptr);  // nothing the pass could run
  manager_->removeCollisionGroup(nullptr);
  EXPECT_EQ(manager_->getGroups().size(), 2u);

  manager_->clearCollisionGroup();
  EXPECT_EQ(step(), Runs{});
  manager_->addCollisionGroup(&a);  // cleared groups can come back
  EXPECT_EQ(step(), (Runs{"A"}));
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(CollisionGroupManagerTest, ADestroyedGroupLeavesTheListByItself) {
  NamedGroup a("A"), c("C");
  auto* b = new NamedGroup("B");
  auto* unlisted = new NamedGroup("U");
  manager_->addCollisionGroup(&a);
  manager_->addCollisionGroup(b);
  manager_->addCollisionGroup(&c);
  delete b;
  EXPECT_EQ(step(), (Runs{"A", "C"}));
  delete unlisted;
  EXPECT_EQ(step(), (Runs{"A", "C"}));
}

TEST_F(CollisionGroupManagerTest, GroupsOutliveTheManagerSilently) {
  NamedGroup a("A");
  manager_->addCollisionGroup(&a);
  CollisionGroupManager::destroyInstance();  // registered groups are not touched
  {
    NamedGroup late("late");
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(CollisionGroupManagerTest, MisuseOfTheSingletonIsReported) {
  CollisionGroupManager* first = manager_;
  NamedGroup a("A");
  first->addCollisionGroup(&a);
  CollisionGroupManager* second = CollisionGroupManager::createInstance();
  EXPECT_EQ(log_.entries("rk::collision::CollisionGroupManager::createInstance"), 1u);
  EXPECT_NE(second, first);
  EXPECT_EQ(CollisionGroupManager::getInstance(), second);
  EXPECT_TRUE(second->getGroups().empty());
  delete first;  // the replaced manager is the caller's to free

  CollisionGroupManager::destroyInstance();
  EXPECT_EQ(CollisionGroupManager::getInstance(), nullptr);
  EXPECT_EQ(CollisionGroupManager::findInstance(), nullptr);
  EXPECT_EQ(log_.entries("rk::collision::CollisionGroupManager::getInstance"), 1u);
  EXPECT_NE(log_.text().find("src/col/rk_collision_group(75)"), std::string::npos) << log_.text();
}

TEST_F(CollisionGroupManagerTest, PairGroupsHandEveryHitToTheirHandler) {
  Sphere a0(v3(0, 0, 0), 1), a1(v3(10, 0, 0), 1);
  Sphere b0(v3(1.5f, 0, 0), 1), b1(v3(10, 1, 0), 1), b2(v3(50, 0, 0), 1);
  std::vector<Sphere*> sideA{&a0, &a1}, sideB{&b0, &b1, &b2};
  SphereHitGroup group(&sideA, &sideB);
  manager_->execGroups();
  EXPECT_TRUE(group.hits.empty());  // not registered: does nothing

  manager_->addCollisionGroup(&group);
  manager_->execGroups();
  ASSERT_EQ(group.hits.size(), 2u);
  EXPECT_EQ(group.hits[0].a, &a0);
  EXPECT_EQ(group.hits[0].b, &b0);
  EXPECT_TRUE(rktest::nearVector(group.hits[0].normal, v3(-1, 0, 0), 1e-6f));
  EXPECT_EQ(group.hits[1].a, &a1);
  EXPECT_EQ(group.hits[1].b, &b1);
  EXPECT_TRUE(rktest::nearVector(group.hits[1].normal, v3(0, -1, 0), 1e-6f));
}

TEST(CollisionGroupWiring, TheFrameworkMakesTheManagerAtStartUpAndFreesItAtShutDown) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::startupFramework();
  ASSERT_NE(CollisionGroupManager::findInstance(), nullptr);
  NamedGroup a("A");
  CollisionGroupManager::getInstance()->addCollisionGroup(&a);

  rk::DeviceContext::getInstance()->shutdown();
  EXPECT_EQ(CollisionGroupManager::findInstance(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
  host::clock::useManualClock(false);
}

}  // namespace
