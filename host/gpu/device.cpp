#include "host/gpu/device.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>

#include "host/gpu/backend.h"
#include "host/gpu/call_failure.h"
#include "host/gpu/format.h"

namespace host::gpu {
namespace {

constexpr std::uint64_t kMaxBufferBytes = std::uint64_t{1} << 31;

std::uint64_t alignUp(std::uint64_t v, std::uint64_t a) { return (v + a - 1) / a * a; }

HResult checkBuffer(const HeapProperties& heap, const ResourceDesc& desc, ResourceStates state) {
  if (desc.width == 0 || desc.height != 1 || desc.depthOrArraySize != 1 || desc.mipLevels != 1 ||
      desc.format != DXGI_FORMAT_UNKNOWN || desc.layout != D3D12_TEXTURE_LAYOUT_ROW_MAJOR ||
      desc.sampleDesc.count != 1)
    return E_INVALIDARG;
  if (desc.width > kMaxBufferBytes) return E_OUTOFMEMORY;
  // The states Direct3D insists on for CPU-visible heaps.
  if (heap.type == D3D12_HEAP_TYPE_UPLOAD && state != D3D12_RESOURCE_STATE_GENERIC_READ) return E_INVALIDARG;
  if (heap.type == D3D12_HEAP_TYPE_READBACK && state != D3D12_RESOURCE_STATE_COPY_DEST) return E_INVALIDARG;
  return S_OK;
}

HResult checkTexture(const HeapProperties& heap, const ResourceDesc& desc) {
  if (desc.dimension != D3D12_RESOURCE_DIMENSION_TEXTURE2D) return E_NOTIMPL;
  FormatInfo info;
  if (heap.type != D3D12_HEAP_TYPE_DEFAULT || !formatInfo(desc.format, &info)) return E_INVALIDARG;
  if (desc.width == 0 || desc.height == 0 || desc.width > D3D12_REQ_TEXTURE2D_U_OR_V_DIMENSION ||
      desc.height > D3D12_REQ_TEXTURE2D_U_OR_V_DIMENSION || desc.depthOrArraySize != 1 ||
      desc.sampleDesc.count != 1)
    return E_INVALIDARG;
  if (desc.mipLevels > fullMipCount(desc.width, desc.height)) return E_INVALIDARG;
  const bool depth = (desc.flags & D3D12_RESOURCE_FLAG_ALLOW_DEPTH_STENCIL) != 0;
  if (depth != info.depthStencil) return E_INVALIDARG;
  if ((desc.flags & D3D12_RESOURCE_FLAG_ALLOW_RENDER_TARGET) && (info.compressed || info.depthStencil))
    return E_INVALIDARG;
  return S_OK;
}

}  // namespace

Device::Device(std::shared_ptr<detail::Backend> backend, FeatureLevel level, const AdapterProfile& adapter)
    : backend_(std::move(backend)), level_(level), adapter_(adapter) {}

Device::~Device() = default;

HResult Device::getDeviceRemovedReason() const { return backend_->removedReason; }

Trace* Device::trace() { return backend_->trace(); }

HResult Device::createCommandQueue(const CommandQueueDesc& desc, Ref<CommandQueue>* queue) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateCommandQueue); failed(injected))
    return injected;
  if (!queue) return E_POINTER;
  if (desc.type != D3D12_COMMAND_LIST_TYPE_DIRECT) return E_NOTIMPL;
  *queue = Ref<CommandQueue>::adopt(new CommandQueue(backend_, desc));
  return S_OK;
}

HResult Device::createCommandAllocator(CommandListType type, Ref<CommandAllocator>* allocator) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateCommandAllocator); failed(injected))
    return injected;
  if (!allocator) return E_POINTER;
  if (type != D3D12_COMMAND_LIST_TYPE_DIRECT) return E_NOTIMPL;
  *allocator = Ref<CommandAllocator>::adopt(new CommandAllocator(type));
  return S_OK;
}

HResult Device::createCommandList(std::uint32_t, CommandListType type, CommandAllocator* allocator,
                                  PipelineState* initial, Ref<GraphicsCommandList>* list) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateCommandList); failed(injected))
    return injected;
  if (!list) return E_POINTER;
  if (!allocator || allocator->type() != type) return E_INVALIDARG;
  *list = Ref<GraphicsCommandList>::adopt(new GraphicsCommandList(type, allocator, initial));
  return S_OK;
}

