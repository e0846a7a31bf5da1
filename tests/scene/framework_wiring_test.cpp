// The scene's per-frame services inside the framework: made by start-up, run
// by the frame update, and gone after shut-down with whatever they still hold.
#include <gtest/gtest.h>

#include "flush/rk_flush_unit.h"
#include "flush/rk_sync_unit.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_model.h"
#include "gfx/rk_wipe_manager.h"
#include "host/clock.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_framework.h"
#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_stopwatch.h"
#include "support/error_log_capture.h"

namespace {

using rk::InstanceSlot;

// A sphere model that tells when it is deleted.
struct Marker : rk::gfx::SphereModel {
  explicit Marker(bool& deleted) : deleted_(deleted) {}
  ~Marker() override { deleted_ = true; }
  bool& deleted_;
};

struct Counter : rk::flush::IFlush, rk::policy::ISync {
  void flushProc(float) override { ++flushes; }
  void sync() override { ++syncs; }
  int flushes = 0, syncs = 0;
};

TEST(SceneWiring, StartUpMakesTheUnitsTheFrameRunsThemAndShutDownTakesThemAway) {
  rktest::ErrorLogCapture log;
  rktest::resetDeviceContext();
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::startupFramework();
  ASSERT_TRUE(rk::singletonExists(InstanceSlot::FlushUnit));
  ASSERT_TRUE(rk::singletonExists(InstanceSlot::SyncUnit));
  ASSERT_TRUE(rk::singletonExists(InstanceSlot::WipeManager));
  ASSERT_TRUE(rk::singletonExists(InstanceSlot::ModelManager));
  rk::task::Task* modelSync = rk::DeviceContext::getInstance()->windowConfig().model_sync_task;
  ASSERT_NE(modelSync, nullptr);
  EXPECT_EQ(modelSync->priority(), 138);
  EXPECT_TRUE(modelSync->isActive());
  bool markerDeleted = false;
  rk::gfx::ModelManager::getInstance()->addModel(new Marker(markerDeleted));  // left for shut-down

  Counter counter;
  rk::flush::FlushUnit::getInstance()->registerFlush(&counter);
  rk::flush::SyncUnit::getInstance()->addSync(&counter);
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
  camera->moveToEye({0, 0, 20, 0}, 10.0f);  // still running at shut-down
  camera->trackingAt({1, 0, 0, 0}, 1.0f);
  auto* wipe = new rk::gfx::WipeFadeOut(rk::gfx::Color(0, 0, 0, 1), 10.0f);
  rk::gfx::WipeManager::getInstance()->addWipe(wipe);

  rk::updateFramework(1.0f / 60.0f);
  rk::updateFramework(1.0f / 60.0f);
  EXPECT_EQ(counter.flushes, 2);
  EXPECT_EQ(counter.syncs, 2);
  EXPECT_TRUE(wipe->isStarted());
  EXPECT_GT(camera->eye().z, 10.0f);

  rk::flush::FlushUnit::getInstance()->removeFlush(&counter);
  rk::flush::SyncUnit::getInstance()->removeSync(&counter);
  rk::DeviceContext::getInstance()->shutdown();
  EXPECT_TRUE(markerDeleted);
  EXPECT_EQ(rk::DeviceContext::getInstance()->windowConfig().model_sync_task, nullptr);
  for (InstanceSlot slot : {InstanceSlot::FlushUnit, InstanceSlot::SyncUnit, InstanceSlot::WipeManager,
                            InstanceSlot::CameraManager, InstanceSlot::ModelManager, InstanceSlot::TaskManager})
    EXPECT_FALSE(rk::singletonExists(slot)) << static_cast<int>(slot);
  EXPECT_TRUE(log.empty()) << log.text();
  host::clock::useManualClock(false);
}

}  // namespace
