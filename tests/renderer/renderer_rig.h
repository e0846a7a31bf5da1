// Test rig for the renderer: a data folder holding the shader pack as the
// current directory, the resource and file managers, an offscreen game window,
// the trace adapter list and the scene managers the frame draw looks for. The
// device context itself is the process's static one; the rig releases its
// device, listeners and injections again when the test ends.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fs/rk_file_manager.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_manager.h"
#include "gfx/rk_light.h"
#include "host/gpu.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_resource.h"
#include "task/rk_task.h"
#include "support/error_log_capture.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"

namespace rendertest {

namespace gpu = host::gpu;

struct Box {
  std::string text, caption;
  unsigned type;
};

class RendererRig : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(data.path());
    gpu::setAdapterList(gpu::traceAdapterList());
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned type) {
      boxes.push_back({text, caption, type});
      return host::ui::IDOK;
    });
    rk::fs::FileManager::createInstance(rk::res::ResourceManager::createInstance());
    window = host::ui::createWindow("RendererTest", "renderer", context->windowStyle(), kWidth, kHeight, nullptr);
    context->setWindowHandle(window);
    context->setScreenSize(kWidth, kHeight);
  }

  void TearDown() override {
    gpu::clearInjectedCallFailures();
    gpu::clearInjectedPresentResults();
    context->shutdownFence();
    context->releaseDevice(false);
    context->setClearColor(rk::gfx::Color(0.0f, 0.0f, 32.0f / 255.0f, 1.0f));
    for (rk::InstanceSlot slot :
         {rk::InstanceSlot::CameraManager, rk::InstanceSlot::LightManager, rk::InstanceSlot::GfxListManager}) {
      if (!rk::singletonExists(slot)) continue;
      if (slot == rk::InstanceSlot::CameraManager) rk::gfx::CameraManager::destroyInstance();
      if (slot == rk::InstanceSlot::LightManager) rk::gfx::LightManager::destroyInstance();
      if (slot == rk::InstanceSlot::GfxListManager) rk::gfx::GfxListManager::destroyInstance();
    }
    if (rk::singletonExists(rk::InstanceSlot::TaskManager)) {
      rk::task::TaskManager::getInstance()->deleteTasks(true);
      rk::task::TaskManager::destroyInstance();
    }
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    context->setWindowHandle(nullptr);
    host::ui::destroyWindow(window);
    host::ui::setMessageBoxSink(nullptr);
    gpu::resetAdapterList();
  }

  // Writes the shader pack (all shaders unless told otherwise) and builds the device.
  void buildDevice(const rktest::PackSources& shaders = rktest::shaderSources()) {
    ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp"), shaders));
    context->initDevice();
  }
  // The managers every frame draw needs, and the device.
  void buildScene() {
    // Cameras make their mover tasks.
    if (!rk::singletonExists(rk::InstanceSlot::TaskManager)) rk::task::TaskManager::createInstance();
    rk::gfx::LightManager::createInstance();
    rk::gfx::CameraManager::createInstance();
    rk::gfx::GfxListManager::createInstance();
    buildDevice();
  }

  gpu::Trace* trace() const { return context->getDevice() ? context->getDevice()->trace() : nullptr; }

  // The names of the lists whose commands the trace holds, each once, in order.
  std::vector<std::string> executedLists() const {
    std::vector<std::string> names;
    for (const gpu::TraceEntry& e : trace()->entries)
      if (e.kind == gpu::TraceEntry::ListCommand && (names.empty() || names.back() != e.list)) names.push_back(e.list);
    return names;
  }
  // The commands of one list in the trace.
  std::vector<gpu::Command> commandsOf(const std::string& list) const {
    std::vector<gpu::Command> out;
    for (const gpu::TraceEntry& e : trace()->entries)
      if (e.kind == gpu::TraceEntry::ListCommand && e.list == list) out.push_back(e.command);
    return out;
  }

  rktest::ErrorLogCapture log;
  rktest::TempDir data;  // the current directory: the data folder
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  host::ui::Window* window = nullptr;
  std::vector<Box> boxes;
};

// The name text of an HrException ("...\n name = <text>").
inline std::string nameOf(const HrException& e) {
  const std::string what = e.what();
  const std::size_t at = what.find(" name = ");
  return at == std::string::npos ? std::string() : what.substr(at + 8);
}

template <class T>
const T* as(const gpu::Command& command) {
  return std::get_if<T>(&command);
}

}  // namespace rendertest
