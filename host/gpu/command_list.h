// Command allocators and graphics command lists (ID3D12CommandAllocator,
// ID3D12GraphicsCommandList). A list records on the CPU: every call appends one
// command; the queue replays them. Render-target and depth views are read when
// recorded (as Direct3D does); vertex, constant and table bindings are read when
// the list executes.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/gpu/pipeline.h"
#include "host/hresult.h"

namespace host::gpu {

class DescriptorHeap;

namespace cmd {
struct SetPipelineState { Ref<PipelineState> pipeline; };
struct SetRootSignature { Ref<RootSignature> signature; };
struct SetViewports { std::vector<Viewport> viewports; };
struct SetScissorRects { std::vector<Rect> rects; };
struct SetRenderTargets {
  std::vector<std::uint64_t> targets;  // resource ids; 0 where a view was empty
  std::vector<std::uint32_t> mipSlices;
  std::uint64_t depthStencil = 0;      // 0: none
};
struct SetStencilRef { std::uint32_t ref = 0; };
struct SetBlendFactor { float factor[4] = {0, 0, 0, 0}; };
struct SetPrimitiveTopology { PrimitiveTopology topology = D3D_PRIMITIVE_TOPOLOGY_UNDEFINED; };
struct SetVertexBuffers {
  std::uint32_t startSlot = 0;
  std::vector<VertexBufferView> views;
};
struct SetIndexBuffer { IndexBufferView view; };  // size 0: unbound
struct SetDescriptorHeaps { std::vector<Ref<DescriptorHeap>> heaps; };
struct SetRootConstantBufferView {
  std::uint32_t rootIndex = 0;
  GpuVirtualAddress address = 0;
};
struct SetRootDescriptorTable {
  std::uint32_t rootIndex = 0;
  GpuDescriptorHandle base;
};
struct Barrier {
  std::uint64_t resource = 0;
  std::uint32_t subresource = D3D12_RESOURCE_BARRIER_ALL_SUBRESOURCES;
  ResourceStates before = 0, after = 0;
};
struct ResourceBarriers { std::vector<Barrier> barriers; };
struct ClearRenderTarget {
  std::uint64_t target = 0;
  std::uint32_t mipSlice = 0;
  float color[4] = {0, 0, 0, 0};
  std::vector<Rect> rects;  // empty: the whole target
};
struct ClearDepthStencil {
  std::uint64_t target = 0;
  ClearFlags flags = 0;
  float depth = 1.0f;
  std::uint8_t stencil = 0;
  std::vector<Rect> rects;
};
struct Draw {
  std::uint32_t vertexCount = 0, instanceCount = 1, startVertex = 0, startInstance = 0;
};
struct DrawIndexed {
  std::uint32_t indexCount = 0, instanceCount = 1, startIndex = 0;
  std::int32_t baseVertex = 0;
  std::uint32_t startInstance = 0;
};
struct CopyBufferRegion {
  std::uint64_t dst = 0;
  std::uint64_t dstOffset = 0;
  std::uint64_t src = 0;
  std::uint64_t srcOffset = 0;
  std::uint64_t bytes = 0;
};
struct CopyLocation {
  std::uint64_t resource = 0;
  TextureCopyType type = D3D12_TEXTURE_COPY_TYPE_SUBRESOURCE_INDEX;
  std::uint32_t subresource = 0;
  PlacedSubresourceFootprint footprint;
};
struct CopyTextureRegion {
  CopyLocation dst;
  std::uint32_t dstX = 0, dstY = 0;
  CopyLocation src;
  bool hasBox = false;
  Box box;
};
}  // namespace cmd

// One alternative per command; CommandKind names them in the same order.
using Command =
    std::variant<cmd::SetPipelineState, cmd::SetRootSignature, cmd::SetViewports, cmd::SetScissorRects,
                 cmd::SetRenderTargets, cmd::SetStencilRef, cmd::SetBlendFactor, cmd::SetPrimitiveTopology,
                 cmd::SetVertexBuffers, cmd::SetIndexBuffer, cmd::SetDescriptorHeaps, cmd::SetRootConstantBufferView,
                 cmd::SetRootDescriptorTable, cmd::ResourceBarriers, cmd::ClearRenderTarget, cmd::ClearDepthStencil,
                 cmd::Draw, cmd::DrawIndexed, cmd::CopyBufferRegion, cmd::CopyTextureRegion>;
enum class CommandKind {
  SetPipelineState,
  SetRootSignature,
  SetViewports,
  SetScissorRects,
  SetRenderTargets,
  SetStencilRef,
  SetBlendFactor,
  SetPrimitiveTopology,
  SetVertexBuffers,
  SetIndexBuffer,
  SetDescriptorHeaps,
  SetRootConstantBufferView,
  SetRootDescriptorTable,
  ResourceBarrier,
  ClearRenderTarget,
  ClearDepthStencil,
  Draw,
  DrawIndexed,
  CopyBufferRegion,
  CopyTextureRegion,
};
inline CommandKind kindOf(const Command& command) { return static_cast<CommandKind>(command.index()); }
const char* commandKindName(CommandKind kind);

class CommandAllocator : public Object {
 public:
  explicit CommandAllocator(CommandListType type) : type_(type) {}
  CommandListType type() const { return type_; }
  // E_FAIL while a list recorded with it is still open.
  HResult reset();

