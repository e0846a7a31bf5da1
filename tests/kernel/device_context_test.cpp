// The device context's kernel side: its slots and the framework's shut-down order.
#include <gtest/gtest.h>

#include "framework_test_support.h"
#include "host/clock.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rk::InstanceSlot;

TEST(DeviceContext, ExistsBeforeMainInBothSlots) {
  void* slot11 = rk::instanceSlot(InstanceSlot::DeviceContextStatic);
  ASSERT_NE(slot11, nullptr);
  EXPECT_EQ(slot11, rk::instanceSlot(InstanceSlot::DeviceContext));
  EXPECT_EQ(rk::DeviceContext::getInstance(), slot11);
  EXPECT_DOUBLE_EQ(rk::DeviceContext::getInstance()->frameStep(), 1.0 / 60.0);
}

// Records which managers still exist when it is deleted.
class WitnessTask : public rk::task::Task {
 public:
  WitnessTask(bool ownedElsewhere, bool* sawFileManager)
      : Task(10, "witness"), owned_elsewhere_(ownedElsewhere), saw_(sawFileManager) {}
  ~WitnessTask() override { *saw_ = rk::singletonExists(InstanceSlot::FileManager); }
  bool isOwnedElsewhere() override { return owned_elsewhere_; }
  void update(float) override {}

 private:
  bool owned_elsewhere_;
  bool* saw_;
};

TEST(DeviceContext, ShutdownDeletesTasksOwnedElsewhereOnlyInTheSecondPass) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::startupFramework();
  bool plainSawFiles = false, elsewhereSawFiles = true;
  new WitnessTask(false, &plainSawFiles);
  new WitnessTask(true, &elsewhereSawFiles);

  rk::DeviceContext::getInstance()->shutdown();
  // The first pass runs before the file manager goes, the second after it.
  EXPECT_TRUE(plainSawFiles);
  EXPECT_FALSE(elsewhereSawFiles);
  EXPECT_EQ(rk::DeviceContext::getInstance()->stopWatch(), nullptr);
  EXPECT_FALSE(rk::singletonExists(InstanceSlot::TaskManager));
  EXPECT_FALSE(rk::singletonExists(InstanceSlot::ResourceManager));
  EXPECT_TRUE(log.empty()) << log.text();
  host::clock::useManualClock(false);
}

TEST(DeviceContext, ScreenSizeAppliesTheWindowMode) {
  rktest::resetDeviceContext();
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  context->setScreenSize(800, 600);  // no window yet: only stored
  EXPECT_EQ(context->screenWidth(), 800u);
  EXPECT_EQ(context->screenHeight(), 600u);

  host::ui::Window* window = host::ui::createWindow("ScreenSize", "size", context->windowStyle(), 64, 64, nullptr);
  context->setWindowHandle(window);
  int w = 0, h = 0, desktopW = 0, desktopH = 0;
  context->setWindowed(false);
  context->setScreenSize(640, 480);
  host::ui::clientSize(window, &w, &h);
  host::ui::desktopSize(&desktopW, &desktopH);
  EXPECT_EQ(host::ui::windowStyle(window), host::ui::WS_POPUP | host::ui::WS_VISIBLE);
  EXPECT_EQ(w, desktopW);
  EXPECT_EQ(h, desktopH);
  EXPECT_EQ(context->screenWidth(), 640u);  // the size is kept for windowed mode

  context->setWindowed(true);
  context->setScreenSize(640, 480);
  host::ui::clientSize(window, &w, &h);
  EXPECT_EQ(host::ui::windowStyle(window), context->windowStyle());
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  host::ui::destroyWindow(window);
  rktest::resetDeviceContext();
}

}  // namespace
