// Inside the GPU layer only: walking a closed command list. The walk keeps the
// pipeline state a list builds up (Direct3D starts every list from nothing) and
// hands clears, draws and texture copies to the back end's executor with the
// state resolved. Barriers and buffer copies it carries out itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/gpu/command_list.h"
#include "host/gpu/descriptor_heap.h"
#include "host/gpu/resource.h"

namespace host::gpu::detail {

constexpr std::uint32_t kMaxRootParameters = 64;
constexpr std::uint32_t kVertexSlots = 16;

struct DrawState {
  const PipelineState* pipeline = nullptr;
  const RootSignature* signature = nullptr;
  PrimitiveTopology topology = D3D_PRIMITIVE_TOPOLOGY_UNDEFINED;
  VertexBufferView vertexBuffers[kVertexSlots] = {};
  IndexBufferView indexBuffer;
  GpuVirtualAddress rootCbv[kMaxRootParameters] = {};
  GpuDescriptorHandle rootTable[kMaxRootParameters] = {};
  const DescriptorHeap* viewHeap = nullptr;  // the shader-visible CBV/SRV/UAV heap
  Viewport viewport;
  bool hasViewport = false;
  Rect scissor;
  bool hasScissor = false;
  cmd::SetRenderTargets targets;
  std::uint32_t stencilRef = 0;
  float blendFactor[4] = {0, 0, 0, 0};
};

// A draw that passed the checks: the vertex range and the indices it reads.
struct DrawCall {
  bool indexed = false;
  std::uint32_t count = 0, instances = 1, start = 0;
  std::int32_t baseVertex = 0;
  std::vector<std::uint32_t> indices;  // indexed draws: the indices read (without baseVertex)
  std::uint32_t firstVertex = 0;       // lowest vertex read (with baseVertex)
  std::uint32_t vertexCount = 0;       // vertices from firstVertex on that are read
};

class Executor {
 public:
  virtual ~Executor() = default;
  // Every command, after the state has taken it in.
  virtual void command(const Command& command, const DrawState& state) {}
  virtual void clearRenderTarget(const cmd::ClearRenderTarget& clear) = 0;
  virtual void clearDepthStencil(const cmd::ClearDepthStencil& clear) = 0;
  // `problem` is empty for a draw that may be carried out.
  virtual void draw(const DrawState& state, const DrawCall& call, const std::string& problem) = 0;
  virtual void copyTexture(const cmd::CopyTextureRegion& copy) = 0;
};

void replay(const GraphicsCommandList& list, Executor& executor, std::vector<std::string>& errors);

// The bytes a buffer holds from `address` on (at most `size`), or null.
const std::uint8_t* bufferBytes(GpuVirtualAddress address, std::uint64_t size, std::uint64_t* available);
// The view in the table of root parameter `rootIndex`, or null.
const Descriptor* tableView(const DrawState& state, std::uint32_t rootIndex);
// Checks a buffer footprint against its buffer; false when it reaches outside.
bool footprintInside(Resource& buffer, const PlacedSubresourceFootprint& footprint);

}  // namespace host::gpu::detail
