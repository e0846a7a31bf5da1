// Models inside the framework: start-up makes the mesh, animation and node
// units, the frame update's task pass loads a model root through the file
// manager, the frame draw runs with it alive, and shut-down takes the units
// away with the device.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "dds_writer/lib/dds_file.h"
#include "host/clock.h"
#include "kernel/framework_test_support.h"
#include "kernel/rk_frame_loop.h"
#include "kernel/rk_framework.h"
#include "model_writer/lib/model_file.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "platform/driver/rk_stopwatch.h"
#include "renderer/renderer_rig.h"

namespace {

using rk::InstanceSlot;

TEST(FrameworkModels, StartUpMakesTheUnitsAModelLoadsInTheFrameAndShutDownTakesThemAway) {
  rktest::ErrorLogCapture log;
  rktest::TempDir data;
  rktest::CurrentDirGuard cwd(data.path());
  ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
  // The data folder's sample ship, written as the build writes it.
  std::ifstream in(std::string(RK_SOURCE_DIR) + "/data/models/ship.txt");
  std::stringstream text;
  text << in.rdbuf();
  modelfile::ModelFile model;
  std::vector<modelfile::TextureSource> textures;
  std::string error;
  ASSERT_TRUE(modelfile::parseDescription(text.str(), model, textures, error)) << error;
  std::filesystem::create_directories(data.file("model/ship"));
  for (const auto& t : textures) {
    ddsfile::Image image;
    ASSERT_TRUE(ddsfile::makePattern(t.pattern, t.width, t.height, image, error));
    ASSERT_TRUE(ddsfile::writeFile(data.file("model/ship/" + t.stored), ddsfile::encode(image)));
  }
  ASSERT_TRUE(ddsfile::writeFile(data.file("model/ship/ship.mdl"), model.bytes()));

  rktest::resetDeviceContext();
  host::gpu::setAdapterList(host::gpu::traceAdapterList());
  host::clock::useManualClock(true);
  rk::driver::StopWatchImpl::resetSharedStateForTests();
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  host::ui::Window* window = host::ui::createWindow("FrameworkModels", "models", context->windowStyle(), 64, 48, nullptr);
  context->setWindowHandle(window);
  context->setScreenSize(64, 48);

  rk::startupFramework();
  for (InstanceSlot slot : {InstanceSlot::MeshUnit, InstanceSlot::AnimeUnit, InstanceSlot::NodeUnit})
    EXPECT_TRUE(rk::singletonExists(slot)) << static_cast<int>(slot);
  ASSERT_NE(context->modelDrawContext(), nullptr);

  std::unique_ptr<rk::driver::directx::DxModelRoot12> ship(context->createModelRoot("model/ship/ship.mdl"));
  for (int i = 0; i < 2000 && !ship->isReady(); ++i) {
    rk::fs::FileManager::getInstance()->notify();
    rk::updateFramework(1.0f / 60.0f);
    if (!ship->isReady()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(ship->isReady());
  EXPECT_EQ(ship->getAnimeTakeNum(), 1);
  rk::gfx::CameraManager::getInstance()->createCamera(0);
  context->drawFrame();
  ship.reset();

  context->shutdown();
  for (InstanceSlot slot : {InstanceSlot::MeshUnit, InstanceSlot::AnimeUnit, InstanceSlot::NodeUnit})
    EXPECT_FALSE(rk::singletonExists(slot)) << static_cast<int>(slot);
  EXPECT_EQ(context->modelDrawContext(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();

  context->setWindowHandle(nullptr);
  host::ui::destroyWindow(window);
  host::clock::useManualClock(false);
  host::gpu::resetAdapterList();
  rktest::resetDeviceContext();
}

TEST(FrameworkModels, TheDeviceBuildResetsTheScreenEffectAndKeepsTheDisplayRecordsEmpty) {
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  EXPECT_STREQ(context->displayDeviceName(), "");
  EXPECT_TRUE(context->displayPaths().empty());
  EXPECT_TRUE(context->displayModes().empty());
  const rk::DeviceContext::ZoomBlurParam blur = context->zoomBlurParam();
  EXPECT_EQ(blur.scale[0], 1.0f);
  EXPECT_EQ(blur.scale[1], 1.0f);
  EXPECT_EQ(blur.values[0], 255);
  EXPECT_EQ(blur.values[1], 255);
  EXPECT_EQ(blur.values[2], 1);

  rktest::ErrorLogCapture log;
  rktest::TempDir data;
  rktest::CurrentDirGuard cwd(data.path());
  ASSERT_TRUE(rktest::writeShaderPack(data.file("shaders.pkp")));
  host::gpu::setAdapterList(host::gpu::traceAdapterList());
  rk::res::ResourceManager* resources = rk::res::ResourceManager::createInstance();
  rk::fs::FileManager::createInstance(resources);
  host::ui::Window* window = host::ui::createWindow("FrameworkModels", "fields", context->windowStyle(), 64, 48, nullptr);
  context->setWindowHandle(window);
  context->setScreenSize(64, 48);
  context->setScreenEffectMode(3);
  context->initDevice();
  EXPECT_EQ(context->screenEffectMode(), 0);
  context->shutdownFence();
  context->releaseDevice(false);
  rk::fs::FileManager::destroyInstance();
  rk::res::ResourceManager::destroyInstance();
  context->setWindowHandle(nullptr);
  host::ui::destroyWindow(window);
  host::gpu::resetAdapterList();
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