HResult Device::createFence(std::uint64_t initialValue, FenceFlags, Ref<Fence>* fence) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateFence); failed(injected)) return injected;
  if (!fence) return E_POINTER;
  *fence = Ref<Fence>::adopt(new Fence(backend_, initialValue));
  return S_OK;
}

HResult Device::createDescriptorHeap(const DescriptorHeapDesc& desc, Ref<DescriptorHeap>* heap) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateDescriptorHeap); failed(injected))
    return injected;
  if (!heap) return E_POINTER;
  if (desc.type > D3D12_DESCRIPTOR_HEAP_TYPE_DSV || desc.numDescriptors == 0 || desc.numDescriptors > 1000000)
    return E_INVALIDARG;
  // Render-target and depth views never reach shaders.
  const bool visible = desc.flags & D3D12_DESCRIPTOR_HEAP_FLAG_SHADER_VISIBLE;
  if (visible && (desc.type == D3D12_DESCRIPTOR_HEAP_TYPE_RTV || desc.type == D3D12_DESCRIPTOR_HEAP_TYPE_DSV))
    return E_INVALIDARG;
  *heap = Ref<DescriptorHeap>::adopt(new DescriptorHeap(desc));
  return S_OK;
}

HResult Device::createCommittedResource(const HeapProperties& heap, HeapFlags, const ResourceDesc& desc,
                                        ResourceStates initialState, const ClearValue*, Ref<Resource>* resource) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateCommittedResource); failed(injected))
    return injected;
  if (heap.type < D3D12_HEAP_TYPE_DEFAULT || heap.type > D3D12_HEAP_TYPE_READBACK) return E_INVALIDARG;
  const HResult check = desc.dimension == D3D12_RESOURCE_DIMENSION_BUFFER ? checkBuffer(heap, desc, initialState)
                                                                         : checkTexture(heap, desc);
  if (failed(check)) return check;
  if (!resource) return S_FALSE;
  Ref<Resource> made;
  try {
    made = Ref<Resource>::adopt(new Resource(backend_, heap, desc, initialState));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (desc.dimension != D3D12_RESOURCE_DIMENSION_BUFFER) {
    const HResult hr = backend_->createTexture(*made);
    if (failed(hr)) return hr;
  }
  *resource = made;
  return S_OK;
}

void Device::createRenderTargetView(Resource* resource, const RenderTargetViewDesc* desc, CpuDescriptorHandle handle) {
  DescriptorHeapType type;
  Descriptor* slot = findDescriptor(handle, &type);
  if (!slot || type != D3D12_DESCRIPTOR_HEAP_TYPE_RTV) return;
  *slot = Descriptor{};
  if (!resource) return;
  slot->kind = Descriptor::RenderTarget;
  slot->resource = resource->id();
  slot->format = desc && desc->format != DXGI_FORMAT_UNKNOWN ? desc->format : resource->getDesc().format;
  slot->mipSlice = desc ? desc->mipSlice : 0;
}

void Device::createDepthStencilView(Resource* resource, const DepthStencilViewDesc* desc, CpuDescriptorHandle handle) {
  DescriptorHeapType type;
  Descriptor* slot = findDescriptor(handle, &type);
  if (!slot || type != D3D12_DESCRIPTOR_HEAP_TYPE_DSV) return;
  *slot = Descriptor{};
  if (!resource) return;
  slot->kind = Descriptor::DepthStencil;
  slot->resource = resource->id();
  slot->format = desc && desc->format != DXGI_FORMAT_UNKNOWN ? desc->format : resource->getDesc().format;
  slot->mipSlice = desc ? desc->mipSlice : 0;
}

void Device::createShaderResourceView(Resource* resource, const ShaderResourceViewDesc* desc,
                                      CpuDescriptorHandle handle) {
  DescriptorHeapType type;
  Descriptor* slot = findDescriptor(handle, &type);
  if (!slot || type != D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV) return;
  *slot = Descriptor{};
  if (!resource) return;
  slot->kind = Descriptor::ShaderResource;
  slot->resource = resource->id();
  if (desc) slot->shaderResource = *desc;
  slot->format = desc && desc->format != DXGI_FORMAT_UNKNOWN ? desc->format : resource->getDesc().format;
  slot->shaderResource.format = slot->format;
}

