// The effect renderer: draws a manager's live particles as camera-facing quads
// into a command list through host/gpu. It draws with the framework's own
// position-colour-uv pipeline family: the two pipeline states it uses (alpha
// and additive blending, depth tested but not written) are copies of the
// pipeline it is given with only the blend and depth states changed, so the
// same shaders, input layout and root signature serve. Its built-in sprite
// textures and a small ring of upload buffers (one part per frame in flight)
// are its own.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/effect/manager.h"
#include "host/gpu.h"
#include "host/hresult.h"

namespace host::effect {

struct RendererSetup {
  gpu::Device* device = nullptr;
  gpu::CommandQueue* queue = nullptr;  // uploads the sprite textures
  // A position-colour-uv pipeline of the root signature the lists use: b0
  // world, b1 view-projection, the texture table at root parameter 6.
  gpu::PipelineState* pipeline = nullptr;
  std::uint32_t squareMaxCount = 8000;  // quads drawn per draw at most
};

class Renderer {
 public:
  static constexpr std::uint32_t kPoolFrames = 3;
  static constexpr std::uint32_t kTextureRootIndex = 6;

  // Null with the failing HRESULT in `result` when the GPU objects cannot be made.
  static std::unique_ptr<Renderer> create(const RendererSetup& setup, HResult* result = nullptr);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Row-major matrices for row vectors, as the camera stores them.
  void setCameraMatrix(const float view[4][4]);
  void setProjectionMatrix(const float projection[4][4]);
  // Moves to the next part of the upload ring: what was written three frames
  // ago is overwritten from now on.
  void newFrame();
  // Records into `list` until endRendering; the list keeps its targets,
  // viewport and scissor.
  void beginRendering(gpu::GraphicsCommandList* list);
  // One draw per emitter batch; leaves the renderer's descriptor heap bound.
  void draw(const Manager& manager);
  void endRendering();

  // The device is going: every GPU object is released (drawing records nothing).
  void onLostDevice();
  // Makes the GPU objects again on the new device.
  HResult onResetDevice(const RendererSetup& setup);
  bool isReady() const { return ready_; }

  // Quads the last draw recorded.
  std::uint32_t lastSpriteCount() const { return last_sprites_; }
  // The pipeline states in use (index 0 alpha, 1 additive), for tests.
  gpu::PipelineState* pipeline(bool additive) const { return pipelines_[additive ? 1 : 0].get(); }

 private:
  explicit Renderer(const RendererSetup& setup);
  HResult build();
  HResult makePipelines();
  HResult makeTextures();
  // Space in the current ring part: its GPU address and CPU pointer.
  bool allocate(std::size_t bytes, gpu::GpuVirtualAddress* address, std::uint8_t** data);

  struct PoolPart {
    std::vector<gpu::Ref<gpu::Resource>> buffers;  // the last one is being filled
    std::size_t used = 0;
  };

  RendererSetup setup_;
  bool ready_ = false;
  gpu::Ref<gpu::PipelineState> pipelines_[2];
  gpu::Ref<gpu::Resource> textures_[kTextureCount];
  gpu::Ref<gpu::DescriptorHeap> heap_;
  PoolPart pool_[kPoolFrames];
  std::uint32_t part_ = 0;
  float view_[4][4];
  float projection_[4][4];
  gpu::GraphicsCommandList* list_ = nullptr;
  std::uint32_t last_sprites_ = 0;
};

}  // namespace host::effect
