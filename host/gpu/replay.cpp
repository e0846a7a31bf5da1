#include "host/gpu/replay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/gpu/format.h"

namespace host::gpu::detail {
namespace {

template <class... F>
struct Visitor : F... {
  using F::operator()...;
};
template <class... F>
Visitor(F...) -> Visitor<F...>;

std::string hex(std::uint64_t v) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(v));
  return text;
}

// Reads the indices of an indexed draw; empty problem text when they are all there.
std::string readIndices(const DrawState& s, const cmd::DrawIndexed& d, DrawCall& call) {
  const std::uint32_t size = s.indexBuffer.format == DXGI_FORMAT_R16_UINT ? 2 : 4;
  if (s.indexBuffer.format != DXGI_FORMAT_R16_UINT && s.indexBuffer.format != DXGI_FORMAT_R32_UINT)
    return "index buffer format is neither R16_UINT nor R32_UINT";
  std::uint64_t available = 0;
  const std::uint8_t* bytes = bufferBytes(s.indexBuffer.bufferLocation, s.indexBuffer.sizeInBytes, &available);
  if (!bytes) return "indexed draw without an index buffer";
  if ((std::uint64_t{d.startIndex} + d.indexCount) * size > available) return "index range outside the index buffer";
  call.indices.resize(d.indexCount);
  for (std::uint32_t i = 0; i < d.indexCount; ++i) {
    const std::uint8_t* p = bytes + (std::uint64_t{d.startIndex} + i) * size;
    if (size == 2) {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      call.indices[i] = v;
    } else {
      std::memcpy(&call.indices[i], p, 4);
    }
  }
  return {};
}

std::string checkVertices(const DrawState& s, DrawCall& call) {
  if (call.vertexCount == 0) return {};
  // Bytes each used slot needs of one vertex.
  std::uint32_t need[kVertexSlots] = {};
  for (const PipelineState::InputElement& e : s.pipeline->inputLayout()) {
    FormatInfo info;
    if (e.inputSlot >= kVertexSlots || !formatInfo(e.format, &info)) return "input element with an unknown format";
    need[e.inputSlot] = std::max(need[e.inputSlot], e.offset + info.bytes);
  }
  for (std::uint32_t slot = 0; slot < kVertexSlots; ++slot) {
    if (!need[slot]) continue;
    const VertexBufferView& v = s.vertexBuffers[slot];
    std::uint64_t available = 0;
    if (!bufferBytes(v.bufferLocation, v.sizeInBytes, &available))
      return "no vertex buffer in slot " + std::to_string(slot);
    const std::uint64_t last = std::uint64_t{call.firstVertex} + call.vertexCount - 1;
    if (last * v.strideInBytes + need[slot] > available)
      return "vertex range outside the vertex buffer in slot " + std::to_string(slot);
  }
  return {};
}

std::string prepare(const DrawState& s, const cmd::Draw* draw, const cmd::DrawIndexed* indexed, DrawCall& call) {
  if (!s.pipeline) return "draw without a pipeline state";
  if (!s.signature) return "draw without a root signature";
  if (!s.pipeline->rootSignature() || !s.pipeline->rootSignature()->compatibleWith(*s.signature))
    return "pipeline state made for another root signature";
  if (s.targets.targets.empty() || s.targets.targets[0] == 0) return "draw without a render target";
  if (!s.hasViewport) return "draw without a viewport";
  if (!s.hasScissor) return "draw without a scissor rectangle";
  if (s.topology == D3D_PRIMITIVE_TOPOLOGY_UNDEFINED) return "draw without a primitive topology";
  if (draw) {
    call.count = draw->vertexCount;
    call.instances = draw->instanceCount;
    call.start = draw->startVertex;
    call.firstVertex = draw->startVertex;
    call.vertexCount = draw->vertexCount;
  } else {
    call.indexed = true;
    call.count = indexed->indexCount;
    call.instances = indexed->instanceCount;
    call.start = indexed->startIndex;
    call.baseVertex = indexed->baseVertex;
    std::string problem = readIndices(s, *indexed, call);
    if (!problem.empty()) return problem;
    if (!call.indices.empty()) {
      const auto [lo, hi] = std::minmax_element(call.indices.begin(), call.indices.end());
      const std::int64_t first = std::int64_t{*lo} + indexed->baseVertex;
      const std::int64_t last = std::int64_t{*hi} + indexed->baseVertex;
      if (first < 0 || last > std::numeric_limits<std::uint32_t>::max()) return "index plus base vertex out of range";
      call.firstVertex = static_cast<std::uint32_t>(first);
      call.vertexCount = static_cast<std::uint32_t>(last - first + 1);
    }
  }
  return checkVertices(s, call);
}

void barriers(const cmd::ResourceBarriers& c, std::vector<std::string>& errors) {
  for (const cmd::Barrier& b : c.barriers) {
    Resource* r = findResource(b.resource);
    if (!r) {
      errors.push_back("barrier on a released resource");
      continue;
    }
    if (r->trackedState() != b.before)
      errors.push_back("barrier on \"" + r->name() + "\" from state " + hex(b.before) + " but it is in " +
                       hex(r->trackedState()));
    r->setTrackedState(b.after);
  }
}