void Device::createConstantBufferView(const ConstantBufferViewDesc* desc, CpuDescriptorHandle handle) {
  DescriptorHeapType type;
  Descriptor* slot = findDescriptor(handle, &type);
  if (!slot || type != D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV) return;
  *slot = Descriptor{};
  if (!desc) return;
  slot->kind = Descriptor::ConstantBuffer;
  slot->constantBuffer = *desc;
}

HResult Device::createRootSignature(std::uint32_t, const void* blob, std::size_t size,
                                    Ref<RootSignature>* signature) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateRootSignature); failed(injected))
    return injected;
  if (!signature) return E_POINTER;
  return RootSignature::deserialize(blob, size, signature);
}

HResult Device::createGraphicsPipelineState(const GraphicsPipelineStateDesc& desc, Ref<PipelineState>* pipeline) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateGraphicsPipelineState); failed(injected))
    return injected;
  if (!pipeline) return E_POINTER;
  if (!desc.rootSignature || !desc.vs.shaderBytecode || desc.vs.bytecodeLength == 0) return E_INVALIDARG;
  if (desc.ds.bytecodeLength || desc.hs.bytecodeLength || desc.gs.bytecodeLength || desc.streamOutput.numEntries)
    return E_NOTIMPL;
  if (desc.numRenderTargets > 8 || desc.sampleDesc.count != 1) return E_INVALIDARG;
  if (desc.inputLayout.numElements && !desc.inputLayout.inputElementDescs) return E_INVALIDARG;
  for (std::uint32_t i = 0; i < desc.inputLayout.numElements; ++i) {
    const InputElementDesc& e = desc.inputLayout.inputElementDescs[i];
    if (!e.semanticName || !formatInfo(e.format, nullptr)) return E_INVALIDARG;
  }
  Ref<PipelineState> made = Ref<PipelineState>::adopt(new PipelineState(backend_, desc));
  std::string log;
  const HResult hr = backend_->createPipeline(*made, &log);
  if (failed(hr)) {
    std::fprintf(stderr, "host::gpu: pipeline state not made: %s\n", log.c_str());
    return hr;
  }
  *pipeline = made;
  return S_OK;
}

void Device::getCopyableFootprints(const ResourceDesc& desc, std::uint32_t firstSubresource, std::uint32_t count,
                                   std::uint64_t baseOffset, PlacedSubresourceFootprint* layouts,
                                   std::uint32_t* numRows, std::uint64_t* rowSizes, std::uint64_t* totalBytes) const {
  const std::uint32_t mips = desc.mipLevels ? desc.mipLevels : fullMipCount(desc.width, desc.height);
  std::uint64_t offset = baseOffset;
  std::uint64_t total = 0;
  bool valid = desc.dimension == D3D12_RESOURCE_DIMENSION_TEXTURE2D;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t mip = (firstSubresource + i) % mips;
    const auto w = static_cast<std::uint32_t>(std::max<std::uint64_t>(1, desc.width >> mip));
    const std::uint32_t h = std::max<std::uint32_t>(1, desc.height >> mip);
    std::uint64_t rowBytes = 0;
    std::uint32_t rows = 0;
    valid = valid && surfaceLayout(desc.format, w, h, &rowBytes, &rows);
    offset = alignUp(offset, D3D12_TEXTURE_DATA_PLACEMENT_ALIGNMENT);
    const std::uint64_t pitch = alignUp(rowBytes, D3D12_TEXTURE_DATA_PITCH_ALIGNMENT);
    if (layouts) layouts[i] = {offset, {desc.format, w, h, 1, static_cast<std::uint32_t>(pitch)}};
    if (numRows) numRows[i] = rows;
    if (rowSizes) rowSizes[i] = rowBytes;
    const std::uint64_t end = offset + pitch * (rows ? rows - 1 : 0) + rowBytes;
    total = end - baseOffset;
    offset = end;
  }
  if (totalBytes) *totalBytes = valid ? total : std::numeric_limits<std::uint64_t>::max();
}

}  // namespace host::gpu
