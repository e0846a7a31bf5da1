// Rigs for the display list, the batch drawing context and the gfx commands:
// the resource rig (trace back end, built scene, texture manager) with helpers
// that read draws back from the trace, and a variant on the OpenGL back end
// that reads the back buffer's pixels after the overlay list has executed.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_gfx_list_manager.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "renderer_resources/resources_rig.h"
#include "support/back_buffer.h"

namespace gfxlisttest {

using namespace resourcetest;

// Fields of a traced draw that the tests compare.
inline std::string pipelineOf(const gpu::TraceDraw& d) { return d.pipeline; }

// Position (x, y, z) of vertex i of a position-colour (stride 28) or
// position-colour-uv (stride 36) draw; colour follows at 12 bytes.
inline std::vector<float> positionOf(const gpu::TraceDraw& d, std::uint32_t i) { return d.vertexFloats(i, 0, 3); }
inline std::vector<float> colourOf(const gpu::TraceDraw& d, std::uint32_t i) { return d.vertexFloats(i, 12, 4); }
inline std::vector<float> uvOf(const gpu::TraceDraw& d, std::uint32_t i) { return d.vertexFloats(i, 28, 2); }

// The colour-state constant (b4) a draw saw: colour and flag byte.
struct ColourConstant {
  float rgba[4] = {};
  std::uint8_t flag = 0xEE;
};
inline ColourConstant colourConstantOf(const gpu::TraceDraw& d) {
  ColourConstant c;
  for (int i = 0; i < 4; ++i) d.constant(4, 4 * i, &c.rgba[i]);
  d.constant(4, 16, &c.flag);
  return c;
}

// The id of a set-up texture's GPU resource, as the trace records it.
inline std::uint64_t idOf(rk::gfx::RkTexture* texture) {
  auto* gpuTexture = dynamic_cast<rk::gfx::RkTexture12*>(texture);
  return gpuTexture && gpuTexture->resource() ? gpuTexture->resource()->id() : 0;
}

class GfxListRig : public ResourceRig {
 protected:
  // Replays the display list as the frame draw does, alone in the trace.
  void replayDisplayList() {
    trace()->clear();
    rk::gfx::GfxListManager::getInstance()->replay();
    context->closeDraw();
    context->present(1);
  }
  const std::vector<gpu::TraceDraw>& draws() const { return trace()->draws; }
  // A texture of the texture manager with its GPU view made: 4x4 texels
  // counting up from `seed`, or all of one RGBA colour when `solid` is given.
  rk::gfx::RkTexture* loadedTexture(const std::string& name, std::uint8_t seed = 0, const std::uint8_t* solid = nullptr) {
    std::vector<std::uint8_t> bytes = makeDds(seed);
    if (solid)
      for (std::size_t i = 128; i < bytes.size(); ++i) bytes[i] = solid[(i - 128) % 4];
    writeFile(data.file(name), bytes);
    rk::gfx::RkTexture* texture = rk::gfx::RkTextureManager::getInstance()->loadTexture(name.c_str());
    EXPECT_TRUE(runUntilSetUp(texture)) << name;
    loaded_.push_back(texture);
    return texture;
  }
  // The rig's references to the textures it loaded go before the manager does.
  void TearDown() override {
    for (rk::gfx::RkTexture* texture : loaded_) texture->release(__FILE__, __LINE__);
    loaded_.clear();
    ResourceRig::TearDown();
  }

 private:
  std::vector<rk::gfx::RkTexture*> loaded_;
};

// The same on the OpenGL back end; skipped where no GL 3.3 context can be made.
class GlRig : public GfxListRig {
 protected:
  static constexpr int kW = kWidth, kH = kHeight;

  void SetUp() override {
    RendererRig::SetUp();
    gpu::resetAdapterList();
    rk::task::TaskManager::createInstance();
    rk::gfx::RkTextureManager::createInstance();
    try {
      buildScene();
    } catch (const HrException& e) {
      GTEST_SKIP() << "no OpenGL device here: " << e.what();
    }
    if (!context->getDevice() || trace()) GTEST_SKIP() << "not on the OpenGL back end";
  }

  // One frame: the background list (covered in `clear`), then `overlay`
  // recorded on the overlay list (or the display list when empty); executes,
  // reads the back buffer and presents. Pixels are 0xAABBGGRR words, top row first.
  // With a camera, `overlay` is recorded on that camera's list instead.
  std::vector<std::uint32_t> frame(const std::function<void()>& overlay = {},
                                   const rk::gfx::Color& clear = rk::gfx::Color(0, 0, 0, 1),
                                   rk::gfx::Camera* camera = nullptr) {
    context->beginCommandList(nullptr, true, false);
    context->drawRect2D({0, 0, kW, kH}, rk::gfx::colorToArgb(clear));
    context->closeNowCommandList();
    if (overlay) {
      context->beginCommandList(camera, false, false);
      overlay();
      context->closeNowCommandList();
    } else {
      rk::gfx::GfxListManager::getInstance()->replay();
    }
    context->closeDraw();
    std::vector<std::uint32_t> pixels = readBackBuffer();
    context->present(1);
    return pixels;
  }

  static std::uint32_t at(const std::vector<std::uint32_t>& pixels, int x, int y) { return pixels[y * kW + x]; }
  static constexpr std::uint32_t rgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16 | std::uint32_t(a) << 24;
  }

 private:
  std::vector<std::uint32_t> readBackBuffer() {
    return rktest::readBackBuffer(*context, context->swapChain()->getCurrentBackBufferIndex(), true);
  }
};

}  // namespace gfxlisttest
