// The controller and actor managers in the framework's start-up, frame update
// and shut-down.
#include <gtest/gtest.h>

#include "actor/rk_actor.h"
#include "ctrl/rk_controller.h"
#include "host/clock.h"
#include "host/input.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

// Records the frames in which it runs.
class CountingComponent : public rk::actor::ActorComponent {
 public:
  explicit CountingComponent(rk::actor::Actor* owner) : ActorComponent(owner, 1) {}
  bool readyCheck() override { return true; }
  bool runStep(float) override {
    ++runs;
    return false;
  }
  int runs = 0;
};

TEST(FrameworkWiring, ManagersComeUpAreUpdatedEachFrameAndGoDown) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::startupFramework();
  ASSERT_TRUE(rk::singletonExists(rk::InstanceSlot::ControllerManager));
  ASSERT_TRUE(rk::singletonExists(rk::InstanceSlot::ActorManager));

  auto* controllers = rk::controller::ControllerManager::getInstance();
  EXPECT_EQ(controllers->getPlayerNum(), 0u);
  controllers->setPlayerNum(1);
  host::input::PadState pad;
  pad.gamepad.buttons = host::input::XINPUT_GAMEPAD_A;
  host::input::injectState(0, pad);
  for (unsigned i = 1; i < host::input::kPadCount; ++i) host::input::injectDisconnected(i);

  rk::policy::SharedPtr<rk::actor::Actor> actor(new rk::actor::Actor);
  actor->initialize();
  rk::policy::SharedPtr<CountingComponent> component(new CountingComponent(actor.get()));
  actor->pushComponent(component.get());
  rk::actor::ActorManager::getInstance()->add(0, actor.get());

  rk::updateFramework(1.0f / 60);
  rk::updateFramework(1.0f / 60);
  EXPECT_EQ(component->runs, 2);
  EXPECT_EQ(controllers->getController(0)->state().buttons, 1u);
  // The end of the frame copied the system controller's state.
  EXPECT_EQ(controllers->getSystemController()->state().prev_buttons, 1u);

  rk::DeviceContext::getInstance()->shutdown();
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::ControllerManager));
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::ActorManager));
  EXPECT_FALSE(actor->isUse());  // shut-down takes every actor out of use
  EXPECT_TRUE(log.empty()) << log.text();
  host::input::clearInjectedStates();
  host::clock::useManualClock(false);
}

}  // namespace
