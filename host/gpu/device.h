// Factory, adapters and the device (IDXGIFactory6/7, IDXGIAdapter1,
// D3D12CreateDevice, ID3D12Device).
//
// The adapters are a list the layer keeps: by default one OpenGL adapter; tests
// install their own list (adapters that fail some or all feature levels, or trace
// adapters whose devices record instead of drawing). A device's driver decides
// the back end of everything made on it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/gpu/command_list.h"
#include "host/gpu/descriptor_heap.h"
#include "host/gpu/descs.h"
#include "host/gpu/object.h"
#include "host/gpu/pipeline.h"
#include "host/gpu/queue.h"
#include "host/gpu/resource.h"
#include "host/gpu/swap_chain.h"
#include "host/hresult.h"

namespace host::gpu {

namespace detail {
class Backend;
}
class Trace;

enum class Driver { OpenGL, Trace };
// An adapter whose devices fail at every feature level.
constexpr FeatureLevel kNoFeatureLevel = static_cast<FeatureLevel>(0);

struct AdapterProfile {
  AdapterDesc1 desc;
  FeatureLevel maxFeatureLevel = D3D_FEATURE_LEVEL_12_1;
  int performance = 0;  // higher comes first under DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE
  Driver driver = Driver::OpenGL;
};
struct AdapterList {
  std::vector<AdapterProfile> adapters;
  AdapterProfile defaultAdapter;  // what a device made without an adapter runs on
};

// Test hooks: replace the adapter list, and go back to the system's list.
void setAdapterList(const AdapterList& list);
void resetAdapterList();
// One trace adapter (also the default): the usual list of drawing tests.
AdapterList traceAdapterList();
// Describes an adapter for a list.
AdapterProfile makeAdapter(const std::u16string& description, Driver driver,
                        FeatureLevel maxLevel = D3D_FEATURE_LEVEL_12_1, std::uint32_t luidLow = 0);

class Adapter : public Object {
 public:
  explicit Adapter(const AdapterProfile& profile) : profile_(profile) {}
  HResult getDesc1(AdapterDesc1* desc) const;
  const AdapterProfile& profile() const { return profile_; }

 private:
  AdapterProfile profile_;
};

class Factory : public Object {
 public:
  // DXGI_ERROR_NOT_FOUND past the last adapter.
  HResult enumAdapterByGpuPreference(std::uint32_t index, GpuPreference preference, Ref<Adapter>* adapter);
  HResult enumAdapters1(std::uint32_t index, Ref<Adapter>* adapter);
  // The adapters-changed notification (IDXGIFactory7); the list never changes
  // while the program runs, so the event is never set.
  HResult registerAdaptersChangedEvent(Event* event, std::uint32_t* cookie);
  HResult unregisterAdaptersChangedEvent(std::uint32_t cookie);
  // CreateSwapChainForHwnd. DXGI_ERROR_INVALID_CALL without a queue or window,
  // or for a buffer count outside 2..16.
  HResult createSwapChainForWindow(CommandQueue* queue, ui::Window* window, const SwapChainDesc1& desc,
                                   Ref<SwapChain>* swapChain);

 private:
  std::uint32_t nextCookie_ = 1;
  std::vector<std::pair<std::uint32_t, Ref<Event>>> adapterEvents_;
};

// CreateDXGIFactory2.
HResult createFactory(std::uint32_t flags, Ref<Factory>* factory);

class Device : public Object {
 public:
  Device(std::shared_ptr<detail::Backend> backend, FeatureLevel level, const AdapterProfile& adapter);
  ~Device() override;

  FeatureLevel featureLevel() const { return level_; }
  Luid getAdapterLuid() const { return adapter_.desc.adapterLuid; }
  // S_OK until a present reported the device removed or reset.
  HResult getDeviceRemovedReason() const;

  HResult createCommandQueue(const CommandQueueDesc& desc, Ref<CommandQueue>* queue);
  HResult createCommandAllocator(CommandListType type, Ref<CommandAllocator>* allocator);
  // The list starts recording, as on Direct3D.
  HResult createCommandList(std::uint32_t nodeMask, CommandListType type, CommandAllocator* allocator,
                            PipelineState* initial, Ref<GraphicsCommandList>* list);
  HResult createFence(std::uint64_t initialValue, FenceFlags flags, Ref<Fence>* fence);
  HResult createDescriptorHeap(const DescriptorHeapDesc& desc, Ref<DescriptorHeap>* heap);
  std::uint32_t getDescriptorHandleIncrementSize(DescriptorHeapType type) const { return descriptorIncrement(type); }
  // Buffers (any heap; zero bytes is E_INVALIDARG) and 2-D textures (default heap).
  HResult createCommittedResource(const HeapProperties& heap, HeapFlags heapFlags, const ResourceDesc& desc,
                                  ResourceStates initialState, const ClearValue* optimizedClear,
                                  Ref<Resource>* resource);
  // Views: a null description takes the resource's format and mip 0. A handle
  // that names no slot of a live heap is ignored.
  void createRenderTargetView(Resource* resource, const RenderTargetViewDesc* desc, CpuDescriptorHandle handle);
  void createDepthStencilView(Resource* resource, const DepthStencilViewDesc* desc, CpuDescriptorHandle handle);
  void createShaderResourceView(Resource* resource, const ShaderResourceViewDesc* desc, CpuDescriptorHandle handle);
  void createConstantBufferView(const ConstantBufferViewDesc* desc, CpuDescriptorHandle handle);
  HResult createRootSignature(std::uint32_t nodeMask, const void* blob, std::size_t size,
                              Ref<RootSignature>* signature);
  // E_INVALIDARG without a root signature or vertex shader, or when the GL
  // program does not compile (the GL log goes to standard error); E_NOTIMPL for
  // hull, domain, geometry shaders and stream output.
  HResult createGraphicsPipelineState(const GraphicsPipelineStateDesc& desc, Ref<PipelineState>* pipeline);
  // Upload layouts of a texture's subresources (rows 256-byte aligned, each
  // subresource 512-byte aligned), as GetCopyableFootprints.
  void getCopyableFootprints(const ResourceDesc& desc, std::uint32_t firstSubresource, std::uint32_t count,
                             std::uint64_t baseOffset, PlacedSubresourceFootprint* layouts, std::uint32_t* numRows,
                             std::uint64_t* rowSizes, std::uint64_t* totalBytes) const;

  // The record of executed commands; null on the GL back end.
  Trace* trace();
  detail::Backend& backend() { return *backend_; }
  const std::shared_ptr<detail::Backend>& sharedBackend() const { return backend_; }

 private:
  std::shared_ptr<detail::Backend> backend_;
  FeatureLevel level_;
  AdapterProfile adapter_;
};

// D3D12CreateDevice: on `adapter` (null: the list's default adapter) at
// `minimumLevel` or better. With a null `device` only checks (S_FALSE when a
// device could be made). DXGI_ERROR_UNSUPPORTED when the adapter cannot.
HResult createDevice(Adapter* adapter, FeatureLevel minimumLevel, Ref<Device>* device);

// The trace of the device made last on a trace adapter (null when none lives).
Trace* latestTrace();

}  // namespace host::gpu
