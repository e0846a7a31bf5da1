// A device context on the OpenGL back end with an offscreen window, for tests
// that read back what the framework drew: the overlay list is begun, the test
// draws, and readBack executes the list and copies the back buffer out.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fs/rk_file_manager.h"
#include "host/gpu.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"
#include "support/back_buffer.h"

namespace fonttest {

namespace gpu = host::gpu;

class GlScreen : public ::testing::Test {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 96;

  void SetUp() override {
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(data.path());
    gpu::resetAdapterList();
    host::ui::setMessageBoxSink([](const std::string&, const std::string&, unsigned) { return host::ui::IDOK; });
    rk::fs::FileManager::createInstance(rk::res::ResourceManager::createInstance());
    window = host::ui::createWindow("FontGlTest", "font", context->windowStyle(), kWidth, kHeight, nullptr);
    context->setWindowHandle(window);
    context->setScreenSize(kWidth, kHeight);
    ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
    context->initDevice();
  }

  void TearDown() override {
    context->shutdownFence();
    context->releaseDevice(false);
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    context->setWindowHandle(nullptr);
    host::ui::destroyWindow(window);
    host::ui::setMessageBoxSink(nullptr);
  }

  // Begins the overlay list (pixels, y down) on a black screen.
  void beginOverlay() {
    context->beginCommandList(nullptr, false, false);
    context->drawRect2D({0, 0, kWidth, kHeight}, 0xFF000000u);
  }

  // Executes the recorded list and reads the back buffer: one 0xAABBGGRR word
  // per pixel, top row first.
  std::vector<std::uint32_t> readBack() {
    context->closeNowCommandList();
    context->closeDraw();
    context->waitForGpu();
    std::vector<std::uint32_t> pixels = rktest::readBackBuffer(*context, context->currentFrame());
    context->drainDeferredRelease();
    return pixels;
  }

  // Pixels inside [x0, x1) × [y0, y1) that are not black.
  static int litIn(const std::vector<std::uint32_t>& pixels, int x0, int y0, int x1, int y1) {
    int lit = 0;
    for (int y = std::max(0, y0); y < std::min(kHeight, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(kWidth, x1); ++x)
        if ((pixels[y * kWidth + x] & 0x00FFFFFFu) != 0) ++lit;
    return lit;
  }

  rktest::ErrorLogCapture log;
  rktest::TempDir data;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  host::ui::Window* window = nullptr;
};

}  // namespace fonttest
