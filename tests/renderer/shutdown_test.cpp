// The renderer in the framework's start-up and shut-down: the device is built
// on the game window in start-up and released late in shut-down, after the
// file manager and before the resource manager.
#include <gtest/gtest.h>

#include "host/clock.h"
#include "kernel/rk_framework.h"
#include "platform/driver/rk_stopwatch.h"
#include "policy/rk_counter_release.h"
#include "renderer_rig.h"

namespace rendertest {
namespace {

// Notes which managers still exist when the device's release drains it.
class Witness : public rk::policy::CounterRelease {
 public:
  explicit Witness(std::vector<std::string>* seen) : seen_(seen) {}
  void release() override {
    using rk::InstanceSlot;
    for (auto [slot, name] : {std::pair{InstanceSlot::FileManager, "files"},
                              std::pair{InstanceSlot::CameraManager, "cameras"},
                              std::pair{InstanceSlot::DeviceLostNotifyManager, "lost notify"},
                              std::pair{InstanceSlot::ResourceManager, "resources"}})
      if (rk::singletonExists(slot)) seen_->push_back(name);
  }

 private:
  std::vector<std::string>* seen_;
};

class FrameworkDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(data.path());
    ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
    gpu::setAdapterList(gpu::traceAdapterList());
    host::clock::useManualClock(true);
    rk::driver::StopWatchImpl::resetSharedStateForTests();
  }
  void TearDown() override {
    context->setWindowHandle(nullptr);
    if (window) host::ui::destroyWindow(window);
    host::clock::useManualClock(false);
    gpu::resetAdapterList();
  }

  rktest::ErrorLogCapture log;
  rktest::TempDir data;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  host::ui::Window* window = nullptr;
};

TEST_F(FrameworkDevice, StartUpBuildsTheDeviceOnTheWindowAndShutDownReleasesItLate) {
  window = host::ui::createWindow("FrameworkDevice", "device", context->windowStyle(), 64, 48, nullptr);
  context->setWindowHandle(window);
  context->setScreenSize(64, 48);
  rk::startupFramework();
  ASSERT_NE(context->getDevice(), nullptr);
  EXPECT_NE(rk::gfx::LightManager::getInstance(), nullptr);
  EXPECT_NE(rk::gfx::GfxListManager::getInstance(), nullptr);
  rk::gfx::CameraManager::getInstance()->createCamera(0);
  context->drawFrame();
  EXPECT_EQ(context->getDevice()->trace()->presents, 1u);

  std::vector<std::string> seen;
  context->addDeferredRelease(new Witness(&seen));
  context->shutdown();
  EXPECT_EQ(seen, std::vector<std::string>{"resources"});
  EXPECT_EQ(context->getDevice(), nullptr);
  EXPECT_EQ(context->swapChain(), nullptr);
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::LightManager));
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::GfxListManager));
  EXPECT_FALSE(rk::singletonExists(rk::InstanceSlot::ResourceManager));
  context->drawFrame();  // after shut-down a frame draws nothing
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(FrameworkDevice, AStartUpWithoutAWindowMakesNoDevice) {
  rk::startupFramework();
  EXPECT_EQ(context->getDevice(), nullptr);
  context->drawFrame();
  context->shutdown();
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace rendertest
