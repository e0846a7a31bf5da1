#include "host/gpu/command_list.h"

#include "host/gpu/call_failure.h"
#include "host/gpu/descriptor_heap.h"
#include "host/gpu/resource.h"

namespace host::gpu {
namespace {

// What an RTV or DSV handle names at record time; 0 when it names no such view.
std::uint64_t viewTarget(CpuDescriptorHandle handle, Descriptor::Kind kind, std::uint32_t* mip) {
  const Descriptor* d = findDescriptor(handle);
  if (!d || d->kind != kind) return 0;
  if (mip) *mip = d->mipSlice;
  return d->resource;
}

std::vector<Rect> rectList(std::uint32_t count, const Rect* rects) {
  return rects ? std::vector<Rect>(rects, rects + count) : std::vector<Rect>();
}

cmd::CopyLocation copyLocation(const TextureCopyLocation& l) {
  cmd::CopyLocation c;
  c.resource = l.resource ? l.resource->id() : 0;
  c.type = l.type;
  c.subresource = l.subresourceIndex;
  c.footprint = l.placedFootprint;
  return c;
}

}  // namespace

const char* commandKindName(CommandKind kind) {
  static const char* const names[] = {
      "SetPipelineState",     "SetRootSignature",       "SetViewports",
      "SetScissorRects",      "SetRenderTargets",       "SetStencilRef",
      "SetBlendFactor",       "SetPrimitiveTopology",   "SetVertexBuffers",
      "SetIndexBuffer",       "SetDescriptorHeaps",     "SetRootConstantBufferView",
      "SetRootDescriptorTable", "ResourceBarrier",      "ClearRenderTarget",
      "ClearDepthStencil",    "Draw",                   "DrawIndexed",
      "CopyBufferRegion",     "CopyTextureRegion",
  };
  const auto i = static_cast<std::size_t>(kind);
  return i < sizeof(names) / sizeof(names[0]) ? names[i] : "?";
}

HResult CommandAllocator::reset() {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::ResetCommandAllocator); failed(injected))
    return injected;
  return openLists > 0 ? E_FAIL : S_OK;
}

GraphicsCommandList::GraphicsCommandList(CommandListType type, CommandAllocator* allocator, PipelineState* initial)
    : type_(type), allocator_(Ref<CommandAllocator>::share(allocator)) {
  if (allocator_) ++allocator_->openLists;
  if (initial) setPipelineState(initial);
}

GraphicsCommandList::~GraphicsCommandList() {
  if (recording_ && allocator_) --allocator_->openLists;
}

HResult GraphicsCommandList::close() {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CloseCommandList); failed(injected))
    return injected;
  if (!recording_) return E_FAIL;
  recording_ = false;
  if (allocator_) --allocator_->openLists;
  return S_OK;
}

HResult GraphicsCommandList::reset(CommandAllocator* allocator, PipelineState* initial) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::ResetCommandList); failed(injected))
    return injected;
  if (recording_ || !allocator) return E_FAIL;
  allocator_ = Ref<CommandAllocator>::share(allocator);
  ++allocator_->openLists;
  recording_ = true;
  commands_.clear();
  if (initial) setPipelineState(initial);
  return S_OK;
}

void GraphicsCommandList::record(Command command) {
  // A closed list takes nothing, as the debug layer would insist.
  if (recording_) commands_.push_back(std::move(command));
}

void GraphicsCommandList::setPipelineState(PipelineState* pipeline) {
  record(cmd::SetPipelineState{Ref<PipelineState>::share(pipeline)});
}

void GraphicsCommandList::setGraphicsRootSignature(RootSignature* signature) {
  record(cmd::SetRootSignature{Ref<RootSignature>::share(signature)});
}

void GraphicsCommandList::rsSetViewports(std::uint32_t count, const Viewport* viewports) {
  record(cmd::SetViewports{viewports ? std::vector<Viewport>(viewports, viewports + count) : std::vector<Viewport>()});
}

void GraphicsCommandList::rsSetScissorRects(std::uint32_t count, const Rect* rects) {
  record(cmd::SetScissorRects{rectList(count, rects)});
}

void GraphicsCommandList::omSetRenderTargets(std::uint32_t count, const CpuDescriptorHandle* targets,
                                             bool singleHandleToDescriptorRange,
                                             const CpuDescriptorHandle* depthStencil) {
  cmd::SetRenderTargets c;
  const std::uint32_t step = descriptorIncrement(D3D12_DESCRIPTOR_HEAP_TYPE_RTV);
  for (std::uint32_t i = 0; targets && i < count; ++i) {
    const CpuDescriptorHandle h = singleHandleToDescriptorRange ? targets[0].offset(static_cast<int>(i), step)
                                                                : targets[i];
    std::uint32_t mip = 0;
    c.targets.push_back(viewTarget(h, Descriptor::RenderTarget, &mip));
    c.mipSlices.push_back(mip);
  }
  if (depthStencil) c.depthStencil = viewTarget(*depthStencil, Descriptor::DepthStencil, nullptr);
  record(std::move(c));
}

