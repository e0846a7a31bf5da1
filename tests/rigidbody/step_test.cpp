// The physics step: the order of body operations, hooks and groups within a
// frame, the conditions that skip it, and its place in the framework.
#include <gtest/gtest.h>

#include "audio/rk_audio_context.h"
#include "host/clock.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_instance_table.h"
#include "physics_fixture.h"
#include "platform/driver/rk_stopwatch.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

using rktest::RecordingHooks;
using rktest::Trace;
using rktest::TraceGroup;
using rktest::v3;

class Step : public rktest::PhysicsFixture {};

TEST_F(Step, EachSubstepSetsUpTheBodiesRunsTheGroupsThenAdvancesTheBodies) {
  Trace trace;
  RecordingHooks hooksA(&trace, "a"), hooksB(&trace, "b"), hooksC(&trace, "c");
  hooksA.attach(*make<RigidBody>());
  hooksB.attach(*make<RigidBody>());
  hooksC.attach(*make<RigidBody>(false));  // not valid: no hook of it runs
  TraceGroup group(&trace);
  groups_->addCollisionGroup(&group);
  physics_->setCalcCount(2);
  physics_->update(0.5f);

  const Trace substep{"init:a", "init:b", "group", "const:a", "const:b", "exec:a", "execed:a", "exec:b", "execed:b"};
  Trace want{"start:a", "start:b"};
  want.insert(want.end(), substep.begin(), substep.end());
  want.insert(want.end(), substep.begin(), substep.end());
  want.insert(want.end(), {"sync:a", "flush:a", "sync:b", "flush:b"});
  EXPECT_EQ(trace, want);
  EXPECT_EQ(hooksA.last_dt, 0.25f);
}

TEST_F(Step, ATinyFrameTimeOrThePauseSkipsTheWholeStep) {
  Trace trace;
  RecordingHooks hooks(&trace, "a");
  RigidBody* body = make<RigidBody>();
  hooks.attach(*body);
  TraceGroup group(&trace);
  groups_->addCollisionGroup(&group);

  physics_->update(0.0f);
  physics_->update(-1.0e-7f);
  physics_->setPause(true);
  physics_->update(1.0f / 60);
  EXPECT_TRUE(trace.empty());
  EXPECT_EQ(body->getPosition().y, 0.0f);

  physics_->setPause(false);  // time does not pile up while paused
  physics_->setCalcCount(1);
  body->setGravity(v3(0, -1, 0));
  body->setLinearDamping(0);
  physics_->update(1.0f);
  EXPECT_FLOAT_EQ(body->getPosition().y, -0.5f);
}

// A hook that adds a sound entry at the step's start, as a hit handler would.
struct AddsEntry : rk::rigidbody::ISyncSimStart {
  void syncSimStart(RigidBody*) override {
    rk::audio::AudioContext::getInstance()->addEntrySE("hit", v3(1, 2, 3), 1, 0);
  }
};

TEST_F(Step, AStepThatRunsStartsTheSoundEntriesAfresh) {
  rk::audio::AudioContext* audio = rk::audio::AudioContext::getInstance();
  audio->clearEntrySE();
  audio->addEntrySE("before", v3(0, 0, 0), 1, 0);
  AddsEntry adds;
  make<RigidBody>()->setSyncSimStart(&adds);
  physics_->update(0.0f);
  physics_->setPause(true);
  physics_->update(1.0f / 60);
  ASSERT_EQ(audio->entrySE().size(), 1u);  // skipped steps keep what the scripts have not read

  physics_->setPause(false);
  physics_->update(1.0f / 60);
  ASSERT_EQ(audio->entrySE().size(), 1u);
  EXPECT_EQ(audio->entrySE()[0].name, "hit");
  audio->clearEntrySE();
}

TEST_F(Step, NoSubstepsRunOnlyTheStartAndTheFlush) {
  Trace trace;
  RecordingHooks hooks(&trace, "a");
  RigidBody* body = make<RigidBody>();
  hooks.attach(*body);
  TraceGroup group(&trace);
  groups_->addCollisionGroup(&group);
  physics_->setCalcCount(0);
  physics_->update(1.0f / 60);
  EXPECT_EQ(trace, (Trace{"start:a", "sync:a", "flush:a"}));
  EXPECT_EQ(body->getPosition().y, 0.0f);
}

// Between the body loops nothing walks the body list: a group may make and
// destroy bodies there without a report.
TEST_F(Step, AGroupMayMakeAndDestroyBodiesUnreported) {
  Trace trace;
  make<RigidBody>();
  RigidBody* doomed = make<RigidBody>();
  TraceGroup group(&trace);
  RigidBody* made = nullptr;
  group.onExec = [&] {
    if (made) return;
    drop(doomed);
    made = make<RigidBody>();
  };
  groups_->addCollisionGroup(&group);
  physics_->update(1.0f / 60);
  EXPECT_TRUE(log_.empty()) << log_.text();
  EXPECT_EQ(physics_->bodies().size(), 2u);
  EXPECT_EQ(physics_->bodies().back(), made);
}

TEST(StepWiring, TheFrameworkMakesThePhysicsTaskAtStartUpAndRemovesItAtShutDown) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::startupFramework();
  RigidBodyManager* physics = RigidBodyManager::findInstance();
  ASSERT_NE(physics, nullptr);
  const auto tasks = rk::task::TaskManager::getInstance()->tasks();
  EXPECT_NE(std::find(tasks.begin(), tasks.end(), physics), tasks.end());

  // A body steps with the task manager's frame.
  RigidBody* body = RigidBodyManager::create<RigidBody>();
  body->setValid(true);
  rk::task::TaskManager::getInstance()->update(1.0f / 60);
  EXPECT_LT(body->getPosition().y, 0.0f);

  rk::DeviceContext::getInstance()->shutdown();
  EXPECT_EQ(RigidBodyManager::findInstance(), nullptr);
  body->release("step_test", 1);  // after shut-down: leaves without a report
  EXPECT_TRUE(log.empty()) << log.text();
  host::clock::useManualClock(false);
}

}  // namespace
