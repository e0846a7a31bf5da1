// Rig for model loading and drawing: the renderer rig with the task, texture
// and camera managers and the mesh, animation and node units; model files and
// their textures written into the data folder by the model writer library;
// model roots loaded through the file manager and their own load task; frames
// recorded the way the frame draw records them, with a hook for each camera's
// models; and a read-back of the presented image.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "dds_writer/lib/dds_file.h"
#include "gfx/rk_texture_manager.h"
#include "model_writer/lib/model_file.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_mesh_unit.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_node_unit.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "renderer/renderer_rig.h"
#include "support/back_buffer.h"

namespace modeltest {

using namespace rendertest;
using rk::driver::directx::DxModelRoot12;
using rk::driver::directx::directx12::Directx12ModelDrawContext;

class ModelRig : public RendererRig {
 protected:
  // `gl` builds the device on the OpenGL back end (for read-back), else on the trace.
  void start(bool gl, int width = 64, int height = 48) {
    if (gl) gpu::resetAdapterList();
    context->setScreenSize(width, height);
    rk::task::TaskManager::createInstance();
    rk::gfx::RkTextureManager::createInstance();
    rk::driver::directx::directx12::DX12MeshUnit::createInstance();
    rk::driver::directx::directx12::DX12AnimeUnit::createInstance();
    rk::driver::directx::directx12::DX12NodeUnit::createInstance();
    buildScene();
  }

  void TearDown() override {
    roots_.clear();
    using namespace rk::driver::directx::directx12;
    if (rk::singletonExists(rk::InstanceSlot::MeshUnit)) DX12MeshUnit::destroyInstance();
    if (rk::singletonExists(rk::InstanceSlot::AnimeUnit)) DX12AnimeUnit::destroyInstance();
    if (rk::singletonExists(rk::InstanceSlot::NodeUnit)) DX12NodeUnit::destroyInstance();
    if (rk::singletonExists(rk::InstanceSlot::TextureManager)) rk::gfx::RkTextureManager::destroyInstance();
    if (context->getDevice()) context->drainDeferredRelease();
    RendererRig::TearDown();
  }

  // Writes the model (and the textures it lists) into the data folder.
  void writeModel(const std::string& path, modelfile::ModelFile& model,
                  const std::vector<modelfile::TextureSource>& textures = {}) {
    const std::filesystem::path file = data.file(path);
    std::filesystem::create_directories(file.parent_path());
    for (const modelfile::TextureSource& t : textures) {
      ddsfile::Image image;
      std::string error;
      ASSERT_TRUE(ddsfile::makePattern(t.pattern, t.width, t.height, image, error)) << error;
      ASSERT_TRUE(ddsfile::writeFile((file.parent_path() / t.stored).string(), ddsfile::encode(image)));
    }
    ASSERT_TRUE(ddsfile::writeFile(file.string(), model.bytes()));
  }
  // Writes a model from a description in the model writer's language.
  void describeModel(const std::string& path, const std::string& description) {
    modelfile::ModelFile model;
    std::vector<modelfile::TextureSource> textures;
    std::string error;
    ASSERT_TRUE(modelfile::parseDescription(description, model, textures, error)) << error;
    writeModel(path, model, textures);
  }

  // A root made by the device context; the rig deletes it.
  DxModelRoot12* createRoot(const std::string& name) {
    roots_.emplace_back(context->createModelRoot(name));
    return roots_.back().get();
  }
  // Runs frames of tasks and file deliveries until the root is ready (about two seconds at most).
  bool loadUntilReady(DxModelRoot12* root) {
    for (int i = 0; i < 2000 && !root->isReady(); ++i) {
      rk::fs::FileManager::getInstance()->notify();
      rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
      if (!root->isReady()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return root->isReady();
  }

  // Records one frame as the frame draw does: background clear, then for each
  // camera its list with the stencil cleared and `models` drawing into it, then
  // execute and present. Answers the index of the back buffer that was drawn.
  unsigned drawFrame(const std::function<void(rk::gfx::Camera&, Directx12ModelDrawContext&)>& models) {
    const unsigned frame = context->currentFrame();
    context->modelDrawContext()->resetFrame();
    for (int pool = 0; pool < 6; ++pool)
      context->constantPool(static_cast<rk::DeviceContext::ConstantPool>(pool), frame).rewind();
    context->beginCommandList(nullptr, true, true);
    if (gpu::GraphicsCommandList* list = context->getNowCommandList()) {
      list->clearRenderTargetView(context->backBufferHandle(), context->clearColor().data(), 0, nullptr);
      list->clearDepthStencilView(context->depthStencil().getDSVHandle(),
                                  gpu::D3D12_CLEAR_FLAG_DEPTH | gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0, nullptr);
    }
    context->closeNowCommandList();
    rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
    for (int number = 0; number < rk::DeviceContext::kCameraCount; ++number) {
      rk::gfx::Camera* camera = cameras->getCamera(number);
      if (!camera) continue;
      camera->studioInfo().top()->updateShadowMatrices();
      context->beginCommandList(camera, false, false);
      if (gpu::GraphicsCommandList* list = context->getNowCommandList())
        list->clearDepthStencilView(context->depthStencil().getDSVHandle(), gpu::D3D12_CLEAR_FLAG_STENCIL, 1.0f, 0, 0,
                                    nullptr);
      models(*camera, *context->modelDrawContext());
      context->closeNowCommandList();
    }
    context->closeDraw();
    context->present(1);
    return frame;
  }

  // One model in one pass, as a scene model draws it.
  static void drawModel(Directx12ModelDrawContext& draw, DxModelRoot12* root, bool shadowPass,
                        const rk::math::Matrix& world = rk::math::matrixIdentity()) {
    draw.begin(world, nullptr, shadowPass);
    root->draw(draw);
    draw.end();
  }

  // The pixels of a presented back buffer, top row first, 0xAABBGGRR each.
  std::vector<std::uint32_t> readBackBuffer(unsigned index) {
    return rktest::readBackBuffer(*context, index, false, &width_);
  }

  std::vector<std::unique_ptr<DxModelRoot12>> roots_;
  int width_ = 0;
};

}  // namespace modeltest