void GraphicsCommandList::omSetStencilRef(std::uint32_t ref) { record(cmd::SetStencilRef{ref}); }

void GraphicsCommandList::omSetBlendFactor(const float factor[4]) {
  cmd::SetBlendFactor c;
  if (factor)
    for (int i = 0; i < 4; ++i) c.factor[i] = factor[i];
  else
    for (float& f : c.factor) f = 1.0f;
  record(c);
}

void GraphicsCommandList::iaSetPrimitiveTopology(PrimitiveTopology topology) {
  record(cmd::SetPrimitiveTopology{topology});
}

void GraphicsCommandList::iaSetVertexBuffers(std::uint32_t startSlot, std::uint32_t count,
                                             const VertexBufferView* views) {
  cmd::SetVertexBuffers c;
  c.startSlot = startSlot;
  // A null array unbinds the slots.
  c.views = views ? std::vector<VertexBufferView>(views, views + count) : std::vector<VertexBufferView>(count);
  record(std::move(c));
}

void GraphicsCommandList::iaSetIndexBuffer(const IndexBufferView* view) {
  record(cmd::SetIndexBuffer{view ? *view : IndexBufferView{0, 0, DXGI_FORMAT_R32_UINT}});
}

void GraphicsCommandList::setDescriptorHeaps(std::uint32_t count, DescriptorHeap* const* heaps) {
  cmd::SetDescriptorHeaps c;
  for (std::uint32_t i = 0; heaps && i < count; ++i) c.heaps.push_back(Ref<DescriptorHeap>::share(heaps[i]));
  record(std::move(c));
}

void GraphicsCommandList::setGraphicsRootConstantBufferView(std::uint32_t rootIndex, GpuVirtualAddress address) {
  record(cmd::SetRootConstantBufferView{rootIndex, address});
}

void GraphicsCommandList::setGraphicsRootDescriptorTable(std::uint32_t rootIndex, GpuDescriptorHandle base) {
  record(cmd::SetRootDescriptorTable{rootIndex, base});
}

void GraphicsCommandList::resourceBarrier(std::uint32_t count, const ResourceBarrier* barriers) {
  cmd::ResourceBarriers c;
  for (std::uint32_t i = 0; barriers && i < count; ++i) {
    const ResourceTransitionBarrier& t = barriers[i].transition;
    c.barriers.push_back({t.resource ? t.resource->id() : 0, t.subresource, t.stateBefore, t.stateAfter});
  }
  record(std::move(c));
}

void GraphicsCommandList::clearRenderTargetView(CpuDescriptorHandle target, const float color[4],
                                                std::uint32_t rectCount, const Rect* rects) {
  cmd::ClearRenderTarget c;
  c.target = viewTarget(target, Descriptor::RenderTarget, &c.mipSlice);
  for (int i = 0; color && i < 4; ++i) c.color[i] = color[i];
  c.rects = rectList(rectCount, rects);
  record(std::move(c));
}

void GraphicsCommandList::clearDepthStencilView(CpuDescriptorHandle target, ClearFlags flags, float depth,
                                                std::uint8_t stencil, std::uint32_t rectCount, const Rect* rects) {
  cmd::ClearDepthStencil c;
  c.target = viewTarget(target, Descriptor::DepthStencil, nullptr);
  c.flags = flags;
  c.depth = depth;
  c.stencil = stencil;
  c.rects = rectList(rectCount, rects);
  record(std::move(c));
}

void GraphicsCommandList::drawInstanced(std::uint32_t vertexCountPerInstance, std::uint32_t instanceCount,
                                        std::uint32_t startVertex, std::uint32_t startInstance) {
  record(cmd::Draw{vertexCountPerInstance, instanceCount, startVertex, startInstance});
}

void GraphicsCommandList::drawIndexedInstanced(std::uint32_t indexCountPerInstance, std::uint32_t instanceCount,
                                               std::uint32_t startIndex, std::int32_t baseVertex,
                                               std::uint32_t startInstance) {
  record(cmd::DrawIndexed{indexCountPerInstance, instanceCount, startIndex, baseVertex, startInstance});
}

void GraphicsCommandList::copyBufferRegion(Resource* dst, std::uint64_t dstOffset, Resource* src,
                                           std::uint64_t srcOffset, std::uint64_t bytes) {
  record(cmd::CopyBufferRegion{dst ? dst->id() : 0, dstOffset, src ? src->id() : 0, srcOffset, bytes});
}

void GraphicsCommandList::copyTextureRegion(const TextureCopyLocation* dst, std::uint32_t dstX, std::uint32_t dstY,
                                            std::uint32_t, const TextureCopyLocation* src, const Box* srcBox) {
  if (!dst || !src) return;
  cmd::CopyTextureRegion c;
  c.dst = copyLocation(*dst);
  c.dstX = dstX;
  c.dstY = dstY;
  c.src = copyLocation(*src);
  if (srcBox) {
    c.hasBox = true;
    c.box = *srcBox;
  }
  record(std::move(c));
}

}  // namespace host::gpu