  // --- for the layer ---
  int openLists = 0;

 private:
  CommandListType type_;
};

class GraphicsCommandList : public Object {
 public:
  GraphicsCommandList(CommandListType type, CommandAllocator* allocator, PipelineState* initial);
  ~GraphicsCommandList() override;

  CommandListType getType() const { return type_; }
  // E_FAIL when the list is not recording.
  HResult close();
  // E_FAIL while recording; drops every recorded command and records anew.
  HResult reset(CommandAllocator* allocator, PipelineState* initial);
  bool isRecording() const { return recording_; }

  void setPipelineState(PipelineState* pipeline);
  void setGraphicsRootSignature(RootSignature* signature);
  void rsSetViewports(std::uint32_t count, const Viewport* viewports);
  void rsSetScissorRects(std::uint32_t count, const Rect* rects);
  void omSetRenderTargets(std::uint32_t count, const CpuDescriptorHandle* targets, bool singleHandleToDescriptorRange,
                          const CpuDescriptorHandle* depthStencil);
  void omSetStencilRef(std::uint32_t ref);
  void omSetBlendFactor(const float factor[4]);
  void iaSetPrimitiveTopology(PrimitiveTopology topology);
  void iaSetVertexBuffers(std::uint32_t startSlot, std::uint32_t count, const VertexBufferView* views);
  void iaSetIndexBuffer(const IndexBufferView* view);
  void setDescriptorHeaps(std::uint32_t count, DescriptorHeap* const* heaps);
  void setGraphicsRootConstantBufferView(std::uint32_t rootIndex, GpuVirtualAddress address);
  void setGraphicsRootDescriptorTable(std::uint32_t rootIndex, GpuDescriptorHandle base);
  void resourceBarrier(std::uint32_t count, const ResourceBarrier* barriers);
  // Clears ignore the scissor rectangle, the write masks and the bound targets.
  void clearRenderTargetView(CpuDescriptorHandle target, const float color[4], std::uint32_t rectCount,
                             const Rect* rects);
  void clearDepthStencilView(CpuDescriptorHandle target, ClearFlags flags, float depth, std::uint8_t stencil,
                             std::uint32_t rectCount, const Rect* rects);
  void drawInstanced(std::uint32_t vertexCountPerInstance, std::uint32_t instanceCount, std::uint32_t startVertex,
                     std::uint32_t startInstance);
  void drawIndexedInstanced(std::uint32_t indexCountPerInstance, std::uint32_t instanceCount,
                            std::uint32_t startIndex, std::int32_t baseVertex, std::uint32_t startInstance);
  void copyBufferRegion(Resource* dst, std::uint64_t dstOffset, Resource* src, std::uint64_t srcOffset,
                        std::uint64_t bytes);
  void copyTextureRegion(const TextureCopyLocation* dst, std::uint32_t dstX, std::uint32_t dstY, std::uint32_t dstZ,
                         const TextureCopyLocation* src, const Box* srcBox);

  const std::vector<Command>& commands() const { return commands_; }

 private:
  void record(Command command);

  CommandListType type_;
  Ref<CommandAllocator> allocator_;
  bool recording_ = true;
  std::vector<Command> commands_;
};

}  // namespace host::gpu
