// Rig for buffers, textures and immediate drawing: the renderer rig with a
// built scene, the task manager and the texture manager, helpers that record
// one overlay list and show it, and texture files from the tools' DDS writer.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "lib/dds_writer.h"
#include "renderer/renderer_rig.h"
#include "task/rk_task.h"

namespace resourcetest {

using namespace rendertest;

// A 4x4 RGBA8 texture file (no mips) whose pixels count up from `seed`.
inline std::vector<std::uint8_t> makeDds(std::uint8_t seed = 0) {
  rktools::Image image(4, 4);
  for (int i = 0; i < 64; ++i) image.rgba[i] = static_cast<std::uint8_t>(seed + i);
  return rktools::ddsRgba8(image);
}

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class ResourceRig : public RendererRig {
 protected:
  void SetUp() override {
    RendererRig::SetUp();
    rk::task::TaskManager::createInstance();
    rk::gfx::RkTextureManager::createInstance();
    buildScene();
  }

  void TearDown() override {
    if (rk::singletonExists(rk::InstanceSlot::TextureManager)) rk::gfx::RkTextureManager::destroyInstance();
    rk::task::TaskManager::destroyInstance();
    context->drainDeferredRelease();
    RendererRig::TearDown();
  }

  // Records `draw` into the overlay list, executes and presents it; the trace
  // then holds exactly that list's commands and draws.
  void showOverlay(const std::function<void()>& draw) {
    trace()->clear();
    context->beginCommandList(nullptr, false, false);
    draw();
    context->closeNowCommandList();
    context->closeDraw();
    context->present(1);
  }

  // Runs task passes, with the file manager's main-thread step, until the
  // texture's set-up has run (at most about two seconds).
  bool runUntilSetUp(rk::gfx::RkTexture* texture) {
    for (int i = 0; i < 2000 && !texture->info().loaded_; ++i) {
      rk::fs::FileManager::getInstance()->notify();
      rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
      if (!texture->info().loaded_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return texture->info().loaded_;
  }

  // Waits until the resource's bytes have arrived (at most about two seconds).
  bool waitLoaded(rk::res::ResourceData* resource) {
    for (int i = 0; i < 2000 && !resource->isLoaded(); ++i) {
      rk::fs::FileManager::getInstance()->notify();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return resource->isLoaded();
  }

  void resetDevice() {
    gpu::injectPresentResult(host::DXGI_ERROR_DEVICE_RESET);
    context->drawFrame();
  }
};

// The root descriptor-table bindings of the trace, in order.
inline std::vector<std::uint64_t> tableBindings(const gpu::Trace& trace, std::uint32_t root) {
  std::vector<std::uint64_t> out;
  for (const gpu::TraceEntry& e : trace.entries)
    if (const auto* t = std::get_if<gpu::cmd::SetRootDescriptorTable>(&e.command))
      if (e.kind == gpu::TraceEntry::ListCommand && t->rootIndex == root) out.push_back(t->base.ptr);
  return out;
}

}  // namespace resourcetest
