// Descriptor heaps (ID3D12DescriptorHeap): arrays of views addressed by handle
// numbers. Handle arithmetic is the Direct3D one: start + index x increment.
// Views name resources by id, so a view of a released resource reads as empty.
#pragma once
#include <cstdint>
#include <vector>

#include "host/gpu/descs.h"
#include "host/gpu/object.h"

namespace host::gpu {

// Increment sizes of the four heap types (GetDescriptorHandleIncrementSize).
std::uint32_t descriptorIncrement(DescriptorHeapType type);

struct Descriptor {
  enum Kind { Empty, RenderTarget, DepthStencil, ShaderResource, ConstantBuffer };
  Kind kind = Empty;
  std::uint64_t resource = 0;  // resource id (views of textures)
  Format format = DXGI_FORMAT_UNKNOWN;
  std::uint32_t mipSlice = 0;          // render target and depth views
  ShaderResourceViewDesc shaderResource;
  ConstantBufferViewDesc constantBuffer;
};

class DescriptorHeap : public Object {
 public:
  explicit DescriptorHeap(const DescriptorHeapDesc& desc);
  ~DescriptorHeap() override;

  const DescriptorHeapDesc& getDesc() const { return desc_; }
  CpuDescriptorHandle getCPUDescriptorHandleForHeapStart() const { return {cpuStart_}; }
  // Zero for a heap that is not shader-visible, as on Direct3D.
  GpuDescriptorHandle getGPUDescriptorHandleForHeapStart() const { return {gpuStart_}; }

  // --- for the layer ---
  // The slot a handle names, or null for a handle outside the heap or between slots.
  Descriptor* slot(CpuDescriptorHandle handle);
  const Descriptor* slot(GpuDescriptorHandle handle) const;

 private:
  DescriptorHeapDesc desc_;
  std::size_t cpuStart_ = 0;
  std::uint64_t gpuStart_ = 0;
  std::vector<Descriptor> slots_;
};

// The heap that owns a CPU handle and its slot, or null (any live heap).
Descriptor* findDescriptor(CpuDescriptorHandle handle, DescriptorHeapType* type = nullptr);

}  // namespace host::gpu
