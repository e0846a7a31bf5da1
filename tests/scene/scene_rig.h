// A task manager and a camera manager, the least the camera movers, link
// cameras and wipes need; frames are task passes of a fixed step.
#pragma once
#include <gtest/gtest.h>

#include "gfx/rk_camera.h"
#include "kernel/rk_instance_table.h"
#include "support/error_log_capture.h"
#include "task/rk_task.h"

namespace scenetest {

class SceneRig : public ::testing::Test {
 protected:
  void SetUp() override {
    tasks = rk::task::TaskManager::createInstance();
    cameras = rk::gfx::CameraManager::createInstance();
  }
  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::CameraManager)) rk::gfx::CameraManager::destroyInstance();
    tasks->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }
  void frames(int count, float dt = 1.0f / 60.0f) {
    for (int i = 0; i < count; ++i) tasks->update(dt);
  }

  rktest::ErrorLogCapture log;
  rk::task::TaskManager* tasks = nullptr;
  rk::gfx::CameraManager* cameras = nullptr;
};

}  // namespace scenetest