void copyBuffer(const cmd::CopyBufferRegion& c, std::vector<std::string>& errors) {
  Resource* dst = findResource(c.dst);
  Resource* src = findResource(c.src);
  if (!dst || !src || dst->getDesc().dimension != D3D12_RESOURCE_DIMENSION_BUFFER ||
      src->getDesc().dimension != D3D12_RESOURCE_DIMENSION_BUFFER) {
    errors.push_back("buffer copy between resources that are not live buffers");
    return;
  }
  const std::uint64_t dstSize = dst->bufferBytes().size(), srcSize = src->bufferBytes().size();
  if (c.dstOffset > dstSize || c.bytes > dstSize - c.dstOffset || c.srcOffset > srcSize ||
      c.bytes > srcSize - c.srcOffset) {
    errors.push_back("buffer copy outside its buffers");
    return;
  }
  std::memmove(dst->bufferBytes().data() + c.dstOffset, src->bufferBytes().data() + c.srcOffset, c.bytes);
}

}  // namespace

const std::uint8_t* bufferBytes(GpuVirtualAddress address, std::uint64_t size, std::uint64_t* available) {
  std::uint64_t offset = 0;
  Resource* buffer = address ? findBufferByAddress(address, &offset) : nullptr;
  if (!buffer) return nullptr;
  if (available) *available = std::min<std::uint64_t>(size, buffer->bufferBytes().size() - offset);
  return buffer->bufferBytes().data() + offset;
}

const Descriptor* tableView(const DrawState& state, std::uint32_t rootIndex) {
  if (!state.viewHeap || rootIndex >= kMaxRootParameters) return nullptr;
  return state.viewHeap->slot(state.rootTable[rootIndex]);
}

bool footprintInside(Resource& buffer, const PlacedSubresourceFootprint& f) {
  std::uint64_t rowBytes = 0;
  std::uint32_t rows = 0;
  if (!surfaceLayout(f.footprint.format, f.footprint.width, f.footprint.height, &rowBytes, &rows)) return false;
  if (f.footprint.rowPitch < rowBytes || rows == 0) return false;
  const std::uint64_t end = f.offset + std::uint64_t{f.footprint.rowPitch} * (rows - 1) + rowBytes;
  return end >= f.offset && end <= buffer.bufferBytes().size();
}

void replay(const GraphicsCommandList& list, Executor& executor, std::vector<std::string>& errors) {
  DrawState s;
  for (const Command& command : list.commands()) {
    std::visit(Visitor{
                   [&](const cmd::SetPipelineState& c) { s.pipeline = c.pipeline.get(); },
                   [&](const cmd::SetRootSignature& c) {
                     // A new signature drops the bindings made for the old one.
                     if (s.signature != c.signature.get()) {
                       std::fill(std::begin(s.rootCbv), std::end(s.rootCbv), 0);
                       std::fill(std::begin(s.rootTable), std::end(s.rootTable), GpuDescriptorHandle{});
                     }
                     s.signature = c.signature.get();
                   },
                   [&](const cmd::SetViewports& c) {
                     s.hasViewport = !c.viewports.empty();
                     if (s.hasViewport) s.viewport = c.viewports[0];
                   },
                   [&](const cmd::SetScissorRects& c) {
                     s.hasScissor = !c.rects.empty();
                     if (s.hasScissor) s.scissor = c.rects[0];
                   },
                   [&](const cmd::SetRenderTargets& c) { s.targets = c; },
                   [&](const cmd::SetStencilRef& c) { s.stencilRef = c.ref; },
                   [&](const cmd::SetBlendFactor& c) { std::copy(c.factor, c.factor + 4, s.blendFactor); },
                   [&](const cmd::SetPrimitiveTopology& c) { s.topology = c.topology; },
                   [&](const cmd::SetVertexBuffers& c) {
                     for (std::size_t i = 0; i < c.views.size() && c.startSlot + i < kVertexSlots; ++i)
                       s.vertexBuffers[c.startSlot + i] = c.views[i];
                   },
                   [&](const cmd::SetIndexBuffer& c) { s.indexBuffer = c.view; },
                   [&](const cmd::SetDescriptorHeaps& c) {
                     s.viewHeap = nullptr;
                     for (const Ref<DescriptorHeap>& h : c.heaps)
                       if (h && h->getDesc().type == D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV) s.viewHeap = h.get();
                   },
                   [&](const cmd::SetRootConstantBufferView& c) {
                     if (c.rootIndex < kMaxRootParameters) s.rootCbv[c.rootIndex] = c.address;
                   },
                   [&](const cmd::SetRootDescriptorTable& c) {
                     if (c.rootIndex < kMaxRootParameters) s.rootTable[c.rootIndex] = c.base;
                   },
                   [&](const cmd::ResourceBarriers& c) { barriers(c, errors); },
                   [&](const cmd::ClearRenderTarget&) {},
                   [&](const cmd::ClearDepthStencil&) {},
                   [&](const cmd::Draw&) {},
                   [&](const cmd::DrawIndexed&) {},
                   [&](const cmd::CopyBufferRegion& c) { copyBuffer(c, errors); },
                   [&](const cmd::CopyTextureRegion&) {},
               },
               command);
    executor.command(command, s);
    if (auto* c = std::get_if<cmd::ClearRenderTarget>(&command)) {
      executor.clearRenderTarget(*c);
    } else if (auto* c = std::get_if<cmd::ClearDepthStencil>(&command)) {
      executor.clearDepthStencil(*c);
    } else if (auto* c = std::get_if<cmd::CopyTextureRegion>(&command)) {
      executor.copyTexture(*c);
    } else if (std::holds_alternative<cmd::Draw>(command) || std::holds_alternative<cmd::DrawIndexed>(command)) {
      DrawCall call;
      const std::string problem =
          prepare(s, std::get_if<cmd::Draw>(&command), std::get_if<cmd::DrawIndexed>(&command), call);
      if (!problem.empty()) errors.push_back(problem);
      executor.draw(s, call, problem);
    }
  }
}

}  // namespace host::gpu::detail
